#include "errors/os_error.h"

#include <cerrno>

#include "errors/error_codes.h"

namespace quillon {

int StatusFromErrno(int err) {
  switch (err) {
    case 0: return ecOK;
    case ENOENT: return ecFileNotFound;
    case ENOTDIR: return ecPathNotFound;
    case EMFILE: case ENFILE: return ecTooManyFiles;
    case EACCES: case EPERM: return ecAccessDenied;
    case EBADF: return ecInvalidHandle;
    case ENOMEM: return ecOutOfMemory;
    case ENOSPC: case EDQUOT: case EFBIG: return ecDiskFull;
    case EROFS: return ecWriteProtected;
    case EIO: return ecDiskRead;
    case ENXIO: case ENODEV: return ecDriveNotReady;
    default: return err > 0 && err <= -(ecSystemErrorLast - ecSystemErrorBase) ? ecSystemErrorBase - err : ecDiskRead;
  }
}

int StatusFromLastError() {
  int status = StatusFromErrno(errno);
  return status == ecOK ? ecDiskRead : status;
}

}  // namespace quillon
