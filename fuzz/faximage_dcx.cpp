// Any bytes as a DCX image: converted into a fax file, or refused with a status code.
#include "faximage_image_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const quillon::fuzz::FuzzFile file("DCX");
  quillon::fuzz::convertImage(quillon::faximage::idDcx, file, data, size);
  return 0;
}
