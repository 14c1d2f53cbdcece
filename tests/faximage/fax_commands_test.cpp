// quillon convert / info / export / import on real files.
#include <gtest/gtest.h>

#include <fstream>

#include <filesystem>
#include <sstream>

#include "support/run_command.h"
#include "support/temp_dir.h"

namespace {

using Run = quillon::test::CommandRun;
const auto run = quillon::test::runQuillon;

TEST(FaxCommands, ConvertInfoExportImportRoundTrip) {
  quillon::test::TempDir dir;
  dir.write("letter.txt", "Dear reader,\r\n\tthis is a fax.\r\n\fSecond page\r\n");
  auto convert = run({"convert", dir.file("letter.txt"), dir.file("letter"), "--fine", "--station", "+1 555 0100"});
  ASSERT_EQ(convert.status, 0) << convert.err;
  EXPECT_EQ(convert.out, dir.file("letter.APF") + "\n");

  auto info = run({"info", dir.file("letter.APF"), "--json"});
  ASSERT_EQ(info.status, 0) << info.err;
  EXPECT_NE(info.out.find("\"stationId\": \"+1 555 0100\""), std::string::npos) << info.out;
  EXPECT_NE(info.out.find("\"pageCount\": 2"), std::string::npos) << info.out;
  EXPECT_NE(info.out.find("\"flags\": 5"), std::string::npos) << info.out;
  // Three text lines of 32 rows: a form feed at the start of a line first sets an empty line.
  EXPECT_NE(info.out.find("\"lines\": 96"), std::string::npos) << info.out;

  for (const char* format : {"bmp", "pcx", "dcx", "pbm"}) {
    std::string out = dir.file(std::string("page2.") + format);
    auto e = run({"export", dir.file("letter.APF"), out, "--page", "2"});
    EXPECT_EQ(e.status, 0) << format << ": " << e.err;
    EXPECT_GT(std::filesystem::file_size(out), 60u) << format;
  }
  auto tiff = run({"export", dir.file("letter.APF"), dir.file("letter.tif")});
  ASSERT_EQ(tiff.status, 0) << tiff.err;
  auto pdf = run({"export", dir.file("letter.APF"), dir.file("letter.out"), "--format", "pdf"});
  ASSERT_EQ(pdf.status, 0) << pdf.err;
  char magic[6] = {};
  std::ifstream(dir.file("letter.out"), std::ios::binary).read(magic, 5);
  EXPECT_STREQ(magic, "%PDF-");  // --format wins over the name's extension
  auto import = run({"import", dir.file("letter.tif"), dir.file("again.APF")});
  ASSERT_EQ(import.status, 0) << import.err;
  EXPECT_NE(run({"info", dir.file("again.APF")}).out.find("Pages:       2"), std::string::npos);
}

TEST(FaxCommands, BadInputGivesAClearMessage) {
  quillon::test::TempDir dir;
  dir.write("not.apf", "hello");
  auto info = run({"info", dir.file("not.apf")});
  EXPECT_EQ(info.status, 1);
  EXPECT_NE(info.err.find("File is not an APF file"), std::string::npos) << info.err;
  auto missing = run({"convert", dir.file("none.pcx"), dir.file("x.APF")});
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("File not found"), std::string::npos) << missing.err;
  EXPECT_EQ(run({"export", dir.file("not.apf"), dir.file("x.gif")}).status, 2);
  EXPECT_EQ(run({"convert", dir.file("a.txt")}).status, 2);
  auto page = run({"export", dir.file("not.apf"), dir.file("x.bmp"), "--page", "many"});
  EXPECT_EQ(page.status, 1);
}

// A fax file of the given pages, each a number of blank standard lines (0 = only the
// end-of-page record).
std::string faxWithBlankPages(const std::vector<int>& linesPerPage) {
  auto le16 = [](std::string& s, unsigned v) { s += char(v & 0xFF), s += char(v >> 8 & 0xFF); };
  auto le32 = [&](std::string& s, unsigned v) { le16(s, v & 0xFFFF), le16(s, v >> 16); };
  std::string file("APF10\x1a", 6);
  file.resize(32, '\0');
  le16(file, unsigned(linesPerPage.size()));
  le32(file, 64);
  file.resize(64, '\0');
  const std::string blank("\x00\x80\xB2\x59\x01\x00", 6);
  const std::string endOfPage("\x00\x80\x00\x08\x80\x00\x08\x80\x00\x08\x80\x00", 12);
  for (int lines : linesPerPage) {
    std::string data;
    for (int i = 0; i < lines; ++i) le16(data, 6), data += blank;
    le16(data, 12);
    data += endOfPage;
    le32(file, unsigned(data.size()));
    le16(file, 4);  // line records
    file.append(10, '\0');
    file += data;
  }
  return file;
}

TEST(FaxCommands, EveryFailureIsReportedInItsOwnWords) {
  quillon::test::TempDir dir;
  // 16384 standard lines, doubled in height: one row too many for a BMP.
  dir.write("tall.apf", faxWithBlankPages({16384}));
  auto tall = run({"export", dir.file("tall.apf"), dir.file("tall.bmp")});
  EXPECT_EQ(tall.status, 1);
  EXPECT_NE(tall.err.find("BMP size exceeds Windows' maxheight of 32767"), std::string::npos) << tall.err;
  EXPECT_FALSE(std::filesystem::exists(dir.file("tall.bmp")));

  dir.write("big.txt", "Wy\r\n");
  auto font = run({"convert", dir.file("big.txt"), dir.file("big.APF"), "--type", "textex", "--font-size", "400"});
  EXPECT_EQ(font.status, 1);
  EXPECT_NE(font.err.find("Font selected for enhanced text converter too large"), std::string::npos) << font.err;
  EXPECT_FALSE(std::filesystem::exists(dir.file("big.APF")));
}

TEST(FaxCommands, NothingToExportIsRefusedAndWritesNothing) {
  quillon::test::TempDir dir;
  dir.write("none.apf", faxWithBlankPages({}));
  auto tiff = run({"export", dir.file("none.apf"), dir.file("none.tif")});
  EXPECT_EQ(tiff.status, 1);
  EXPECT_NE(tiff.err.find("has no pages; nothing was written"), std::string::npos) << tiff.err;
  EXPECT_FALSE(std::filesystem::exists(dir.file("none.tif")));
  auto pdf = run({"export", dir.file("none.apf"), dir.file("none.pdf")});
  EXPECT_EQ(pdf.status, 1);
  EXPECT_FALSE(std::filesystem::exists(dir.file("none.pdf")));

  dir.write("empty.apf", faxWithBlankPages({3, 0}));
  for (const char* format : {"bmp", "pcx", "dcx", "pbm"}) {
    std::string out = dir.file(std::string("empty.") + format);
    auto e = run({"export", dir.file("empty.apf"), out, "--page", "2"});
    EXPECT_EQ(e.status, 1) << format;
    EXPECT_NE(e.err.find("page 2 has no lines; nothing was written"), std::string::npos) << format << ": " << e.err;
    EXPECT_FALSE(std::filesystem::exists(out)) << format;
    // The page with lines still exports.
    EXPECT_EQ(run({"export", dir.file("empty.apf"), out, "--page", "1"}).status, 0) << format;
  }
}

}  // namespace
