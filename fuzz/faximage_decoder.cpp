// Any bytes as coded page data: the table decoder must agree with the bit-by-bit tree walk,
// however the bytes are split.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "faximage/line_assembler.h"
#include "faximage/mh_decoder.h"

namespace {

struct Result {
  std::vector<std::vector<std::uint8_t>> lines;
  unsigned invalid = 0;
  bool finished = false;
};

template <class Decoder>
Result decode(const std::uint8_t* data, std::size_t size, std::size_t chunk) {
  using namespace quillon::faximage;
  Result r;
  LineAssembler lines([&](const std::uint8_t* l, std::size_t n) { r.lines.emplace_back(l, l + n); });
  Decoder decoder(lines);
  for (std::size_t at = 0; at < size; at += chunk) decoder.feed(data + at, std::min(chunk, size - at));
  decoder.finish();
  r.invalid = lines.invalidCodes();
  r.finished = lines.finished();
  return r;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quillon::faximage;
  if (size == 0) return 0;
  std::size_t chunk = data[0] % 17 + 1;
  Result ref = decode<MhReferenceDecoder>(data + 1, size - 1, size);
  Result fast = decode<MhDecoder>(data + 1, size - 1, chunk);
  if (ref.lines != fast.lines || ref.invalid != fast.invalid || ref.finished != fast.finished)
    __builtin_trap();
  return 0;
}
