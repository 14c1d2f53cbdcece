#include "faximage/line_assembler.h"

#include <cstring>

#include "faximage/mh_tree.h"

namespace quillon::faximage {

static_assert(LineAssembler::kEolLeafValue == kEolLeaf);

void LineAssembler::eol() {
  if (bit_ == 1728 || bit_ == 2048) {
    ++linesDelivered_;
    sink_(line_, size_t(bit_) / 8);
  }
  std::memset(line_, 0, size_t(blackEnd_));  // white runs wrote nothing
  blackEnd_ = 0;
  bit_ = 0;
  colour_ = Colour::White;
  ++consecutiveEols_;
  eolSeen_ = true;
}

}  // namespace quillon::faximage
