// Converter input from bitmaps in memory: a monochrome bitmap is used as it is (its spare
// bits count as white), a colour bitmap is reduced with the ordered dither.
#include <algorithm>

#include "faximage/bitmap_reader.h"
#include "faximage/ordered_dither.h"
#include "errors/error_codes.h"

namespace quillon::faximage {
namespace {

class MonoBitmapReader : public ImageReader {
 public:
  explicit MonoBitmapReader(const MonoBitmap& b) : b_(b) {}
  int open(const std::string&) override {
    if (b_.empty() || b_.width > kMaxImageWidth || b_.stride < (size_t(b_.width) + 7) / 8 ||
        b_.bits.size() < b_.stride * size_t(b_.height))
      return ecBadArgument;
    return ecOK;
  }
  int width() const override { return b_.width; }
  int height() const override { return b_.height; }
  int readRow(uint8_t* row) override {
    const size_t n = (size_t(b_.width) + 7) / 8;
    const uint8_t* src = b_.row(y_++);
    for (size_t i = 0; i < n; ++i) row[i] = uint8_t(~src[i]);  // 1 = black from here on
    if (b_.width % 8) row[n - 1] &= uint8_t(0xFF << (8 - b_.width % 8));
    return ecOK;
  }
  uint64_t bytesToConvert() const override { return uint64_t(b_.stride) * uint64_t(b_.height); }
  uint64_t bytesConverted() const override { return uint64_t(b_.stride) * uint64_t(y_); }

 private:
  const MonoBitmap& b_;
  int y_ = 0;
};

class ColourBitmapReader : public ImageReader {
 public:
  explicit ColourBitmapReader(const ColourBitmap& b) : b_(b) {}
  int open(const std::string&) override {
    if (b_.width <= 0 || b_.height <= 0 || b_.width > kMaxImageWidth ||
        b_.pixels.size() < size_t(b_.width) * size_t(b_.height))
      return ecBadArgument;
    return ecOK;
  }
  int width() const override { return b_.width; }
  int height() const override { return b_.height; }
  int readRow(uint8_t* row) override {
    const uint32_t* src = &b_.pixels[size_t(y_) * size_t(b_.width)];
    ++y_;
    std::fill(row, row + (size_t(b_.width) + 7) / 8, uint8_t(0));
    for (int x = 0; x < b_.width; ++x) {
      uint32_t c = src[x];
      if (dither_.black(x, y_, int(c >> 16 & 0xFF), int(c >> 8 & 0xFF), int(c & 0xFF)))
        row[size_t(x) / 8] |= uint8_t(0x80 >> (x % 8));
    }
    return ecOK;
  }
  uint64_t bytesToConvert() const override { return uint64_t(b_.width) * 4 * uint64_t(b_.height); }
  uint64_t bytesConverted() const override { return uint64_t(b_.width) * 4 * uint64_t(y_); }

 private:
  const ColourBitmap& b_;
  int y_ = 0;
  OrderedDither dither_;
};

}  // namespace

std::unique_ptr<ImageReader> makeBitmapReader(const MonoBitmap& bitmap) {
  return std::make_unique<MonoBitmapReader>(bitmap);
}
std::unique_ptr<ImageReader> makeBitmapReader(const ColourBitmap& bitmap) {
  return std::make_unique<ColourBitmapReader>(bitmap);
}

}  // namespace quillon::faximage
