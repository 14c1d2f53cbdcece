// Any bytes through the data-trigger matcher: the first byte picks the string length and the
// case rule, then the string, then the stream. Every occurrence (without overlap, counted
// from the end of the previous one) must be reported exactly where it ends.
#include <cstddef>
#include <cstdint>
#include <string>

#include "serial/data_matcher.h"

namespace {
unsigned char fold(unsigned char c, bool ignoreCase) {
  return ignoreCase && c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 32) : c;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  std::size_t length = 1 + data[0] % quillon::serial::DataMatcher::kMaxLength;
  bool ignoreCase = data[0] & 0x80;
  if (size < 1 + length) return 0;
  std::string text(reinterpret_cast<const char*>(data + 1), length);
  const std::uint8_t* stream = data + 1 + length;
  std::size_t n = size - 1 - length;

  quillon::serial::DataMatcher matcher(text, ignoreCase);
  std::size_t nextStart = 0;  // occurrences may not begin before the end of the last one
  for (std::size_t i = 0; i < n; ++i) {
    bool reported = matcher.feed(stream[i]);
    bool expected = false;
    if (i + 1 >= length && i + 1 - length >= nextStart) {
      expected = true;
      for (std::size_t k = 0; k < length; ++k)
        if (fold(stream[i + 1 - length + k], ignoreCase) != fold(static_cast<unsigned char>(text[k]), ignoreCase))
          expected = false;
    }
    if (reported != expected) __builtin_trap();
    if (reported) nextStart = i + 1;
  }
  return 0;
}
