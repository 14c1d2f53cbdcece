#pragma once
// Ordered dither of colour pixels to black and white: pixel (x, y), y counted from 1, is black
// when R + G + B < T[x mod 32][(y - 1) mod 32].
#include <cstdint>

namespace quillon::faximage {

// T[i][j] = 10 * f(i, j) with f built from four pairs of bits of i and j.
int ditherThreshold(int i, int j);

class OrderedDither {
 public:
  OrderedDither();
  bool black(int x, int y, int r, int g, int b) const {
    return r + g + b < table_[x & 31][(y - 1) & 31];
  }

 private:
  int16_t table_[32][32];
};

}  // namespace quillon::faximage
