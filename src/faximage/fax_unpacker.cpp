#include "faximage/fax_unpacker.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "faximage/fax_converter.h"
#include "faximage/fax_page_reader.h"
#include "faximage/image_writers.h"
#include "faximage/line_assembler.h"
#include "faximage/mh_decoder.h"
#include "faximage/page_rows.h"
#include "faximage/whitespace_filter.h"
#include "platform/message_pump.h"
#include "errors/error_codes.h"
#include "errors/raise_on_error.h"

namespace quillon::faximage {
namespace {

bool sameIgnoringCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return std::tolower(x) == std::tolower(y); });
}

// Standard-resolution half width: each pair of pixels becomes one, black when either is
// (rows with 1 = black) or only when both are (rows already inverted, 1 = white).
void halveWidth(const uint8_t* in, size_t bytes, uint8_t* out) {
  for (size_t i = 0; i < bytes / 2; ++i) {
    uint16_t pair = uint16_t(in[2 * i] << 8 | in[2 * i + 1]);
    uint8_t v = 0;
    for (int k = 0; k < 8; ++k)
      if ((pair >> (14 - 2 * k)) & 3) v |= uint8_t(0x80 >> k);
    out[i] = v;
  }
}

}  // namespace

void TApdFaxUnpacker::SetInFileName(const std::string& name) {
  if (!sameIgnoringCase(name, inFileName_)) outFileName_ = withExtension(name, "");
  inFileName_ = name;
}

std::string TApdFaxUnpacker::OutputFileName(const std::string& ext) const {
  if (outFileName_.empty()) return withExtension(inFileName_, ext);
  return hasExtension(outFileName_) ? outFileName_ : outFileName_ + "." + ext;
}

void TApdFaxUnpacker::OutputLine(bool starting, bool ending, const uint8_t* data, int len, int pageNum) {
  if (OnOutputLine) OnOutputLine(*this, starting, ending, data, len, pageNum);
}

void TApdFaxUnpacker::Status(const std::string& fileName, int pageNum, int64_t done, int64_t total) {
  if (OnStatus) OnStatus(*this, fileName, pageNum, done, total);
}

int TApdFaxUnpacker::finish(int status) { return Loading ? status : RaiseOnError(status); }

int TApdFaxUnpacker::decode(unsigned page, Target target, MonoBitmap* result) {
  if (WhitespaceCompression && (WhitespaceFrom < WhitespaceTo || (WhitespaceFrom == 0 && WhitespaceTo != 0)))
    return ecBadArgument;
  FaxPageReader reader;
  int status = reader.open(inFileName_);
  reader.useMark(chain_);
  if (status == ecOK) status = reader.findPage(page);
  if (status != ecOK) return status;
  chain_ = reader.mark();
  options_ &= ~uoAbort;

  const PageHeader& ph = reader.page();
  const bool standard = !ph.highRes();
  const bool invert = target == Target::Bitmap;
  const int pageNum = int(page);
  // Rows keep the page's width; half width halves them.
  const size_t rowBytes = size_t(ph.lineWidth()) / 8 / (standard && AutoScaleMode == asHalfWidth ? 2 : 1);
  PageRows rows(rowBytes, invert ? 0xFF : 0x00,
                target == Target::Bitmap ? size_t(kMaxBmpHeight) : size_t(0xFFFF));
  unsigned linesProduced = 0;

  auto deliver = [&](const uint8_t* line, size_t bytes) {
    uint8_t buffer[512];
    const uint8_t* out = line;
    if (invert) {
      for (size_t i = 0; i < bytes; ++i) buffer[i] = uint8_t(~line[i]);
      out = buffer;
    }
    int copies = 1;
    if (standard && AutoScaleMode == asDoubleHeight) copies = 2;
    uint8_t half[256];
    if (standard && AutoScaleMode == asHalfWidth) {
      // Inverted rows: or-ing white bits keeps a pixel black only when both were black.
      halveWidth(out, bytes, half);
      out = half;
      bytes /= 2;
    }
    for (int c = 0; c < copies; ++c) {
      ++linesProduced;
      if (target == Target::Lines) OutputLine(false, false, out, int(bytes), pageNum);
      else if (status == ecOK) status = rows.add(out, bytes);
    }
  };
  const bool compress = WhitespaceCompression && WhitespaceFrom && WhitespaceTo;
  WhitespaceFilter whitespace(compress ? WhitespaceFrom : 0, WhitespaceTo, deliver);
  LineAssembler lines([&](const uint8_t* l, size_t n) { whitespace.line(l, n); });
  MhDecoder decoder(lines);

  if (target == Target::Lines) OutputLine(true, false, nullptr, 0, pageNum);
  unsigned yieldedAt = 0;
  while (status == ecOK && !lines.finished() && !(options_ & uoAbort)) {
    const uint8_t* data;
    size_t size;
    if ((status = reader.nextChunk(data, size)) != ecOK) break;
    if (size == 0) break;  // the page's data is used up
    decoder.feed(data, size);
    Status(inFileName_, pageNum, int64_t(reader.bytesRead()), int64_t(ph.dataLength));
    if ((options_ & uoYield) && linesProduced / 16 != yieldedAt) {
      yieldedAt = linesProduced / 16;
      if (OnYield ? OnYield() : (platform::pumpMessages(), false)) status = ecGotQuitMsg;
    }
  }
  if (status != ecOK) return status;
  decoder.finish();
  whitespace.finish();
  if (status != ecOK) return status;
  if (target == Target::Lines) {
    OutputLine(false, true, nullptr, 0, pageNum);
    return ecOK;
  }
  MonoBitmap bitmap = rows.toBitmap();
  if (Scaling && !bitmap.empty() && (hMult_ != hDiv_ || vMult_ != vDiv_)) {
    MonoBitmap scaled;
    int64_t w = int64_t(bitmap.width) * hMult_ / hDiv_, h = int64_t(bitmap.height) * vMult_ / vDiv_;
    if (w > INT32_MAX || h > INT32_MAX) return ecCantMakeBitmap;
    if ((status = stretchBitmap(bitmap, int(w), int(h), invert, scaled)) != ecOK) return status;
    bitmap = std::move(scaled);
  }
  *result = std::move(bitmap);
  return ecOK;
}

int TApdFaxUnpacker::UnpackPage(unsigned page) { return finish(decode(page, Target::Lines, nullptr)); }

int TApdFaxUnpacker::DecodePageToBitmap(unsigned page, MonoBitmap& bitmap) {
  MonoBitmap result;
  int status = decode(page, Target::Bitmap, &result);
  if (status == ecOK) bitmap = std::move(result);
  return finish(status);
}

int TApdFaxUnpacker::toFile(unsigned page, const std::string& ext,
                            int (*write)(const std::string&, const MonoBitmap&)) {
  MonoBitmap image;
  int status = decode(page, Target::File, &image);
  if (status == ecOK) status = write(OutputFileName(ext), image);
  return finish(status);
}

int TApdFaxUnpacker::DecodePageToPcx(unsigned page) { return toFile(page, "PCX", &writePcx); }
int TApdFaxUnpacker::DecodePageToBmp(unsigned page) { return toFile(page, "BMP", &writeBmp); }
int TApdFaxUnpacker::DecodePageToDcx(unsigned page) {
  return toFile(page, "DCX", [](const std::string& path, const MonoBitmap& image) {
    return writeDcx(path, {&image});
  });
}

int TApdFaxUnpacker::FilePageCount() {
  FaxPageReader reader;
  int status = reader.open(inFileName_);
  return finish(status == ecOK ? int(reader.header().pageCount) : status);
}

int TApdFaxUnpacker::firstPageFlags(uint16_t& flags) {
  FaxPageReader reader;
  int status = reader.open(inFileName_);
  if (status == ecOK) status = reader.findPage(1);
  if (status == ecOK) flags = reader.page().flags;
  return status;
}

bool TApdFaxUnpacker::FileIsHighRes() {
  uint16_t flags = 0;
  return finish(firstPageFlags(flags)) == ecOK && (flags & PageFlagHighRes);
}

bool TApdFaxUnpacker::FileIsWide() {
  uint16_t flags = 0;
  return finish(firstPageFlags(flags)) == ecOK && (flags & PageFlagWide);
}

int stretchBitmap(const MonoBitmap& src, int width, int height, bool whiteIsOne, MonoBitmap& dst) {
  // A bitmap the display cannot hold (over 256 MB) is refused like a failed creation.
  if (width <= 0 || height <= 0) return ecCantMakeBitmap;
  size_t stride = (size_t(width) + 15) / 16 * 2;
  if (stride * size_t(height) > (size_t(256) << 20)) return ecCantMakeBitmap;
  dst.width = width;
  dst.height = height;
  dst.stride = stride;
  dst.bits.assign(stride * size_t(height), whiteIsOne ? 0xFF : 0x00);
  std::vector<int> sourceX(static_cast<size_t>(width));
  for (int x = 0; x < width; ++x) sourceX[size_t(x)] = int(int64_t(x) * src.width / width);
  for (int y = 0; y < height; ++y) {
    const uint8_t* in = src.row(int(int64_t(y) * src.height / height));
    uint8_t* out = dst.row(y);
    std::memset(out, 0, stride);
    for (int x = 0; x < width; ++x) {
      int sx = sourceX[size_t(x)];
      if ((in[sx >> 3] >> (7 - (sx & 7))) & 1) out[x >> 3] |= uint8_t(0x80 >> (x & 7));
    }
    // Bits past the width stay white.
    if (whiteIsOne)
      for (size_t x = size_t(width); x < stride * 8; ++x) out[x >> 3] |= uint8_t(0x80 >> (x & 7));
  }
  return ecOK;
}

}  // namespace quillon::faximage
