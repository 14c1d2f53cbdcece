// Receiving when the caller, the line or the modem misbehaves: every call ends with its
// error code and log entry, and the file keeps only the pages that arrived complete.
#include <gtest/gtest.h>

#include "errors/error_codes.h"
#include "receive_line_fixture.h"

using namespace quillon;
using namespace quillon::test;

namespace {

class ReceiveFaultTest : public ReceiveLineTest, public ::testing::WithParamInterface<fax::TFaxClass> {
 protected:
  ReceiveFaultTest() : ReceiveLineTest(timeScaleFor(GetParam())) {}
  void SetUp() override {
    fax.SetFaxClass(GetParam());
    fax.SetExitOnError(true);
    fax.SetOneFax(true);
    pages = {linePage(40, false, 11), linePage(300, false, 12), linePage(30, false, 13)};
  }
  // The call failed with `code`, the failure was logged, and the file holds `complete` pages.
  void expectPartialFax(int code, std::size_t complete, int orCode = 0) {
    EXPECT_TRUE(finishCode == code || (orCode && finishCode == orCode)) << finishCode;
    ASSERT_FALSE(errors.empty());
    EXPECT_EQ(errors.back(), finishCode);
    EXPECT_EQ(logCodes, (std::vector<fax::TFaxLogCode>{fax::LogReceiveStart, fax::LogReceiveFail}));
    ASSERT_EQ(files.size(), 1u);
    expectPages(files[0], std::vector<modem::FaxPage>(pages.begin(), pages.begin() + complete));
    expectPortClosed();
  }
  std::vector<modem::FaxPage> pages;
};

TEST_P(ReceiveFaultTest, CallerHangsUpMidPage) {
  ASSERT_TRUE(startReceiving());
  auto& sender = call(pages);
  modem::RemoteFaults f;
  f.dropDuringPage = 2;
  {
    std::lock_guard lock(line.mutex());
    sender.setFaults(f);
  }
  ASSERT_TRUE(waitFinished());
  // Class 2 modems report the hang-up; a Class 1 modem answers the frame receive on the dead
  // line with ERROR.
  expectPartialFax(GetParam() == fax::fcClass1 ? ecFaxBadModemResult : ecFaxSessionError, 1);
}

TEST_P(ReceiveFaultTest, CallerDisconnectsInsteadOfThePostPageMessage) {
  ASSERT_TRUE(startReceiving());
  auto& sender = call(pages);
  modem::RemoteFaults f;
  f.dcnAfterPage = 2;
  {
    std::lock_guard lock(line.mutex());
    sender.setFaults(f);
  }
  ASSERT_TRUE(waitFinished());
  // Class 1 reads the DCN ("Cancel requested"), unless the caller has hung up before the
  // frame receive starts (ERROR).
  if (GetParam() == fax::fcClass1)
    expectPartialFax(ecCancelRequested, 1, ecFaxBadModemResult);
  else
    expectPartialFax(ecFaxSessionError, 1);
}

TEST_P(ReceiveFaultTest, ModemUnpluggedMidPage) {
  modem::ModemFaults f;
  f.unplugAfterPageBytes = pages[0].data.size() + pages[1].data.size() / 2;
  {
    std::lock_guard lock(line.mutex());
    modem.setFaults(f);
  }
  ASSERT_TRUE(startReceiving());
  call(pages);
  ASSERT_TRUE(waitFinished());
  expectPartialFax(ecCommNotOpen, 1);
}

TEST_P(ReceiveFaultTest, ErrorAnswerDuringTheCallFailsIt) {
  modem::ModemFaults f;
  // Class 1: the carrier for CFR, before the file exists; Class 2: the page request.
  f.errorOn = GetParam() == fax::fcClass1 ? "+FTH" : "+FDR";
  {
    std::lock_guard lock(line.mutex());
    modem.setFaults(f);
  }
  ASSERT_TRUE(startReceiving());
  call(pages);
  ASSERT_TRUE(waitFinished());
  EXPECT_EQ(finishCode, ecFaxBadModemResult);
  if (GetParam() == fax::fcClass1) {
    EXPECT_EQ(logCodes, std::vector<fax::TFaxLogCode>{});
    EXPECT_EQ(filesIn(dir.file("receive")), std::vector<std::string>{});
  } else {
    EXPECT_EQ(logCodes, (std::vector<fax::TFaxLogCode>{fax::LogReceiveStart, fax::LogReceiveFail}));
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(readStoredFax(files[0]).pages.size(), 0u);
  }
  expectPortClosed();
}

TEST_P(ReceiveFaultTest, SetupErrorStopsTheRunBeforeAnyCall) {
  modem::ModemFaults f;
  f.errorOn = "+FCLASS";
  {
    std::lock_guard lock(line.mutex());
    modem.setFaults(f);
  }
  fax.BeginReceive();
  ASSERT_TRUE(waitFinished(std::chrono::seconds(20)));
  EXPECT_LT(finishCode, 0);
  EXPECT_EQ(logCodes, std::vector<fax::TFaxLogCode>{});
  expectPortClosed();
}

INSTANTIATE_TEST_SUITE_P(Classes, ReceiveFaultTest, ::testing::Values(fax::fcClass1, fax::fcClass2, fax::fcClass2_0),
                         [](const auto& info) {
                           return info.param == fax::fcClass1 ? "Class1" : info.param == fax::fcClass2 ? "Class2" : "Class20";
                         });

}  // namespace
