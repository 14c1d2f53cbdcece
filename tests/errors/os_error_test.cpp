// Operating-system failures as status codes, texts and exceptions.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include "errors/error_codes.h"
#include "errors/error_text.h"
#include "errors/exceptions.h"
#include "errors/os_error.h"
#include "errors/raise_on_error.h"

using namespace quillon;

TEST(OsError, CommonErrnoValuesTakeTheTablesNumbers) {
  EXPECT_EQ(StatusFromErrno(0), ecOK);
  EXPECT_EQ(StatusFromErrno(ENOENT), ecFileNotFound);
  EXPECT_EQ(StatusFromErrno(EACCES), ecAccessDenied);
  EXPECT_EQ(StatusFromErrno(ENOSPC), ecDiskFull);
  errno = 0;
  EXPECT_LT(StatusFromLastError(), 0);  // never reported as success
}

TEST(OsError, OtherErrnoValuesKeepTheSystemsOwnText) {
  // EXDEV is 18 and ECONNRESET 104: negated, they would read as unrelated table entries.
  for (int err : {EXDEV, ECONNRESET, EPIPE, ETIMEDOUT}) {
    int code = StatusFromErrno(err);
    EXPECT_LT(code, ecSystemErrorBase) << err;
    EXPECT_EQ(ErrorText(code), std::strerror(err)) << err;
    try {
      RaiseOnError(code);
      FAIL() << "expected an exception for " << err;
    } catch (const std::exception& e) {
      EXPECT_EQ(CodeOfException(e), code);
      EXPECT_EQ(std::string(e.what()), std::strerror(err));
    }
  }
  EXPECT_EQ(StatusFromErrno(-7), ecDiskRead);  // not an errno value at all
}
