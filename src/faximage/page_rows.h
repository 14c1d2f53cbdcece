#pragma once
// The rows of a decoded page, kept in one block that grows 1024 rows at a time, and the
// monochrome bitmap made from them: rows cut to the widest content (at least one byte), made
// up to an even number of bytes.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "faximage/mono_bitmap.h"

namespace quillon::faximage {

class PageRows {
 public:
  // `white` is the byte of a white row (0x00 when 1 = black, 0xFF when 1 = white); more
  // than `maxRows` rows give -8054.
  PageRows(size_t rowBytes, uint8_t white, size_t maxRows)
      : rowBytes_(rowBytes), white_(white), maxRows_(maxRows) {}

  int add(const uint8_t* line, size_t bytes);
  size_t rows() const { return rows_; }
  MonoBitmap toBitmap() const;  // empty when no row was added

 private:
  size_t rowBytes_;
  uint8_t white_;
  size_t maxRows_;
  std::vector<uint8_t> block_;
  size_t rows_ = 0;
  size_t widest_ = 1;
};

}  // namespace quillon::faximage
