#include "faximage/line_assembler.h"

#include <cstring>

#include "faximage/mh_tree.h"

namespace quillon::faximage {

void LineAssembler::setBlack(int from, int count) {
  int end = from + count;
  while (from < end && (from & 7)) {
    line_[from >> 3] |= uint8_t(0x80 >> (from & 7));
    ++from;
  }
  if (end - from >= 8) {
    std::memset(line_ + (from >> 3), 0xFF, size_t(end - from) >> 3);
    from += (end - from) & ~7;
  }
  while (from < end) {
    line_[from >> 3] |= uint8_t(0x80 >> (from & 7));
    ++from;
  }
}

void LineAssembler::leaf(int value) {
  if (value == kEolLeaf) {
    if (bit_ == 1728 || bit_ == 2048) {
      ++linesDelivered_;
      sink_(line_, size_t(bit_) / 8);
    }
    std::memset(line_, 0, size_t(bit_ + 7) / 8);
    bit_ = 0;
    colour_ = Colour::White;
    ++consecutiveEols_;
    eolSeen_ = true;
    return;
  }
  if (!eolSeen_) return;
  if (bit_ + value <= kBufferBits) {
    if (colour_ == Colour::Black) setBlack(bit_, value);
    bit_ += value;
  }
  if (value < 64) colour_ = colour_ == Colour::White ? Colour::Black : Colour::White;
  consecutiveEols_ = 0;
}

}  // namespace quillon::faximage
