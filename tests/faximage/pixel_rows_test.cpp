// Exact pixel rows through the converter (margins at both widths) and through the unpacker
// (half width, double height, scaling arithmetic for bitmaps and files).
#include <gtest/gtest.h>

#include <filesystem>

#include "fax_test_support.h"
#include "faximage/byte_order.h"
#include "faximage/fax_converter.h"
#include "faximage/fax_file.h"
#include "faximage/fax_file_writer.h"
#include "faximage/fax_unpacker.h"
#include "faximage/mh_encoder.h"
#include "errors/error_codes.h"
#include "errors/exceptions.h"
#include "support/temp_dir.h"

namespace quillon::faximage {
namespace {

using test::Line;

bool black(const Line& l, int x) { return (l[size_t(x) / 8] >> (7 - x % 8)) & 1; }
void setBlack(Line& l, int x) { l[size_t(x) / 8] |= uint8_t(0x80 >> (x % 8)); }
std::vector<int> blackPixels(const Line& l) {
  std::vector<int> xs;
  for (int x = 0; x < int(l.size()) * 8; ++x)
    if (black(l, x)) xs.push_back(x);
  return xs;
}

// Converts `rows` (given to the converter as caller-supplied lines) and returns the page's
// decoded lines.
std::vector<Line> convertRows(const quillon::test::TempDir& dir, const std::vector<Line>& rows, TFaxWidth width,
                              unsigned leftMargin, unsigned topMargin = 0, TFaxResolution res = frNormal) {
  TApdFaxConverter c;
  c.SetInputDocumentType(idUser);
  c.SetOutFileName(dir.file("rows"));
  c.SetWidth(width);
  c.SetResolution(res);
  c.SetLeftMargin(leftMargin);
  c.SetTopMargin(topMargin);
  c.OnYield = [] { return false; };
  size_t next = 0;
  c.OnReadUserLine = [&](TApdFaxConverter&, uint8_t* d, int& len, bool& eop, bool& more) {
    more = false;
    if (next == rows.size()) {
      eop = true;
      return;
    }
    std::copy(rows[next].begin(), rows[next].end(), d);
    len = int(rows[next].size());
    ++next;
  };
  EXPECT_EQ(c.ConvertDocument(), ecOK);
  return test::pageLines(dir.file("rows.APF"), 1);
}

TEST(ConverterRows, TheLeftMarginShiftsEveryPixelAndCutsAtThePageEdge) {
  quillon::test::TempDir dir;
  for (TFaxWidth fw : {fwNormal, fwWide}) {
    const int width = fw == fwWide ? 2048 : 1728;
    for (int margin : {0, 1, 50, 7, 64, 200}) {
      SCOPED_TRACE(std::to_string(width) + " margin " + std::to_string(margin));
      Line first(size_t(width) / 8), inner(size_t(width) / 8), full(size_t(width) / 8, 0xFF);
      const int lastShown = width - margin - 1;
      setBlack(first, 0);           // a line that starts black
      setBlack(first, lastShown);   // the last pixel that still fits
      setBlack(first, lastShown + (margin ? 1 : 0));  // cut by the margin (or the same pixel)
      for (int x = 63; x < 63 + 130; ++x) setBlack(inner, x);  // a run across make-up sizes
      std::vector<Line> lines = convertRows(dir, {first, inner, full, Line(size_t(width) / 8)}, fw, unsigned(margin));
      ASSERT_EQ(lines.size(), 4u);
      for (const Line& l : lines) ASSERT_EQ(l.size(), size_t(width) / 8);
      EXPECT_EQ(blackPixels(lines[0]), (std::vector<int>{margin, width - 1}));
      std::vector<int> expected;
      for (int x = 63 + margin; x < 63 + 130 + margin; ++x) expected.push_back(x);
      EXPECT_EQ(blackPixels(lines[1]), expected);
      EXPECT_EQ(int(blackPixels(lines[2]).size()), width - margin);
      EXPECT_EQ(blackPixels(lines[2]).front(), margin);
      EXPECT_TRUE(blackPixels(lines[3]).empty());
    }
  }
}

TEST(ConverterRows, RandomRowsComeBackShiftedByTheMarginAtBothWidths) {
  quillon::test::TempDir dir;
  std::mt19937 rng(21);
  for (TFaxWidth fw : {fwNormal, fwWide}) {
    const int width = fw == fwWide ? 2048 : 1728;
    for (int margin : {0, 50, 123}) {
      SCOPED_TRACE(std::to_string(width) + " margin " + std::to_string(margin));
      auto rows = test::randomRows(rng, width, 40, 1 + int(rng() % 700));
      std::vector<Line> lines = convertRows(dir, rows, fw, unsigned(margin));
      ASSERT_EQ(lines.size(), rows.size());
      for (size_t i = 0; i < rows.size(); ++i) {
        Line expected(size_t(width) / 8);
        for (int x = 0; x + margin < width; ++x)
          if (black(rows[i], x)) setBlack(expected, x + margin);
        ASSERT_EQ(lines[i], expected) << i;
      }
    }
  }
}

TEST(ConverterRows, AMarginWiderThanThePageGivesWhiteLinesOfThePageWidth) {
  quillon::test::TempDir dir;
  for (TFaxWidth fw : {fwNormal, fwWide}) {
    const size_t bytes = fw == fwWide ? 256 : 216;
    std::vector<Line> lines = convertRows(dir, {Line(bytes, 0xFF), Line(bytes, 0x55)}, fw, 5000);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], Line(bytes));
    EXPECT_EQ(lines[1], Line(bytes));
  }
}

TEST(ConverterRows, TopMarginLinesHaveThePageWidth) {
  quillon::test::TempDir dir;
  for (TFaxWidth fw : {fwNormal, fwWide}) {
    for (TFaxResolution res : {frNormal, frHigh}) {
      const size_t bytes = fw == fwWide ? 256 : 216;
      SCOPED_TRACE(bytes);
      Line inked(bytes);
      inked[bytes - 1] = 0x01;
      std::vector<Line> lines = convertRows(dir, {inked}, fw, 0, 5, res);
      // Every margin line is a whole line of the page, which any reader keeps.
      ASSERT_EQ(lines.size(), 6u);
      for (int i = 0; i < 5; ++i) EXPECT_EQ(lines[size_t(i)], Line(bytes)) << i;
      EXPECT_EQ(lines[5], inked);
      PageHeader p;
      ASSERT_EQ(FindPage(dir.file("rows.APF"), 1, p), ecOK);
      EXPECT_EQ(p.flags, PageFlagLengthWords | (fw == fwWide ? PageFlagWide : 0) | (res == frHigh ? PageFlagHighRes : 0));
    }
  }
}

// A one-page fax file of `rows` (1728 pixels) with the given flags.
void writePage(const std::string& path, const std::vector<Line>& rows, uint16_t flags) {
  FaxFileWriter w;
  ASSERT_EQ(w.create(path), ecOK);
  ASSERT_EQ(w.beginPage(uint16_t(flags | PageFlagLengthWords)), ecOK);
  uint8_t code[kCodeBufferSize];
  for (const Line& r : rows) ASSERT_EQ(w.writeRecord(code, encodeRasterLine({1728, 0, false}, r.data(), code)), ecOK);
  ASSERT_EQ(w.writeRecord(kEndOfPageRecord, sizeof kEndOfPageRecord), ecOK);
  ASSERT_EQ(w.endPage(), ecOK);
  ASSERT_EQ(w.finish("", 0), ecOK);
}

TEST(UnpackerRows, HalfWidthKeepsBlackFromEitherPixelInLinesAndFromBothInBitmaps) {
  quillon::test::TempDir dir;
  Line pairs(216);
  setBlack(pairs, 0);     // pair 0: black, white
  setBlack(pairs, 3);     // pair 1: white, black
  setBlack(pairs, 4);     // pair 2: both black
  setBlack(pairs, 5);
  setBlack(pairs, 1727);  // the last pair
  writePage(dir.file("p.apf"), {pairs}, 0);
  std::vector<Line> lines = test::pageLines(dir.file("p.apf"), 1, asHalfWidth);
  ASSERT_EQ(lines.size(), 1u);  // half width: no doubling of the rows
  ASSERT_EQ(lines[0].size(), 108u);
  EXPECT_EQ(blackPixels(lines[0]), (std::vector<int>{0, 1, 2, 863}));

  TApdFaxUnpacker u;
  u.SetInFileName(dir.file("p.apf"));
  u.AutoScaleMode = asHalfWidth;
  MonoBitmap b;
  ASSERT_EQ(u.DecodePageToBitmap(1, b), ecOK);
  ASSERT_EQ(b.height, 1);
  EXPECT_EQ(b.row(0)[0], 0xDF);  // only pair 2 is black (0 in the bitmap)

  // Fine pages are never halved or doubled.
  writePage(dir.file("fine.apf"), {pairs, pairs}, PageFlagHighRes);
  lines = test::pageLines(dir.file("fine.apf"), 1, asHalfWidth);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], pairs);
  EXPECT_EQ(test::pageLines(dir.file("fine.apf"), 1, asDoubleHeight).size(), 2u);
  EXPECT_EQ(test::pageLines(dir.file("p.apf"), 1, asDoubleHeight), (std::vector<Line>{pairs, pairs}));
}

// Width and height of a BMP file written by the unpacker.
std::pair<int32_t, int32_t> bmpSize(const std::string& bytes) {
  if (bytes.size() < 26) return {0, 0};
  auto b = reinterpret_cast<const uint8_t*>(bytes.data());
  return {int32_t(le32(b + 18)), int32_t(le32(b + 22))};
}

TEST(UnpackerRows, ScalingUsesIntegerArithmeticOnTheCutBitmap) {
  quillon::test::TempDir dir;
  Line left(216), right(216);
  setBlack(left, 0);
  setBlack(right, 15);
  writePage(dir.file("s.apf"), {left, right, Line(216)}, PageFlagHighRes);
  TApdFaxUnpacker u;
  u.SetInFileName(dir.file("s.apf"));
  MonoBitmap b;
  ASSERT_EQ(u.DecodePageToBitmap(1, b), ecOK);
  ASSERT_EQ(b.width, 16);  // content within the first byte, made even
  ASSERT_EQ(b.height, 3);

  u.Scaling = true;
  u.SetHorizMult(3);
  u.SetHorizDiv(2);
  u.SetVertMult(5);
  u.SetVertDiv(3);
  ASSERT_EQ(u.DecodePageToBitmap(1, b), ecOK);
  EXPECT_EQ(b.width, 24);  // 16 * 3 / 2
  EXPECT_EQ(b.height, 5);  // 3 * 5 / 3
  EXPECT_EQ(b.stride % 2, 0u);
  // Nearest source pixel: x' maps to x' * 16 / 24, y' to y' * 3 / 5.
  for (int y = 0; y < b.height; ++y) {
    int sy = y * 3 / 5;
    for (int x = 0; x < b.width; ++x) {
      int sx = x * 16 / 24;
      bool expectBlack = (sy == 0 && sx == 0) || (sy == 1 && sx == 15);
      bool isWhite = (b.row(y)[x / 8] >> (7 - x % 8)) & 1;
      EXPECT_EQ(!isWhite, expectBlack) << x << "," << y;
    }
  }
  // Bits past the width are white.
  EXPECT_EQ(b.row(0)[3] & 0xFF, 0xFF);

  // The same factors apply to file output.
  u.SetOutFileName(dir.file("s.bmp"));
  ASSERT_EQ(u.DecodePageToBmp(1), ecOK);
  EXPECT_EQ(bmpSize(dir.read("s.bmp")), std::make_pair(24, 5));

  u.SetOutFileName(dir.file("s.pcx"));
  ASSERT_EQ(u.DecodePageToPcx(1), ecOK);
  std::string pcx = dir.read("s.pcx");
  ASSERT_GE(pcx.size(), 128u);
  EXPECT_EQ(le16(reinterpret_cast<const uint8_t*>(pcx.data()) + 8), 23);   // xmax = width - 1
  EXPECT_EQ(le16(reinterpret_cast<const uint8_t*>(pcx.data()) + 10), 4);   // ymax = height - 1

  // A BMP stretched to 32768 rows or more is refused and leaves no file.
  u.SetVertMult(11000);
  u.SetVertDiv(1);
  u.SetOutFileName(dir.file("tall.bmp"));
  EXPECT_THROW(u.DecodePageToBmp(1), EAPDException);
  EXPECT_FALSE(std::filesystem::exists(dir.file("tall.bmp")));
  u.Loading = true;
  EXPECT_EQ(u.DecodePageToBmp(1), ecBmpTooBig);
  u.Loading = false;
  u.SetVertMult(5);
  u.SetVertDiv(3);

  // Factors that shrink to nothing or grow past what a bitmap can hold fail cleanly.
  u.SetHorizMult(1);
  u.SetHorizDiv(17);
  EXPECT_THROW(u.DecodePageToBitmap(1, b), ECantMakeBitmap);
  u.SetHorizDiv(1);
  u.SetHorizMult(4000000000u);
  u.SetVertMult(4000000000u);
  u.SetVertDiv(1);
  EXPECT_THROW(u.DecodePageToBitmap(1, b), ECantMakeBitmap);
  u.Loading = true;
  EXPECT_EQ(u.DecodePageToBmp(1), ecCantMakeBitmap);
  // Equal factors are no scaling at all.
  u.SetHorizMult(7);
  u.SetHorizDiv(7);
  u.SetVertMult(2);
  u.SetVertDiv(2);
  ASSERT_EQ(u.DecodePageToBitmap(1, b), ecOK);
  EXPECT_EQ(b.width, 16);
  EXPECT_EQ(b.height, 3);
}

}  // namespace
}  // namespace quillon::faximage
