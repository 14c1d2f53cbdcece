// Class 1 sending over the emulated modem: the T.30 dialogue the engine runs itself, the
// speed choice and fall-back, pages refused and sent again, resolution changes, and the
// faults of the remote, the modem and the line.
#include <gtest/gtest.h>

#include <mutex>

#include "errors/error_codes.h"
#include "fax_line_fixture.h"

using namespace quillon;
using namespace quillon::test;

namespace {

class SendClass1Test : public FaxLineTest {
 protected:
  void SetUp() override {
    fax.Session().stepTrace = [this](int state, const std::string& text) {
      std::lock_guard lock(mutex);
      dialogue += std::to_string(state) + " " + text + "\n";
    };
    fax.SetFaxClass(fax::fcClass1);
    fax.SetPhoneNumber("555");
    fax.SetDesiredBPS(14400);
  }
  std::string trace() {
    std::lock_guard lock(mutex);
    return dialogue;
  }
  // The lines of the trace that hold `what`.
  std::string linesWith(const std::string& what) {
    std::string out, all = trace();
    std::size_t at = 0;
    while (at < all.size()) {
      std::size_t end = all.find('\n', at);
      std::string line = all.substr(at, end - at);
      if (line.find(what) != std::string::npos) out += line + "\n";
      at = end + 1;
    }
    return out;
  }
  void remoteFaults(const modem::RemoteFaults& f) {
    std::lock_guard lock(line.mutex());
    remote.setFaults(f);
  }
  void modemFaults(const modem::ModemFaults& f) {
    std::lock_guard lock(line.mutex());
    modem.setFaults(f);
  }
  // Sends the pages and expects every one to arrive whole.
  void expectDelivered(const std::vector<std::string>& pages) {
    EXPECT_EQ(finishCode, 0) << trace();
    EXPECT_EQ(logCodes, (std::vector<fax::TFaxLogCode>{fax::LogTransmitStart, fax::LogTransmitOk}));
    const auto& got = remote.lastFax();
    ASSERT_EQ(got.pages.size(), pages.size()) << trace();
    EXPECT_TRUE(got.complete);
    for (std::size_t p = 0; p < pages.size(); ++p)
      EXPECT_TRUE(endsWith(got.pages[p].data, pages[p])) << "page " << p + 1;
  }
  void expectFailed(int code) {
    EXPECT_EQ(finishCode, code) << trace();
    EXPECT_EQ(logCodes, (std::vector<fax::TFaxLogCode>{fax::LogTransmitStart, fax::LogTransmitFail}));
  }
  std::mutex mutex;
  std::string dialogue;
};

TEST_F(SendClass1Test, DialogueFollowsTheStates) {
  auto pages = writeFaxFile(dir.file("doc.apf"), {{20, false}});
  fax.SetFaxFile(dir.file("doc.apf"));
  ASSERT_TRUE(sendAndWait());
  expectDelivered(pages);
  // A frame counts once the modem's OK after it says its check was good.
  EXPECT_EQ(trace(),
            "1 > ATE0Q0V1X4S0=0S2=43\n"
            "1 > AT+FCLASS=1\n"
            "1 > AT+FTM=?\n"
            "2 > AT+FCLASS=1\n"
            "3 OK\n"
            "9 > ATDT555\n"
            "11 CONNECT\n"
            "11 OK\n"
            "11 < frame CSI \"REMOTE FAX\" (more)\n"
            "11 > AT+FRH=3\n"
            "11 CONNECT\n"
            "11 OK\n"
            "11 < frame DIS 00 6E F8\n"
            "11 > AT+FTH=3\n"
            "12 CONNECT\n"
            "12 > frame TSI \"QUILLON TEST\"\n"
            "13 CONNECT\n"
            "13 > frame DCS 00 22 F8\n"
            "14 OK\n"
            "14 > AT+FTM=145\n"
            "15 CONNECT\n"
            "15 > training check, 2592 bytes at 14400\n"
            "16 OK\n"
            "16 > AT+FRH=3\n"
            "17 CONNECT\n"
            "17 OK\n"
            "17 < frame CFR\n"
            "17 > AT+FTM=146\n"
            "18 CONNECT\n"
            "29 OK\n"
            "30 > AT+FTH=3\n"
            "31 CONNECT\n"
            "31 > frame EOP\n"
            "32 OK\n"
            "32 > AT+FRH=3\n"
            "34 CONNECT\n"
            "34 OK\n"
            "34 < frame MCF\n"
            "34 > AT+FTH=3\n"
            "35 CONNECT\n"
            "35 > frame DCN\n"
            "36 OK\n"
            "36 > ATH\n"
            "37 OK\n");
  EXPECT_EQ(fax.LineRate(), 14400);
  EXPECT_EQ(fax.RemoteStation(), "REMOTE FAX");
  EXPECT_EQ(remote.lastFax().remoteId, "QUILLON TEST");
  expectPortClosed();
}

TEST_F(SendClass1Test, ThreePagesGoWithThePageCarrierAfterEachConfirmation) {
  auto pages = writeFaxFile(dir.file("doc.apf"), {{30, false}, {25, false}, {20, false}});
  fax.SetFaxFile(dir.file("doc.apf"));
  ASSERT_TRUE(sendAndWait());
  expectDelivered(pages);
  EXPECT_EQ(linesWith("AT+FTM="), "1 > AT+FTM=?\n14 > AT+FTM=145\n17 > AT+FTM=146\n34 > AT+FTM=146\n34 > AT+FTM=146\n");
  EXPECT_EQ(linesWith("> frame MPS").size(), 2 * std::string("31 > frame MPS\n").size());
}

TEST_F(SendClass1Test, DesiredSpeedCapsTheChoiceAndFttFallsBackStepByStep) {
  auto pages = writeFaxFile(dir.file("doc.apf"), {{20, false}});
  fax.SetFaxFile(dir.file("doc.apf"));
  fax.SetDesiredBPS(9600);
  modem::RemoteFaults f;
  f.fttAboveBps = 4800;
  remoteFaults(f);
  ASSERT_TRUE(sendAndWait());
  expectDelivered(pages);
  EXPECT_EQ(linesWith("AT+FTM="), "1 > AT+FTM=?\n14 > AT+FTM=96\n14 > AT+FTM=72\n14 > AT+FTM=48\n17 > AT+FTM=48\n");
  EXPECT_EQ(linesWith("< frame FTT").size(), 2 * std::string("17 < frame FTT\n").size());
  EXPECT_EQ(fax.LineRate(), 4800);
  EXPECT_EQ(remote.lastFax().bps, 4800);
}

TEST_F(SendClass1Test, FttAtEverySpeedEndsWithModemsFailedToTrain) {
  writeFaxFile(dir.file("doc.apf"), {{20, false}});
  fax.SetFaxFile(dir.file("doc.apf"));
  modem::RemoteFaults f;
  f.fttAboveBps = 1;
  remoteFaults(f);
  ASSERT_TRUE(sendAndWait());
  expectFailed(ecFaxTrainError);
  EXPECT_EQ(linesWith("AT+FTM="),
            "1 > AT+FTM=?\n14 > AT+FTM=145\n14 > AT+FTM=121\n14 > AT+FTM=96\n14 > AT+FTM=72\n14 > AT+FTM=48\n14 > AT+FTM=24\n");
  EXPECT_EQ(remote.lastFax().pages.size(), 0u);
}

TEST_F(SendClass1Test, ARefusedPageIsSentAgainAfterRetrainingAtALowerSpeed) {
  auto pages = writeFaxFile(dir.file("doc.apf"), {{30, false}, {25, false}, {20, false}});
  fax.SetFaxFile(dir.file("doc.apf"));
  modem::RemoteFaults f;
  f.rtnAfterPage = 2;
  remoteFaults(f);
  ASSERT_TRUE(sendAndWait());
  expectDelivered(pages);
  EXPECT_NE(trace().find("34 page refused: sent again at 12000"), std::string::npos) << trace();
  EXPECT_EQ(fax.LineRate(), 12000);
}

TEST_F(SendClass1Test, TheLastPageRefusedIsSentAgainFromItsStart) {
  auto pages = writeFaxFile(dir.file("doc.apf"), {{30, false}, {25, false}});
  fax.SetFaxFile(dir.file("doc.apf"));
  modem::RemoteFaults f;
  f.rtnAfterPage = 2;
  remoteFaults(f);
  ASSERT_TRUE(sendAndWait());
  expectDelivered(pages);
  EXPECT_EQ(linesWith("> frame EOP").size(), 2 * std::string("31 > frame EOP\n").size());
}

TEST_F(SendClass1Test, RtpRetrainsBeforeTheNextPage) {
  auto pages = writeFaxFile(dir.file("doc.apf"), {{30, false}, {25, false}});
  fax.SetFaxFile(dir.file("doc.apf"));
  modem::RemoteFaults f;
  f.rtpAfterPage = 1;
  remoteFaults(f);
  ASSERT_TRUE(sendAndWait());
  expectDelivered(pages);
  EXPECT_EQ(linesWith("> frame DCS").size(), 2 * std::string("13 > frame DCS 00 22 F8\n").size());
}

TEST_F(SendClass1Test, APageOfAnotherResolutionFollowsEomAndANewDcs) {
  auto pages = writeFaxFile(dir.file("doc.apf"), {{30, false}, {40, true}});
  fax.SetFaxFile(dir.file("doc.apf"));
  ASSERT_TRUE(sendAndWait());
  expectDelivered(pages);
  EXPECT_FALSE(remote.lastFax().pages[0].fine);
  EXPECT_TRUE(remote.lastFax().pages[1].fine);
  EXPECT_NE(trace().find("31 > frame EOM"), std::string::npos);
  EXPECT_NE(trace().find("13 > frame DCS 00 62 F8"), std::string::npos) << trace();
}

TEST_F(SendClass1Test, DcnFromTheRemoteEndsTheFaxAsFailed) {
  writeFaxFile(dir.file("doc.apf"), {{30, false}, {25, false}});
  fax.SetFaxFile(dir.file("doc.apf"));
  modem::RemoteFaults f;
  f.dcnAfterPage = 1;
  remoteFaults(f);
  ASSERT_TRUE(sendAndWait());
  expectFailed(ecCancelRequested);
  EXPECT_NE(trace().find("34 < frame DCN"), std::string::npos);
}

TEST_F(SendClass1Test, LostCarrierDuringAPageFailsTheFax) {
  writeFaxFile(dir.file("doc.apf"), {{300, false}});
  fax.SetFaxFile(dir.file("doc.apf"));
  modem::RemoteFaults f;
  f.dropDuringPage = 1;
  remoteFaults(f);
  ASSERT_TRUE(sendAndWait());
  EXPECT_LT(finishCode, 0) << trace();
  EXPECT_EQ(logCodes, (std::vector<fax::TFaxLogCode>{fax::LogTransmitStart, fax::LogTransmitFail}));
}

TEST_F(SendClass1Test, ModemErrorDuringTrainingFailsWithBadResponse) {
  writeFaxFile(dir.file("doc.apf"), {{20, false}});
  fax.SetFaxFile(dir.file("doc.apf"));
  modem::ModemFaults f;
  f.errorOn = "+FTM=145";
  modemFaults(f);
  ASSERT_TRUE(sendAndWait());
  expectFailed(ecFaxBadModemResult);
}

TEST_F(SendClass1Test, SlowRepliesAndLineNoiseBeforeAnswersStillDeliver) {
  auto pages = writeFaxFile(dir.file("doc.apf"), {{30, false}, {20, false}});
  fax.SetFaxFile(dir.file("doc.apf"));
  modem::RemoteFaults rf;
  rf.replyDelay = modem::Micros(2000000);
  remoteFaults(rf);
  modem::ModemFaults mf;
  mf.garbageOn = "AT+FRH";
  mf.replyDelay = modem::Micros(100000);
  modemFaults(mf);
  ASSERT_TRUE(sendAndWait());
  expectDelivered(pages);
}

TEST_F(SendClass1Test, NoCommonSpeedAtADesiredRateBelow2400) {
  writeFaxFile(dir.file("doc.apf"), {{20, false}});
  fax.SetFaxFile(dir.file("doc.apf"));
  fax.SetDesiredBPS(1200);
  ASSERT_TRUE(sendAndWait());
  expectFailed(ecFaxTrainError);
}

TEST_F(SendClass1Test, AFinePageToARemoteWithoutFineIsIncompatible) {
  writeFaxFile(dir.file("doc.apf"), {{20, true}});
  fax.SetFaxFile(dir.file("doc.apf"));
  fax.SetPhoneNumber("556");
  std::unique_ptr<modem::RemoteReceiver> coarse;
  {
    std::lock_guard lock(line.mutex());
    coarse = std::make_unique<modem::RemoteReceiver>(line, "556", "COARSE", modem::makeCapabilities(9600, false));
  }
  ASSERT_TRUE(sendAndWait());
  expectFailed(ecFaxBadMachine);
  std::lock_guard lock(line.mutex());
  coarse.reset();
}

TEST_F(SendClass1Test, APageRefusedThreeTimesFailsTheFaxAsRefused) {
  // Coded data no decoder reads: the remote refuses the page every time.
  faximage::FaxFileWriter w;
  ASSERT_EQ(w.create(dir.file("bad.apf")), 0);
  ASSERT_EQ(w.beginPage(faximage::PageFlagLengthWords), 0);
  std::vector<std::uint8_t> junk(40);
  for (int r = 0; r < 200; ++r) {
    for (std::size_t i = 0; i < junk.size(); ++i) junk[i] = static_cast<std::uint8_t>((r * 131 + i * 29) | 0x41);
    ASSERT_EQ(w.writeRecord(junk.data(), junk.size()), 0);
  }
  ASSERT_EQ(w.endPage(), 0);
  ASSERT_EQ(w.finish("QUILLON TEST", 0), 0);
  fax.SetFaxFile(dir.file("bad.apf"));
  ASSERT_TRUE(sendAndWait());
  expectFailed(ecFaxPageRefused);
  EXPECT_EQ(linesWith("page refused"),
            "34 page refused: sent again at 12000\n34 page refused: sent again at 9600\n"
            "34 page refused again: the fax fails\n");
  EXPECT_EQ(remote.lastFax().pages.size(), 0u);
}

}  // namespace
