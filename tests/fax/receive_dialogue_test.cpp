// Receiving from the emulated line's remote sender in Class 2 and Class 2.0: the call is
// answered on the right ring, the pages land in a new fax file equal to what was sent, and
// the application's accept and name answers are followed.
#include <gtest/gtest.h>

#include "errors/error_codes.h"
#include "receive_line_fixture.h"

using namespace quillon;
using namespace quillon::test;

namespace {

class ReceiveDialogueTest : public ReceiveLineTest, public ::testing::WithParamInterface<fax::TFaxClass> {
 protected:
  ReceiveDialogueTest() : ReceiveLineTest(timeScaleFor(GetParam())) {}
  void SetUp() override {
    fax.SetFaxClass(GetParam());
    fax.SetOneFax(true);
  }
};

TEST_P(ReceiveDialogueTest, ThreePagesOfMixedResolutionLandInANewFile) {
  std::vector<modem::FaxPage> pages = {linePage(40, false, 1), linePage(60, true, 2), linePage(30, false, 3)};
  ASSERT_TRUE(startReceiving());
  call(pages);
  ASSERT_TRUE(waitFinished());
  EXPECT_EQ(finishCode, 0);
  EXPECT_EQ(errors, std::vector<int>{});
  EXPECT_EQ(logCodes, (std::vector<fax::TFaxLogCode>{fax::LogReceiveStart, fax::LogReceiveOk}));
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(files[0], dir.file("receive") + "/FAX0001.APF");
  expectPages(files[0], pages);
  StoredFax got = readStoredFax(files[0]);
  EXPECT_EQ(got.header.stationId, "CALLER              ");
  EXPECT_EQ(fax.RemoteStation(), "CALLER");
  EXPECT_EQ(fax.LineRate(), 14400);
  expectPortClosed();
}

TEST_P(ReceiveDialogueTest, WidePagesKeepTheirWidth) {
  std::vector<modem::FaxPage> pages = {linePage(30, true, 4, true)};
  ASSERT_TRUE(startReceiving());
  call(pages);
  ASSERT_TRUE(waitFinished());
  EXPECT_EQ(finishCode, 0);
  ASSERT_EQ(files.size(), 1u);
  expectPages(files[0], pages);
}

TEST_P(ReceiveDialogueTest, TheCallIsAnsweredOnTheThirdRing) {
  fax.SetAnswerOnRing(3);
  ASSERT_TRUE(startReceiving());
  call({linePage(20, false, 5)});
  ASSERT_TRUE(waitFinished());
  EXPECT_EQ(finishCode, 0);
  std::vector<std::string> order;
  {
    std::lock_guard lock(traceMutex);
    for (const auto& t : trace)
      if (t == "8 RING" || t.find("> ATA") != std::string::npos) order.push_back(t);
  }
  EXPECT_EQ(order, (std::vector<std::string>{"8 RING", "8 RING", "8 RING", "9 > ATA"}));
}

TEST_P(ReceiveDialogueTest, RingsOfACallThatWasNotAnsweredCountTowardsTheNext) {
  // The first caller gives up after a few rings; the second is answered on its first ring,
  // because the count of the first goes on.
  fax.SetAnswerOnRing(4);
  ASSERT_TRUE(startReceiving());
  {
    std::lock_guard lock(line.mutex());
    senders.push_back(std::make_unique<modem::RemoteSender>(line, "FIRST", std::vector<modem::FaxPage>{}));
    senders.back()->call("100");
  }
  ASSERT_TRUE(loop.runUntil([this] { return traceCount("8 RING") == 3; }, std::chrono::seconds(20)));
  {
    std::lock_guard lock(line.mutex());
    line.hangUp(senders.back().get());
  }
  loop.runUntil([] { return false; }, std::chrono::milliseconds(500));
  call({linePage(20, false, 6)}, "SECOND");
  ASSERT_TRUE(waitFinished());
  EXPECT_EQ(finishCode, 0);
  EXPECT_EQ(traceCount("8 RING"), 4);
  EXPECT_EQ(fax.RemoteStation(), "SECOND");
}

TEST_P(ReceiveDialogueTest, ARefusedFaxIsSkippedAndLeavesNoFile) {
  fax.OnFaxAccept = [](fax::TApdCustomAbstractFax&, bool& accept) { accept = false; };
  fax.SetExitOnError(true);
  ASSERT_TRUE(startReceiving());
  call({linePage(20, false, 7)});
  ASSERT_TRUE(waitFinished());
  EXPECT_EQ(finishCode, ecFileRejected);
  EXPECT_EQ(errors, std::vector<int>{ecFileRejected});
  EXPECT_EQ(logCodes, std::vector<fax::TFaxLogCode>{fax::LogReceiveSkip});
  EXPECT_EQ(filesIn(dir.file("receive")), std::vector<std::string>{});
  expectPortClosed();
}

TEST_P(ReceiveDialogueTest, TheApplicationNamesTheFile) {
  fax.SetOneFax(false);
  fax.OnFaxName = [this](fax::TApdCustomAbstractFax&, std::string& name) {
    name = dir.file("receive") + "/call" + std::to_string(files.size() + 1) + ".apf";
  };
  ASSERT_TRUE(startReceiving());
  std::vector<modem::FaxPage> first = {linePage(20, false, 8)}, second = {linePage(25, true, 9)};
  call(first);
  ASSERT_TRUE(loop.runUntil([this] { return logCodes.size() == 2 && fax.Progress() == 20; }, std::chrono::seconds(30)));
  call(second, "OTHER");
  ASSERT_TRUE(loop.runUntil([this] { return logCodes.size() == 4; }, std::chrono::seconds(30)));
  fax.AbortFax();
  ASSERT_TRUE(waitFinished());
  EXPECT_EQ(finishCode, ecCancelRequested);
  EXPECT_EQ(files, (std::vector<std::string>{dir.file("receive") + "/call1.apf", dir.file("receive") + "/call2.apf"}));
  expectPages(files[0], first);
  expectPages(files[1], second);
  EXPECT_EQ(readStoredFax(files[1]).header.stationId, "OTHER               ");
}

TEST_P(ReceiveDialogueTest, CancelWhileWaitingForACallEndsTheRunWithoutALogEntry) {
  ASSERT_TRUE(startReceiving());
  fax.AbortFax();
  ASSERT_TRUE(waitFinished(std::chrono::seconds(20)));
  EXPECT_EQ(finishCode, ecCancelRequested);
  EXPECT_EQ(logCodes, std::vector<fax::TFaxLogCode>{});
  expectPortClosed();
}

INSTANTIATE_TEST_SUITE_P(Classes, ReceiveDialogueTest, ::testing::Values(fax::fcClass1, fax::fcClass2, fax::fcClass2_0),
                         [](const auto& info) { return info.param == fax::fcClass1 ? "Class1" : info.param == fax::fcClass2 ? "Class2" : "Class20"; });

}  // namespace
