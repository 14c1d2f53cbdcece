#include "faximage/tiff_fax/tiff_fax.h"

#include <tiffio.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <memory>
#include <vector>

#include "faximage/fax_file.h"
#include "faximage/fax_file_writer.h"
#include "faximage/fax_page_reader.h"
#include "faximage/fax_unpacker.h"
#include "faximage/line_assembler.h"
#include "faximage/mh_decoder.h"
#include "faximage/mh_encoder.h"
#include "faximage/posix_file.h"
#include "errors/error_codes.h"

namespace quillon::faximage {
namespace {

struct TiffCloser {
  void operator()(TIFF* t) const { TIFFClose(t); }
};
using TiffHandle = std::unique_ptr<TIFF, TiffCloser>;

// libtiff reports through handlers that print; the status codes say enough.
void quietHandlers() {
  TIFFSetErrorHandler(nullptr);
  TIFFSetWarningHandler(nullptr);
}

// Writes one fax page into the current TIFF directory.
int writeTiffPage(TIFF* tiff, const std::vector<std::vector<uint8_t>>& lines, int width, bool fine,
                  int page, int pages) {
  TIFFSetField(tiff, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
  TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, uint32_t(width));
  TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, uint32_t(lines.size()));
  TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 1);
  TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
  TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX3);
  TIFFSetField(tiff, TIFFTAG_GROUP3OPTIONS, GROUP3OPT_FILLBITS);
  TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
  TIFFSetField(tiff, TIFFTAG_FILLORDER, FILLORDER_LSB2MSB);
  TIFFSetField(tiff, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
  TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, uint32_t(std::max<size_t>(lines.size(), 1)));
  TIFFSetField(tiff, TIFFTAG_XRESOLUTION, 204.0f);
  TIFFSetField(tiff, TIFFTAG_YRESOLUTION, fine ? 196.0f : 98.0f);
  TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
  TIFFSetField(tiff, TIFFTAG_PAGENUMBER, uint16_t(page), uint16_t(pages));
  TIFFSetField(tiff, TIFFTAG_CLEANFAXDATA, CLEANFAXDATA_CLEAN);
  // The page as one strip, coded in one call: the same bytes as row by row, at less cost.
  const size_t rowBytes = size_t(width) / 8;
  std::vector<uint8_t> strip(rowBytes * lines.size());
  for (size_t y = 0; y < lines.size(); ++y)
    std::memcpy(&strip[y * rowBytes], lines[y].data(), std::min(rowBytes, lines[y].size()));
  if (!strip.empty() && TIFFWriteEncodedStrip(tiff, 0, strip.data(), tmsize_t(strip.size())) < 0)
    return ecBadGraphicsFormat;
  return TIFFWriteDirectory(tiff) ? ecOK : ecBadGraphicsFormat;
}

// Codes lines into a fax page of line records.
int writeFaxPage(FaxFileWriter& writer, const std::vector<std::vector<uint8_t>>& lines, bool fine, bool wide) {
  const int width = wide ? 2048 : 1728;
  int status = writer.beginPage(uint16_t(PageFlagLengthWords | (fine ? PageFlagHighRes : 0) | (wide ? PageFlagWide : 0)));
  std::vector<uint8_t> code(kCodeBufferSize);
  std::vector<uint8_t> line(size_t(width) / 8);
  for (size_t i = 0; status == ecOK && i < lines.size(); ++i) {
    std::fill(line.begin(), line.end(), uint8_t(0));
    std::memcpy(line.data(), lines[i].data(), std::min(line.size(), lines[i].size()));
    status = writer.writeRecord(code.data(), encodeRasterLine({width, 0, false}, line.data(), code.data()));
  }
  if (status == ecOK) status = writer.writeRecord(kEndOfPageRecord, sizeof kEndOfPageRecord);
  return status == ecOK ? writer.endPage() : status;
}

bool looksLikeTiff(const std::string& path) {
  PosixFile f;
  uint8_t head[4];
  if (f.openRead(path) != ecOK || f.readExact(head, 4, ecBadGraphicsFormat) != ecOK) return false;
  return (head[0] == 'I' && head[1] == 'I' && head[2] == 42 && head[3] == 0) ||
         (head[0] == 'M' && head[1] == 'M' && head[2] == 0 && head[3] == 42);
}

// Raw Group 3 data: decoded as sent (first bit least significant), or with the bits of each
// byte the other way round when that gives no lines.
int importRaw(const std::string& path, FaxFileWriter& writer, bool fine) {
  PosixFile f;
  int status = f.openRead(path);
  uint64_t size = 0;
  if (status == ecOK) status = f.size(size);
  if (status != ecOK) return status;
  if (size > (uint64_t(64) << 20)) return ecBadGraphicsFormat;
  std::vector<uint8_t> data(static_cast<size_t>(size));
  if ((status = f.readExact(data.data(), data.size(), ecBadGraphicsFormat)) != ecOK) return status;
  for (int attempt = 0; attempt < 2; ++attempt) {
    std::vector<std::vector<uint8_t>> lines;
    bool wide = false;
    LineAssembler assembler([&](const uint8_t* l, size_t n) {
      wide = wide || n == 256;
      lines.emplace_back(l, l + n);
    });
    MhDecoder decoder(assembler);
    decoder.feed(data.data(), data.size());
    decoder.finish();
    if (!lines.empty()) return writeFaxPage(writer, lines, fine, wide);
    for (uint8_t& b : data) {
      uint8_t r = 0;
      for (int k = 0; k < 8; ++k) r |= uint8_t(((b >> k) & 1) << (7 - k));
      b = r;
    }
  }
  return ecBadGraphicsFormat;
}

int importTiff(const std::string& path, FaxFileWriter& writer) {
  TiffHandle tiff(TIFFOpen(path.c_str(), "r"));
  if (!tiff) return ecBadGraphicsFormat;
  do {
    uint32_t width = 0, height = 0;
    uint16_t bits = 1, samples = 1, photometric = PHOTOMETRIC_MINISWHITE;
    float yres = 196;
    uint16_t unit = RESUNIT_INCH;
    TIFFGetField(tiff.get(), TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tiff.get(), TIFFTAG_IMAGELENGTH, &height);
    TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetField(tiff.get(), TIFFTAG_PHOTOMETRIC, &photometric);
    TIFFGetField(tiff.get(), TIFFTAG_YRESOLUTION, &yres);
    TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_RESOLUTIONUNIT, &unit);
    if (unit == RESUNIT_CENTIMETER) yres *= 2.54f;  // fine is 196 lines per inch, 77 per cm
    if (bits != 1 || samples != 1 || width == 0 || width > 32768 || height > 65535) return ecBadGraphicsFormat;
    const bool wide = width > 1728;
    std::vector<uint8_t> row(size_t(TIFFScanlineSize(tiff.get())) + 1);
    std::vector<std::vector<uint8_t>> lines;
    for (uint32_t y = 0; y < height; ++y) {
      if (TIFFReadScanline(tiff.get(), row.data(), y, 0) < 0) return ecBadGraphicsFormat;
      std::vector<uint8_t> line(wide ? 256 : 216);
      size_t n = std::min(line.size(), (size_t(width) + 7) / 8);
      for (size_t i = 0; i < n; ++i) line[i] = photometric == PHOTOMETRIC_MINISBLACK ? uint8_t(~row[i]) : row[i];
      if (width % 8 && n == (size_t(width) + 7) / 8) line[n - 1] &= uint8_t(0xFF << (8 - width % 8));
      lines.push_back(std::move(line));
    }
    int status = writeFaxPage(writer, lines, yres > 150, wide);
    if (status != ecOK) return status;
  } while (TIFFReadDirectory(tiff.get()));
  return ecOK;
}

}  // namespace

int ExportFaxToTiff(const std::string& faxFile, const std::string& tiffFile) {
  quietHandlers();
  TApdFaxUnpacker unpacker;
  unpacker.Loading = true;
  unpacker.AutoScaleMode = asNone;
  unpacker.SetInFileName(faxFile);
  int pages = unpacker.FilePageCount();
  if (pages < 0) return pages;
  // A TIFF needs at least one image; a fax without pages has nothing to write.
  if (pages == 0) return ecInvalidPageNumber;
  TiffHandle tiff(TIFFOpen(tiffFile.c_str(), "w"));
  if (!tiff) return ecBadGraphicsFormat;
  FaxPageReader chain;  // one walk along the pages for their headers
  int status = chain.open(faxFile);
  for (int page = 1; status == ecOK && page <= pages; ++page) {
    if ((status = chain.findPage(unsigned(page))) != ecOK) break;
    const PageHeader& header = chain.page();
    std::vector<std::vector<uint8_t>> lines;
    unpacker.OnOutputLine = [&](TApdFaxUnpacker&, bool s, bool e, const uint8_t* d, int n, int) {
      if (!s && !e) lines.emplace_back(d, d + n);
    };
    if ((status = unpacker.UnpackPage(unsigned(page))) != ecOK) break;
    status = writeTiffPage(tiff.get(), lines, header.lineWidth(), header.highRes(), page - 1, pages);
  }
  tiff.reset();
  if (status != ecOK) ::unlink(tiffFile.c_str());
  return status;
}

int ImportTiffToFax(const std::string& inputFile, const std::string& faxFile, const ImportOptions& options) {
  quietHandlers();
  PosixFile probe;
  if (int status = probe.openRead(inputFile); status != ecOK) return status;
  FaxFileWriter writer;
  int status = writer.create(faxFile);
  if (status != ecOK) return status;
  status = looksLikeTiff(inputFile) ? importTiff(inputFile, writer) : importRaw(inputFile, writer, options.fineForRawData);
  if (status != ecOK) return status;  // the writer deletes the unfinished file
  return writer.finish(options.stationId, std::time(nullptr));
}

}  // namespace quillon::faximage
