// Any bytes as a PCX image: converted into a fax file, or refused with a status code.
#include <cstddef>
#include <cstdint>

#include "faximage/fax_converter.h"
#include "faximage_fuzz_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quillon::faximage;
  static const quillon::fuzz::FuzzFile file("PCX");
  TApdFaxConverter c;
  c.Loading = true;  // status codes instead of exceptions
  c.SetInputDocumentType(idPcx);
  c.SetOptions(size % 2 ? coDoubleWidth | coCenterImage : coHalfHeight);
  c.SetDocumentFile(file.write(data, size));
  c.SetOutFileName(file.output());
  c.ConvertDocument();
  return 0;
}
