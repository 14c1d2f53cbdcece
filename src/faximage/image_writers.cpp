#include "faximage/image_writers.h"

#include <vector>

#include "faximage/buffered_writer.h"
#include "faximage/byte_order.h"
#include "faximage/pcx_format.h"
#include "errors/error_codes.h"

namespace quillon::faximage {
namespace {

// PCX rows: runs of equal bytes as 0xC0 + count (up to 63) and the byte; a single byte of
// 0xC0 or more as 0xC1 and the byte. Stored bits are 1 = white.
void appendPcxRow(const uint8_t* row, size_t bytes, std::vector<uint8_t>& out) {
  for (size_t i = 0; i < bytes;) {
    uint8_t b = uint8_t(~row[i]);
    size_t run = 1;
    while (i + run < bytes && run < 63 && uint8_t(~row[i + run]) == b) ++run;
    if (run > 1 || b >= 0xC0) out.push_back(uint8_t(0xC0 + run));
    out.push_back(b);
    i += run;
  }
}

int writePcxImage(BufferedWriter& out, const MonoBitmap& image) {
  if (image.width > 0x10000 || image.height > 0x10000) return ecBadArgument;
  PcxHeader h;
  h.xmax = uint16_t(std::max(image.width, 1) - 1);
  h.ymax = uint16_t(std::max(image.height, 1) - 1);
  h.bytesPerLine = uint16_t(image.stride);
  uint8_t header[kPcxHeaderSize];
  h.serialize(header);
  // Header palette: 0 black, 1 white, for readers that take the two colours from it.
  header[19] = header[20] = header[21] = 255;
  int status = out.write(header, sizeof header);
  std::vector<uint8_t> coded;
  for (int y = 0; y < image.height && status == ecOK; ++y) {
    coded.clear();
    appendPcxRow(image.row(y), image.stride, coded);
    status = out.write(coded.data(), coded.size());
  }
  return status;
}

int finishFile(BufferedWriter& out, int status) {
  if (status == ecOK) status = out.close();
  if (status != ecOK) out.discard();
  return status;
}

// A page that produced no lines has no picture; readers reject a 0 x 0 image, so none is
// written.
bool hasPicture(const MonoBitmap& image) { return image.width > 0 && image.height > 0; }

}  // namespace

int writePcx(const std::string& path, const MonoBitmap& image) {
  if (!hasPicture(image)) return ecCantMakeBitmap;
  BufferedWriter out;
  int status = out.create(path);
  if (status != ecOK) return status;
  return finishFile(out, writePcxImage(out, image));
}

int writeDcx(const std::string& path, const std::vector<const MonoBitmap*>& pages) {
  if (pages.size() > size_t(kDcxMaxPages)) return ecBadArgument;
  for (const MonoBitmap* page : pages)
    if (!hasPicture(*page)) return ecCantMakeBitmap;
  BufferedWriter out;
  int status = out.create(path);
  if (status != ecOK) return status;
  std::vector<uint8_t> table(kDcxHeaderSize, 0);
  putLe32(table.data(), kDcxMagic);
  status = out.write(table.data(), table.size());  // placeholder
  for (size_t i = 0; i < pages.size() && status == ecOK; ++i) {
    if (out.position() > UINT32_MAX) {
      status = ecBufferTooBig;
      break;
    }
    putLe32(&table[4 + 4 * i], uint32_t(out.position()));
    status = writePcxImage(out, *pages[i]);
  }
  uint64_t end = out.position();
  if (status == ecOK) status = out.seek(0);
  if (status == ecOK) status = out.write(table.data(), table.size());
  if (status == ecOK) status = out.seek(end);
  return finishFile(out, status);
}

int writeBmp(const std::string& path, const MonoBitmap& image) {
  if (!hasPicture(image)) return ecCantMakeBitmap;
  if (image.height > kMaxBmpHeight) return ecBmpTooBig;
  const size_t padded = (size_t(image.width) + 31) / 32 * 4;
  const uint32_t dataSize = uint32_t(padded * size_t(image.height));
  uint8_t h[62] = {};
  h[0] = 'B';
  h[1] = 'M';
  putLe32(h + 2, dataSize + 62);
  putLe32(h + 10, 62);
  putLe32(h + 14, 40);
  putLe32(h + 18, uint32_t(image.width));
  putLe32(h + 22, uint32_t(image.height));
  putLe16(h + 26, 1);
  putLe16(h + 28, 1);
  putLe32(h + 34, dataSize);
  // Palette: black, then white.
  h[58] = h[59] = h[60] = 255;
  BufferedWriter out;
  int status = out.create(path);
  if (status != ecOK) return status;
  status = out.write(h, sizeof h);
  std::vector<uint8_t> row(padded);
  for (int y = image.height - 1; y >= 0 && status == ecOK; --y) {
    std::fill(row.begin(), row.end(), uint8_t(0));
    const uint8_t* src = image.row(y);
    for (size_t i = 0; i < std::min(padded, image.stride); ++i) row[i] = uint8_t(~src[i]);
    status = out.write(row.data(), row.size());
  }
  return finishFile(out, status);
}

}  // namespace quillon::faximage
