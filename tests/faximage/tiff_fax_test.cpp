// TIFF Class F export and import, checked with libtiff's own tools.
#include <gtest/gtest.h>

#include <random>

#include "fax_test_support.h"
#include "faximage/fax_file.h"
#include "faximage/fax_file_writer.h"
#include "faximage/mh_encoder.h"
#include "faximage/tiff_fax/tiff_fax.h"
#include "errors/error_codes.h"
#include "support/temp_dir.h"
#include "tiff_builder.h"

namespace quillon::faximage {
namespace {

using test::Line;

std::vector<Line> twoPageFax(const std::string& path, std::vector<Line>& second) {
  std::mt19937 rng(4);
  auto first = test::randomRows(rng, 1728, 80, 200);
  second = test::randomRows(rng, 2048, 40, 30);
  FaxFileWriter w;
  EXPECT_EQ(w.create(path), ecOK);
  uint8_t code[kCodeBufferSize];
  w.beginPage(PageFlagLengthWords | PageFlagHighRes);
  for (const Line& r : first) w.writeRecord(code, encodeRasterLine({1728, 0, false}, r.data(), code));
  w.writeRecord(kEndOfPageRecord, sizeof kEndOfPageRecord);
  w.endPage();
  w.beginPage(PageFlagLengthWords | PageFlagWide);
  for (const Line& r : second) w.writeRecord(code, encodeRasterLine({2048, 0, false}, r.data(), code));
  w.writeRecord(kEndOfPageRecord, sizeof kEndOfPageRecord);
  w.endPage();
  EXPECT_EQ(w.finish("TIFF TEST", 0), ecOK);
  return first;
}

TEST(TiffFax, ExportPassesTiffinfoAndComesBackThroughTiffcp) {
  if (!test::haveTool("tiffinfo")) GTEST_SKIP() << "libtiff tools not installed";
  quillon::test::TempDir dir;
  std::vector<Line> second;
  auto first = twoPageFax(dir.file("in.apf"), second);
  ASSERT_EQ(ExportFaxToTiff(dir.file("in.apf"), dir.file("out.tif")), ecOK);
  std::string info;
  ASSERT_TRUE(test::runCommand("tiffinfo " + dir.file("out.tif") + " 2>&1", &info));
  EXPECT_NE(info.find("CCITT Group 3"), std::string::npos) << info;
  EXPECT_NE(info.find("204, 196"), std::string::npos) << info;
  EXPECT_NE(info.find("204, 98"), std::string::npos) << info;
  EXPECT_NE(info.find("lsb-to-msb"), std::string::npos) << info;
  EXPECT_EQ(info.find("rror"), std::string::npos) << info;

  // Recoded by libtiff (G4, then back to G3) and imported again: the same pages.
  ASSERT_TRUE(test::runCommand("tiffcp -c g4 " + dir.file("out.tif") + " " + dir.file("g4.tif") + " 2>&1"));
  ASSERT_TRUE(test::runCommand("tiffcp -c g3:1d " + dir.file("g4.tif") + " " + dir.file("g3.tif") + " 2>&1"));
  ASSERT_EQ(ImportTiffToFax(dir.file("g3.tif"), dir.file("back.apf")), ecOK);
  EXPECT_EQ(test::pageLines(dir.file("back.apf"), 1), first);
  EXPECT_EQ(test::pageLines(dir.file("back.apf"), 2), second);
  PageHeader p;
  ASSERT_EQ(FindPage(dir.file("back.apf"), 2, p), ecOK);
  EXPECT_EQ(p.flags, PageFlagLengthWords | PageFlagWide);
}

TEST(TiffFax, PagesCodedByNetpbmAndLibtiffImportToTheSameBitmap) {
  if (!test::haveTool("pbmtog3") || !test::haveTool("fax2tiff")) GTEST_SKIP() << "peers not installed";
  quillon::test::TempDir dir;
  std::mt19937 rng(8);
  auto rows = test::randomRows(rng, 1728, 50, 100);
  std::string pbm = "P4\n1728 50\n";
  for (const Line& r : rows) pbm.append(r.begin(), r.end());
  dir.write("in.pbm", pbm);
  ASSERT_TRUE(test::runCommand("pbmtog3 " + dir.file("in.pbm") + " > " + dir.file("msb.g3") + " 2>/dev/null"));
  ASSERT_TRUE(test::runCommand("fax2tiff -M -o " + dir.file("fax2tiff.tif") + " " + dir.file("msb.g3") + " 2>&1"));
  // Raw data in the other bit order, as some fax software stores it.
  ASSERT_EQ(ImportTiffToFax(dir.file("msb.g3"), dir.file("raw.apf")), ecOK);
  EXPECT_TRUE(test::pageLines(dir.file("raw.apf"), 1) == rows);
  ASSERT_EQ(ImportTiffToFax(dir.file("fax2tiff.tif"), dir.file("tiff.apf")), ecOK);
  // fax2tiff keeps the end-of-page EOLs as blank rows at the bottom.
  auto imported = test::pageLines(dir.file("tiff.apf"), 1);
  ASSERT_GE(imported.size(), rows.size());
  for (size_t i = rows.size(); i < imported.size(); ++i) EXPECT_EQ(imported[i], Line(216));
  imported.resize(rows.size());
  EXPECT_TRUE(imported == rows);
  dir.write("junk.g3", std::string(500, '\xFF'));
  EXPECT_EQ(ImportTiffToFax(dir.file("junk.g3"), dir.file("junk.apf")), ecBadGraphicsFormat);
}

TEST(TiffFax, ImportTakesTheResolutionInItsUnit) {
  quillon::test::TempDir dir;
  // Two rows of 1728 pixels at 77 lines per centimetre (196 per inch), then the same number
  // read as lines per inch.
  for (uint32_t unit : {3u, 2u}) {
    test::TiffBuilder b;
    b.addLong(256, 1728);
    b.addLong(257, 2);
    b.addShort(258, 1);
    b.addShort(259, 1);
    b.addShort(262, 0);
    b.addLong(273, 0);
    b.addLong(278, 2);
    b.addLong(279, 2 * 216);
    b.add(282, 5, {80, 1});
    b.add(283, 5, {77, 1});
    b.addShort(296, unit);
    b.set(273, {b.dataOffset()});
    dir.write("in.tif", b.build(std::string(2 * 216, '\x0F')));
    ASSERT_EQ(ImportTiffToFax(dir.file("in.tif"), dir.file("out.apf")), ecOK) << unit;
    PageHeader p;
    ASSERT_EQ(FindPage(dir.file("out.apf"), 1, p), ecOK);
    EXPECT_EQ(p.highRes(), unit == 3) << unit;
    EXPECT_EQ(test::pageLines(dir.file("out.apf"), 1), std::vector<Line>(2, Line(216, 0x0F)));
  }
}

}  // namespace
}  // namespace quillon::faximage
