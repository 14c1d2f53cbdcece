#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "fax_test_support.h"
#include "faximage/fax_converter.h"
#include "faximage/fax_file.h"
#include "faximage/fax_file_join.h"
#include "faximage/fax_file_writer.h"
#include "faximage/fax_unpacker.h"
#include "faximage/mh_encoder.h"
#include "errors/error_codes.h"
#include "errors/exceptions.h"
#include "support/temp_dir.h"

namespace quillon::faximage {
namespace {

using test::Line;

// Writes a fax file whose page holds `rows` (216 bytes each, 1 = black) as line records.
void writeFax(const std::string& path, const std::vector<std::vector<Line>>& pages, uint16_t flags) {
  FaxFileWriter w;
  ASSERT_EQ(w.create(path), ecOK);
  uint8_t code[kCodeBufferSize];
  for (const auto& rows : pages) {
    ASSERT_EQ(w.beginPage(flags), ecOK);
    for (const Line& r : rows) w.writeRecord(code, encodeRasterLine({1728, 0, false}, r.data(), code));
    w.writeRecord(kEndOfPageRecord, sizeof kEndOfPageRecord);
    ASSERT_EQ(w.endPage(), ecOK);
  }
  ASSERT_EQ(w.finish("TEST", 0), ecOK);
}

Line inked(uint8_t b = 0x81) {
  Line l(216);
  l[10] = b;
  return l;
}

TEST(FaxFile, EmptyFileAndHeaderFields) {
  quillon::test::TempDir dir;
  FaxFileWriter w;
  ASSERT_EQ(w.create(dir.file("empty.apf")), ecOK);
  ASSERT_EQ(w.finish("ID", std::time(nullptr)), ecOK);
  EXPECT_EQ(std::filesystem::file_size(dir.file("empty.apf")), 64u);
  std::string bytes = dir.read("empty.apf");
  EXPECT_EQ(bytes.substr(0, 6), std::string("APF10\x1A"));
  EXPECT_EQ(bytes[10], 2);
  EXPECT_EQ(bytes.substr(11, 20), "ID                  ");
  FaxHeader h;
  ASSERT_EQ(ReadFaxHeader(dir.file("empty.apf"), h), ecOK);
  EXPECT_EQ(h.pageCount, 0);
  EXPECT_EQ(h.firstPageOffset, 64u);
  EXPECT_TRUE(IsFaxFile(dir.file("empty.apf")));
  std::tm t{};
  t.tm_year = 2026 - 1900;
  t.tm_mon = 11;
  t.tm_mday = 8;
  t.tm_hour = 18;
  t.tm_min = 30;
  t.tm_sec = 41;
  std::tm back = unpackDosDateTime(packDosDateTime(t));
  EXPECT_EQ(back.tm_year, t.tm_year);
  EXPECT_EQ(back.tm_mday, 8);
  EXPECT_EQ(back.tm_sec, 40);
  t.tm_year = 2100 - 1900;
  EXPECT_EQ(packDosDateTime(t), 0u);
}

TEST(FaxFile, BadFilesGiveTheirCodes) {
  quillon::test::TempDir dir;
  FaxHeader h;
  PageHeader p;
  EXPECT_EQ(ReadFaxHeader("", h), ecFileNotFound);
  EXPECT_EQ(ReadFaxHeader(dir.file("missing"), h), ecFileNotFound);
  dir.write("text.apf", std::string(100, 'x'));
  EXPECT_EQ(ReadFaxHeader(dir.file("text.apf"), h), ecFaxBadFormat);
  EXPECT_FALSE(IsFaxFile(dir.file("text.apf")));
  writeFax(dir.file("two.apf"), {{inked()}, {inked(), inked()}}, PageFlagLengthWords);
  EXPECT_EQ(FindPage(dir.file("two.apf"), 3, p), ecFaxBadFormat);
  EXPECT_EQ(FindPage(dir.file("two.apf"), 0, p), ecFaxBadFormat);
  // A chain that points past the end of the file.
  std::string bytes = dir.read("two.apf");
  bytes[64] = '\xFF';
  bytes[67] = '\x7F';
  dir.write("broken.apf", bytes);
  EXPECT_EQ(FindPage(dir.file("broken.apf"), 2, p), ecFaxBadFormat);
  TApdFaxUnpacker u;
  u.SetInFileName(dir.file("broken.apf"));
  MonoBitmap b;
  EXPECT_EQ(u.DecodePageToBitmap(1, b), ecOK);  // page 1 still ends at its end-of-page code
  EXPECT_THROW(u.DecodePageToBitmap(2, b), EFaxBadFormat);
}

TEST(FaxUnpacker, ReceivedPagesWithoutRecordsOrEndOfPageDecodeToTheirLength) {
  quillon::test::TempDir dir;
  FaxFileWriter w;
  ASSERT_EQ(w.create(dir.file("rx.apf")), ecOK);
  ASSERT_EQ(w.beginPage(PageFlagHighRes), ecOK);
  uint8_t code[kCodeBufferSize];
  for (int i = 0; i < 5; ++i) {
    Line l = inked(uint8_t(i + 1));
    size_t n = encodeRasterLine({1728, 0, false}, l.data(), code);
    w.writeData(code, n);
  }
  w.writeData(kBlankLineRecord, 2);  // an EOL ends the last line; no end-of-page record
  ASSERT_EQ(w.endPage(), ecOK);
  ASSERT_EQ(w.finish("", 0), ecOK);
  auto lines = test::pageLines(dir.file("rx.apf"), 1);
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[4], inked(5));
}

TEST(FaxUnpacker, WhitespaceCompressionShortensLongBlankRuns) {
  quillon::test::TempDir dir;
  std::vector<Line> rows = {inked()};
  rows.insert(rows.end(), 25, Line(216));
  rows.push_back(inked());
  rows.insert(rows.end(), 7, Line(216));
  rows.push_back(inked());
  rows.insert(rows.end(), 12, Line(216));  // at the end of the page
  writeFax(dir.file("ws.apf"), {rows}, PageFlagLengthWords | PageFlagHighRes);
  TApdFaxUnpacker u;
  u.SetInFileName(dir.file("ws.apf"));
  u.WhitespaceCompression = true;
  u.WhitespaceFrom = 10;
  u.WhitespaceTo = 2;
  int lines = 0;
  u.OnOutputLine = [&](TApdFaxUnpacker&, bool s, bool e, const uint8_t*, int, int) { lines += !s && !e; };
  u.UnpackPage(1);
  EXPECT_EQ(lines, 1 + 2 + 1 + 7 + 1 + 2);
  u.WhitespaceFrom = 2;
  u.WhitespaceTo = 10;
  EXPECT_THROW(u.UnpackPage(1), EBadArgument);
}

TEST(FaxUnpacker, BitmapsAreInvertedScaledAndCutToTheirContent) {
  quillon::test::TempDir dir;
  writeFax(dir.file("std.apf"), {{inked(0x80), Line(216), inked(0x01)}}, PageFlagLengthWords);
  TApdFaxUnpacker u;
  u.SetInFileName(dir.file("std.apf"));
  MonoBitmap b;
  ASSERT_EQ(u.DecodePageToBitmap(1, b), ecOK);
  // Standard resolution doubles the rows; content ends in byte 10, made even: 12 bytes.
  EXPECT_EQ(b.height, 6);
  EXPECT_EQ(b.width, 96);
  EXPECT_EQ(b.row(0)[10], 0x7F);  // 1 = white
  EXPECT_EQ(b.row(1)[10], 0x7F);
  EXPECT_EQ(b.row(5)[10], 0xFE);
  EXPECT_EQ(b.row(0)[11], 0xFF);

  u.AutoScaleMode = asHalfWidth;
  ASSERT_EQ(u.DecodePageToBitmap(1, b), ecOK);
  EXPECT_EQ(b.height, 3);
  // Each black pixel had a white neighbour in its pair: the bitmap keeps only pairs that
  // were both black, so the page is white and 16 pixels wide.
  EXPECT_EQ(b.width, 16);
  EXPECT_EQ(b.row(0)[0], 0xFF);

  u.AutoScaleMode = asNone;
  u.Scaling = true;
  u.SetHorizMult(2);
  u.SetVertDiv(3);
  u.SetVertMult(0);  // ignored
  ASSERT_EQ(u.DecodePageToBitmap(1, b), ecOK);
  EXPECT_EQ(b.width, 192);
  EXPECT_EQ(b.height, 1);

  writeFax(dir.file("blank.apf"), {{Line(216), Line(216)}, {}}, PageFlagLengthWords | PageFlagHighRes);
  TApdFaxUnpacker blank;
  blank.SetInFileName(dir.file("blank.apf"));
  ASSERT_EQ(blank.DecodePageToBitmap(1, b), ecOK);
  EXPECT_EQ(b.width, 16);
  EXPECT_EQ(b.height, 2);
  ASSERT_EQ(blank.DecodePageToBitmap(2, b), ecOK);
  EXPECT_TRUE(b.empty());
  EXPECT_EQ(blank.FilePageCount(), 2);
  EXPECT_TRUE(blank.FileIsHighRes());
  EXPECT_FALSE(blank.FileIsWide());
}

TEST(FaxUnpacker, FileOutputNamesAndAbort) {
  quillon::test::TempDir dir;
  writeFax(dir.file("f.apf"), {{inked(), inked()}}, PageFlagLengthWords);
  TApdFaxUnpacker u;
  u.SetInFileName(dir.file("f.apf"));
  EXPECT_EQ(u.OutFileName(), dir.file("f"));
  EXPECT_EQ(u.DecodePageToPcx(1), ecOK);
  EXPECT_EQ(u.DecodePageToDcx(1), ecOK);
  EXPECT_EQ(u.DecodePageToBmp(1), ecOK);
  for (const char* name : {"f.PCX", "f.DCX", "f.BMP"}) EXPECT_TRUE(std::filesystem::exists(dir.file(name)));
  u.SetOutFileName(dir.file("named.img"));
  EXPECT_EQ(u.OutputFileName("BMP"), dir.file("named.img"));
  // uoAbort set from the status event ends the decoding without an error.
  int lines = 0;
  u.OnOutputLine = [&](TApdFaxUnpacker&, bool s, bool e, const uint8_t*, int, int) { lines += !s && !e; };
  u.OnStatus = [](TApdFaxUnpacker& self, const std::string&, int, int64_t, int64_t) {
    self.SetOptions(self.Options() | uoAbort);
  };
  EXPECT_EQ(u.UnpackPage(1), ecOK);
  EXPECT_LT(lines, 4);
}

TEST(FaxFileJoin, AppendsPagesAndRefusesNonFaxFiles) {
  quillon::test::TempDir dir;
  writeFax(dir.file("a.apf"), {{inked(1)}, {inked(2)}}, PageFlagLengthWords);
  writeFax(dir.file("b.apf"), {{inked(3), inked(4)}}, PageFlagLengthWords | PageFlagHighRes);
  writeFax(dir.file("c.apf"), {{inked(5)}}, PageFlagLengthWords);
  ASSERT_EQ(JoinFaxFiles({dir.file("a.apf"), dir.file("b.apf"), dir.file("c.apf")}, dir.file("j.apf")), ecOK);
  TApdFaxUnpacker u;
  u.SetInFileName(dir.file("j.apf"));
  EXPECT_EQ(u.FilePageCount(), 4);
  EXPECT_EQ(test::pageLines(dir.file("j.apf"), 3), (std::vector<Line>{inked(3), inked(4)}));
  EXPECT_EQ(test::pageLines(dir.file("j.apf"), 4), (std::vector<Line>{inked(5)}));
  PageHeader p;
  uint64_t at = 0;
  ASSERT_EQ(FindPage(dir.file("j.apf"), 4, p, &at), ecOK);
  EXPECT_EQ(at + p.dataLength, std::filesystem::file_size(dir.file("j.apf")));

  dir.write("x.apf", std::string(80, 'x'));
  std::string before = dir.read("a.apf");
  EXPECT_EQ(AppendFaxFile(dir.file("a.apf"), dir.file("x.apf")), ecFaxBadFormat);
  EXPECT_EQ(AppendFaxFile(dir.file("a.apf"), dir.file("none.apf")), ecFileNotFound);
  EXPECT_EQ(dir.read("a.apf"), before);
  EXPECT_EQ(JoinFaxFiles({dir.file("a.apf"), dir.file("x.apf")}, dir.file("k.apf")), ecFaxBadFormat);
  EXPECT_FALSE(std::filesystem::exists(dir.file("k.apf")));
}

}  // namespace
}  // namespace quillon::faximage
