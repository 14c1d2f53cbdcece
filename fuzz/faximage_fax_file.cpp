// Any bytes as a fax file: page count, flags, every page (up to 4) as a bitmap and as a BMP.
#include <cstddef>
#include <cstdint>

#include "faximage/fax_unpacker.h"
#include "faximage_fuzz_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quillon::faximage;
  static const quillon::fuzz::FuzzFile file("APF");
  TApdFaxUnpacker u;
  u.Loading = true;  // status codes instead of exceptions
  u.SetInFileName(file.write(data, size));
  u.SetOutFileName(file.output() + ".bmp");
  u.AutoScaleMode = size % 3 == 0 ? asNone : size % 3 == 1 ? asDoubleHeight : asHalfWidth;
  u.WhitespaceCompression = size % 2;
  u.WhitespaceFrom = 4;
  u.WhitespaceTo = 1;
  int pages = u.FilePageCount();
  u.FileIsHighRes();
  u.FileIsWide();
  for (int page = 1; page <= pages && page <= 4; ++page) {
    MonoBitmap b;
    if (u.DecodePageToBitmap(unsigned(page), b) == 0 && b.height > 32767) __builtin_trap();
    u.DecodePageToBmp(unsigned(page));
  }
  return 0;
}
