#include "faximage/page_rows.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "errors/error_codes.h"

namespace quillon::faximage {

int PageRows::add(const uint8_t* line, size_t bytes) {
  if (rows_ >= maxRows_) return ecBmpTooBig;
  bytes = std::min(bytes, rowBytes_);
  if (rows_ % 1024 == 0) {
    try {
      block_.resize((rows_ + 1024) * rowBytes_, white_);
    } catch (const std::bad_alloc&) {
      return ecOutOfMemory;
    }
  }
  uint8_t* row = &block_[rows_ * rowBytes_];
  std::memcpy(row, line, bytes);
  std::memset(row + bytes, white_, rowBytes_ - bytes);
  size_t width = bytes;
  while (width > 0 && row[width - 1] == white_) --width;
  widest_ = std::max(widest_, width);
  ++rows_;
  return ecOK;
}

MonoBitmap PageRows::toBitmap() const {
  MonoBitmap b;
  if (rows_ == 0) return b;
  b.stride = (widest_ + 1) / 2 * 2;
  b.width = int(b.stride * 8);
  b.height = int(rows_);
  b.bits.assign(b.stride * rows_, white_);
  for (size_t y = 0; y < rows_; ++y)
    std::memcpy(&b.bits[y * b.stride], &block_[y * rowBytes_], std::min(b.stride, rowBytes_));
  return b;
}

}  // namespace quillon::faximage
