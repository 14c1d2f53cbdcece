#include "faximage/posix_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "errors/error_codes.h"
#include "errors/os_error.h"

namespace quillon::faximage {
namespace {

int openWith(int& fd, const std::string& path, int flags) {
  if (path.empty()) return ecFileNotFound;
  fd = ::open(path.c_str(), flags | O_CLOEXEC, 0644);
  return fd < 0 ? StatusFromLastError() : ecOK;
}

}  // namespace

int PosixFile::openRead(const std::string& path) {
  close();
  int status = openWith(fd_, path, O_RDONLY);
  if (status == ecOK) {
    struct stat st;
    if (::fstat(fd_, &st) == 0 && S_ISDIR(st.st_mode)) {
      close();
      return ecAccessDenied;
    }
  }
  return status;
}

int PosixFile::openReadWrite(const std::string& path) {
  close();
  return openWith(fd_, path, O_RDWR);
}

int PosixFile::create(const std::string& path) {
  close();
  return openWith(fd_, path, O_RDWR | O_CREAT | O_TRUNC);
}

int PosixFile::close() {
  if (fd_ < 0) return ecOK;
  int rc = ::close(fd_);
  fd_ = -1;
  return rc == 0 ? ecOK : StatusFromLastError();
}

int PosixFile::read(void* data, size_t size, size_t& got) {
  got = 0;
  while (got < size) {
    ssize_t n = ::read(fd_, static_cast<char*>(data) + got, size - got);
    if (n < 0) {
      if (errno == EINTR) continue;
      return StatusFromLastError();
    }
    if (n == 0) break;
    got += size_t(n);
  }
  return ecOK;
}

int PosixFile::readExact(void* data, size_t size, int shortStatus) {
  size_t got = 0;
  int status = read(data, size, got);
  if (status != ecOK) return status;
  return got == size ? ecOK : shortStatus;
}

int PosixFile::writeAll(const void* data, size_t size) {
  size_t done = 0;
  while (done < size) {
    ssize_t n = ::write(fd_, static_cast<const char*>(data) + done, size - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return StatusFromLastError();
    }
    done += size_t(n);
  }
  return ecOK;
}

int PosixFile::seek(uint64_t offset) {
  if (offset > uint64_t(INT64_MAX)) return ecSeekError;
  return ::lseek(fd_, off_t(offset), SEEK_SET) < 0 ? StatusFromLastError() : ecOK;
}

int PosixFile::size(uint64_t& bytes) const {
  struct stat st;
  if (::fstat(fd_, &st) != 0) return StatusFromLastError();
  bytes = uint64_t(st.st_size);
  return ecOK;
}

int PosixFile::identity(FileIdentity& id) const {
  struct stat st;
  if (::fstat(fd_, &st) != 0) return StatusFromLastError();
  id = {uint64_t(st.st_dev), uint64_t(st.st_ino), uint64_t(st.st_size),
        int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
  return ecOK;
}

}  // namespace quillon::faximage
