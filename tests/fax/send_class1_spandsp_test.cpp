// Class 1 sending to SpanDSP's fax terminal, an independent T.30 implementation, through the
// emulated Class 1 modem: every page arrives with no bad rows at the speed asked for, and its
// pixels are the source's below the blank top margin.
#include <gtest/gtest.h>

#include "errors/error_codes.h"
#include "fax_line_fixture.h"
#include "faximage/fax_unpacker.h"
#include "faximage/tiff_fax/tiff_fax.h"
#include "modem/spandsp_fax_machine.h"

using namespace quillon;
using namespace quillon::test;

namespace {

struct Case {
  int bps;
  bool fine;
  int pages;
};

// SpanDSP's terminal keeps its own clock, so the line runs in real time.
class SendClass1SpanDsp : public FaxLineTest, public ::testing::WithParamInterface<Case> {
 protected:
  SendClass1SpanDsp() : FaxLineTest(1.0) {}
  void SetUp() override {
    std::lock_guard lock(line.mutex());
    spandsp = std::make_unique<modem::SpanDspFaxMachine>(line, modem::SpanDspFaxMachine::Role::Receiver, "556",
                                                          "SPANDSP RX", dir.file("rx.tif"));
  }
  void TearDown() override {
    std::lock_guard lock(line.mutex());
    spandsp.reset();
  }
  bool spandspFinished() {
    std::lock_guard lock(line.mutex());
    return spandsp->finished();
  }
  // The rows of every page of a fax file, as decoded.
  std::vector<std::vector<std::vector<std::uint8_t>>> decodedPages(const std::string& file) {
    std::vector<std::vector<std::vector<std::uint8_t>>> pages;
    faximage::TApdFaxUnpacker unpacker;
    unpacker.Loading = true;
    unpacker.AutoScaleMode = faximage::asNone;
    unpacker.SetInFileName(file);
    unpacker.OnOutputLine = [&](faximage::TApdFaxUnpacker&, bool starting, bool ending, const std::uint8_t* data,
                                int len, int) {
      if (starting) pages.emplace_back();
      if (!starting && !ending && !pages.empty()) pages.back().emplace_back(data, data + std::min(len, 216));
    };
    int count = unpacker.FilePageCount();
    for (int p = 1; p <= count; ++p) EXPECT_EQ(unpacker.UnpackPage(static_cast<unsigned>(p)), 0);
    return pages;
  }
  std::unique_ptr<modem::SpanDspFaxMachine> spandsp;
};

TEST_P(SendClass1SpanDsp, PagesArriveWholeAtTheSpeedAskedFor) {
  Case c = GetParam();
  std::vector<std::pair<int, bool>> layout;
  for (int p = 0; p < c.pages; ++p) layout.push_back({40 + 10 * p, c.fine});
  writeFaxFile(dir.file("doc.apf"), layout, 3);
  fax.SetFaxClass(fax::fcClass1);
  fax.SetPhoneNumber("556");
  fax.SetDesiredBPS(static_cast<unsigned>(c.bps));
  fax.SetFaxFile(dir.file("doc.apf"));
  fax.SetDialWait(60);  // it answers on the second ring
  ASSERT_TRUE(sendAndWait(std::chrono::seconds(150)));
  EXPECT_EQ(finishCode, 0);
  EXPECT_EQ(fax.LineRate(), c.bps);
  ASSERT_TRUE(loop.runUntil([this] { return spandspFinished(); }, std::chrono::seconds(20)));
  std::lock_guard lock(line.mutex());
  const modem::SpanDspOutcome& out = spandsp->outcome();
  EXPECT_EQ(out.completion, 0) << spandsp->completionText();
  EXPECT_EQ(out.pages, c.pages);
  EXPECT_EQ(out.badRows, 0);
  EXPECT_EQ(out.bitRate, c.bps);
  EXPECT_EQ(out.remoteId, "QUILLON TEST");

  ASSERT_EQ(faximage::ImportTiffToFax(dir.file("rx.tif"), dir.file("rx.apf")), 0);
  auto got = decodedPages(dir.file("rx.apf"));
  auto sent = decodedPages(dir.file("doc.apf"));
  ASSERT_EQ(got.size(), static_cast<std::size_t>(c.pages));
  ASSERT_EQ(sent.size(), got.size());
  for (int p = 0; p < c.pages; ++p) {
    // Eight blank lines of top margin, then the page's own rows.
    ASSERT_EQ(got[p].size(), sent[p].size() + 8) << "page " << p + 1;
    for (int r = 0; r < 8; ++r) EXPECT_EQ(got[p][r], std::vector<std::uint8_t>(216, 0)) << "page " << p + 1;
    for (std::size_t r = 0; r < sent[p].size(); ++r)
      ASSERT_EQ(got[p][r + 8], sent[p][r]) << "page " << p + 1 << " row " << r;
  }
}

INSTANTIATE_TEST_SUITE_P(Speeds, SendClass1SpanDsp,
                         ::testing::Values(Case{14400, false, 1}, Case{14400, true, 3}, Case{9600, false, 3},
                                           Case{4800, true, 1}),
                         [](const auto& info) {
                           return std::to_string(info.param.bps) + (info.param.fine ? "Fine" : "Standard") +
                                  std::to_string(info.param.pages) + "Pages";
                         });

}  // namespace
