#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "faximage/mh_decoder.h"
#include "faximage/mh_encoder.h"
#include "faximage/mh_tree.h"

namespace quillon::faximage {
namespace {

using Line = std::vector<uint8_t>;

struct Decoded {
  std::vector<Line> lines;
  unsigned invalid = 0;
  bool finished = false;
};

template <class Decoder>
Decoded decodeInChunks(const std::vector<uint8_t>& data, std::mt19937* chunker = nullptr) {
  Decoded out;
  LineAssembler lines([&](const uint8_t* l, size_t n) { out.lines.emplace_back(l, l + n); });
  Decoder decoder(lines);
  size_t at = 0;
  while (at < data.size()) {
    size_t n = chunker ? std::min<size_t>(data.size() - at, (*chunker)() % 40 + 1) : data.size() - at;
    decoder.feed(data.data() + at, n);
    at += n;
  }
  decoder.finish();
  out.invalid = lines.invalidCodes();
  out.finished = lines.finished();
  return out;
}

std::vector<uint8_t> encodePage(const std::vector<Line>& lines, const LineGeometry& g) {
  std::vector<uint8_t> page;
  uint8_t code[kCodeBufferSize];
  for (const Line& l : lines) {
    size_t n = encodeRasterLine(g, l.data(), code);
    page.insert(page.end(), code, code + n);
  }
  page.insert(page.end(), std::begin(kEndOfPageRecord), std::end(kEndOfPageRecord));
  return page;
}

Line randomLine(std::mt19937& rng, int width, int density) {
  Line l(size_t(width) / 8);
  // Runs of random length so that make-up codes and long runs both occur.
  int x = 0;
  bool black = rng() % 2;
  while (x < width) {
    int run = int(rng() % (density == 0 ? 2000 : density)) + 1;
    for (int i = x; i < std::min(width, x + run); ++i)
      if (black) l[size_t(i) / 8] |= uint8_t(0x80 >> (i % 8));
    x += run;
    black = !black;
  }
  return l;
}

TEST(MhEncoder, WritesTheFixedBlankLineAndEndOfPage) {
  Line blank(216);
  uint8_t code[kCodeBufferSize];
  size_t n = encodeRasterLine({1728, 50, false}, blank.data(), code);
  ASSERT_EQ(n, 6u);
  EXPECT_EQ(0, std::memcmp(code, kBlankLineRecord, 6));
  uint8_t eop[12];
  EXPECT_EQ(encodeEndOfPage(eop), 12u);
}

TEST(MhEncoder, LeftMarginShiftsTheImageAndABlackStartGetsAMarginRun) {
  // Pixel 0 black: a white run of exactly the margin, then the black run.
  Line l(216);
  l[0] = 0xF0;  // 4 black pixels
  uint8_t code[kCodeBufferSize];
  LineGeometry g{1728, 50, false};
  size_t n = encodeRasterLine(g, l.data(), code);
  std::vector<uint8_t> page(code, code + n);
  page.insert(page.end(), std::begin(kEndOfPageRecord), std::end(kEndOfPageRecord));
  Decoded d = decodeInChunks<MhDecoder>(page);
  ASSERT_EQ(d.lines.size(), 1u);
  // Pixels 50..53 black.
  Line expect(216);
  for (int x = 50; x < 54; ++x) expect[size_t(x) / 8] |= uint8_t(0x80 >> (x % 8));
  EXPECT_EQ(d.lines[0], expect);
}

TEST(MhCodec, RoundTripsRandomLinesAtBothWidthsWithoutMargin) {
  std::mt19937 rng(7);
  for (int width : {1728, 2048}) {
    std::vector<Line> lines;
    for (int i = 0; i < 200; ++i) lines.push_back(randomLine(rng, width, i % 3 == 0 ? 0 : 1 + i % 90));
    lines.push_back(Line(size_t(width) / 8));                  // blank
    lines.push_back(Line(size_t(width) / 8, 0xFF));            // all black
    lines.push_back(Line(size_t(width) / 8, 0xAA));            // alternating pixels
    Decoded d = decodeInChunks<MhDecoder>(encodePage(lines, {width, 0, false}));
    EXPECT_EQ(d.lines, lines);
    EXPECT_EQ(d.invalid, 0u);
    EXPECT_TRUE(d.finished);
  }
}

TEST(MhCodec, DoubleWidthDoublesEveryPixelAndEndsAtThePageWidth) {
  std::mt19937 rng(3);
  for (int margin : {0, 50, 51}) {
    Line src = randomLine(rng, 864, 20);
    src.resize(216);
    uint8_t code[kCodeBufferSize];
    size_t n = encodeRasterLine({1728, margin, true}, src.data(), code);
    std::vector<uint8_t> page(code, code + n);
    page.insert(page.end(), std::begin(kEndOfPageRecord), std::end(kEndOfPageRecord));
    Decoded d = decodeInChunks<MhDecoder>(page);
    ASSERT_EQ(d.lines.size(), 1u) << "margin " << margin;
    // The first white run holds the doubled margin unless the line starts black.
    int shift = (src[0] & 0x80) ? margin : 2 * margin;
    for (int x = 0; x + shift < 1728 && x < 1728; ++x) {
      bool want = x / 2 < 864 && ((src[size_t(x / 2) / 8] >> (7 - (x / 2) % 8)) & 1);
      bool got = (d.lines[0][size_t(x + shift) / 8] >> (7 - (x + shift) % 8)) & 1;
      ASSERT_EQ(got, want) << "margin " << margin << " x " << x;
    }
  }
  // An image too wide for doubling is cut at the page width.
  Line wide(216, 0x0F);
  uint8_t code[kCodeBufferSize];
  size_t n = encodeRasterLine({1728, 50, true}, wide.data(), code);
  std::vector<uint8_t> page(code, code + n);
  page.insert(page.end(), std::begin(kEndOfPageRecord), std::end(kEndOfPageRecord));
  EXPECT_EQ(decodeInChunks<MhDecoder>(page).lines.size(), 1u);
}

TEST(MhDecoder, DropsLinesOfTheWrongLengthAndRecoversAtTheNextEol) {
  // 1727 pixels: white make-up 1664 + white terminating 63.
  std::vector<uint8_t> bad = {0x00, 0x80};
  Line blank(216);
  uint8_t code[kCodeBufferSize];
  size_t n = encodeRasterLine({1728, 0, false}, blank.data(), code);
  // Build the bad line by hand as bits.
  std::vector<int> bits;
  auto put = [&bits](const char* s) { for (; *s; ++s) bits.push_back(*s - '0'); };
  for (int i = 0; i < 15; ++i) bits.push_back(0);
  bits.push_back(1);
  put("011000");    // white 1664
  put("00110100");  // white 63
  std::vector<uint8_t> page((bits.size() + 7) / 8 + 1);
  for (size_t i = 0; i < bits.size(); ++i) page[i / 8] |= uint8_t(bits[i] << (i % 8));
  page.insert(page.end(), code, code + n);
  page.insert(page.end(), std::begin(kEndOfPageRecord), std::end(kEndOfPageRecord));
  Decoded d = decodeInChunks<MhDecoder>(page);
  ASSERT_EQ(d.lines.size(), 1u);
  EXPECT_EQ(d.lines[0], blank);
}

TEST(MhDecoder, EndlessEolsAndGarbageEndWithoutHanging) {
  std::vector<uint8_t> eols(100000, 0);
  for (size_t i = 1; i < eols.size(); i += 2) eols[i] = 0x80;
  Decoded d = decodeInChunks<MhDecoder>(eols);
  EXPECT_TRUE(d.finished);
  EXPECT_TRUE(d.lines.empty());
  std::vector<uint8_t> ones(100000, 0xFF);
  d = decodeInChunks<MhDecoder>(ones);
  EXPECT_TRUE(d.lines.empty());
}

TEST(MhDecoder, TreesStayWithinTheirNodeBudget) {
  EXPECT_LE(MhTree::of(Colour::White).nodes.size(), 306u);
  EXPECT_LE(MhTree::of(Colour::Black).nodes.size(), 306u);
}

// The table decoder must give exactly what the bit-by-bit tree walk gives, on any input and
// however the input is split into chunks.
TEST(MhDecoder, TableDecoderMatchesTheTreeWalkOnAnyInput) {
  std::mt19937 rng(12345);
  std::vector<Line> lines;
  for (int i = 0; i < 40; ++i) lines.push_back(randomLine(rng, 1728, 1 + i % 50));
  const std::vector<uint8_t> page = encodePage(lines, {1728, 0, false});
  for (int round = 0; round < 400; ++round) {
    std::vector<uint8_t> input;
    switch (round % 4) {
      case 0:  // pure noise
        input.resize(rng() % 3000);
        for (auto& b : input) b = uint8_t(rng());
        break;
      case 1:  // noise biased to zeros, so EOLs and fill occur
        input.resize(rng() % 3000);
        for (auto& b : input) b = uint8_t(rng() % 4 ? 0 : rng());
        break;
      default:  // a real page with flipped bits and cut short
        input = page;
        for (int k = 0; k < 1 + round % 20; ++k) input[rng() % input.size()] ^= uint8_t(1 << (rng() % 8));
        input.resize(input.size() - rng() % 200);
    }
    Decoded ref = decodeInChunks<MhReferenceDecoder>(input);
    Decoded fast = decodeInChunks<MhDecoder>(input, &rng);
    ASSERT_EQ(fast.lines, ref.lines) << "round " << round;
    ASSERT_EQ(fast.invalid, ref.invalid) << "round " << round;
    ASSERT_EQ(fast.finished, ref.finished) << "round " << round;
  }
}

}  // namespace
}  // namespace quillon::faximage

#include "faximage/mh_codes.h"

namespace quillon::faximage {
namespace {

// The coding walk pixel by pixel, as plainly as it can be written.
std::vector<uint8_t> referenceEncode(const LineGeometry& g, const uint8_t* line) {
  std::vector<int> bits(15, 0);
  bits.push_back(1);
  auto put = [&bits](MhCode c) {
    for (int i = c.length - 1; i >= 0; --i) bits.push_back((c.bits >> i) & 1);
  };
  auto run = [&](int colour, int length) {
    if (length >= 64) put(makeUpCode(Colour(colour), length / 64 * 64));
    put(terminatingCode(Colour(colour), length % 64));
  };
  auto pixel = [line](int x) { return (line[x / 8] >> (7 - x % 8)) & 1; };
  const int width = g.pageWidth, margin = g.leftMargin, limit = width - margin, f = g.doubleWidth ? 2 : 1;
  bool blank = true;
  for (int x = 0; x < width; ++x) blank = blank && !pixel(x);
  if (blank) {
    run(0, width);
  } else {
    int sum = 0, colour = 0, start = 0;
    bool first = true;
    if (pixel(0)) {
      run(0, margin);
      sum = margin;
      colour = 1;
      first = false;
    }
    for (int x = 1; x <= limit && sum < width; ++x) {
      if (x < limit && pixel(x) == colour) continue;
      if (x == limit) break;
      int r = (x - start) * f + (first ? margin * f : 0);
      first = false;
      r = std::min(r, width - sum);
      run(colour, r);
      sum += r;
      colour ^= 1;
      start = x;
    }
    if (sum < width) run(colour, width - sum);
  }
  std::vector<uint8_t> out(bits.size() / 8 + 2);
  for (size_t i = 0; i < bits.size(); ++i) out[i / 8] |= uint8_t(bits[i] << (i % 8));
  return out;
}

TEST(MhEncoder, WordScanMatchesThePixelWalk) {
  std::mt19937 rng(99);
  uint8_t code[kCodeBufferSize];
  for (int round = 0; round < 600; ++round) {
    int width = round % 2 ? 2048 : 1728;
    Line l = randomLine(rng, width, round % 5 == 0 ? 0 : 1 + round % 70);
    if (round % 7 == 0) std::fill(l.begin() + ptrdiff_t(l.size() / 2), l.end(), uint8_t(0));
    int margin = round % 50 == 0 ? width : int(rng() % 3 == 0 ? 0 : rng() % 120);  // also all margin
    LineGeometry g{width, margin, round % 3 == 0};
    size_t n = encodeRasterLine(g, l.data(), code);
    ASSERT_EQ(std::vector<uint8_t>(code, code + n), referenceEncode(g, l.data())) << "round " << round;
  }
}

}  // namespace
}  // namespace quillon::faximage
