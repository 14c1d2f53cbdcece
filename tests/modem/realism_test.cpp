// Where a real line refuses what a careless engine does: page data a fax machine cannot
// decode, carriers trained the wrong way, a DTE that outruns the modem, a line with delay
// and both sides talking at once. Each case has a twin against SpanDSP in
// spandsp_realism_test.cpp that ends the same way.
#include <gtest/gtest.h>

#include "class1_sender.h"
#include "dte_script.h"
#include "modem/fax_files.h"
#include "modem/page_judge.h"
#include "modem/remote_fax.h"
#include "t4_pages.h"

using namespace quillon::modem;
using quillon::modem::test::Class1Receiver;
using quillon::modem::test::Class1Sender;
using quillon::modem::test::DteScript;
using quillon::modem::test::t4Page;

namespace {

std::string noise(std::size_t n) {
  std::string data;
  std::uint32_t state = 99;
  for (std::size_t i = 0; i < n; ++i) data += static_cast<char>((state = state * 1103515245u + 12345u) >> 24);
  return data;
}

struct Class1Bench {
  PhoneLine line;
  EmulatedModem modem{line, "100"};
  DteScript dte{line, modem};
  Class1Bench() {
    EXPECT_EQ(dte.at("ATE0"), "OK");
    EXPECT_EQ(dte.at("AT+FCLASS=1"), "OK");
  }
};

}  // namespace

TEST(PageJudge, CountsLinesBadLinesAndTheEndOfPage) {
  PageQuality good = judgePage(t4Page(6000, 3), 1728);
  EXPECT_GT(good.lines, 50u);
  EXPECT_EQ(good.badLines, 0u);
  EXPECT_TRUE(good.rtc);
  EXPECT_TRUE(good.acceptable());
  // Lines of the wrong width (a 1728-pixel page read as a wide one) are all bad.
  EXPECT_EQ(judgePage(t4Page(3000), 2048).badLines, judgePage(t4Page(3000), 2048).lines);
  EXPECT_FALSE(judgePage(t4Page(3000), 2048).acceptable());
  // Noise has hardly an EOL in it; an empty page has no lines at all.
  EXPECT_FALSE(judgePage(noise(5000), 1728).acceptable());
  EXPECT_FALSE(judgePage("", 1728).acceptable());
  // A page that lost its end still has good lines; one hit in the middle has a bad run.
  std::string page = t4Page(8000, 5);
  PageQuality cut = judgePage(page.substr(0, page.size() / 2), 1728);
  EXPECT_FALSE(cut.rtc);
  EXPECT_TRUE(cut.acceptable());
  std::string hit = page;
  for (std::size_t i = 2000; i < 3500; ++i) hit[i] = static_cast<char>(hit[i] ^ 0x5A);
  PageQuality damaged = judgePage(hit, 1728);
  EXPECT_GT(damaged.badLines, 0u);
  EXPECT_FALSE(damaged.acceptable());
}

TEST(Realism, RemoteReceiverAnswersRtnToPageDataItCannotDecode) {
  Class1Bench b;
  RemoteReceiver remote(b.line, "555", "REMOTE");
  ASSERT_EQ(b.dte.at("ATDT555"), "CONNECT");
  Class1Sender s{b.dte};
  ASSERT_TRUE(s.readPhaseB());
  ASSERT_EQ(s.train(96, 9600), t30::kCfr);
  EXPECT_EQ(s.page(96, noise(4000), t30::kMps), t30::kRtn);
  // The same call goes on: trained again, a good page is confirmed.
  ASSERT_EQ(s.train(96, 9600), t30::kCfr);
  EXPECT_EQ(s.page(96, t4Page(4000), t30::kEop), t30::kMcf);
  s.disconnect();
  EXPECT_EQ(remote.lastFax().pages.size(), 1u);
}

TEST(Realism, Class20ModemReportsThePageQualityItSaw) {
  PhoneLine line;
  EmulatedModem modem(line, "100");
  DteScript dte(line, modem);
  EXPECT_EQ(dte.at("ATE0"), "OK");
  EXPECT_EQ(dte.at("AT+FCLASS=2.0"), "OK");
  RemoteSender sender(line, "CALLER", {{noise(3000), false, false}});
  EXPECT_EQ(dte.at("ATS0=1"), "OK");
  sender.call("100");
  EXPECT_EQ(dte.finalResult(), "RING");
  EXPECT_EQ(dte.finalResult(), "OK");
  EXPECT_EQ(dte.at("AT+FDR"), "CONNECT");
  dte.send(std::string(1, kDc2));
  ASSERT_TRUE(dte.readData());
  EXPECT_EQ(dte.finalResult(), "OK");
  EXPECT_EQ(dte.info().rfind("+FPS:2,", 0), 0u) << dte.info();
}

TEST(Realism, V17PageSentWithTheLongTrainingEarnsRtn) {
  Class1Bench b;
  RemoteReceiver remote(b.line, "555", "REMOTE");
  ASSERT_EQ(b.dte.at("ATDT555"), "CONNECT");
  Class1Sender s{b.dte};
  ASSERT_TRUE(s.readPhaseB());
  // The training check goes with the long training, page data with the short one: a receiver
  // set for the short training takes a long one late and loses the top of the page.
  ASSERT_EQ(s.train(145, 14400), t30::kCfr);
  EXPECT_EQ(s.page(145, samplePage(false).data, t30::kMps), t30::kRtn);
  ASSERT_EQ(s.train(145, 14400), t30::kCfr);
  EXPECT_EQ(s.page(146, samplePage(false).data, t30::kEop), t30::kMcf);
  s.disconnect();
  EXPECT_EQ(remote.lastFax().pages.size(), 1u);
}

TEST(Realism, V17ReceiverSetForTheLongTrainingNeverTakesAShortOne) {
  for (int pageCode : {145, 146}) {
    Class1Bench b;
    RemoteSender sender(b.line, "CALLER", {samplePage(false)});
    EXPECT_EQ(b.dte.at("ATS0=0"), "OK");
    sender.call("100");
    ASSERT_TRUE(b.dte.waitFor("RING"));
    Class1Receiver r{b.dte};
    ASSERT_EQ(r.answerAndTrain(145), "") << pageCode;
    ASSERT_TRUE(r.dcs.modulation);
    EXPECT_EQ(r.dcs.modulation->bps, 14400);
    auto data = r.page(pageCode, seconds(10));
    if (pageCode == 145) {
      EXPECT_FALSE(data) << "a long-training receiver took the short training";
    } else {
      ASSERT_TRUE(data);
      EXPECT_EQ(*data, samplePage(false).data);
    }
  }
}

namespace {

// Two emulated modems in a Class 1 call, the caller having read the answerer's DIS.
struct TwoModems {
  PhoneLine line;
  EmulatedModem a{line, "1"}, c{line, "2"};
  DteScript da{line, a}, dc{line, c};
  TwoModems() {
    for (auto* d : {&da, &dc}) EXPECT_EQ(d->at("ATE0+FCLASS=1"), "OK");
    da.send("ATD2\r");
    EXPECT_TRUE(dc.waitFor("RING"));
    EXPECT_EQ(dc.at("ATA"), "CONNECT");
    EXPECT_EQ(da.finalResult(), "CONNECT");
    dc.sendFrame(t30::makeDis(makeCapabilities(9600), true).bytes());
    EXPECT_EQ(dc.finalResult(), "OK");
    EXPECT_TRUE(da.readFrame());
    EXPECT_EQ(da.finalResult(), "OK");
  }
};

}  // namespace

TEST(Realism, LineDelayLetsTheSenderListenBeforeTheAnswerArrives) {
  // What efax does after the training check: the sender waits for 10 ms of silence and
  // listens; the receiver answers the moment its carrier is gone. Over a real line the
  // answer is 20 ms away, so the sender's wait ends first and it hears CFR.
  TwoModems m;
  m.dc.send("AT+FRM=96\r");  // the answerer receives the caller's training check
  m.da.send("AT+FTM=96\r");
  EXPECT_EQ(m.da.finalResult(), "CONNECT");
  EXPECT_EQ(m.dc.finalResult(), "CONNECT");
  m.da.send(std::string(1800, '\0') + std::string("\x10\x03", 2));
  EXPECT_EQ(m.da.finalResult(), "OK");
  m.da.send("AT+FRS=1\r");
  ASSERT_TRUE(m.dc.readData());
  EXPECT_EQ(m.dc.finalResult(), "NO CARRIER");
  EXPECT_EQ(m.dc.at("AT+FTH=3"), "CONNECT");
  m.dc.sendFrame(t30::makeFrame(t30::kCfr, true).bytes());
  EXPECT_EQ(m.da.finalResult(), "OK");  // the silence was there before the answer came
  EXPECT_EQ(m.da.at("AT+FRH=3"), "CONNECT");
  auto cfr = m.da.readFrame();
  ASSERT_TRUE(cfr);
  EXPECT_EQ(t30::fcfBase(static_cast<std::uint8_t>((*cfr)[2])), t30::kCfr);
  EXPECT_EQ(m.dc.finalResult(), "OK");
}

TEST(Realism, FramesSentByBothSidesAtOnceAreLost) {
  TwoModems m;
  // Both sides send a frame at nearly the same time; the caller is done first and listens,
  // but the answerer's frame was on the line while the caller itself was sending.
  EXPECT_EQ(m.da.at("AT+FTH=3"), "CONNECT");
  m.dc.run(ms(300));
  EXPECT_EQ(m.dc.at("AT+FTH=3"), "CONNECT");
  m.da.sendFrame(t30::makeIdFrame(t30::kTsi | 1, "CALLER", true).bytes());
  m.dc.sendFrame(t30::makeIdFrame(t30::kCsi, "ANSWERER", true).bytes());
  EXPECT_EQ(m.da.finalResult(), "OK");
  // The caller hears the answerer's flags, but no frame: the carrier just ends.
  EXPECT_EQ(m.da.at("AT+FRH=3", seconds(5)), "CONNECT");
  EXPECT_EQ(m.da.finalResult(seconds(5)), "NO CARRIER");
  EXPECT_EQ(m.dc.finalResult(), "OK");
  // The answerer missed the caller's frame just the same.
  EXPECT_EQ(m.dc.at("AT+FRH=3", seconds(5)), "(time-out)");
}
