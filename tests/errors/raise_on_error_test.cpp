#include "errors/raise_on_error.h"

#include <gtest/gtest.h>

#include "errors/error_codes.h"

namespace quillon {
namespace {

template <class E>
E caught(int code) {
  try {
    RaiseOnError(code);
  } catch (const E& e) {
    return e;
  }
  ADD_FAILURE() << "no exception of the expected class for " << code;
  throw std::logic_error("unreachable");
}

TEST(RaiseOnError, SuccessAndStoredFormLoadingPassTheCodeThrough) {
  EXPECT_EQ(RaiseOnError(0), 0);
  EXPECT_EQ(RaiseOnError(17), 17);
  EXPECT_EQ(RaiseOnError(true, ecFaxBusy), ecFaxBusy);
}

TEST(RaiseOnError, ClassOfTheTableCarriesTextAndCode) {
  auto e = caught<EBadGraphicsFormat>(ecBadGraphicsFormat);
  EXPECT_STREQ(e.what(), "Unsupported graphics file format");
  EXPECT_EQ(e.code(), -8002);
  EXPECT_EQ(caught<EFax>(ecFaxBusy).code(), ecFaxBusy);
  EXPECT_EQ(caught<EOpenComm>(ecAlreadyOpen).code(), ecAlreadyOpen);
  EXPECT_EQ(caught<ETapiInvalCallHandle>(-13824).code(), -13824);
  EXPECT_EQ(caught<ETapiTranslateFail>(-13942).code(), -13942);
  // Shared classes.
  EXPECT_EQ(caught<EInternal>(-7003).code(), -7003);
  EXPECT_EQ(caught<EInternal>(-7012).code(), -7012);
  EXPECT_EQ(caught<EProtocol>(-6008).code(), -6008);
}

TEST(RaiseOnError, CodesWithoutClassFallThroughToVeldException) {
  auto e = caught<EAPDException>(ecFontFileNotFound);
  EXPECT_STREQ(e.what(), "Veld exception");
  EXPECT_EQ(e.code(), 0);
  EXPECT_EQ(caught<EAPDException>(-4242).code(), 0);
}

TEST(RaiseOnError, InputOutputAndMemoryErrorsUseTheRuntimeClasses) {
  auto io = caught<EInOutError>(ecFileNotFound);
  EXPECT_STREQ(io.what(), "File not found");
  EXPECT_EQ(io.errorNumber(), 2);
  EXPECT_EQ(caught<EInOutError>(-162).errorNumber(), 162);
  EXPECT_STREQ(caught<EOutOfMemory>(ecOutOfMemory).what(), "Insufficient memory");
  EXPECT_EQ(caught<EAPDException>(-163).code(), 0);
}

TEST(CodeOfException, MapsEveryKindBackToItsCode) {
  EXPECT_EQ(CodeOfException(EFaxBusy("x", ecFaxBusy)), ecFaxBusy);
  EXPECT_EQ(CodeOfException(EInOutError("x", 5)), -5);
  EXPECT_EQ(CodeOfException(EOutOfMemory("x")), -8);
  EXPECT_EQ(CodeOfException(std::bad_alloc()), -8);
  EXPECT_EQ(CodeOfException(std::runtime_error("x")), -9999);
  for (int code : {ecBadArgument, ecNoPortSelected, ecBufferIsEmpty, ecFaxPageError, -13801}) {
    try {
      RaiseOnError(code);
    } catch (const std::exception& e) {
      EXPECT_EQ(CodeOfException(e), code);
    }
  }
}

}  // namespace
}  // namespace quillon
