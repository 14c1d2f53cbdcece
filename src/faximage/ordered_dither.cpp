#include "faximage/ordered_dither.h"

namespace quillon::faximage {

int ditherThreshold(int i, int j) {
  int r = 0;
  for (int k = 0; k < 4; ++k) {
    r = (((i ^ j) & 1) * 2) | (r * 2) | (j & 1);
    i >>= 1;
    j >>= 1;
  }
  return 10 * r;
}

OrderedDither::OrderedDither() {
  for (int i = 0; i < 32; ++i)
    for (int j = 0; j < 32; ++j) table_[i][j] = int16_t(ditherThreshold(i, j));
}

}  // namespace quillon::faximage
