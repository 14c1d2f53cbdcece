#pragma once
// Builds raster lines from decoded codes: runs fill a 512-byte line buffer, an EOL delivers
// the line when it holds exactly 1728 or 2048 pixels and drops it otherwise, and three EOLs
// without a run between them end the page. Runs before the first EOL are ignored.
#include <cstdint>
#include <functional>

#include "faximage/mh_codes.h"

namespace quillon::faximage {

class LineAssembler {
 public:
  using LineSink = std::function<void(const uint8_t* line, size_t bytes)>;
  static constexpr int kBufferBits = 512 * 8;
  static constexpr int kEolLeafValue = 0x7FFF;  // the decode trees' EOL mark

  explicit LineAssembler(LineSink sink) : sink_(std::move(sink)) {}

  // A leaf of the decode tree: a run length or kEolLeaf.
  void leaf(int value) {
    if (value == kEolLeafValue) eol();
    else run(value);
  }
  void eol();
  // Returns the colour of the next code, so a decoder keeps it in hand rather than reading it
  // back past the line buffer's byte stores.
  Colour run(int length) {
    if (!eolSeen_) return colour_;
    Colour now = colour_;
    if (bit_ + length <= kBufferBits) {
      if (now == Colour::Black) setBlack(bit_, length);
      bit_ += length;
    }
    if (length < 64) now = now == Colour::White ? Colour::Black : Colour::White;
    colour_ = now;
    consecutiveEols_ = 0;
    return now;
  }
  void invalidCode() { ++invalidCodes_; }

  Colour colour() const { return colour_; }  // the tree for the next code
  bool finished() const { return consecutiveEols_ >= 3; }
  unsigned invalidCodes() const { return invalidCodes_; }
  unsigned linesDelivered() const { return linesDelivered_; }

 private:
  void setBlack(int from, int count) {
    if (count <= 0) return;
    int end = from + count;
    int first = from >> 3, last = (end - 1) >> 3;
    uint8_t head = uint8_t(0xFF >> (from & 7));
    uint8_t tail = uint8_t(0xFF << (7 - ((end - 1) & 7)));
    if (last >= blackEnd_) blackEnd_ = last + 1;
    if (first == last) {
      line_[first] |= uint8_t(head & tail);
      return;
    }
    line_[first] |= head;
    for (int i = first + 1; i < last; ++i) line_[i] = 0xFF;
    line_[last] |= tail;
  }

  LineSink sink_;
  uint8_t line_[512] = {};
  int bit_ = 0;
  int blackEnd_ = 0;  // bytes of line_ that may hold black: what the next line must clear
  Colour colour_ = Colour::White;
  int consecutiveEols_ = 0;
  bool eolSeen_ = false;
  unsigned invalidCodes_ = 0;
  unsigned linesDelivered_ = 0;
};

}  // namespace quillon::faximage
