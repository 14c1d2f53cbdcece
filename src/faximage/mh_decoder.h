#pragma once
// Modified Huffman decoders. Both feed a LineAssembler and give the same result for every
// input: MhReferenceDecoder walks the decode tree one bit at a time (bits of each byte from
// least to most significant); MhDecoder looks up to 13 bits at once in tables derived from
// the same trees. After an invalid code, 1 bits are skipped until a 0 bit is met.
#include <cstddef>
#include <cstdint>

#include "faximage/line_assembler.h"

namespace quillon::faximage {

class MhReferenceDecoder {
 public:
  explicit MhReferenceDecoder(LineAssembler& lines) : lines_(lines) {}
  // Decodes the bytes; stops early once the page has ended. Returns the bytes used.
  size_t feed(const uint8_t* data, size_t size);
  void finish() {}

 private:
  LineAssembler& lines_;
  int16_t node_ = 0;
  bool skippingOnes_ = false;
};

class MhDecoder {
 public:
  explicit MhDecoder(LineAssembler& lines);
  // Decodes the bytes (code bits may continue in the next call); returns the bytes used,
  // which is all of them unless the page ended.
  size_t feed(const uint8_t* data, size_t size);
  // The data has ended: decodes what the remaining bits complete.
  void finish();

 private:
  enum class Mode : uint8_t { Code, SkipOnes, FillZeros };
  void run();
  void consume(int n) {
    bits_ = n >= 64 ? 0 : bits_ >> n;
    count_ -= n;
  }

  LineAssembler& lines_;
  uint64_t bits_ = 0;
  int count_ = 0;  // valid bits in bits_
  const uint8_t* in_ = nullptr;
  const uint8_t* inEnd_ = nullptr;
  Mode mode_ = Mode::Code;
};

}  // namespace quillon::faximage
