// Class 2 and Class 2.0 call flows between an emulated modem driven like the fax engine
// drives it and remote fax machines on the line.
#include <gtest/gtest.h>

#include "dte_script.h"
#include "t4_pages.h"
#include "modem/remote_fax.h"

using namespace quillon::modem;
using quillon::modem::test::DteScript;

namespace {

std::string pageData(std::size_t n, int seed) { return quillon::modem::test::t4Page(n, seed); }

std::string reversed(const std::string& data) {
  std::string out;
  for (char c : data) out += static_cast<char>(reverseBits(static_cast<std::uint8_t>(c)));
  return out;
}

struct Bench {
  PhoneLine line;
  EmulatedModem modem{line, "100"};
  DteScript dte{line, modem};
  explicit Bench(const std::string& fclass) {
    EXPECT_EQ(dte.at("ATE0"), "OK");
    EXPECT_EQ(dte.at("AT+FCLASS=" + fclass), "OK");
  }
};

}  // namespace

TEST(ModemClass2, SendsTwoPagesToARemoteReceiver) {
  Bench b("2");
  RemoteReceiver remote(b.line, "555", "REMOTE 2");
  EXPECT_EQ(b.dte.at("AT+FLID=\"QUILLON\""), "OK");
  EXPECT_EQ(b.dte.at("AT+FDIS=0,3,0,2,0,0,0,0"), "OK");
  EXPECT_EQ(b.dte.at("ATDT555"), "OK");
  EXPECT_EQ(b.dte.info(), "+FCON\n+FCSI:\"            REMOTE 2\"\n+FDIS:1,5,0,2,0,0,0,0\n");
  std::string pages[] = {pageData(3000, 1), pageData(2000, 2)};
  for (int p = 0; p < 2; ++p) {
    EXPECT_EQ(b.dte.at("AT+FDT"), "CONNECT");
    if (p == 0) {
      EXPECT_EQ(b.dte.info(), "+FDCS:0,3,0,2,0,0,0,0\n");
    }
    // The modem asks for the data with XON.
    ASSERT_TRUE(b.dte.waitFor(std::string(1, kXon)));
    b.dte.send(dleStuff(pages[p]) + std::string("\x10\x03", 2));
    EXPECT_EQ(b.dte.finalResult(), "OK");
    EXPECT_EQ(b.dte.at(p == 0 ? "AT+FET=0" : "AT+FET=2"), "OK");
    EXPECT_EQ(b.dte.info(), p == 0 ? "+FPTS:1\n" : "+FPTS:1\n+FHNG:0\n");
  }
  EXPECT_FALSE(b.modem.dcd());
  const ReceivedFax& fax = remote.lastFax();
  ASSERT_EQ(fax.pages.size(), 2u);
  EXPECT_EQ(fax.pages[0].data, pages[0]);
  EXPECT_EQ(fax.pages[1].data, pages[1]);
  EXPECT_EQ(fax.remoteId, "QUILLON");
  EXPECT_EQ(fax.bps, 9600);
}

TEST(ModemClass2, PageRefusedWithRtnIsReportedAndCanBeSentAgain) {
  Bench b("2");
  RemoteReceiver remote(b.line, "555", "REMOTE");
  RemoteFaults faults;
  faults.rtnAfterPage = 1;
  remote.setFaults(faults);
  ASSERT_EQ(b.dte.at("ATDT555"), "OK");
  for (const char* expected : {"+FPTS:2\n", "+FPTS:1\n+FHNG:0\n"}) {
    ASSERT_EQ(b.dte.at("AT+FDT"), "CONNECT");
    ASSERT_TRUE(b.dte.waitFor(std::string(1, kXon)));
    b.dte.send(dleStuff(pageData(1000, 3)) + std::string("\x10\x03", 2));
    EXPECT_EQ(b.dte.finalResult(), "OK");
    EXPECT_EQ(b.dte.at("AT+FET=2"), "OK");
    EXPECT_EQ(b.dte.info(), expected);
  }
  EXPECT_EQ(remote.lastFax().pages.size(), 1u);
}

TEST(ModemClass2, DcnFromTheRemoteEndsTheCallWithAHangupReport) {
  Bench b("2");
  RemoteReceiver remote(b.line, "555", "REMOTE");
  RemoteFaults faults;
  faults.dcnAfterPage = 1;
  remote.setFaults(faults);
  ASSERT_EQ(b.dte.at("ATDT555"), "OK");
  ASSERT_EQ(b.dte.at("AT+FDT"), "CONNECT");
  ASSERT_TRUE(b.dte.waitFor(std::string(1, kXon)));
  b.dte.send(dleStuff(pageData(500, 4)) + std::string("\x10\x03", 2));
  EXPECT_EQ(b.dte.finalResult(), "OK");
  EXPECT_EQ(b.dte.at("AT+FET=0"), "OK");
  EXPECT_EQ(b.dte.info(), "+FHNG:22\n");
}

TEST(ModemClass2, ReceivesPagesWithTheBitOrderReversed) {
  Bench b("2");
  EXPECT_EQ(b.dte.at("AT+FCR=1"), "OK");
  EXPECT_EQ(b.dte.at("AT+FLID=\"QUILLON\""), "OK");
  EXPECT_EQ(b.dte.at("AT+FAA=0"), "OK");
  EXPECT_EQ(b.dte.at("AT+FDCC=1,3,0,2,0,0,0,0"), "OK");
  std::vector<FaxPage> pages = {{pageData(2500, 5), false, false}, {pageData(1200, 6), false, false}};
  RemoteSender sender(b.line, "CALLER", pages);
  sender.call("100");
  ASSERT_TRUE(b.dte.waitFor("RING"));
  EXPECT_EQ(b.dte.at("ATA"), "OK");
  EXPECT_EQ(b.dte.info(), "+FCON\n+FTSI:\"              CALLER\"\n+FDCS:0,3,0,2,0,0,0,0\n");
  for (std::size_t p = 0; p < pages.size(); ++p) {
    EXPECT_EQ(b.dte.at("AT+FDR"), "CONNECT");
    b.dte.send(std::string(1, kDc2));
    auto data = b.dte.readData();
    ASSERT_TRUE(data);
    EXPECT_EQ(*data, reversed(pages[p].data));
    EXPECT_EQ(b.dte.finalResult(), "OK");
    EXPECT_EQ(b.dte.info(), p == 0 ? "+FPTS:1\n+FET:0\n" : "+FPTS:1\n+FET:2\n");
  }
  EXPECT_EQ(b.dte.at("AT+FDR"), "OK");
  EXPECT_EQ(b.dte.info(), "+FHNG:0\n");
  EXPECT_EQ(sender.lastHangupCode(), kHangupNormal);
  EXPECT_EQ(sender.pagesConfirmed(), 2);
}

TEST(ModemClass20, SendsWithDleEndingsAndPageReports) {
  Bench b("2.0");
  RemoteReceiver remote(b.line, "555", "REMOTE 3");
  for (const char* cmd : {"AT+FLI=\"QUILLON\"", "AT+FLO=2", "AT+FNR=1,1,1,0", "AT+FIS=1,5,0,2,0,0,0,0"})
    EXPECT_EQ(b.dte.at(cmd), "OK") << cmd;
  EXPECT_EQ(b.dte.at("ATDT555"), "OK");
  EXPECT_EQ(b.dte.info(), "+FCO\n+FCI:\"            REMOTE 3\"\n+FIS:1,5,0,2,0,0,0,0,0\n");
  std::string pages[] = {pageData(1800, 7), pageData(900, 8)};
  EXPECT_EQ(b.dte.at("AT+FDT"), "CONNECT");
  EXPECT_EQ(b.dte.info(), "+FCS:1,5,0,2,0,0,0,0,0\n");
  b.dte.send(dleStuff(pages[0]) + "\x10,");
  EXPECT_EQ(b.dte.finalResult(), "OK");
  EXPECT_EQ(b.dte.info(), "+FPS:1,0,0,0,0\n");
  EXPECT_EQ(b.dte.at("AT+FDT"), "CONNECT");
  b.dte.send(dleStuff(pages[1]) + "\x10.");
  EXPECT_EQ(b.dte.finalResult(), "OK");
  EXPECT_EQ(b.dte.info(), "+FPS:1,0,0,0,0\n+FHS:00\n");
  const ReceivedFax& fax = remote.lastFax();
  ASSERT_EQ(fax.pages.size(), 2u);
  EXPECT_EQ(fax.pages[1].data, pages[1]);
  EXPECT_TRUE(fax.pages[0].fine);
  EXPECT_EQ(fax.bps, 14400);
}

TEST(ModemClass20, ReceivesPagesInTheirOwnBitOrder) {
  Bench b("2.0");
  std::vector<FaxPage> pages = {{pageData(1500, 9), true, false}};
  RemoteSender sender(b.line, "CALLER", pages);
  EXPECT_EQ(b.dte.at("ATS0=2"), "OK");  // auto-answer on the second ring
  sender.call("100");
  EXPECT_EQ(b.dte.finalResult(), "RING");
  EXPECT_EQ(b.dte.finalResult(), "RING");
  EXPECT_EQ(b.dte.finalResult(), "OK");
  EXPECT_EQ(b.dte.info(), "+FCO\n+FTI:\"              CALLER\"\n+FCS:1,5,0,2,0,0,0,0,0\n");
  EXPECT_EQ(b.dte.at("AT+FDR"), "CONNECT");
  b.dte.send(std::string(1, kDc2));
  auto data = b.dte.readData();
  ASSERT_TRUE(data);
  EXPECT_EQ(*data, pages[0].data);
  EXPECT_EQ(b.dte.finalResult(), "OK");
  // The modem's own check of the page: 25 lines, none of them bad.
  EXPECT_EQ(b.dte.info(), "+FPS:1,25,0,0,0\n+FET:2\n");
  EXPECT_EQ(b.dte.at("AT+FDR"), "OK");
  EXPECT_EQ(b.dte.info(), "+FHS:00\n");
}

TEST(ModemClass2, ModemFaults) {
  Bench b("2");
  RemoteReceiver remote(b.line, "555", "REMOTE");
  ModemFaults faults;
  faults.errorOn = "+FDIS";
  faults.hangupCode = 50;
  faults.unplugAfterPageBytes = 1000;
  b.modem.setFaults(faults);
  EXPECT_EQ(b.dte.at("AT+FDIS=0,3,0,2,0,0,0,0"), "ERROR");
  ASSERT_EQ(b.dte.at("ATDT555"), "OK");
  ASSERT_EQ(b.dte.at("AT+FDT"), "CONNECT");
  // The USB modem is pulled out in the middle of the page: no more answers, DSR gone, and the
  // remote machine loses the line.
  b.dte.send(pageData(4000, 10));
  b.dte.run(seconds(1));
  EXPECT_TRUE(b.modem.vanished());
  EXPECT_FALSE(b.modem.dsr());
  EXPECT_EQ(b.dte.at("AT"), "(time-out)");
  b.dte.run(seconds(10));
  EXPECT_FALSE(remote.inCall());
  EXPECT_EQ(remote.lastHangupCode(), kHangupLineLost);
}

TEST(ModemClass2, ForcedHangupCodeIsReported) {
  Bench b("2");
  RemoteReceiver remote(b.line, "555", "REMOTE");
  ModemFaults faults;
  faults.hangupCode = 50;
  b.modem.setFaults(faults);
  ASSERT_EQ(b.dte.at("ATDT555"), "OK");
  ASSERT_EQ(b.dte.at("AT+FDT"), "CONNECT");
  b.dte.send(dleStuff(pageData(300, 11)) + std::string("\x10\x03", 2));
  EXPECT_EQ(b.dte.finalResult(), "OK");
  EXPECT_EQ(b.dte.at("AT+FET=2"), "OK");
  EXPECT_EQ(b.dte.info(), "+FPTS:1\n+FHNG:50\n");
}

TEST(ModemClass2, ReceiverJudgingAPageBadMakesTheSenderTrainAndSendItAgain) {
  Bench b("2");
  std::vector<FaxPage> pages = {{pageData(800, 12), false, false}};
  RemoteSender sender(b.line, "CALLER", pages);
  sender.call("100");
  ASSERT_TRUE(b.dte.waitFor("RING"));
  ASSERT_EQ(b.dte.at("ATA"), "OK");
  for (const char* status : {"AT+FPTS=2", "AT+FPTS=1"}) {
    ASSERT_EQ(b.dte.at("AT+FDR"), "CONNECT");
    b.dte.send(std::string(1, kDc2));
    ASSERT_TRUE(b.dte.readData());
    EXPECT_EQ(b.dte.finalResult(), "OK");
    EXPECT_EQ(b.dte.at(status), "OK");  // the page status the next +FDR answers with
  }
  EXPECT_EQ(b.dte.at("AT+FDR"), "OK");
  EXPECT_EQ(b.dte.info(), "+FHNG:0\n");
  EXPECT_EQ(sender.pagesConfirmed(), 1);
}

TEST(ModemClass2, DtrDropEndsTheCallQuietly) {
  Bench b("2");
  RemoteReceiver remote(b.line, "555", "REMOTE");
  ASSERT_EQ(b.dte.at("ATDT555"), "OK");
  b.modem.setDtr(false);
  b.dte.run(seconds(10));
  EXPECT_EQ(b.modem.toDte(), "");  // no report: the DTE itself hung up
  EXPECT_FALSE(remote.inCall());
  EXPECT_EQ(remote.lastHangupCode(), kHangupLineLost);
  b.modem.setDtr(true);
  EXPECT_EQ(b.dte.at("AT"), "OK");
}

TEST(ModemClass2, HangupCodesAreNumberedAsTheStandardsDo) {
  // +FK is "call aborted" (2) in both command sets; Class 2.0 writes codes as two hex digits,
  // so the receive phase C codes from 100 up read A0 and on.
  for (const char* fclass : {"2", "2.0"}) {
    Bench b(fclass);
    RemoteReceiver remote(b.line, "555", "REMOTE");
    ASSERT_EQ(b.dte.at("ATDT555"), "OK");
    EXPECT_EQ(b.dte.at("AT+FK"), "OK");
    EXPECT_EQ(b.dte.info(), std::string(fclass) == "2" ? "+FHNG:2\n" : "+FHS:02\n");
  }
  Bench b("2.0");
  RemoteReceiver remote(b.line, "555", "REMOTE");
  ModemFaults faults;
  faults.hangupCode = 100;
  b.modem.setFaults(faults);
  ASSERT_EQ(b.dte.at("ATDT555"), "OK");
  EXPECT_EQ(b.dte.at("AT+FK"), "OK");
  EXPECT_EQ(b.dte.info(), "+FHS:A0\n");
  EXPECT_EQ(b.dte.at("AT+FHS?"), "OK");
  EXPECT_EQ(b.dte.info(), "A0\n");
}
