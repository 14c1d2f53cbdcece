// The twins of realism_test.cpp against SpanDSP: the same DTE scripts, with SpanDSP's fax
// terminal (over the virtual line, or behind SpanDSP's own Class 1 modem over audio) as the
// other side, end the way the emulator's cases do.
#include <gtest/gtest.h>

#include "class1_sender.h"
#include "modem/fax_files.h"
#include "modem/remote_fax.h"
#include "modem/spandsp_audio_modem.h"
#include "modem/spandsp_fax_machine.h"
#include "support/temp_dir.h"
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

// SpanDSP's T.31 modem with its fax terminal behind it, driven by a DTE script.
struct AudioBench {
  quillon::test::TempDir dir;
  PhoneLine line;
  SpanDspAudioModem modem;
  DteScript dte;
  explicit AudioBench(SpanDspAudioModem::Remote remote)
      : modem(line.scheduler(), remote, "SPANDSP", dir.file("fax.tif")),
        dte(line, [this](const std::string& b) { modem.fromDte(b); }, [this] { return modem.toDte(); }) {
    EXPECT_EQ(dte.at("ATE0"), "OK");
    EXPECT_EQ(dte.at("AT+FCLASS=1"), "OK");
  }
};

// A TIFF file for SpanDSP's sender: the sample page as SpanDSP's own receiver stores it.
void makeSampleTiff(const std::string& file) {
  PhoneLine line;
  SpanDspFaxMachine rx(line, SpanDspFaxMachine::Role::Receiver, "555", "SPANDSP", file);
  RemoteSender tx(line, "QUILLON", {samplePage(false)});
  tx.call("555");
  for (int i = 0; i < 3000 && !rx.finished(); ++i) line.run(ms(100));
  ASSERT_EQ(rx.outcome().pages, 1);
}

}  // namespace

TEST(SpanDspRealism, ReceiverAnswersRtnToPageDataItCannotDecode) {
  AudioBench b(SpanDspAudioModem::Remote::Receiver);
  ASSERT_EQ(b.dte.at("ATDT555"), "CONNECT");
  Class1Sender s{b.dte};
  ASSERT_TRUE(s.readPhaseB());
  ASSERT_EQ(s.train(96, 9600), t30::kCfr);
  EXPECT_EQ(s.page(96, noise(4000), t30::kMps), t30::kRtn);
  ASSERT_EQ(s.train(96, 9600), t30::kCfr);
  EXPECT_EQ(s.page(96, t4Page(4000), t30::kEop), t30::kMcf);
  s.disconnect();
}

TEST(SpanDspRealism, V17PageSentWithTheLongTrainingEarnsRtn) {
  AudioBench b(SpanDspAudioModem::Remote::Receiver);
  ASSERT_EQ(b.dte.at("ATDT555"), "CONNECT");
  Class1Sender s{b.dte};
  ASSERT_TRUE(s.readPhaseB());
  ASSERT_EQ(s.train(145, 14400), t30::kCfr);
  EXPECT_EQ(s.page(145, samplePage(false).data, t30::kMps), t30::kRtn);
  ASSERT_EQ(s.train(145, 14400), t30::kCfr);
  EXPECT_EQ(s.page(146, samplePage(false).data, t30::kEop), t30::kMcf);
  s.disconnect();
}

TEST(SpanDspRealism, V17ReceiverSetForTheLongTrainingNeverTakesAShortOne) {
  for (int pageCode : {145, 146}) {
    AudioBench b(SpanDspAudioModem::Remote::Sender);
    makeSampleTiff(b.dir.file("fax.tif"));
    b.modem.ringIn();
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
      EXPECT_GT(data->size(), 10000u);
    }
  }
}
