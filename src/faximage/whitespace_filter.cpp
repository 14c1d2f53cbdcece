#include "faximage/whitespace_filter.h"

#include "faximage/raster_scan.h"

namespace quillon::faximage {

void WhitespaceFilter::line(const uint8_t* data, size_t bytes) {
  if (from_ && isAllZero(data, bytes)) {
    ++held_;
    heldBytes_ = bytes;
    return;
  }
  release();
  sink_(data, bytes);
}

void WhitespaceFilter::release() {
  static const uint8_t blank[512] = {};
  unsigned count = held_ >= from_ ? to_ : held_;
  held_ = 0;
  for (unsigned i = 0; i < count; ++i) sink_(blank, heldBytes_);
}

void WhitespaceFilter::finish() {
  if (from_ == to_) {
    held_ = 0;
    return;
  }
  release();
}

}  // namespace quillon::faximage
