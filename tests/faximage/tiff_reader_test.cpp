// TIFF input of the converter: strips uncompressed and in PackBits, and strip tables that
// would make a careless reader read the same data over and over.
#include <gtest/gtest.h>

#include <fstream>
#include <random>

#include "fax_test_support.h"
#include "faximage/fax_converter.h"
#include "errors/error_codes.h"
#include "support/temp_dir.h"
#include "tiff_builder.h"

namespace quillon::faximage {
namespace {

using test::Line;

constexpr int kWidth = 1728;
constexpr uint32_t kRowBytes = kWidth / 8;

// Bytes this process has read through read() so far (page cache included).
uint64_t bytesReadSoFar() {
  std::ifstream io("/proc/self/io");
  std::string key;
  uint64_t value = 0;
  while (io >> key >> value)
    if (key == "rchar:") return value;
  return 0;
}

// A bilevel TIFF (WhiteIsZero, 1 = black) with the strips `data` holds: strip s starts
// `starts[s]` bytes into it and claims `counts[s]` bytes.
std::string tiffOf(uint32_t height, uint32_t rowsPerStrip, uint16_t compression, std::vector<uint32_t> starts,
                   const std::vector<uint32_t>& counts, const std::string& data) {
  test::TiffBuilder b;
  b.addLong(256, kWidth);
  b.addLong(257, height);
  b.addShort(258, 1);
  b.addShort(259, compression);
  b.addShort(262, 0);
  b.add(273, 4, starts);
  b.addLong(278, rowsPerStrip);
  b.add(279, 4, counts);
  for (uint32_t& start : starts) start += b.dataOffset();
  b.set(273, std::move(starts));
  return b.build(data);
}

std::string packBits(const Line& row) {
  std::string out;
  out += char(128);  // a no-op byte, which readers skip
  for (size_t i = 0; i < row.size(); i += 100) {
    size_t n = std::min<size_t>(100, row.size() - i);
    out += char(n - 1);
    out.append(row.begin() + ptrdiff_t(i), row.begin() + ptrdiff_t(i + n));
  }
  return out;
}

std::vector<Line> convertTiff(const quillon::test::TempDir& dir, const std::string& tiff, uint64_t* bytesRead = nullptr) {
  dir.write("in.tif", tiff);
  TApdFaxConverter c;
  c.SetInputDocumentType(idTiff);
  c.SetDocumentFile(dir.file("in.tif"));
  c.SetOutFileName(dir.file("out.apf"));
  c.SetLeftMargin(0);  // the rows come back as they are
  uint64_t before = bytesReadSoFar();
  EXPECT_EQ(c.ConvertDocument(), ecOK);
  if (bytesRead) *bytesRead = bytesReadSoFar() - before;
  return test::pageLines(dir.file("out.apf"), 1);
}

TEST(TiffInput, RowsComeThroughStripsPlainAndPackBits) {
  quillon::test::TempDir dir;
  std::mt19937 rng(11);
  auto rows = test::randomRows(rng, kWidth, 10, 90);
  for (uint16_t compression : {uint16_t(1), uint16_t(32773)}) {
    // Three rows a strip, the strips stored last to first.
    std::vector<std::string> strips(4);
    for (size_t y = 0; y < rows.size(); ++y)
      strips[y / 3] += compression == 1 ? std::string(rows[y].begin(), rows[y].end()) : packBits(rows[y]);
    std::vector<uint32_t> starts(4), counts(4);
    std::string data;
    for (size_t s = strips.size(); s-- > 0;) {
      starts[s] = uint32_t(data.size());
      counts[s] = uint32_t(strips[s].size());
      data += strips[s];
    }
    EXPECT_EQ(convertTiff(dir, tiffOf(10, 3, compression, starts, counts, data)), rows) << compression;
  }
}

TEST(TiffInput, AMillionStripsOverTheSameDataReadItOnce) {
  quillon::test::TempDir dir;
  // 20,000 one-row strips, all at the same row, each claiming every byte to the end of a
  // file that goes on for 100 kB after the row.
  constexpr uint32_t kStrips = 20000;
  Line row(kRowBytes, 0);
  for (size_t i = 0; i < row.size(); i += 3) row[i] = 0xF0;
  for (uint16_t compression : {uint16_t(1), uint16_t(32773)}) {
    std::string data = compression == 1 ? std::string(row.begin(), row.end()) : packBits(row);
    data.resize(data.size() + 100'000, '\0');
    std::string tiff = tiffOf(kStrips, 1, compression, std::vector<uint32_t>(kStrips, 0),
                              std::vector<uint32_t>(kStrips, 0xFFFFFFFF), data);

    uint64_t read = 0;
    auto lines = convertTiff(dir, tiff, &read);
    ASSERT_EQ(lines.size(), kStrips);
    EXPECT_EQ(lines.front(), row);
    EXPECT_EQ(lines.back(), row);
    // About the file once, far from once per strip.
    EXPECT_LT(read, 2 * tiff.size()) << compression;
  }
}

}  // namespace
}  // namespace quillon::faximage
