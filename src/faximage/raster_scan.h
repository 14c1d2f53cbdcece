#pragma once
// Pixel scanning over packed raster lines (first pixel in the most significant bit).
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

// The first position in [pos, limit) whose pixel is not `black`, or limit.
inline int runEnd(const uint8_t* line, int pos, int limit, bool black) {
  const uint8_t same = black ? 0xFF : 0x00;
  // Finish the partial first byte.
  while (pos < limit && (pos & 7)) {
    if (pixelAt(line, pos) != black) return pos;
    ++pos;
  }
  // Whole bytes of the run's colour.
  while (pos + 8 <= limit && line[pos >> 3] == same) pos += 8;
  if (pos + 8 <= limit) {
    uint8_t diff = uint8_t(line[pos >> 3] ^ same);  // first 1 bit marks the change
    return pos + std::countl_zero(diff);
  }
  while (pos < limit && pixelAt(line, pos) == black) ++pos;
  return pos;
}

}  // namespace quillon::faximage
