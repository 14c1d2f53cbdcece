// Sending over a line that behaves like real hardware: the modem's few kilobytes of transmit
// buffer hold the engine back with CTS, and a sender that ignored it would lose page data
// (the modem counts what it dropped); DTR falling mid-page ends the call.
#include <gtest/gtest.h>

#include <mutex>

#include "errors/error_codes.h"
#include "fax_line_fixture.h"

using namespace quillon;
using namespace quillon::test;

namespace {

class SendLineTest : public FaxLineTest, public ::testing::WithParamInterface<fax::TFaxClass> {
 protected:
  void SetUp() override {
    // Pages far larger than the modem's buffer.
    pages = writeFaxFile(dir.file("big.apf"), {{900, true}, {700, true}}, 5);
    ASSERT_GT(pages[0].size(), 16000u);
    fax.SetFaxClass(GetParam());
    fax.SetPhoneNumber("555");
    fax.SetFaxFile(dir.file("big.apf"));
    fax.SetExitOnError(true);
    // A page that stalls ends within seconds, not after the full minute.
    fax.Session().dataTimeout = 91;
  }
  void expectSentWhole() {
    EXPECT_EQ(modem.lostFromDte(), 0u);
    expectSent(pages);
  }
  std::vector<std::string> pages;
};

TEST_P(SendLineTest, CtsHoldsThePageDataBackAndNothingIsLost) {
  ASSERT_TRUE(sendAndWait());
  expectSentWhole();
}

// The check above can fail: a port that honours neither CTS nor XOFF overruns the modem, and
// the fax then fails or the remote stored what it got.
TEST_P(SendLineTest, APortWithoutFlowControlOverrunsTheModem) {
  port.SetHWFlowOptions(0);
  ASSERT_TRUE(sendAndWait());
  EXPECT_GT(modem.lostFromDte(), 0u);
  // Whatever the remote made of the damaged pages, a page reported sent is one it stored.
  if (finishCode == 0) {
    EXPECT_EQ(remote.lastFax().pages.size(), pages.size());
  }
  expectPortClosed();
}

// With XON/XOFF alone the device holds what XOFF stopped; the engine must let that reach
// the modem before it turns XON/XOFF off at the page end, or the modem is overrun.
TEST_P(SendLineTest, SoftwareFlowControlAloneDrainsThePageBeforeItEnds) {
  port.SetHWFlowOptions(0);
  fax.SetSoftwareFlow(true);
  fax.SetModemInit("AT&K4+IFC=1,1");
  ASSERT_TRUE(sendAndWait());
  expectSentWhole();
}

// DTR falls while the first page goes out (a cable or driver glitch): the modem hangs up as
// &D2 says, and the fax fails with its log line; no page counts as sent.
TEST_P(SendLineTest, DtrDroppedMidPageEndsTheFax) {
  bool dropped = false;
  fax.OnFaxStatus = [&](fax::TApdCustomAbstractFax& f, bool, bool) {
    if (!dropped && f.Progress() == fax::fpSendPage) {
      dropped = true;
      port.SetDTR(false);
    }
  };
  ASSERT_TRUE(sendAndWait());
  EXPECT_TRUE(dropped);
  // The modem's answer to the drop goes by unread while page data flow, so the page
  // exchange's wait ends it: a time-out, after the data time-out (shortened here).
  EXPECT_EQ(finishCode, ecTimeout);
  ASSERT_FALSE(logCodes.empty());
  EXPECT_EQ(logCodes.back(), fax::LogTransmitFail);
  EXPECT_TRUE(remote.lastFax().pages.empty());
  expectPortClosed();
}

// The modem is set up at InitBaud and the call runs at NormalBaud; the end of the fax
// switches back to InitBaud.
TEST_P(SendLineTest, InitBaudForTheSetUpAndNormalBaudForTheCall) {
  fax.SetNormalBaud(38400);
  fax.SetInitBaud(9600);
  std::mutex m;
  std::vector<std::pair<std::string, int>> seen;  // command lines and the port's speed then
  modem.setTrace([&](bool fromDte, const std::string& text) {
    if (!fromDte || text.rfind("AT", 0) != 0) return;
    std::lock_guard lock(m);
    seen.emplace_back(text, serial->portSettings().baud);
  });
  ASSERT_TRUE(sendAndWait());
  modem.setTrace(nullptr);
  expectSentWhole();
  EXPECT_EQ(serial->portSettings().baud, 9600);
  std::lock_guard lock(m);
  auto speedOf = [&](const std::string& prefix) {
    for (const auto& [text, baud] : seen)
      if (text.rfind(prefix, 0) == 0) return baud;
    return 0;
  };
  EXPECT_EQ(speedOf("ATE0Q0V1"), 9600);  // the built-in init string
  EXPECT_EQ(speedOf("ATD"), 38400);
}

INSTANTIATE_TEST_SUITE_P(Classes, SendLineTest, ::testing::Values(fax::fcClass2, fax::fcClass2_0),
                         [](const auto& info) { return info.param == fax::fcClass2 ? "Class2" : "Class20"; });

}  // namespace
