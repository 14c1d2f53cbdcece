#pragma once
// In-memory bitmaps exchanged with the converter and the unpacker.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace quillon::faximage {

// One bit per pixel, leftmost pixel in the most significant bit, rows top to bottom. The
// display convention: 1 = white.
struct MonoBitmap {
  int width = 0;
  int height = 0;
  size_t stride = 0;  // bytes per row
  std::vector<uint8_t> bits;

  bool empty() const { return width == 0 || height == 0; }
  uint8_t* row(int y) { return bits.data() + size_t(y) * stride; }
  const uint8_t* row(int y) const { return bits.data() + size_t(y) * stride; }
};

// A bitmap of any colour depth, as 0xRRGGBB pixels, rows top to bottom.
struct ColourBitmap {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
};

}  // namespace quillon::faximage
