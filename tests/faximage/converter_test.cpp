#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <random>

#include "fax_test_support.h"
#include "faximage/fax_converter.h"
#include "faximage/fax_file.h"
#include "faximage/fax_font.h"
#include "faximage/fax_text_engine.h"
#include "faximage/image_writers.h"
#include "faximage/text_line_reader.h"
#include "errors/error_codes.h"
#include "errors/exceptions.h"
#include "support/temp_dir.h"

namespace quillon::faximage {
namespace {

using test::Line;
using test::pageLines;

struct Converted {
  quillon::test::TempDir dir;
  std::string fax;
};

int pageCount(const std::string& file) {
  FaxHeader h;
  EXPECT_EQ(ReadFaxHeader(file, h), ecOK);
  return h.pageCount;
}

bool blank(const Line& l) {
  for (uint8_t b : l)
    if (b) return false;
  return true;
}

TApdFaxConverter textConverter(const quillon::test::TempDir& dir, const std::string& text) {
  dir.write("doc.txt", text);
  TApdFaxConverter c;
  c.SetInputDocumentType(idText);
  c.SetDocumentFile(dir.file("doc.txt"));
  return c;
}

TEST(FaxConverterText, EmptyTextGivesOnePageOfMarginAndOneBlankLine) {
  quillon::test::TempDir dir;
  TApdFaxConverter c = textConverter(dir, "");
  c.SetTopMargin(3);
  c.StationID = "A station name longer than twenty";
  EXPECT_EQ(c.ConvertDocument(), ecOK);
  std::string fax = dir.file("doc.APF");
  ASSERT_EQ(pageCount(fax), 1);
  auto lines = pageLines(fax, 1);
  ASSERT_EQ(lines.size(), 4u);
  for (const Line& l : lines) EXPECT_TRUE(blank(l));
  FaxHeader h;
  ReadFaxHeader(fax, h);
  EXPECT_EQ(h.stationId, "A station name longe");
  PageHeader p;
  uint64_t at = 0;
  ASSERT_EQ(FindPage(fax, 1, p, &at), ecOK);
  EXPECT_EQ(p.flags, PageFlagLengthWords);
  // The last page's data ends exactly at the end of the file.
  EXPECT_EQ(at + p.dataLength, std::filesystem::file_size(fax));
  // 3 + 1 blank records of 2 + 6 bytes and the end-of-page record of 2 + 12.
  EXPECT_EQ(p.dataLength, 4u * 8 + 14);
}

TEST(FaxConverterText, RendersGlyphRowsBehindTheLeftMargin) {
  quillon::test::TempDir dir;
  TApdFaxConverter c = textConverter(dir, "AB\r\n");
  c.SetResolution(frHigh);
  ASSERT_EQ(c.ConvertDocument(), ecOK);
  PageHeader p;
  ASSERT_EQ(FindPage(dir.file("doc.APF"), 1, p), ecOK);
  EXPECT_EQ(p.flags, PageFlagLengthWords | PageFlagHighRes);
  auto lines = pageLines(dir.file("doc.APF"), 1);
  GlyphSet g = glyphsFor(ffStandard, true);
  ASSERT_EQ(lines.size(), size_t(g.rows));
  for (int r = 0; r < g.rows; ++r) {
    for (int x = 0; x < 40; ++x) {
      const uint8_t* glyph = g.row(uint8_t(x < 20 ? 'A' : 'B'), r);
      int gx = x % 20;
      bool want = (glyph[gx / 8] >> (7 - gx % 8)) & 1;
      int px = 50 + x;
      EXPECT_EQ(bool((lines[size_t(r)][size_t(px) / 8] >> (7 - px % 8)) & 1), want) << r << "," << x;
    }
  }
}

TEST(FaxConverterText, PagesBreakAtTheLineLimitAndAtFormFeeds) {
  quillon::test::TempDir dir;
  {
    // Exactly two pages of three lines; the end of input is seen in time, no blank page.
    TApdFaxConverter c = textConverter(dir, "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n");
    c.SetLinesPerPage(3);
    ASSERT_EQ(c.ConvertDocument(), ecOK);
    EXPECT_EQ(pageCount(dir.file("doc.APF")), 2);
    EXPECT_EQ(pageLines(dir.file("doc.APF"), 2).size(), 3u * 16);
  }
  {
    // The line that overflows the page opens the next one, even as the last line.
    TApdFaxConverter c = textConverter(dir, "1\n2\n3\n4");
    c.SetLinesPerPage(3);
    ASSERT_EQ(c.ConvertDocument(), ecOK);
    ASSERT_EQ(pageCount(dir.file("doc.APF")), 2);
    EXPECT_EQ(pageLines(dir.file("doc.APF"), 2).size(), 16u);
  }
  {
    // Form feed at the end of a line, alone on a line, and inside a line (the rest is kept).
    TApdFaxConverter c = textConverter(dir, "a\f\r\nb\r\n\f\r\nc\fd\r\ne");
    ASSERT_EQ(c.ConvertDocument(), ecOK);
    std::string fax = dir.file("doc.APF");
    ASSERT_EQ(pageCount(fax), 4);
    EXPECT_EQ(pageLines(fax, 1).size(), 16u);      // a
    EXPECT_EQ(pageLines(fax, 2).size(), 2u * 16);  // b, empty line before the form feed
    EXPECT_EQ(pageLines(fax, 3).size(), 16u);      // c
    EXPECT_EQ(pageLines(fax, 4).size(), 2u * 16);  // d, e
  }
}

TEST(FaxConverterText, TheTextEndsAtAFinalFormFeedAndAtACtrlZEndingAChunk) {
  quillon::test::TempDir dir;
  // A form feed as the last thing in the text, with or without a line end after it: no
  // further page.
  for (const char* text : {"a\r\nb\f", "a\r\nb\f\r\n", "a\r\n\f\r\n", "a\f"}) {
    TApdFaxConverter c = textConverter(dir, text);
    ASSERT_EQ(c.ConvertDocument(), ecOK);
    EXPECT_EQ(pageCount(dir.file("doc.APF")), 1) << text;
  }
  // A Ctrl-Z as the 4096th byte ends the text: what follows it is never set.
  std::string text;
  size_t linesBefore = 1;  // the last, partial line ends at the Ctrl-Z
  for (; text.size() + 4 < TLineReader::kChunk; ++linesBefore) text += "ab\n";
  text.resize(TLineReader::kChunk - 1, 'x');
  text += '\x1a';
  text += "\fafter the end\r\n";
  TApdFaxConverter c = textConverter(dir, text);
  c.SetLinesPerPage(0);
  ASSERT_EQ(c.ConvertDocument(), ecOK);
  ASSERT_EQ(pageCount(dir.file("doc.APF")), 1);
  EXPECT_EQ(pageLines(dir.file("doc.APF"), 1).size(), linesBefore * 16);
}

TEST(FaxConverterText, LinesAreCutAndTabsExpanded) {
  quillon::test::TempDir dir;
  TApdFaxConverter c = textConverter(dir, std::string(200, 'x') + "\r\n\tx\n");
  c.SetFontType(ffSmall);
  ASSERT_EQ(c.ConvertDocument(), ecOK);
  auto lines = pageLines(dir.file("doc.APF"), 1);
  ASSERT_EQ(lines.size(), 16u);
  // 140 characters of 12 pixels after the 50-pixel margin reach pixel 1730: cut at 1728.
  // The tab puts 'x' in column 4: pixels 50 + 48 ... are the first ink of the second line.
  int first = -1;
  for (int x = 0; x < 1728 && first < 0; ++x)
    for (int r = 8; r < 16; ++r)
      if ((lines[size_t(r)][size_t(x) / 8] >> (7 - x % 8)) & 1) {
        first = x;
        break;
      }
  EXPECT_GE(first, 50 + 48);
  EXPECT_LT(first, 50 + 60);
}

TEST(FaxConverterImages, BitmapRowsRoundTripExactly) {
  quillon::test::TempDir dir;
  std::mt19937 rng(11);
  auto rows = test::randomRows(rng, 1728, 300);
  MonoBitmap display = test::blackRowsBitmap(rows, 1728);
  for (auto& b : display.bits) b = uint8_t(~b);  // the bitmap type is 1 = white
  TApdFaxConverter c;
  c.SetLeftMargin(0);
  c.SetOutFileName(dir.file("bitmap"));
  ASSERT_EQ(c.ConvertBitmapToFile(display), ecOK);
  EXPECT_EQ(pageLines(dir.file("bitmap.APF"), 1), rows);
}

TEST(FaxConverterImages, ImageFilesRoundTripThroughTheUnpackersWriters) {
  quillon::test::TempDir dir;
  std::mt19937 rng(5);
  auto rows = test::randomRows(rng, 1728, 120);
  MonoBitmap image = test::blackRowsBitmap(rows, 1728);
  ASSERT_EQ(writePcx(dir.file("in.pcx"), image), ecOK);
  ASSERT_EQ(writeBmp(dir.file("in.bmp"), image), ecOK);
  ASSERT_EQ(writeDcx(dir.file("in.dcx"), {&image, &image}), ecOK);
  for (auto [type, name] : {std::pair{idPcx, "in.pcx"}, {idBmp, "in.bmp"}, {idDcx, "in.dcx"}}) {
    TApdFaxConverter c;
    c.SetInputDocumentType(type);
    c.SetLeftMargin(0);
    c.SetDocumentFile(dir.file(name));
    ASSERT_EQ(c.ConvertDocument(), ecOK) << name;
    std::string fax = withExtension(dir.file(name), "APF");
    EXPECT_EQ(pageLines(fax, 1), rows) << name;
    EXPECT_EQ(pageCount(fax), type == idDcx ? 2 : 1);
  }
}

// Pages taller than one read block (256 KB): bottom-up as written, top-down, and short.
TEST(FaxConverterImages, TallBmpsReadInBlocksInBothRowOrders) {
  quillon::test::TempDir dir;
  std::mt19937 rng(21);
  auto rows = test::randomRows(rng, 1728, 3000);  // 216-byte rows: 1213 to a block
  MonoBitmap image = test::blackRowsBitmap(rows, 1728);
  ASSERT_EQ(writeBmp(dir.file("up.bmp"), image), ecOK);
  std::string bottomUp = dir.read("up.bmp");
  uint32_t offset = 0;
  std::memcpy(&offset, bottomUp.data() + 10, 4);
  ASSERT_EQ(bottomUp.size(), offset + 3000u * 216);
  std::string topDown = bottomUp.substr(0, offset);
  for (int r = 2999; r >= 0; --r) topDown += bottomUp.substr(offset + size_t(r) * 216, 216);
  int32_t negative = -3000;
  std::memcpy(topDown.data() + 22, &negative, 4);
  dir.write("down.bmp", topDown);
  dir.write("short.bmp", bottomUp.substr(0, offset + 2500 * 216));  // rows missing at the top
  dir.write("shortdown.bmp", topDown.substr(0, offset + 2500 * 216));
  for (const char* name : {"up.bmp", "down.bmp", "short.bmp", "shortdown.bmp"}) {
    TApdFaxConverter c;
    c.SetInputDocumentType(idBmp);
    c.SetLeftMargin(0);
    c.SetDocumentFile(dir.file(name));
    c.Loading = true;
    int status = c.ConvertDocument();
    if (std::string(name).find("short") == 0) {
      EXPECT_EQ(status, ecBadGraphicsFormat) << name;
      continue;
    }
    ASSERT_EQ(status, ecOK) << name;
    EXPECT_EQ(pageLines(withExtension(dir.file(name), "APF"), 1), rows) << name;
  }
}

TEST(FaxConverterImages, NarrowImagesAreCentredDoubledOrHalved) {
  quillon::test::TempDir dir;
  std::mt19937 rng(9);
  auto rows = test::randomRows(rng, 800, 10);
  MonoBitmap image = test::blackRowsBitmap(rows, 800);
  ASSERT_EQ(writeBmp(dir.file("n.bmp"), image), ecOK);
  auto convert = [&](unsigned options, TFaxResolution res) {
    TApdFaxConverter c;
    c.SetInputDocumentType(idBmp);
    c.SetOptions(options);
    c.SetResolution(res);
    c.SetDocumentFile(dir.file("n.bmp"));
    EXPECT_EQ(c.ConvertDocument(), ecOK);
    return pageLines(dir.file("n.APF"), 1);
  };
  // Centred without doubling: (1728 - 800) / 16 = 58 bytes in, behind the 50-pixel margin.
  auto centred = convert(coCenterImage, frNormal);
  ASSERT_EQ(centred.size(), 10u);
  for (int x = 0; x < 800; ++x) {
    int px = 50 + 58 * 8 + x;
    ASSERT_EQ((centred[3][size_t(px) / 8] >> (7 - px % 8)) & 1, (rows[3][size_t(x) / 8] >> (7 - x % 8)) & 1);
  }
  // Doubled (1678 >= 1600): every pixel twice; fine resolution never doubles.
  auto doubled = convert(coDoubleWidth, frNormal);
  ASSERT_EQ(doubled.size(), 10u);
  EXPECT_NE(doubled, convert(coDoubleWidth, frHigh));
  // Half height keeps the odd lines.
  EXPECT_EQ(convert(coHalfHeight, frNormal).size(), 5u);
}

TEST(FaxConverterImages, ColourBmpIsDitheredAndBadImagesAreRefused) {
  quillon::test::TempDir dir;
  ColourBitmap photo;
  photo.width = 64;
  photo.height = 64;
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) photo.pixels.push_back(uint32_t(x * 4) * 0x010101u);
  TApdFaxConverter c;
  c.SetOutFileName(dir.file("photo"));
  ASSERT_EQ(c.ConvertBitmapToFile(photo), ecOK);
  auto lines = pageLines(dir.file("photo.APF"), 1);
  ASSERT_EQ(lines.size(), 64u);

  dir.write("bad.pcx", std::string(200, '\x0A'));
  TApdFaxConverter bad;
  bad.SetInputDocumentType(idPcx);
  bad.SetDocumentFile(dir.file("bad.pcx"));
  EXPECT_THROW(bad.ConvertDocument(), EBadGraphicsFormat);
  EXPECT_FALSE(std::filesystem::exists(dir.file("bad.APF")));
  bad.Loading = true;
  EXPECT_EQ(bad.ConvertDocument(), ecBadGraphicsFormat);
}

TEST(FaxConverter, AbortAndBadArgumentsLeaveNoFile) {
  quillon::test::TempDir dir;
  TApdFaxConverter c = textConverter(dir, "one\r\ntwo\r\n");
  c.OnStatus = [](TApdFaxConverter&, bool, bool, int, int lines, int64_t, int64_t, bool& abort) {
    abort = lines == 5;
  };
  EXPECT_THROW(c.ConvertDocument(), EConvertAbort);
  EXPECT_FALSE(std::filesystem::exists(dir.file("doc.APF")));
  TApdFaxConverter none;
  EXPECT_THROW(none.ConvertDocument(), EBadArgument);
  TApdFaxConverter missing;
  missing.SetInputDocumentType(idText);
  missing.SetDocumentFile(dir.file("nothing"));
  EXPECT_EQ(missing.InputFileName(), dir.file("nothing.TXT"));
  EXPECT_THROW(missing.ConvertDocument(), EInOutError);
  EXPECT_FALSE(std::filesystem::exists(dir.file("nothing.APF")));
}

TEST(FaxConverter, UserLinesAndYieldQuit) {
  quillon::test::TempDir dir;
  TApdFaxConverter c;
  c.SetInputDocumentType(idUser);
  c.SetOutFileName(dir.file("user"));
  c.SetLeftMargin(0);
  int n = 0;
  c.OnReadUserLine = [&](TApdFaxConverter&, uint8_t* d, int& len, bool& eop, bool& more) {
    if (++n > 3) {
      eop = true;
      return;
    }
    d[0] = 0x80;
    len = 1;
  };
  ASSERT_EQ(c.ConvertDocument(), ecOK);
  auto lines = pageLines(dir.file("user.APF"), 1);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0][0], 0x80);
  n = 0;
  c.OnYield = [] { return true; };
  EXPECT_THROW(c.ConvertDocument(), EGotQuitMsg);
}

}  // namespace
}  // namespace quillon::faximage

namespace quillon::faximage {
namespace {

TEST(FaxTextEngine, RendersAndCodesHeaderLinesWithoutFiles) {
  FaxTextEngine engine;
  EXPECT_EQ(engine.LoadFaxFont(16, true), ecOK);
  EXPECT_EQ(engine.rows(), 16);
  EXPECT_EQ(engine.LoadFaxFont(20, false), ecFontFileNotFound);
  std::vector<uint8_t> line(4096);
  engine.RenderTextRow("Page 1 of 2", 4, line.data());
  engine.EncodeRasterLine(line.data());
  EXPECT_GT(engine.codeLength(), 6u);
  EXPECT_EQ(engine.code()[1], 0x80);  // the aligned EOL
  FontChoice huge;
  huge.pointSize = 400;
  EXPECT_EQ(engine.SetEnhancedFont(huge, true), ecEnhFontTooBig);
  EXPECT_EQ(engine.SetEnhancedFont(FontChoice{}, false), ecOK);
  EXPECT_EQ(engine.rows(), 16);
}

}  // namespace
}  // namespace quillon::faximage

#include "faximage/byte_order.h"
#include "faximage/fax_unpacker.h"

namespace quillon::faximage {
namespace {

// Headers that claim 65535 rows or columns over a few bytes of data are refused at once.
TEST(FaxConverterImages, HugeClaimedSizesAreRefusedWithoutWork) {
  quillon::test::TempDir dir;
  std::string pcx(128, '\0');
  pcx[0] = 10;
  pcx[2] = 1;
  pcx[3] = 1;
  pcx[8] = pcx[9] = '\xFF';    // xmax 65535
  pcx[10] = pcx[11] = '\xFF';  // ymax 65535
  pcx[65] = 1;
  dir.write("wide.pcx", pcx + std::string(64, '\0'));
  pcx[8] = 100;
  pcx[9] = 0;
  pcx[66] = 13;
  dir.write("tall.pcx", pcx + std::string(64, '\0'));
  std::string bmp(62, '\0');
  bmp[0] = 'B';
  bmp[1] = 'M';
  auto put32 = [&bmp](size_t at, uint32_t v) { putLe32(reinterpret_cast<uint8_t*>(&bmp[at]), v); };
  put32(10, 62);
  put32(14, 40);
  put32(18, 65535);
  put32(22, 65535);
  bmp[26] = 1;
  bmp[28] = 24;
  dir.write("huge.bmp", bmp + std::string(100, '\0'));
  for (auto [type, name] : {std::pair{idPcx, "wide.pcx"}, {idPcx, "tall.pcx"}, {idBmp, "huge.bmp"}}) {
    TApdFaxConverter c;
    c.Loading = true;
    c.SetInputDocumentType(type);
    c.SetDocumentFile(dir.file(name));
    EXPECT_EQ(c.ConvertDocument(), ecBadGraphicsFormat) << name;
    EXPECT_FALSE(std::filesystem::exists(withExtension(dir.file(name), "APF"))) << name;
  }
}

// A page of 40000 lines: its bitmap would pass 32767 rows and is refused; lines still flow.
TEST(FaxUnpackerLimits, BitmapsStopAtTheirRowLimit) {
  quillon::test::TempDir dir;
  TApdFaxConverter c;
  c.SetInputDocumentType(idUser);
  c.SetResolution(frHigh);
  c.SetOutFileName(dir.file("long"));
  int n = 0;
  c.OnReadUserLine = [&](TApdFaxConverter&, uint8_t* d, int& len, bool& eop, bool&) {
    eop = ++n > 40000;
    d[0] = 0x80;
    len = 1;
  };
  ASSERT_EQ(c.ConvertDocument(), ecOK);
  TApdFaxUnpacker u;
  u.SetInFileName(dir.file("long.APF"));
  MonoBitmap b;
  u.Loading = true;  // the code itself: -8054 has no class of its own
  EXPECT_EQ(u.DecodePageToBitmap(1, b), ecBmpTooBig);
  EXPECT_EQ(test::pageLines(dir.file("long.APF"), 1).size(), 40000u);
}

}  // namespace
}  // namespace quillon::faximage
