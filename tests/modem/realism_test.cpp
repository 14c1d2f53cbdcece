// Where a real line refuses what a careless engine does: page data a fax machine cannot
// decode, carriers trained the wrong way, a DTE that outruns the modem, a line with delay
// and both sides talking at once. Each case has a twin against SpanDSP in
// spandsp_realism_test.cpp that ends the same way.
#include <gtest/gtest.h>

#include "class1_sender.h"
#include "dte_script.h"
#include "modem/page_judge.h"
#include "modem/remote_fax.h"
#include "t4_pages.h"

using namespace quillon::modem;
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
