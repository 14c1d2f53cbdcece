#include "faximage/mh_decoder.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "faximage/mh_tree.h"

namespace quillon::faximage {
namespace {

constexpr int kLookupBits = 13;  // the longest code

// An entry in two bytes, so that both colours' tables (32 KB) stay in the first-level cache:
// bits 0-3 the bits it consumes, bits 4-15 a run length or one of the marks below.
enum Mark : uint16_t { kFillZeros = 4093, kInvalid = 4094, kEol = 4095 };
struct Lookup {
  uint16_t packed;
  int bits() const { return packed & 15; }
  int value() const { return packed >> 4; }
  static Lookup of(int value, int bits) { return {uint16_t(value << 4 | bits)}; }
};
static_assert(kMaxRun < kFillZeros);

// For every 13-bit window (first bit in bit 0), where the tree walk from the root ends:
// at a leaf, at a missing successor, or at the fill node after eleven 0 bits.
struct LookupTables {
  Lookup table[2][1 << kLookupBits];
  LookupTables() {
    for (int c = 0; c < 2; ++c) {
      const MhTree& tree = MhTree::of(static_cast<Colour>(c));
      for (int window = 0; window < (1 << kLookupBits); ++window) {
        int16_t node = 0;
        for (int i = 0; i < kLookupBits; ++i) {
          node = tree.nodes[node].next[(window >> i) & 1];
          const int used = i + 1;
          if (node == kNoNode) {
            table[c][window] = Lookup::of(kInvalid, used);
            break;
          }
          if (node == tree.zeroNode) {
            table[c][window] = Lookup::of(kFillZeros, used);
            break;
          }
          if (int16_t leaf = tree.nodes[node].leaf; leaf != kNoLeaf) {
            table[c][window] = Lookup::of(leaf == kEolLeaf ? int(kEol) : leaf, used);
            break;
          }
        }
      }
    }
  }
};

const LookupTables& lookupTables() {
  static const LookupTables t;
  return t;
}

}  // namespace

size_t MhReferenceDecoder::feed(const uint8_t* data, size_t size) {
  for (size_t i = 0; i < size; ++i) {
    if (lines_.finished()) return i;
    for (int b = 0; b < 8; ++b) {
      if (lines_.finished()) break;
      int bit = (data[i] >> b) & 1;
      if (skippingOnes_) {
        if (bit) continue;
        skippingOnes_ = false;
      }
      const MhTree& tree = MhTree::of(lines_.colour());
      node_ = tree.nodes[node_].next[bit];
      if (node_ == kNoNode) {
        lines_.invalidCode();
        node_ = 0;
        skippingOnes_ = true;
      } else if (tree.nodes[node_].leaf != kNoLeaf) {
        lines_.leaf(tree.nodes[node_].leaf);
        node_ = 0;
      }
    }
  }
  return size;
}

MhDecoder::MhDecoder(LineAssembler& lines) : lines_(lines) { lookupTables(); }

size_t MhDecoder::feed(const uint8_t* data, size_t size) {
  in_ = data;
  inEnd_ = data + size;
  run();
  size_t used = size_t(in_ - data);
  in_ = inEnd_ = nullptr;
  return used;
}

void MhDecoder::finish() { run(); }

void MhDecoder::run() {
  const LookupTables& t = lookupTables();
  for (;;) {
    if (lines_.finished()) return;
    // Whole words while eight bytes remain (bytes already in the word above count_ are the
    // same ones a later load puts there, so or-ing them again changes nothing), then bytes.
    if (count_ < 64 && inEnd_ - in_ >= 8) {
      uint64_t w;
      std::memcpy(&w, in_, 8);
      bits_ |= w << count_;
      int take = (63 - count_) >> 3;
      in_ += take;
      count_ += take * 8;
    } else {
      while (count_ <= 56 && in_ != inEnd_) {
        bits_ |= uint64_t(*in_++) << count_;
        count_ += 8;
      }
    }
    if (count_ == 0) return;
    if (mode_ == Mode::Code && count_ >= kLookupBits) {
      // The common case: whole codes in hand. The bits, their count and the colour are kept
      // in locals: the line buffer's byte stores could alias the members, which would then
      // be written and read back around every run.
      uint64_t bits = bits_;
      int count = count_;
      Colour colour = lines_.colour();
      bool pageEnded = false;
      do {
        const Lookup e = t.table[static_cast<int>(colour)][bits & ((1u << kLookupBits) - 1)];
        const int value = e.value();
        if (value < kFillZeros) {  // a run
          bits >>= e.bits();       // at most 13 bits
          count -= e.bits();
          colour = lines_.run(value);
          continue;
        }
        if (value == kFillZeros) {
          // Fill bits and an EOL, the start of every line: when the 1 that ends them is in
          // hand the EOL is taken here, without the round through FillZeros mode.
          int zeros = std::countr_zero(bits);
          if (zeros >= count) {
            bits >>= e.bits();
            count -= e.bits();
            mode_ = Mode::FillZeros;
            break;
          }
          bits = zeros + 1 >= 64 ? 0 : bits >> (zeros + 1);
          count -= zeros + 1;
        } else {
          bits >>= e.bits();
          count -= e.bits();
          if (value == kInvalid) {
            lines_.invalidCode();
            mode_ = Mode::SkipOnes;
            break;
          }
        }
        lines_.eol();
        colour = Colour::White;
        if ((pageEnded = lines_.finished())) break;
      } while (count >= kLookupBits);
      bits_ = bits;
      count_ = count;
      if (pageEnded) return;
      continue;
    }
    switch (mode_) {
      case Mode::SkipOnes: {
        int ones = std::min(std::countr_one(bits_), count_);
        consume(ones);
        if (count_ > 0) mode_ = Mode::Code;
        else if (in_ == inEnd_) return;
        break;
      }
      case Mode::FillZeros: {
        int zeros = std::min(std::countr_zero(bits_), count_);
        if (zeros == count_) {  // all zero so far
          consume(zeros);
          if (in_ == inEnd_) return;
          break;
        }
        consume(zeros + 1);  // the zeros and the 1 that ends the EOL
        mode_ = Mode::Code;
        lines_.leaf(kEolLeaf);
        break;
      }
      case Mode::Code: {
        if (in_ != inEnd_) break;  // refill first
        const Lookup e = t.table[static_cast<int>(lines_.colour())][bits_ & ((1u << kLookupBits) - 1)];
        if (e.bits() > count_) return;  // the code is not complete (yet)
        consume(e.bits());
        if (e.value() == kFillZeros) {
          mode_ = Mode::FillZeros;
        } else if (e.value() == kInvalid) {
          lines_.invalidCode();
          mode_ = Mode::SkipOnes;
        } else {
          lines_.leaf(e.value() == kEol ? kEolLeaf : e.value());
        }
        break;
      }
    }
  }
}

}  // namespace quillon::faximage
