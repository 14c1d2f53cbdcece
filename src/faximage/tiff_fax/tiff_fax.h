#pragma once
// Fax files to and from the TIFF files other fax software uses (through libtiff):
// export writes every page into one multi-page TIFF Class F file (Group 3 one-dimensional
// coding, byte-aligned EOLs, least significant bit first, 204 x 98 or 204 x 196 dpi);
// import reads any bilevel TIFF libtiff can decode, or raw Group 3 page data, into a fax file.
#include <string>

namespace quillon::faximage {

// Status: 0, a negative operating-system status, -8001 for a bad fax file, -8053 for a fax
// without pages (no file is written), -8002 when the TIFF cannot be written or read.
// Import takes a vertical resolution above 150 lines per inch (in inches or centimetres) as
// fine.
int ExportFaxToTiff(const std::string& faxFile, const std::string& tiffFile);

struct ImportOptions {
  bool fineForRawData = true;  // raw G3 data carries no resolution
  std::string stationId;
};
int ImportTiffToFax(const std::string& inputFile, const std::string& faxFile, const ImportOptions& options = {});

}  // namespace quillon::faximage
