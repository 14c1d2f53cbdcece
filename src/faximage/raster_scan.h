#pragma once
// Pixel scanning over packed raster lines (first pixel in the most significant bit).
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace quillon::faximage {

inline bool pixelAt(const uint8_t* line, int x) { return (line[x >> 3] >> (7 - (x & 7))) & 1; }

// Most lines of a fax are white: this runs 32 bytes a step, not one.
inline bool isAllZero(const uint8_t* bytes, size_t n) {
  size_t i = 0;
  for (; i + 32 <= n; i += 32) {
    uint64_t w[4];
    std::memcpy(w, bytes + i, 32);
    if (w[0] | w[1] | w[2] | w[3]) return false;
  }
  uint64_t any = 0;
  for (; i + 8 <= n; i += 8) {
    uint64_t w;
    std::memcpy(&w, bytes + i, 8);
    any |= w;
  }
  for (; i < n; ++i) any |= bytes[i];
  return any == 0;
}

}  // namespace quillon::faximage
