// Our codec against independent ones: netpbm's g3topbm reads what we code, and what netpbm's
// pbmtog3 codes decodes here to the same picture.
#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "fax_test_support.h"
#include "faximage/image_writers.h"
#include "faximage/line_assembler.h"
#include "faximage/mh_decoder.h"
#include "faximage/mh_encoder.h"
#include "support/temp_dir.h"

namespace quillon::faximage {
namespace {

using test::Line;

std::string pbm(const std::vector<Line>& rows, int width) {
  std::string out = "P4\n" + std::to_string(width) + " " + std::to_string(rows.size()) + "\n";
  for (const Line& r : rows) out.append(r.begin(), r.end());
  return out;
}

// Rows of a raw PBM (P4) image.
std::vector<Line> parsePbm(const std::string& data, int& width) {
  std::istringstream in(data);
  std::string magic;
  int height = 0;
  in >> magic >> width >> height;
  in.get();
  std::vector<Line> rows;
  size_t bytes = size_t(width + 7) / 8;
  size_t at = size_t(in.tellg());
  for (int y = 0; y < height && at + bytes <= data.size(); ++y, at += bytes)
    rows.emplace_back(data.begin() + ptrdiff_t(at), data.begin() + ptrdiff_t(at + bytes));
  return rows;
}

std::vector<Line> testRows() {
  std::mt19937 rng(21);
  auto rows = test::randomRows(rng, 1728, 100, 300);
  auto fine = test::randomRows(rng, 1728, 60, 4);
  rows.insert(rows.end(), fine.begin(), fine.end());
  rows.push_back(Line(216));
  rows.push_back(Line(216, 0xFF));
  return rows;
}

TEST(Interop, NetpbmDecodesOurPages) {
  if (!test::haveTool("g3topbm")) GTEST_SKIP() << "netpbm not installed";
  quillon::test::TempDir dir;
  auto rows = testRows();
  std::string g3;
  uint8_t code[kCodeBufferSize];
  for (const Line& r : rows) {
    size_t n = encodeRasterLine({1728, 0, false}, r.data(), code);
    g3.append(reinterpret_cast<char*>(code), n);
  }
  g3.append(reinterpret_cast<const char*>(kEndOfPageRecord), sizeof kEndOfPageRecord);
  dir.write("page.g3", g3);
  std::string out;
  ASSERT_TRUE(test::runCommand("g3topbm -reversebits " + dir.file("page.g3") + " 2>/dev/null", &out));
  int width = 0;
  auto decoded = parsePbm(out, width);
  EXPECT_EQ(width, 1728);
  EXPECT_EQ(decoded, rows);
}

TEST(Interop, NetpbmPagesDecodeHere) {
  if (!test::haveTool("pbmtog3")) GTEST_SKIP() << "netpbm not installed";
  quillon::test::TempDir dir;
  auto rows = testRows();
  dir.write("in.pbm", pbm(rows, 1728));
  std::string g3;
  ASSERT_TRUE(test::runCommand("pbmtog3 -reversebits " + dir.file("in.pbm") + " 2>/dev/null", &g3));
  std::vector<Line> decoded;
  LineAssembler lines([&](const uint8_t* l, size_t n) { decoded.emplace_back(l, l + n); });
  MhDecoder decoder(lines);
  decoder.feed(reinterpret_cast<const uint8_t*>(g3.data()), g3.size());
  decoder.finish();
  EXPECT_EQ(lines.invalidCodes(), 0u);
  EXPECT_EQ(decoded, rows);
}

// Our BMP, PCX and DCX files as netpbm reads them (a DCX page is a PCX image at its offset).
TEST(Interop, NetpbmReadsOurImageFiles) {
  if (!test::haveTool("bmptopnm") || !test::haveTool("pcxtoppm")) GTEST_SKIP() << "netpbm not installed";
  quillon::test::TempDir dir;
  std::mt19937 rng(13);
  auto rows = test::randomRows(rng, 1000, 70, 90);
  MonoBitmap image = test::blackRowsBitmap(rows, 1000);
  ASSERT_EQ(writeBmp(dir.file("o.bmp"), image), 0);
  ASSERT_EQ(writePcx(dir.file("o.pcx"), image), 0);
  ASSERT_EQ(writeDcx(dir.file("o.dcx"), {&image}), 0);
  std::string dcx = dir.read("o.dcx");
  uint32_t first = uint8_t(dcx[4]) | uint8_t(dcx[5]) << 8 | uint8_t(dcx[6]) << 16 | uint32_t(uint8_t(dcx[7])) << 24;
  ASSERT_EQ(first, 4100u);
  dir.write("page1.pcx", dcx.substr(first));
  for (std::string command : {"bmptopnm " + dir.file("o.bmp"), "pcxtoppm " + dir.file("o.pcx"),
                              "pcxtoppm " + dir.file("page1.pcx")}) {
    std::string out;
    ASSERT_TRUE(test::runCommand(command + " 2>/dev/null | ppmtopgm | pgmtopbm -threshold", &out)) << command;
    int width = 0;
    EXPECT_EQ(parsePbm(out, width), rows) << command;
    EXPECT_EQ(width, 1000) << command;
  }
}

// ImageMagick reads our BMP, PCX and multi-page DCX files. Debian's own name for its converter
// is used, as another program may be installed as "convert". ImageMagick takes a set bit of a
// one-bit PCX as black whatever the palette says, where netpbm (above) and fax programs take it
// as white, so its PCX pictures come out inverted; sizes, run-length data and the DCX page
// table must still read exactly.
TEST(Interop, ImageMagickReadsOurImageFiles) {
  const std::string magick = "convert-im6.q16";
  if (!test::haveTool(magick)) GTEST_SKIP() << "ImageMagick not installed";
  quillon::test::TempDir dir;
  std::mt19937 rng(17);
  auto rows = test::randomRows(rng, 800, 40, 60);
  auto second = test::randomRows(rng, 800, 30, 20);
  MonoBitmap image = test::blackRowsBitmap(rows, 800);
  MonoBitmap image2 = test::blackRowsBitmap(second, 800);
  ASSERT_EQ(writeBmp(dir.file("o.bmp"), image), 0);
  ASSERT_EQ(writePcx(dir.file("o.pcx"), image), 0);
  ASSERT_EQ(writeDcx(dir.file("o.dcx"), {&image, &image2}), 0);
  auto read = [&](const std::string& input) {
    std::string out;
    EXPECT_TRUE(test::runCommand(magick + " " + input + " -colorspace gray -threshold 50% pbm:- 2>/dev/null", &out))
        << input;
    int width = 0;
    auto got = parsePbm(out, width);
    EXPECT_EQ(width, 800) << input;
    return got;
  };
  auto inverted = [](std::vector<Line> lines) {
    for (Line& l : lines)
      for (auto& b : l) b = static_cast<std::remove_reference_t<decltype(b)>>(~b);
    return lines;
  };
  EXPECT_EQ(read(dir.file("o.bmp")), rows);
  EXPECT_EQ(read(dir.file("o.pcx")), inverted(rows));
  EXPECT_EQ(read(dir.file("o.dcx") + "[0]"), inverted(rows));
  EXPECT_EQ(read(dir.file("o.dcx") + "[1]"), inverted(second));
}

}  // namespace
}  // namespace quillon::faximage
