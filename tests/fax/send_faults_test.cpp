// Sending when the line, the modem or the remote misbehaves: every run ends with its error
// code and log entry, within a bounded time, with the port closable and no session left.
#include <gtest/gtest.h>

#include "errors/error_codes.h"
#include "fax/modem_strings.h"
#include "fax_line_fixture.h"

using namespace quillon;
using namespace quillon::test;

namespace {

template <typename T, typename F>
T made(F set) {
  T value;
  set(value);
  return value;
}
template <typename F> modem::NumberFaults numberFault(F f) { return made<modem::NumberFaults>(f); }
template <typename F> modem::ModemFaults modemFault(F f) { return made<modem::ModemFaults>(f); }
template <typename F> modem::RemoteFaults remoteFault(F f) { return made<modem::RemoteFaults>(f); }

class SendFaultTest : public FaxLineTest, public ::testing::WithParamInterface<fax::TFaxClass> {
 protected:
  void SetUp() override {
    pages = writeFaxFile(dir.file("doc.apf"), {{30, false}, {20, false}});
    fax.SetFaxClass(GetParam());
    fax.SetPhoneNumber("555");
    fax.SetFaxFile(dir.file("doc.apf"));
  }
  // The run failed with `code`, logged the failure and left the port closable.
  void expectFailure(int code) {
    EXPECT_EQ(finishCode, code);
    ASSERT_FALSE(errors.empty());
    EXPECT_EQ(errors.back(), code);
    ASSERT_FALSE(logCodes.empty());
    EXPECT_EQ(logCodes.back(), fax::LogTransmitFail);
    expectPortClosed();
  }
  // The modem could not be initialised: no fax was started, so nothing is logged.
  void expectStartFailure(int code) {
    EXPECT_EQ(finishCode, code);
    EXPECT_EQ(errors, std::vector<int>{code});
    EXPECT_EQ(logCodes, std::vector<fax::TFaxLogCode>{});
    expectPortClosed();
  }
  void expectSent() { FaxLineTest::expectSent(pages); }
  std::vector<std::string> pages;
};

TEST_P(SendFaultTest, BusyTwiceIsRedialledAndSent) {
  line.setNumberFaults("555", numberFault([](modem::NumberFaults& f) { f.busyCalls = 2; }));
  ASSERT_TRUE(sendAndWait());
  expectSent();
  EXPECT_EQ(remote.calls(), 1);
}

TEST_P(SendFaultTest, BusyOnEveryAttemptFailsAfterTheLastOne) {
  line.setNumberFaults("555", numberFault([](modem::NumberFaults& f) { f.busyCalls = 5; }));
  fax.SetDialAttempts(2);
  ASSERT_TRUE(sendAndWait());
  // Without AbortNoConnect the run goes on to the next fax, of which there is none.
  EXPECT_EQ(errors, std::vector<int>{ecFaxBusy});
  EXPECT_EQ(logCodes, (std::vector<fax::TFaxLogCode>{fax::LogTransmitStart, fax::LogTransmitFail}));
  EXPECT_EQ(remote.calls(), 0);
  expectPortClosed();
}

TEST_P(SendFaultTest, WithoutAttemptLimitABusyLineIsRedialledUntilItAnswers) {
  line.setNumberFaults("555", numberFault([](modem::NumberFaults& f) { f.busyCalls = 4; }));
  fax.SetDialAttempts(0);
  ASSERT_TRUE(sendAndWait());
  expectSent();
}

TEST_P(SendFaultTest, BusyWithAbortNoConnectEndsTheRun) {
  line.setNumberFaults("555", numberFault([](modem::NumberFaults& f) { f.busyCalls = 5; }));
  fax.SetDialAttempts(1);
  fax.SetAbortNoConnect(true);
  ASSERT_TRUE(sendAndWait());
  expectFailure(ecFaxBusy);
}

TEST_P(SendFaultTest, NoAnswer) {
  line.setNumberFaults("555", numberFault([](modem::NumberFaults& f) { f.noAnswer = true; }));
  fax.SetExitOnError(true);
  ASSERT_TRUE(sendAndWait());
  expectFailure(ecFaxNoAnswer);
}

TEST_P(SendFaultTest, VoiceAnswer) {
  line.setNumberFaults("555", numberFault([](modem::NumberFaults& f) { f.voiceAnswer = true; }));
  fax.SetExitOnError(true);
  ASSERT_TRUE(sendAndWait());
  expectFailure(ecFaxVoiceCall);
}

TEST_P(SendFaultTest, NoDialTone) {
  line.setDialTone(&modem, false);
  fax.SetExitOnError(true);
  ASSERT_TRUE(sendAndWait());
  expectFailure(ecFaxNoDialTone);
}

TEST_P(SendFaultTest, ErrorToTheLocalIdCommandFailsTheSetUp) {
  modem.setFaults(modemFault([](modem::ModemFaults& f) { f.errorOn = "+FLI"; }));
  fax.SetExitOnError(true);
  ASSERT_TRUE(sendAndWait());
  expectFailure(ecFaxInitError);
  EXPECT_EQ(remote.calls(), 0);
}

TEST_P(SendFaultTest, ErrorToTheInitStringStopsTheRunBeforeItStarts) {
  modem.setFaults(modemFault([](modem::ModemFaults& f) { f.errorOn = "E0Q0V1"; }));
  ASSERT_TRUE(sendAndWait());
  expectStartFailure(ecFaxBadModemResult);
}

TEST_P(SendFaultTest, LineNoiseBeforeASetUpAnswerFailsTheSetUp) {
  modem.setFaults(modemFault([](modem::ModemFaults& f) { f.garbageOn = "+FLI"; }));
  fax.SetExitOnError(true);
  ASSERT_TRUE(sendAndWait());
  expectFailure(ecFaxInitError);
}

TEST_P(SendFaultTest, LineNoiseAfterDiallingIsSkipped) {
  modem.setFaults(modemFault([](modem::ModemFaults& f) { f.garbageOn = "ATD"; }));
  ASSERT_TRUE(sendAndWait());
  expectSent();
}

TEST_P(SendFaultTest, AnswersSlowerThanTheResponseTimeOutFailTheInitialisation) {
  fax.Session().responseTimeout = 9;  // half a second
  modem.setFaults(modemFault([](modem::ModemFaults& f) { f.replyDelay = modem::Micros(1500000); }));
  ASSERT_TRUE(sendAndWait());
  expectStartFailure(ecFaxBadModemResult);
}

TEST_P(SendFaultTest, SlowAnswersWithinTheTimeOutsStillSend) {
  modem.setFaults(modemFault([](modem::ModemFaults& f) { f.replyDelay = modem::Micros(200000); }));
  ASSERT_TRUE(sendAndWait());
  expectSent();
}

TEST_P(SendFaultTest, APageRefusedOnceIsSentAgain) {
  remote.setFaults(remoteFault([](modem::RemoteFaults& f) { f.rtnAfterPage = 1; }));
  ASSERT_TRUE(sendAndWait());
  expectSent();
  EXPECT_EQ(logCodes.back(), fax::LogTransmitOk);
}

// The last page was read to its end before the refusal came: it must go out whole again,
// not as a header line alone.
TEST_P(SendFaultTest, TheLastPageRefusedOnceIsSentAgainWhole) {
  remote.setFaults(remoteFault([](modem::RemoteFaults& f) { f.rtnAfterPage = 2; }));
  ASSERT_TRUE(sendAndWait());
  expectSent();
}

// A page the remote cannot read (every scan line cut short) is asked for again each time:
// after the first sending and two more the fax fails, and no page counts as sent.
TEST_P(SendFaultTest, APageRefusedThreeTimesFailsTheFax) {
  {
    faximage::FaxFileWriter w;
    ASSERT_EQ(w.create(dir.file("bad.apf")), 0);
    ASSERT_EQ(w.beginPage(faximage::PageFlagLengthWords), 0);
    std::vector<std::uint8_t> code(faximage::kCodeBufferSize);
    for (const auto& row : patternRows(120, 3)) {
      std::size_t len = faximage::encodeRasterLine({}, row.data(), code.data());
      ASSERT_EQ(w.writeRecord(code.data(), len / 2), 0);
    }
    std::uint8_t eop[12];
    ASSERT_EQ(w.writeRecord(eop, faximage::encodeEndOfPage(eop)), 0);
    ASSERT_EQ(w.endPage(), 0);
    ASSERT_EQ(w.finish("QUILLON TEST", 0), 0);
  }
  fax.SetFaxFile(dir.file("bad.apf"));
  fax.SetExitOnError(true);
  int refusals = 0, pageEnds = 0;
  std::string pageReport = GetParam() == fax::fcClass2 ? "+FPTS" : "+FPS";
  fax.Session().stepTrace = [&](int, const std::string& text) {
    if (text.rfind(pageReport, 0) == 0 && fax::ParsePageStatus(text) == '2') ++refusals;
    if (text == "> AT+FET=2") ++pageEnds;
  };
  ASSERT_TRUE(sendAndWait());
  EXPECT_EQ(refusals, 3);
  if (GetParam() == fax::fcClass2) {
    EXPECT_EQ(pageEnds, 3);  // each sending ended the page
  }
  expectFailure(ecFaxSessionError);
  EXPECT_TRUE(remote.lastFax().pages.empty());
  EXPECT_FALSE(remote.lastFax().complete);
}

TEST_P(SendFaultTest, AHangupCodeAfterTheLastConfirmedPageIsLogged) {
  modem.setFaults(modemFault([](modem::ModemFaults& f) { f.hangupCode = 50; }));
  ASSERT_TRUE(sendAndWait());
  expectSent();
  EXPECT_EQ(fax.HangupResult(), 50);
}

TEST_P(SendFaultTest, DisconnectAfterTheFirstPageFailsTheFax) {
  remote.setFaults(remoteFault([](modem::RemoteFaults& f) { f.dcnAfterPage = 1; }));
  fax.SetExitOnError(true);
  ASSERT_TRUE(sendAndWait());
  expectFailure(ecFaxSessionError);
}

TEST_P(SendFaultTest, CarrierLostDuringAPageFailsTheFax) {
  remote.setFaults(remoteFault([](modem::RemoteFaults& f) { f.dropDuringPage = 1; }));
  fax.SetExitOnError(true);
  ASSERT_TRUE(sendAndWait());
  EXPECT_NE(finishCode, 0);
  EXPECT_EQ(logCodes.back(), fax::LogTransmitFail);
  EXPECT_LT(remote.lastFax().pages.size(), 2u);
  expectPortClosed();
}

TEST_P(SendFaultTest, UnpluggedModemEndsTheRun) {
  modem.setFaults(modemFault([](modem::ModemFaults& f) { f.unplugAfterPageBytes = 1000; }));
  ASSERT_TRUE(sendAndWait());
  expectFailure(ecCommNotOpen);
}

TEST_P(SendFaultTest, AbortFaxCancels) {
  fax.OnFaxStatus = [this](fax::TApdCustomAbstractFax& f, bool, bool) {
    if (f.Progress() == fax::fpSendPage) f.AbortFax();
  };
  ASSERT_TRUE(sendAndWait());
  expectFailure(ecCancelRequested);
  EXPECT_EQ(fax.Progress(), fax::fpCancel);
}

INSTANTIATE_TEST_SUITE_P(Classes, SendFaultTest, ::testing::Values(fax::fcClass2, fax::fcClass2_0),
                         [](const auto& info) { return info.param == fax::fcClass2 ? "Class2" : "Class20"; });

}  // namespace
