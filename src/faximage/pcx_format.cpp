#include "faximage/pcx_format.h"

#include <cstring>

#include "faximage/byte_order.h"

namespace quillon::faximage {

PcxHeader PcxHeader::parse(const uint8_t* b) {
  PcxHeader h;
  h.manufacturer = b[0];
  h.version = b[1];
  h.encoding = b[2];
  h.bitsPerPixel = b[3];
  h.xmin = le16(b + 4);
  h.ymin = le16(b + 6);
  h.xmax = le16(b + 8);
  h.ymax = le16(b + 10);
  h.planes = b[65];
  h.bytesPerLine = le16(b + 66);
  return h;
}

void PcxHeader::serialize(uint8_t* b) const {
  std::memset(b, 0, kPcxHeaderSize);
  b[0] = manufacturer;
  b[1] = version;
  b[2] = encoding;
  b[3] = bitsPerPixel;
  putLe16(b + 4, xmin);
  putLe16(b + 6, ymin);
  putLe16(b + 8, xmax);
  putLe16(b + 10, ymax);
  b[65] = planes;
  putLe16(b + 66, bytesPerLine);
}

}  // namespace quillon::faximage
