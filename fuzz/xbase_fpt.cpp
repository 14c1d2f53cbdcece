// Any bytes as a .FPT memo file: open it and read the memo at every block.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>

#include "xbase/memo_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quillon::xbase;
  static const std::string path = [] {
    char pattern[] = "/tmp/quillon-fuzz-fpt-XXXXXX";
    return std::string(::mkdtemp(pattern)) + "/T.FPT";
  }();
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  MemoFile memo;
  std::string error;
  if (!memo.open(path, &error)) return 0;
  std::uint32_t blocks = static_cast<std::uint32_t>(size / memo.blockSize()) + 2;
  for (std::uint32_t b = 0; b < blocks && b < 4096; ++b) {
    auto text = memo.read(b, &error);
    if (text && text->size() > size) __builtin_trap();  // never more than the file holds
  }
  memo.read(0xFFFFFFFFu, &error);
  return 0;
}
