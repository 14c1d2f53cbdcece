#pragma once
// The body of the image-reader fuzz targets: any bytes as an image file of one type,
// converted into a fax file or refused with a status code.
#include <cstddef>
#include <cstdint>

#include "faximage/fax_converter.h"
#include "faximage_fuzz_file.h"

namespace quillon::fuzz {

inline void convertImage(faximage::TFaxInputDocumentType type, const FuzzFile& file,
                         const std::uint8_t* data, std::size_t size) {
  using namespace faximage;
  TApdFaxConverter c;
  c.Loading = true;  // status codes instead of exceptions
  c.SetInputDocumentType(type);
  c.SetOptions(size % 2 ? coDoubleWidth | coCenterImage : coHalfHeight);
  c.SetDocumentFile(file.write(data, size));
  c.SetOutFileName(file.output());
  c.ConvertDocument();
}

}  // namespace quillon::fuzz
