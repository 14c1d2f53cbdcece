// Fax files as page chains: many pages of mixed kinds, finding pages, chains that leave the
// file, a first page that does not start at 64, and joining or appending files whose pages
// differ in resolution and width.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "fax_test_support.h"
#include "faximage/byte_order.h"
#include "faximage/fax_file.h"
#include "faximage/fax_file_join.h"
#include "faximage/fax_file_writer.h"
#include "faximage/fax_page_reader.h"
#include "faximage/fax_unpacker.h"
#include "faximage/mh_encoder.h"
#include "errors/error_codes.h"
#include "support/temp_dir.h"

namespace quillon::faximage {
namespace {

using test::Line;

struct PageSpec {
  uint16_t flags;
  std::vector<Line> rows;  // of the page's width, 1 = black
};

int widthOf(uint16_t flags) { return flags & PageFlagWide ? 2048 : 1728; }

// Writes the pages as the converter does (line records, then the end-of-page record).
void writePages(const std::string& path, const std::vector<PageSpec>& pages, const std::string& station = "CHAIN") {
  FaxFileWriter w;
  ASSERT_EQ(w.create(path), ecOK);
  uint8_t code[kCodeBufferSize];
  for (const PageSpec& p : pages) {
    ASSERT_EQ(w.beginPage(uint16_t(p.flags | PageFlagLengthWords)), ecOK);
    for (const Line& r : p.rows)
      ASSERT_EQ(w.writeRecord(code, encodeRasterLine({widthOf(p.flags), 0, false}, r.data(), code)), ecOK);
    ASSERT_EQ(w.writeRecord(kEndOfPageRecord, sizeof kEndOfPageRecord), ecOK);
    ASSERT_EQ(w.endPage(), ecOK);
  }
  ASSERT_EQ(w.finish(station, 0), ecOK);
}

// Pages whose kinds cycle through the four resolution/width mixes, with a few random rows.
std::vector<PageSpec> mixedPages(std::mt19937& rng, int count) {
  std::vector<PageSpec> pages;
  for (int i = 0; i < count; ++i) {
    uint16_t flags = uint16_t(i % 4);  // high-res bit 0, wide bit 1
    pages.push_back({flags, test::randomRows(rng, widthOf(flags), 1 + i % 5, 300)});
  }
  return pages;
}

TEST(FaxPageChain, EveryPageOfALongFileIsFoundWithItsFlagsAndLines) {
  quillon::test::TempDir dir;
  std::mt19937 rng(11);
  auto pages = mixedPages(rng, 300);
  const std::string file = dir.file("long.apf");
  writePages(file, pages);
  FaxHeader h;
  ASSERT_EQ(ReadFaxHeader(file, h), ecOK);
  EXPECT_EQ(h.pageCount, 300);
  EXPECT_EQ(h.stationId, "CHAIN");

  // Each page lies right after the previous one's data; the last ends the file.
  uint64_t expectedAt = kFaxHeaderSize + kPageHeaderSize;
  for (unsigned n = 1; n <= pages.size(); ++n) {
    PageHeader p;
    uint64_t at = 0;
    ASSERT_EQ(FindPage(file, n, p, &at), ecOK) << n;
    EXPECT_EQ(at, expectedAt) << n;
    EXPECT_EQ(p.flags, pages[n - 1].flags | PageFlagLengthWords) << n;
    EXPECT_EQ(p.lineWidth(), widthOf(pages[n - 1].flags));
    expectedAt = at + p.dataLength + kPageHeaderSize;
  }
  EXPECT_EQ(expectedAt - kPageHeaderSize, std::filesystem::file_size(file));
  for (unsigned n : {1u, 2u, 3u, 4u, 150u, 299u, 300u})
    EXPECT_EQ(test::pageLines(file, n), pages[n - 1].rows) << n;

  PageHeader p;
  EXPECT_EQ(FindPage(file, 0, p), ecFaxBadFormat);
  EXPECT_EQ(FindPage(file, 301, p), ecFaxBadFormat);
  EXPECT_EQ(FindPage(file, 65535, p), ecFaxBadFormat);
  EXPECT_EQ(FindPage(dir.file("missing.apf"), 1, p), ecFileNotFound);
  EXPECT_EQ(FindPage("", 1, p), ecFileNotFound);
}

TEST(FaxPageChain, ChainsThatLeaveTheFileAreRefusedNotFollowed) {
  quillon::test::TempDir dir;
  std::mt19937 rng(5);
  const std::string file = dir.file("cut.apf");
  writePages(file, mixedPages(rng, 3));
  std::string bytes = dir.read("cut.apf");
  PageHeader p;
  uint64_t third = 0;
  ASSERT_EQ(FindPage(file, 3, p, &third), ecOK);

  // The file cut inside the third page's header: pages 1 and 2 are still there.
  dir.write("cut.apf", bytes.substr(0, size_t(third) - 8));
  EXPECT_EQ(FindPage(file, 2, p), ecOK);
  EXPECT_EQ(FindPage(file, 3, p), ecFaxBadFormat);
  // Cut inside the third page's data: the page is found, but decoding it runs out of data
  // before its end-of-page record and says so.
  dir.write("cut.apf", bytes.substr(0, size_t(third) + 10));
  EXPECT_EQ(FindPage(file, 3, p), ecOK);
  TApdFaxUnpacker u;
  u.Loading = true;  // statuses instead of exceptions
  u.SetInFileName(file);
  EXPECT_EQ(u.UnpackPage(3), ecFaxBadFormat);
  EXPECT_EQ(u.UnpackPage(2), ecOK);

  // A data length that points far past the end.
  std::string huge = bytes;
  putLe32(reinterpret_cast<uint8_t*>(huge.data()) + kFaxHeaderSize, 0xFFFFFFF0u);
  dir.write("huge.apf", huge);
  EXPECT_EQ(FindPage(dir.file("huge.apf"), 1, p), ecOK);
  EXPECT_EQ(FindPage(dir.file("huge.apf"), 2, p), ecFaxBadFormat);
  EXPECT_EQ(AppendFaxFile(dir.file("huge.apf"), file), ecFaxBadFormat);

  // A first-page offset past the end, and a header cut short.
  std::string far = bytes;
  putLe32(reinterpret_cast<uint8_t*>(far.data()) + 34, 0x7FFFFFFFu);
  dir.write("far.apf", far);
  EXPECT_EQ(FindPage(dir.file("far.apf"), 1, p), ecFaxBadFormat);
  dir.write("short.apf", bytes.substr(0, 40));
  FaxHeader h;
  EXPECT_EQ(ReadFaxHeader(dir.file("short.apf"), h), ecFaxBadFormat);
  EXPECT_TRUE(IsFaxFile(dir.file("short.apf")));
  EXPECT_FALSE(IsFaxFile(dir.file("none.apf")));
}

TEST(FaxPageChain, PageAfterPageWalksTheChainOnceAndAChangedFileIsWalkedAnew) {
  quillon::test::TempDir dir;
  std::mt19937 rng(21);
  auto pages = mixedPages(rng, 300);
  const std::string file = dir.file("many.apf");
  writePages(file, pages);
  FaxPageReader reader;
  ASSERT_EQ(reader.open(file), ecOK);
  for (unsigned n = 1; n <= 300; ++n) {
    ASSERT_EQ(reader.findPage(n), ecOK);
    ASSERT_EQ(reader.page().flags, pages[n - 1].flags | PageFlagLengthWords) << n;
  }
  EXPECT_EQ(reader.pageHeadersRead(), 300u);
  ASSERT_EQ(reader.findPage(300), ecOK);  // the same page again: its header only
  EXPECT_EQ(reader.pageHeadersRead(), 301u);
  ASSERT_EQ(reader.findPage(5), ecOK);    // backwards: from the first page
  EXPECT_EQ(reader.pageHeadersRead(), 306u);

  // One unpacker decoding page after page, then the file replaced by other pages under the
  // same name: the remembered place in the old chain is not used for the new one.
  TApdFaxUnpacker u;
  u.Loading = true;
  u.AutoScaleMode = asNone;
  u.SetInFileName(file);
  std::vector<test::Line> lines;
  u.OnOutputLine = [&](TApdFaxUnpacker&, bool s, bool e, const uint8_t* d, int n, int) {
    if (!s && !e) lines.emplace_back(d, d + n);
  };
  for (unsigned n : {1u, 2u, 3u, 150u, 151u, 300u}) {
    lines.clear();
    ASSERT_EQ(u.UnpackPage(n), ecOK);
    EXPECT_EQ(lines, pages[n - 1].rows) << n;
  }
  auto others = mixedPages(rng, 300);
  writePages(file, others);
  for (unsigned n : {151u, 152u}) {
    lines.clear();
    ASSERT_EQ(u.UnpackPage(n), ecOK);
    EXPECT_EQ(lines, others[n - 1].rows) << n;
  }
}

// The same file with `gap` bytes between the header and the first page, and the header's
// first-page offset saying so.
std::string withGap(const std::string& bytes, size_t gap) {
  std::string out = bytes.substr(0, kFaxHeaderSize) + std::string(gap, '\x5A') + bytes.substr(kFaxHeaderSize);
  putLe32(reinterpret_cast<uint8_t*>(out.data()) + 34, uint32_t(kFaxHeaderSize + gap));
  return out;
}

TEST(FaxPageChain, TheFirstPageOffsetIsTakenFromTheHeader) {
  quillon::test::TempDir dir;
  std::mt19937 rng(9);
  auto pages = mixedPages(rng, 4);
  writePages(dir.file("plain.apf"), pages);
  dir.write("gap.apf", withGap(dir.read("plain.apf"), 100));
  const std::string gap = dir.file("gap.apf");
  PageHeader p;
  uint64_t at = 0;
  ASSERT_EQ(FindPage(gap, 1, p, &at), ecOK);
  EXPECT_EQ(at, kFaxHeaderSize + 100 + kPageHeaderSize);
  for (unsigned n = 1; n <= 4; ++n) EXPECT_EQ(test::pageLines(gap, n), pages[n - 1].rows) << n;

  // Appending to and from such files copies pages only, never the bytes of the gap.
  writePages(dir.file("dest.apf"), {pages[0]});
  const auto destBefore = std::filesystem::file_size(dir.file("dest.apf"));
  ASSERT_EQ(AppendFaxFile(dir.file("dest.apf"), gap), ecOK);
  ASSERT_EQ(AppendFaxFile(gap, dir.file("plain.apf")), ecOK);
  FaxHeader h;
  ASSERT_EQ(ReadFaxHeader(dir.file("dest.apf"), h), ecOK);
  EXPECT_EQ(h.pageCount, 5);
  EXPECT_EQ(std::filesystem::file_size(dir.file("dest.apf")),
            destBefore + std::filesystem::file_size(dir.file("plain.apf")) - kFaxHeaderSize);
  for (unsigned n = 2; n <= 5; ++n) EXPECT_EQ(test::pageLines(dir.file("dest.apf"), n), pages[n - 2].rows) << n;
  ASSERT_EQ(ReadFaxHeader(gap, h), ecOK);
  EXPECT_EQ(h.pageCount, 8);
  EXPECT_EQ(h.firstPageOffset, kFaxHeaderSize + 100);
  for (unsigned n = 1; n <= 8; ++n) EXPECT_EQ(test::pageLines(gap, n), pages[(n - 1) % 4].rows) << n;
}

TEST(FaxFileJoin, PagesKeepTheirOwnResolutionAndWidth) {
  quillon::test::TempDir dir;
  std::mt19937 rng(3);
  std::vector<PageSpec> fineWide = {{PageFlagHighRes | PageFlagWide, test::randomRows(rng, 2048, 3, 200)}};
  std::vector<PageSpec> standardNormal = {{0, test::randomRows(rng, 1728, 2, 200)},
                                          {0, test::randomRows(rng, 1728, 4, 200)}};
  std::vector<PageSpec> standardWide = {{PageFlagWide, test::randomRows(rng, 2048, 5, 200)}};
  writePages(dir.file("a.apf"), fineWide, "FIRST STATION");
  writePages(dir.file("b.apf"), standardNormal, "SECOND");
  writePages(dir.file("c.apf"), standardWide, "THIRD");
  std::vector<PageSpec> all = fineWide;
  all.insert(all.end(), standardNormal.begin(), standardNormal.end());
  all.insert(all.end(), standardWide.begin(), standardWide.end());

  auto check = [&](const std::string& file, const std::vector<PageSpec>& expected) {
    FaxHeader h;
    ASSERT_EQ(ReadFaxHeader(file, h), ecOK);
    ASSERT_EQ(h.pageCount, expected.size());
    EXPECT_EQ(h.stationId, "FIRST STATION");
    for (unsigned n = 1; n <= expected.size(); ++n) {
      PageHeader p;
      ASSERT_EQ(FindPage(file, n, p), ecOK);
      EXPECT_EQ(p.flags, expected[n - 1].flags | PageFlagLengthWords) << n;
      EXPECT_EQ(test::pageLines(file, n), expected[n - 1].rows) << n;
    }
  };
  ASSERT_EQ(JoinFaxFiles({dir.file("a.apf"), dir.file("b.apf"), dir.file("c.apf")}, dir.file("j.apf")), ecOK);
  check(dir.file("j.apf"), all);
  ASSERT_EQ(AppendFaxFile(dir.file("a.apf"), dir.file("b.apf")), ecOK);
  ASSERT_EQ(AppendFaxFile(dir.file("a.apf"), dir.file("c.apf")), ecOK);
  check(dir.file("a.apf"), all);
  EXPECT_EQ(dir.read("a.apf"), dir.read("j.apf"));
  // A file appended to itself doubles its pages.
  ASSERT_EQ(AppendFaxFile(dir.file("b.apf"), dir.file("b.apf")), ecOK);
  std::vector<PageSpec> twice = standardNormal;
  twice.insert(twice.end(), standardNormal.begin(), standardNormal.end());
  FaxHeader h;
  ASSERT_EQ(ReadFaxHeader(dir.file("b.apf"), h), ecOK);
  EXPECT_EQ(h.pageCount, 4);
  for (unsigned n = 1; n <= 4; ++n) EXPECT_EQ(test::pageLines(dir.file("b.apf"), n), twice[n - 1].rows) << n;
  // Empty files join too.
  writePages(dir.file("empty.apf"), {});
  ASSERT_EQ(JoinFaxFiles({dir.file("empty.apf"), dir.file("c.apf"), dir.file("empty.apf")}, dir.file("e.apf")), ecOK);
  ASSERT_EQ(ReadFaxHeader(dir.file("e.apf"), h), ecOK);
  EXPECT_EQ(h.pageCount, 1);
  EXPECT_EQ(test::pageLines(dir.file("e.apf"), 1), standardWide[0].rows);
}

TEST(FaxFileJoin, JoiningIntoOneOfTheInputsLosesNothing) {
  quillon::test::TempDir dir;
  std::mt19937 rng(4);
  auto pages = mixedPages(rng, 2);
  writePages(dir.file("a.apf"), {pages[0]});
  writePages(dir.file("b.apf"), {pages[1]});
  const std::string a = dir.read("a.apf"), b = dir.read("b.apf");
  // The output is one of the inputs: refused, and both inputs stay as they were.
  EXPECT_EQ(JoinFaxFiles({dir.file("a.apf"), dir.file("b.apf")}, dir.file("a.apf")), ecBadArgument);
  EXPECT_EQ(JoinFaxFiles({dir.file("a.apf"), dir.file("b.apf")}, dir.file("b.apf")), ecBadArgument);
  EXPECT_EQ(JoinFaxFiles({dir.file("a.apf"), dir.file("b.apf")}, dir.path() + "./b.apf"), ecBadArgument);
  EXPECT_EQ(dir.read("a.apf"), a);
  EXPECT_EQ(dir.read("b.apf"), b);
  std::filesystem::create_hard_link(dir.file("b.apf"), dir.file("link.apf"));
  EXPECT_EQ(JoinFaxFiles({dir.file("a.apf"), dir.file("b.apf")}, dir.file("link.apf")), ecBadArgument);
  EXPECT_EQ(dir.read("b.apf"), b);
  EXPECT_EQ(JoinFaxFiles({}, dir.file("x.apf")), ecBadArgument);
  // A missing file in the middle leaves no output behind.
  EXPECT_EQ(JoinFaxFiles({dir.file("a.apf"), dir.file("gone.apf"), dir.file("b.apf")}, dir.file("o.apf")),
            ecFileNotFound);
  EXPECT_FALSE(std::filesystem::exists(dir.file("o.apf")));
}

TEST(FaxFileJoin, PageCountsStayWithinSixteenBits) {
  quillon::test::TempDir dir;
  // 65,000 empty pages (headers only) and 600 more: together past 65535.
  auto emptyPages = [&](const std::string& name, unsigned count) {
    FaxFileWriter w;
    ASSERT_EQ(w.create(dir.file(name)), ecOK);
    for (unsigned i = 0; i < count; ++i) {
      ASSERT_EQ(w.beginPage(0), ecOK);
      ASSERT_EQ(w.endPage(), ecOK);
    }
    ASSERT_EQ(w.finish("", 0), ecOK);
  };
  emptyPages("big.apf", 65000);
  emptyPages("more.apf", 600);
  emptyPages("fits.apf", 535);
  const std::string before = dir.read("big.apf");
  EXPECT_EQ(AppendFaxFile(dir.file("big.apf"), dir.file("more.apf")), ecFaxBadFormat);
  EXPECT_EQ(dir.read("big.apf"), before);
  ASSERT_EQ(AppendFaxFile(dir.file("big.apf"), dir.file("fits.apf")), ecOK);
  FaxHeader h;
  ASSERT_EQ(ReadFaxHeader(dir.file("big.apf"), h), ecOK);
  EXPECT_EQ(h.pageCount, 65535);
  PageHeader p;
  uint64_t at = 0;
  ASSERT_EQ(FindPage(dir.file("big.apf"), 65535, p, &at), ecOK);
  EXPECT_EQ(at, std::filesystem::file_size(dir.file("big.apf")));
  // The writer refuses page 65536 rather than wrapping the count to 0.
  FaxFileWriter w;
  ASSERT_EQ(w.create(dir.file("full.apf")), ecOK);
  for (unsigned i = 0; i < 65535; ++i) {
    ASSERT_EQ(w.beginPage(0), ecOK);
    ASSERT_EQ(w.endPage(), ecOK);
  }
  ASSERT_EQ(w.beginPage(0), ecOK);
  EXPECT_EQ(w.endPage(), ecBufferTooBig);
  EXPECT_EQ(w.pageCount(), 65535);
}

}  // namespace
}  // namespace quillon::faximage
