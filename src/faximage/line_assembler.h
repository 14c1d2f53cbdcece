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

  explicit LineAssembler(LineSink sink) : sink_(std::move(sink)) {}

  // A leaf of the decode tree: a run length or kEolLeaf.
  void leaf(int value);
  void invalidCode() { ++invalidCodes_; }

  Colour colour() const { return colour_; }  // the tree for the next code
  bool finished() const { return consecutiveEols_ >= 3; }
  unsigned invalidCodes() const { return invalidCodes_; }
  unsigned linesDelivered() const { return linesDelivered_; }

 private:
  void setBlack(int from, int count);

  LineSink sink_;
  uint8_t line_[512] = {};
  int bit_ = 0;
  Colour colour_ = Colour::White;
  int consecutiveEols_ = 0;
  bool eolSeen_ = false;
  unsigned invalidCodes_ = 0;
  unsigned linesDelivered_ = 0;
};

}  // namespace quillon::faximage
