// The coded bytes of a few whole pages, pinned: a faster encoder must write exactly what the
// one before it wrote (stored faxes, peers and the modem see these bytes), and the decoder
// must give the pages back.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "faximage/line_assembler.h"
#include "faximage/mh_decoder.h"
#include "faximage/mh_encoder.h"

namespace quillon::faximage {
namespace {

using Rows = std::vector<std::vector<uint8_t>>;

// Rows like a page: white lines, short runs as in text, long runs, a few black lines.
Rows samplePage(int width, int height, unsigned seed) {
  std::mt19937 rng(seed);
  Rows rows(size_t(height), std::vector<uint8_t>(size_t(width) / 8));
  for (int y = 0; y < height; ++y) {
    int kind = y % 10;
    if (kind < 4) continue;  // white
    auto& row = rows[size_t(y)];
    if (kind == 9 && y % 30 == 9) {
      std::fill(row.begin(), row.end(), uint8_t(0xFF));
      continue;
    }
    int maxRun = kind < 7 ? 12 : 700;
    int x = int(rng() % 200);
    bool black = true;
    while (x < width) {
      int run = 1 + int(rng() % unsigned(maxRun));
      for (int i = x; i < std::min(width, x + run); ++i)
        if (black) row[size_t(i) / 8] |= uint8_t(0x80 >> (i % 8));
      x += run;
      black = !black;
    }
  }
  return rows;
}

std::vector<uint8_t> codePage(const Rows& rows, const LineGeometry& g) {
  std::vector<uint8_t> page;
  uint8_t code[kCodeBufferSize];
  for (const auto& row : rows) {
    size_t n = encodeRasterLine(g, row.data(), code);
    page.insert(page.end(), code, code + n);
  }
  page.insert(page.end(), std::begin(kEndOfPageRecord), std::end(kEndOfPageRecord));
  return page;
}

uint64_t fnv1a(const std::vector<uint8_t>& bytes) {
  uint64_t h = 0xcbf29ce484222325ull;
  for (uint8_t b : bytes) h = (h ^ b) * 0x100000001b3ull;
  return h;
}

TEST(MhCodedBytes, PagesCodeToThePinnedBytesAndDecodeBack) {
  struct Case {
    int width, margin;
    bool doubleWidth;
    unsigned seed;
    size_t bytes;
    uint64_t hash;
  };
  const Case cases[] = {
      {1728, 0, false, 1, 20943, 0x2223fbc6de6acde7ull},
      {1728, 50, false, 2, 20403, 0xb04e101f3775b6b7ull},
      {2048, 0, false, 3, 24618, 0xa49a92e019f6fbcdull},
      {2048, 64, true, 4, 16196, 0xc704f96968132e42ull},
  };
  for (const Case& c : cases) {
    Rows rows = samplePage(c.width, 400, c.seed);
    std::vector<uint8_t> coded = codePage(rows, {c.width, c.margin, c.doubleWidth});
    EXPECT_EQ(coded.size(), c.bytes) << c.seed;
    EXPECT_EQ(fnv1a(coded), c.hash) << c.seed;
    if (c.margin != 0 || c.doubleWidth) continue;  // only plain pages decode to the same rows
    Rows decoded;
    LineAssembler lines([&](const uint8_t* l, size_t n) { decoded.emplace_back(l, l + n); });
    MhDecoder decoder(lines);
    decoder.feed(coded.data(), coded.size());
    decoder.finish();
    EXPECT_EQ(decoded, rows) << c.seed;
    EXPECT_TRUE(lines.finished());
  }
}

}  // namespace
}  // namespace quillon::faximage
