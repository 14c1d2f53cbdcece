#pragma once
// Status codes for operating-system failures: the common errno values become the numbers of
// the error-strings table ("File not found", "File access denied", ...), others become
// ecSystemErrorBase - errno and read as the system's own description.

namespace quillon {

int StatusFromErrno(int err);
int StatusFromLastError();  // StatusFromErrno(errno), never 0

}  // namespace quillon
