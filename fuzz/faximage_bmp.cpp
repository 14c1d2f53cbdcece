// Any bytes as a BMP image: converted into a fax file, or refused with a status code.
#include "faximage_image_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const quillon::fuzz::FuzzFile file("BMP");
  quillon::fuzz::convertImage(quillon::faximage::idBmp, file, data, size);
  return 0;
}
