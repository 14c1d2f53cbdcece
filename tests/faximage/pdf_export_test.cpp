// Whole faxes exported as PDF, read back by poppler's tools: page count, page size,
// image resolution and the pixels themselves.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "errors/error_codes.h"
#include "faximage/fax_converter.h"
#include "faximage/fax_test_support.h"
#include "faximage/pdf_fax/pdf_fax.h"
#include "faximage/sample_fax.h"
#include "support/temp_dir.h"

namespace quillon::faximage {
namespace {

using test::haveTool;
using test::runCommand;

// A binary PBM (P4) as rows of 1 = black.
// A numeric field of pdfinfo's report ("Pages:").
int infoNumber(const std::string& info, const std::string& field) {
  size_t at = info.find(field);
  return at == std::string::npos ? -1 : std::atoi(info.c_str() + at + field.size());
}

bool readPbm(const std::string& path, int& width, int& height, std::vector<uint8_t>& bits) {
  std::ifstream in(path, std::ios::binary);
  std::string magic;
  in >> magic >> width >> height;
  in.get();
  if (magic != "P4" || width <= 0 || height <= 0) return false;
  bits.resize(size_t((width + 7) / 8) * size_t(height));
  in.read(reinterpret_cast<char*>(bits.data()), std::streamsize(bits.size()));
  return bool(in);
}

TEST(PdfExport, PagesKeepTheFaxsSizeResolutionAndPixels) {
  if (!haveTool("pdfinfo") || !haveTool("pdftoppm")) GTEST_SKIP() << "poppler-utils is not installed";
  quillon::test::TempDir dir;
  std::mt19937 rng(21);
  std::vector<MonoBitmap> pages = {test::randomPage(rng, 1728, 392), test::randomPage(rng, 1728, 196),
                                   test::randomPage(rng, 1728, 300)};
  ASSERT_EQ(test::writeFaxPages(dir.file("fine.APF"), pages, true), ecOK);
  ASSERT_EQ(ExportFaxToPdf(dir.file("fine.APF"), dir.file("fine.pdf")), ecOK);
  std::string info;
  ASSERT_TRUE(runCommand("pdfinfo " + dir.file("fine.pdf"), &info));
  EXPECT_EQ(infoNumber(info, "Pages:"), 3) << info;
  // 1728 pixels at 204 per inch = 8.47 in = 609.88 pt; 392 lines at 196 per inch = 2 in = 144 pt.
  EXPECT_NE(info.find("609.88 x 144 pts"), std::string::npos) << info;
  std::string images;
  ASSERT_TRUE(runCommand("pdfimages -list " + dir.file("fine.pdf"), &images));
  EXPECT_NE(images.find("1728   392  gray    1   1  image  no"), std::string::npos) << images;
  EXPECT_NE(images.find("204   196"), std::string::npos) << images;
  // The embedded picture is the page's lines as the unpacker decodes them, bit for bit.
  std::vector<test::Line> lines = test::pageLines(dir.file("fine.APF"), 1);
  ASSERT_EQ(lines.size(), 392u);
  ASSERT_TRUE(runCommand("pdfimages -f 1 -l 1 " + dir.file("fine.pdf") + " " + dir.file("im")));
  int w = 0, h = 0;
  std::vector<uint8_t> bits;
  ASSERT_TRUE(readPbm(dir.file("im-000.pbm"), w, h, bits));
  ASSERT_EQ(w, 1728);
  ASSERT_EQ(h, 392);
  int wrong = 0;
  for (int y = 0; y < h; ++y) wrong += !std::equal(lines[size_t(y)].begin(), lines[size_t(y)].end(), bits.begin() + y * 216);
  EXPECT_EQ(wrong, 0);
  // A page of text rendered at the fax's own resolution shows the fax's pixels. (Poppler
  // resamples pictures of random dots, so those are compared through pdfimages above.)
  std::string text;
  for (int i = 0; i < 40; ++i) text += "Line " + std::to_string(i) + ": The quick brown fox jumps over the lazy dog.\r\n";
  dir.write("letter.txt", text);
  TApdFaxConverter c;
  c.SetInputDocumentType(idText);
  c.SetResolution(frHigh);
  c.SetDocumentFile(dir.file("letter.txt"));
  ASSERT_EQ(c.ConvertDocument(), ecOK);
  ASSERT_EQ(ExportFaxToPdf(dir.file("letter.APF"), dir.file("letter.pdf")), ecOK);
  lines = test::pageLines(dir.file("letter.APF"), 1);
  ASSERT_TRUE(runCommand("pdftoppm -mono -aa no -rx 204 -ry 196 -f 1 -l 1 " + dir.file("letter.pdf") + " " + dir.file("p")));
  ASSERT_TRUE(readPbm(dir.file("p-1.pbm"), w, h, bits));
  ASSERT_EQ(w, 1728);
  ASSERT_EQ(size_t(h), lines.size());
  wrong = 0;
  for (int y = 0; y < h; ++y) wrong += !std::equal(lines[size_t(y)].begin(), lines[size_t(y)].end(), bits.begin() + y * 216);
  EXPECT_EQ(wrong, 0);
}

TEST(PdfExport, StandardPagesAreTwiceAsTallPerLineAndBadFilesWriteNothing) {
  if (!haveTool("pdfinfo")) GTEST_SKIP() << "poppler-utils is not installed";
  quillon::test::TempDir dir;
  std::mt19937 rng(2);
  ASSERT_EQ(test::writeFaxPages(dir.file("std.APF"), {test::randomPage(rng, 1728, 196)}, false), ecOK);
  ASSERT_EQ(ExportFaxToPdf(dir.file("std.APF"), dir.file("std.pdf")), ecOK);
  std::string info;
  ASSERT_TRUE(runCommand("pdfinfo " + dir.file("std.pdf"), &info));
  EXPECT_NE(info.find("609.88 x 144 pts"), std::string::npos) << info;  // 196 lines at 98 per inch

  EXPECT_EQ(ExportFaxToPdf(dir.file("missing.APF"), dir.file("m.pdf")), ecFileNotFound);
  dir.write("junk.APF", "not a fax");
  EXPECT_EQ(ExportFaxToPdf(dir.file("junk.APF"), dir.file("j.pdf")), ecFaxBadFormat);
  EXPECT_FALSE(std::filesystem::exists(dir.file("j.pdf")));
  EXPECT_LT(ExportFaxToPdf(dir.file("std.APF"), dir.file("no/such/folder/x.pdf")), 0);
}

}  // namespace
}  // namespace quillon::faximage
