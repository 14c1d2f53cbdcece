#pragma once
// Pixel scanning over packed raster lines (first pixel in the most significant bit).
#include <cstddef>
#include <cstdint>

namespace quillon::faximage {

inline bool pixelAt(const uint8_t* line, int x) { return (line[x >> 3] >> (7 - (x & 7))) & 1; }

inline bool isAllZero(const uint8_t* bytes, size_t n) {
  for (size_t i = 0; i < n; ++i)
    if (bytes[i]) return false;
  return true;
}

}  // namespace quillon::faximage
