// quillon convert / info / export / import on real files.
#include <gtest/gtest.h>

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

}  // namespace
