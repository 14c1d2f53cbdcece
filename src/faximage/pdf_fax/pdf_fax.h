#pragma once
// Writes a whole fax file as a PDF document: one page per fax page, sized from the fax's
// resolution (204 pixels per inch across, 98 or 196 lines per inch), the page image as a
// 1-bit picture compressed with Flate.
#include <string>

namespace quillon::faximage {

// 0, the fax file's error (-2, -8001, ...), -8053 for a fax without pages (nothing is
// written), or a negative operating-system status when the PDF cannot be written (the
// partial file is removed).
int ExportFaxToPdf(const std::string& faxFile, const std::string& pdfFile);

}  // namespace quillon::faximage
