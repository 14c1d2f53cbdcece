#pragma once
// Pixel scanning over packed raster lines (first pixel in the most significant bit).
#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace quillon::faximage {

inline bool pixelAt(const uint8_t* line, int x) { return (line[x >> 3] >> (7 - (x & 7))) & 1; }

inline bool isAllZero(const uint8_t* bytes, size_t n) {
  for (size_t i = 0; i < n; ++i)
    if (bytes[i]) return false;
  return true;
}

// The first position in [pos, limit) whose pixel is not `black`, or limit. Reads whole
// 64-bit words while they lie inside the line's (limit + 7) / 8 bytes.
inline int runEnd(const uint8_t* line, int pos, int limit, bool black) {
  const uint64_t flip = black ? ~uint64_t(0) : 0;
  const int lastWordStart = ((limit + 7) >> 3) - 8;  // byte index of the last whole word
  while (pos < limit) {
    int byte = pos >> 3;
    if (byte <= lastWordStart) {
      uint64_t w;
      std::memcpy(&w, line + byte, 8);
      w = __builtin_bswap64(w) ^ flip;  // first pixel in the top bit; 1 = other colour
      w <<= (pos & 7);
      int same = w ? std::countl_zero(w) : 64 - (pos & 7);
      if (same < 64 - (pos & 7)) return std::min(pos + same, limit);
      pos += 64 - (pos & 7);
    } else {
      if (pixelAt(line, pos) != black) return pos;
      ++pos;
    }
  }
  return limit;
}

}  // namespace quillon::faximage
