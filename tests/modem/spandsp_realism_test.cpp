// The twins of realism_test.cpp against SpanDSP: the same DTE scripts, with SpanDSP's fax
// terminal (over the virtual line, or behind SpanDSP's own Class 1 modem over audio) as the
// other side, end the way the emulator's cases do.
#include <gtest/gtest.h>

#include "class1_sender.h"
#include "modem/spandsp_audio_modem.h"
#include "modem/spandsp_fax_machine.h"
#include "support/temp_dir.h"
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
