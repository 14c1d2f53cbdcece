#include "faximage/pdf_fax/pdf_fax.h"

#include <zlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "errors/error_codes.h"
#include "errors/os_error.h"
#include "faximage/fax_page_reader.h"
#include "faximage/fax_unpacker.h"

namespace quillon::faximage {
namespace {

struct PageImage {
  int width = 0;   // pixels
  int height = 0;  // lines
  bool highRes = false;
  std::vector<uint8_t> rows;  // 1 = black, width / 8 bytes a row
};

int decodePage(const std::string& faxFile, unsigned page, bool highRes, PageImage& image) {
  TApdFaxUnpacker unpacker;
  unpacker.Loading = true;
  unpacker.SetOptions(0);
  unpacker.AutoScaleMode = asNone;  // the lines as they were sent; the page size carries the resolution
  unpacker.SetInFileName(faxFile);
  size_t stride = 0;
  image = PageImage{};
  image.highRes = highRes;
  unpacker.OnOutputLine = [&](TApdFaxUnpacker&, bool starting, bool ending, const uint8_t* data, int len, int) {
    if (starting || ending || len <= 0) return;
    if (stride == 0) stride = size_t(len);
    size_t at = image.rows.size();
    image.rows.resize(at + stride, 0);
    std::copy(data, data + std::min(size_t(len), stride), image.rows.begin() + std::ptrdiff_t(at));
    ++image.height;
  };
  int status = unpacker.UnpackPage(page);
  if (status < 0) return status;
  if (image.height == 0) {  // a page without lines still gets a blank page of its width
    stride = 216;
    image.rows.assign(stride, 0);
    image.height = 1;
  }
  image.width = int(stride * 8);
  return ecOK;
}

std::string deflate(const std::vector<uint8_t>& data) {
  uLongf size = compressBound(uLong(data.size()));
  std::string out(size, '\0');
  if (compress2(reinterpret_cast<Bytef*>(out.data()), &size, data.data(), uLong(data.size()), 6) != Z_OK) return {};
  out.resize(size);
  return out;
}

std::string number(double v) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.2f", v);
  return buffer;
}

class PdfWriter {
 public:
  void object(int id, const std::string& body) {
    grow(id);
    offsets_[size_t(id)] = out_.tellp();
    out_ << id << " 0 obj\n" << body << "\nendobj\n";
  }
  void stream(int id, const std::string& dictionary, const std::string& data) {
    grow(id);
    offsets_[size_t(id)] = out_.tellp();
    out_ << id << " 0 obj\n<< " << dictionary << " /Length " << data.size() << " >>\nstream\n";
    out_.write(data.data(), std::streamsize(data.size()));
    out_ << "\nendstream\nendobj\n";
  }
  std::string finish() {
    std::streamoff xref = out_.tellp();
    out_ << "xref\n0 " << offsets_.size() << "\n0000000000 65535 f \n";
    char line[32];
    for (size_t i = 1; i < offsets_.size(); ++i) {
      std::snprintf(line, sizeof line, "%010lld 00000 n \n", static_cast<long long>(offsets_[i]));
      out_ << line;
    }
    out_ << "trailer\n<< /Size " << offsets_.size() << " /Root 1 0 R >>\nstartxref\n" << xref << "\n%%EOF\n";
    return out_.str();
  }
  PdfWriter() { out_ << "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n"; }

 private:
  void grow(int id) {
    if (offsets_.size() <= size_t(id)) offsets_.resize(size_t(id) + 1, 0);
  }
  std::ostringstream out_;
  std::vector<std::streamoff> offsets_{0};
};

}  // namespace

int ExportFaxToPdf(const std::string& faxFile, const std::string& pdfFile) {
  FaxPageReader reader;
  if (int status = reader.open(faxFile); status != ecOK) return status;
  unsigned count = reader.header().pageCount;
  if (count == 0) return ecInvalidPageNumber;
  PdfWriter pdf;
  std::string kids;
  for (unsigned p = 1; p <= count; ++p) {
    if (int status = reader.findPage(p); status != ecOK) return status;
    PageImage image;
    if (int status = decodePage(faxFile, p, reader.page().highRes(), image); status != ecOK) return status;
    std::string data = deflate(image.rows);
    if (data.empty()) return ecOutOfMemory;
    // Points: 72 a inch; 204 pixels a inch across, 98 or 196 lines a inch down.
    double w = image.width * 72.0 / 204.0;
    double h = image.height * 72.0 / (image.highRes ? 196.0 : 98.0);
    int pageId = 3 + int(p - 1) * 3;
    pdf.stream(pageId + 2,
               "/Type /XObject /Subtype /Image /Width " + std::to_string(image.width) + " /Height " +
                   std::to_string(image.height) +
                   " /ColorSpace /DeviceGray /BitsPerComponent 1 /Decode [1 0] /Filter /FlateDecode",
               data);
    std::string content = "q " + number(w) + " 0 0 " + number(h) + " 0 0 cm /Im0 Do Q\n";
    pdf.stream(pageId + 1, "", content);
    pdf.object(pageId, "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + number(w) + " " + number(h) +
                           "] /Resources << /XObject << /Im0 " + std::to_string(pageId + 2) +
                           " 0 R >> >> /Contents " + std::to_string(pageId + 1) + " 0 R >>");
    kids += std::to_string(pageId) + " 0 R ";
  }
  pdf.object(1, "<< /Type /Catalog /Pages 2 0 R >>");
  pdf.object(2, "<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(count) + " >>");
  std::string bytes = pdf.finish();
  std::ofstream out(pdfFile, std::ios::binary | std::ios::trunc);
  if (!out) return StatusFromLastError();
  out.write(bytes.data(), std::streamsize(bytes.size()));
  out.close();
  if (!out) {
    std::error_code ec;
    std::filesystem::remove(pdfFile, ec);
    return ecDiskFull;
  }
  return ecOK;
}

}  // namespace quillon::faximage
