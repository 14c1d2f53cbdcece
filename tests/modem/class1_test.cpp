// Class 1 as the fax engine meets it: framing, result sequencing, carriers, and whole calls
// with remote fax machines and between two emulated modems.
#include <gtest/gtest.h>

#include "class1_sender.h"
#include "dte_script.h"
#include "t4_pages.h"
#include "modem/remote_fax.h"

using namespace quillon::modem;
using quillon::modem::test::Class1Sender;
using quillon::modem::test::DteScript;

namespace {

std::string frame(std::uint8_t fcf, bool last, std::string info = {}) {
  return t30::makeFrame(fcf, last, std::move(info)).bytes();
}

struct Bench {
  PhoneLine line;
  EmulatedModem modem{line, "100"};
  DteScript dte{line, modem};
  Bench() {
    EXPECT_EQ(dte.at("ATE0"), "OK");
    EXPECT_EQ(dte.at("AT+FCLASS=1"), "OK");
  }
};

// Valid page data of about n bytes (it holds DLE bytes, so framing is exercised too).
std::string pageData(std::size_t n) { return quillon::modem::test::t4Page(n); }

}  // namespace

TEST(ModemClass1, AnswersTheCapabilityQueries) {
  Bench b;
  EXPECT_EQ(b.dte.at("AT+FCLASS=?"), "OK");
  EXPECT_EQ(b.dte.info(), "0,1,2,2.0\n");
  EXPECT_EQ(b.dte.at("AT+FTM=?"), "OK");
  EXPECT_EQ(b.dte.info(), "24,48,72,73,74,96,97,98,121,122,145,146\n");
  EXPECT_EQ(b.dte.at("AT+FRH=?"), "OK");
  EXPECT_EQ(b.dte.info(), "3\n");
  EXPECT_EQ(b.dte.at("AT+FCLASS?"), "OK");
  EXPECT_EQ(b.dte.info(), "1\n");
  // Carrier commands need a call; unknown modulations and classes are refused.
  EXPECT_EQ(b.dte.at("AT+FTH=3"), "ERROR");
  EXPECT_EQ(b.dte.at("AT+FCLASS=3"), "ERROR");
  EXPECT_EQ(b.dte.at("AT+FDIS?"), "ERROR");
}

TEST(ModemClass1, ModemWithoutV17ListsOnlyItsCodes) {
  PhoneLine line;
  ModemProfile profile;
  profile.classes = "0,1";
  profile.class1Codes = {24, 48, 72, 96};
  EmulatedModem modem(line, "", profile);
  DteScript dte(line, modem);
  EXPECT_EQ(dte.at("ATE0"), "OK");
  EXPECT_EQ(dte.at("AT+FCLASS=1"), "OK");
  EXPECT_EQ(dte.at("AT+FRM=?"), "OK");
  EXPECT_EQ(dte.info(), "24,48,72,96\n");
  EXPECT_EQ(dte.at("AT+FCLASS=2"), "ERROR");
}

TEST(ModemClass1, SendsAFaxToARemoteReceiver) {
  Bench b;
  RemoteReceiver remote(b.line, "555", "REMOTE 1");
  EXPECT_EQ(b.dte.at("ATDT555"), "CONNECT");
  Class1Sender s{b.dte};
  ASSERT_TRUE(s.readPhaseB());
  EXPECT_EQ(s.remoteId, "REMOTE 1");
  ASSERT_EQ(s.dis.size(), 4u);
  EXPECT_EQ(static_cast<std::uint8_t>(s.dis[1]) & 0x2C, 0x2C);  // V.27ter, V.29 and V.17
  ASSERT_EQ(s.train(96, 9600), t30::kCfr);
  std::string p1 = pageData(3000), p2 = pageData(1500);
  EXPECT_EQ(s.page(96, p1, t30::kMps), t30::kMcf);
  EXPECT_EQ(s.page(96, p2, t30::kEop), t30::kMcf);
  s.disconnect();
  b.dte.run(seconds(1));
  const ReceivedFax& fax = remote.lastFax();
  ASSERT_EQ(fax.pages.size(), 2u);
  EXPECT_EQ(fax.pages[0].data, p1);  // DLE bytes arrive undoubled
  EXPECT_EQ(fax.pages[1].data, p2);
  EXPECT_EQ(fax.remoteId, "SENDER");
  EXPECT_EQ(fax.bps, 9600);
  EXPECT_TRUE(fax.complete);
}

TEST(ModemClass1, RemoteFaultsReachTheEngine) {
  Bench b;
  RemoteReceiver remote(b.line, "555", "REMOTE");
  RemoteFaults faults;
  faults.fttAboveBps = 7200;
  faults.rtnAfterPage = 1;
  remote.setFaults(faults);
  ASSERT_EQ(b.dte.at("ATDT555"), "CONNECT");
  Class1Sender s{b.dte};
  ASSERT_TRUE(s.readPhaseB());
  EXPECT_EQ(s.train(146 - 1, 14400), t30::kFtt);
  EXPECT_EQ(s.train(96, 9600), t30::kFtt);
  EXPECT_EQ(s.train(72, 7200), t30::kCfr);
  EXPECT_EQ(s.page(72, pageData(800), t30::kEop), t30::kRtn);
  s.disconnect();
}

TEST(ModemClass1, FramingDoublesDleAndSequencesConnectAndOk) {
  // Two emulated modems: what one sends with +FTH arrives through +FRH on the other.
  PhoneLine line;
  EmulatedModem a(line, "1"), b(line, "2");
  DteScript da(line, a), db(line, b);
  for (auto* d : {&da, &db}) {
    EXPECT_EQ(d->at("ATE0"), "OK");
    EXPECT_EQ(d->at("AT+FCLASS=1"), "OK");
  }
  da.send("ATD2\r");
  ASSERT_TRUE(db.waitFor("RING"));
  EXPECT_EQ(db.at("ATA"), "CONNECT");  // the answering side transmits first
  EXPECT_EQ(da.finalResult(), "CONNECT");
  std::string info = std::string("\x10\x01\x10", 3);
  db.sendFrame(frame(t30::kCsi, false, info));
  EXPECT_EQ(db.finalResult(), "CONNECT");  // non-final frame: ready for the next one
  db.sendFrame(frame(t30::kDis, true, "\x00\x42\xF9\x00"));
  // The receiver gets the first frame with its DLE bytes doubled, then OK.
  auto raw = da.waitFor(std::string("\x10\x03", 2));
  ASSERT_TRUE(raw);
  std::string expected = frame(t30::kCsi, false, info);
  expected += t30::fcsOf(expected);
  EXPECT_EQ(*raw, dleStuff(expected) + std::string("\x10\x03", 2));
  EXPECT_EQ(da.finalResult(), "OK");
  EXPECT_EQ(db.finalResult(), "OK");  // final frame sent: carrier off
  // The second frame was collected meanwhile and comes at once.
  EXPECT_EQ(da.at("AT+FRH=3"), "CONNECT");
  auto dis = da.readFrame();
  ASSERT_TRUE(dis);
  EXPECT_EQ(dis->substr(0, 3), (frame(t30::kDis, true).substr(0, 3)));
  EXPECT_EQ(da.finalResult(), "OK");

  // High speed: a receiver listening for the wrong carrier gets +FCERROR.
  da.send("AT+FTM=96\r");
  EXPECT_EQ(db.at("AT+FRM=146"), "+FCERROR");
  EXPECT_EQ(da.finalResult(), "CONNECT");
  da.send(std::string(100, '\0') + std::string("\x10\x03", 2));
  EXPECT_EQ(da.finalResult(), "OK");

  // The right carrier: CONNECT, the data with DLE doubled, DLE ETX, NO CARRIER.
  db.send("AT+FRM=96\r");
  db.run(ms(50));
  EXPECT_EQ(da.at("AT+FTM=96"), "CONNECT");
  EXPECT_EQ(db.finalResult(), "CONNECT");
  std::string data = pageData(2000);
  da.send(dleStuff(data) + std::string("\x10\x03", 2));
  auto got = db.readData();
  ASSERT_TRUE(got);
  EXPECT_EQ(*got, data);
  EXPECT_EQ(db.finalResult(), "NO CARRIER");
  EXPECT_EQ(da.finalResult(), "OK");

  // Any character aborts a receive.
  db.send("AT+FRH=3\r");
  db.run(ms(100));
  EXPECT_EQ(db.at("X"), "OK");
  EXPECT_EQ(db.at("AT+FRS=20"), "OK");
  EXPECT_EQ(da.at("AT+FTS=8"), "OK");

  // Hanging up on one side drops the other's carrier.
  EXPECT_TRUE(a.dcd());
  db.send("AT+FRH=3\r");
  db.run(ms(100));
  EXPECT_EQ(da.at("ATH"), "OK");
  EXPECT_EQ(db.finalResult(), "NO CARRIER");
  EXPECT_FALSE(b.dcd());
}

TEST(ModemClass1, ReceivesAFaxFromARemoteSender) {
  Bench b;
  std::vector<FaxPage> pages = {{pageData(2500), false, false}, {pageData(900), false, false}};
  RemoteSender sender(b.line, "CALLER 7", pages);
  EXPECT_EQ(b.dte.at("ATS0=0"), "OK");
  sender.call("100");
  ASSERT_TRUE(b.dte.waitFor("RING"));
  EXPECT_EQ(b.dte.at("ATA"), "CONNECT");
  b.dte.sendFrame(t30::makeIdFrame(t30::kCsi, "QUILLON", false).bytes());
  EXPECT_EQ(b.dte.finalResult(), "CONNECT");
  b.dte.sendFrame(t30::makeDis(makeCapabilities(9600), true).bytes());
  EXPECT_EQ(b.dte.finalResult(), "OK");
  // TSI and DCS.
  std::string tsi, dcs;
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(b.dte.at("AT+FRH=3"), "CONNECT");
    auto f = b.dte.readFrame();
    ASSERT_TRUE(f);
    EXPECT_EQ(b.dte.finalResult(), "OK");
    (i == 0 ? tsi : dcs) = f->substr(0, f->size() - 2);
  }
  EXPECT_EQ(t30::readId(*t30::Frame::parse(tsi)), "CALLER 7");
  auto settings = t30::readDcs(*t30::Frame::parse(dcs));
  ASSERT_TRUE(settings.modulation);
  EXPECT_EQ(settings.modulation->bps, 9600);
  EXPECT_EQ(b.dte.at("AT+FRM=96"), "CONNECT");
  auto tcf = b.dte.readData();
  ASSERT_TRUE(tcf);
  EXPECT_GE(tcf->size(), 1700u);
  EXPECT_EQ(b.dte.finalResult(), "NO CARRIER");
  EXPECT_EQ(b.dte.at("AT+FTH=3"), "CONNECT");
  b.dte.sendFrame(frame(t30::kCfr, true));
  EXPECT_EQ(b.dte.finalResult(), "OK");
  for (std::size_t p = 0; p < pages.size(); ++p) {
    EXPECT_EQ(b.dte.at("AT+FRM=96"), "CONNECT");
    auto data = b.dte.readData();
    ASSERT_TRUE(data);
    EXPECT_EQ(*data, pages[p].data);
    EXPECT_EQ(b.dte.finalResult(), "NO CARRIER");
    EXPECT_EQ(b.dte.at("AT+FRH=3"), "CONNECT");
    auto post = b.dte.readFrame();
    ASSERT_TRUE(post);
    EXPECT_EQ(b.dte.finalResult(), "OK");
    EXPECT_EQ(t30::fcfBase(static_cast<std::uint8_t>((*post)[2])), p + 1 < pages.size() ? t30::kMps : t30::kEop);
    EXPECT_EQ(b.dte.at("AT+FTH=3"), "CONNECT");
    b.dte.sendFrame(frame(t30::kMcf, true));
    EXPECT_EQ(b.dte.finalResult(), "OK");
  }
  EXPECT_EQ(b.dte.at("AT+FRH=3"), "CONNECT");
  auto dcn = b.dte.readFrame();
  ASSERT_TRUE(dcn);
  EXPECT_EQ(t30::fcfBase(static_cast<std::uint8_t>((*dcn)[2])), t30::kDcn);
  b.dte.run(seconds(2));
  EXPECT_TRUE(sender.finished());
  EXPECT_EQ(sender.lastHangupCode(), kHangupNormal);
  EXPECT_EQ(sender.pagesConfirmed(), 2);
}

TEST(ModemClass1, RemoteThatHangsUpMidPageDropsTheCarrier) {
  Bench b;
  RemoteReceiver remote(b.line, "555", "REMOTE");
  RemoteFaults faults;
  faults.dropDuringPage = 1;
  remote.setFaults(faults);
  ASSERT_EQ(b.dte.at("ATDT555"), "CONNECT");
  Class1Sender s{b.dte};
  ASSERT_TRUE(s.readPhaseB());
  ASSERT_EQ(s.train(96, 9600), t30::kCfr);
  EXPECT_EQ(b.dte.at("AT+FTM=96"), "CONNECT");
  b.dte.send(pageData(20000));
  EXPECT_EQ(b.dte.finalResult(), "NO CARRIER");
  EXPECT_FALSE(b.modem.dcd());
}

TEST(ModemClass1, FlowControlHoldsBackADteThatSendsTooFast) {
  Bench b;
  RemoteReceiver remote(b.line, "555", "REMOTE");
  EXPECT_EQ(b.dte.at("AT&K4"), "OK");  // XON/XOFF towards the DTE
  ASSERT_EQ(b.dte.at("ATDT555"), "CONNECT");
  Class1Sender s{b.dte};
  ASSERT_TRUE(s.readPhaseB());
  ASSERT_EQ(s.train(24, 2400), t30::kCfr);
  ASSERT_EQ(b.dte.at("AT+FTM=24"), "CONNECT");
  // A page far bigger than the buffer at 2400 bit/s: the modem says XOFF ...
  std::string page = dleStuff(pageData(40000));
  b.dte.send(page.substr(0, 3500));
  ASSERT_TRUE(b.dte.waitFor(std::string(1, kXoff), seconds(1)));
  EXPECT_TRUE(b.modem.cts());  // &K4 holds the DTE with XOFF alone
  // ... and says XON once the line has taken most of it; a DTE that waits for it loses nothing.
  ASSERT_TRUE(b.dte.waitFor(std::string(1, kXon), seconds(200)));
  EXPECT_TRUE(b.modem.cts());
  b.dte.sendHeedingXoff(page.substr(3500));
  EXPECT_EQ(b.modem.lostFromDte(), 0u);
  b.dte.send(std::string("\x10\x03", 2));
  EXPECT_EQ(b.dte.finalResult(), "OK");
  EXPECT_EQ(remote.lastFax().pages.size(), 0u);  // the page waits for its post-page message
  EXPECT_EQ(s.page(24, "", t30::kEop), t30::kMcf);
}

TEST(ModemClass1, ReceiverRepeatsDisAndGivesUpOnASilentCaller) {
  Bench b;
  RemoteReceiver remote(b.line, "555", "REMOTE");
  ASSERT_EQ(b.dte.at("ATDT555"), "CONNECT");
  Class1Sender s{b.dte};
  ASSERT_TRUE(s.readPhaseB());
  // The caller never answers: the DIS comes again (three times in all), then the line drops.
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(b.dte.at("AT+FRH=3"), "CONNECT");
    ASSERT_TRUE(s.readPhaseB());
  }
  EXPECT_EQ(b.dte.at("AT+FRH=3"), "NO CARRIER");
  EXPECT_EQ(remote.lastHangupCode(), kHangupPhaseBRx);
}

TEST(ModemClass1, AReceiverThatListensLateMissesTheTraining) {
  PhoneLine line;
  EmulatedModem a(line, "1"), c(line, "2");
  DteScript da(line, a), dc(line, c);
  for (auto* d : {&da, &dc}) EXPECT_EQ(d->at("ATE0+FCLASS=1"), "OK");
  da.send("ATD2\r");
  ASSERT_TRUE(dc.waitFor("RING"));
  EXPECT_EQ(dc.at("ATA"), "CONNECT");
  EXPECT_EQ(da.finalResult(), "CONNECT");
  dc.sendFrame(frame(t30::kDis, true, "\x00\x46\xF9\x00"));
  EXPECT_EQ(dc.finalResult(), "OK");
  ASSERT_TRUE(da.readFrame());
  EXPECT_EQ(da.finalResult(), "OK");
  // V.17 long training takes 1.4 s; +FRM two seconds after the carrier started is too late,
  // and the receiver waits for the next carrier.
  EXPECT_EQ(da.at("AT+FTM=145"), "CONNECT");
  dc.run(seconds(2));
  dc.send("AT+FRM=145\r");
  da.send(std::string(3000, '\0') + std::string("\x10\x03", 2));
  EXPECT_EQ(da.finalResult(), "OK");
  dc.run(seconds(2));
  EXPECT_EQ(c.toDte(), "");
  EXPECT_EQ(dc.at("X"), "OK");
}
