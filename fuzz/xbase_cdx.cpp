// Any bytes as a .CDX compound index: read every tag; what reads must write and read back
// to the same tags and keys.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "xbase/cdx_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quillon::xbase;
  std::string error;
  auto tags = readCdx(std::string_view(reinterpret_cast<const char*>(data), size), &error);
  if (!tags) return 0;
  for (auto& tag : *tags) {
    tag.characterKey = true;
    for (auto& k : tag.keys) k.recNo &= 0xFFFFF;  // what a leaf of this writer can hold
  }
  for (auto& tag : *tags) {
    std::sort(tag.keys.begin(), tag.keys.end(), [](const CdxKey& a, const CdxKey& b) {
      return a.key != b.key ? a.key < b.key : a.recNo < b.recNo;
    });
  }
  auto again = readCdx(writeCdx(*tags), &error);
  if (!again || again->size() != tags->size()) __builtin_trap();
  return 0;
}
