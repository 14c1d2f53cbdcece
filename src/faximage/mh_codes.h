#pragma once
// The one-dimensional (Modified Huffman) run-length codes of Group 3 fax: terminating codes
// for runs 0 ... 63, make-up codes for multiples of 64 up to 1728 per colour, the extended
// make-up codes 1792 ... 2560 shared by both colours, and the end-of-line code.
#include <cstdint>

namespace quillon::faximage {

enum class Colour : uint8_t { White = 0, Black = 1 };

struct MhCode {
  uint16_t bits;   // the code, first transmitted bit in the most significant used position
  uint8_t length;  // number of bits
};

inline constexpr int kMaxRun = 2560;          // largest make-up code
inline constexpr MhCode kEolCode = {0x001, 12};  // 0000 0000 0001

// Terminating code for a run of 0 ... 63.
MhCode terminatingCode(Colour colour, int run);
// Make-up code for a multiple of 64 from 64 to 2560.
MhCode makeUpCode(Colour colour, int run);

// Calls visit(run, code) for every run code of a colour (terminating and make-up).
template <class Visit>
void forEachRunCode(Colour colour, Visit visit) {
  for (int run = 0; run < 64; ++run) visit(run, terminatingCode(colour, run));
  for (int run = 64; run <= kMaxRun; run += 64) visit(run, makeUpCode(colour, run));
}

}  // namespace quillon::faximage
