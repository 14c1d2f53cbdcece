// BMP files: 1, 4, 8, 24 and 32 bits per pixel, uncompressed, bottom-up or top-down.
// One-bit images keep their pixels (black is the darker palette entry); the other depths are
// reduced to black and white by the ordered dither. Rows are read in blocks of about 256 KB
// in the order the file holds them (bottom-up files from their end backwards), not one
// seek and read per row.
#include <algorithm>
#include <vector>

#include "faximage/byte_order.h"
#include "faximage/image_reader.h"
#include "faximage/ordered_dither.h"
#include "faximage/posix_file.h"
#include "errors/error_codes.h"
#include "platform/message_pump.h"

namespace quillon::faximage {
namespace {

struct Rgb {
  int r = 0, g = 0, b = 0;
  int sum() const { return r + g + b; }
};

class BmpReader : public ImageReader {
 public:
  int open(const std::string& path) override;
  int width() const override { return width_; }
  int height() const override { return height_; }
  int readRow(uint8_t* row) override;

  static constexpr size_t kBlockBytes = 256 * 1024;
  uint64_t bytesToConvert() const override { return uint64_t(stride_) * uint64_t(height_); }
  uint64_t bytesConverted() const override { return uint64_t(stride_) * uint64_t(rowsRead_); }

 private:
  PosixFile file_;
  int width_ = 0, height_ = 0, bits_ = 0;
  bool topDown_ = false;
  uint64_t dataOffset_ = 0;
  size_t stride_ = 0;
  std::vector<Rgb> palette_;
  bool invertMono_ = false;
  int rowsInFile_ = 0;          // whole rows the file holds (a short file ends early)
  std::vector<uint8_t> block_;  // file rows blockFirst_ ... blockFirst_ + blockRows_ - 1
  int blockFirst_ = 0, blockRows_ = 0;
  int rowsRead_ = 0;

  const uint8_t* fileRow(int index, int& status);
  OrderedDither dither_;
};

int BmpReader::open(const std::string& path) {
  int status = file_.openRead(path);
  uint64_t fileSize = 0;
  if (status == ecOK) status = file_.size(fileSize);
  if (status != ecOK) return status;
  uint8_t h[14 + 40];
  if (fileSize < 14 + 12 || file_.readExact(h, 14 + 12, ecBadGraphicsFormat) != ecOK)
    return ecBadGraphicsFormat;
  if (h[0] != 'B' || h[1] != 'M') return ecBadGraphicsFormat;
  dataOffset_ = le32(h + 10);
  uint32_t infoSize = le32(h + 14);
  int64_t w, hgt;
  uint32_t compression = 0, colours = 0;
  if (infoSize == 12) {  // the old core header
    w = le16(h + 18);
    hgt = int16_t(le16(h + 20));
    bits_ = le16(h + 24);
  } else if (infoSize >= 40 && infoSize <= 1024) {
    if (file_.readExact(h + 26, 28, ecBadGraphicsFormat) != ecOK) return ecBadGraphicsFormat;
    w = int32_t(le32(h + 18));
    hgt = int32_t(le32(h + 22));
    bits_ = le16(h + 28);
    compression = le32(h + 30);
    colours = le32(h + 46);
  } else {
    return ecBadGraphicsFormat;
  }
  if (hgt < 0) {
    topDown_ = true;
    hgt = -hgt;
  }
  if (w <= 0 || w > kMaxImageWidth || hgt <= 0 || hgt > (1 << 30)) return ecBadGraphicsFormat;
  if (bits_ != 1 && bits_ != 4 && bits_ != 8 && bits_ != 24 && bits_ != 32) return ecBadGraphicsFormat;
  // Plain pixels only; 32-bit images may name their (usual) channel masks.
  if (!(compression == 0 || (compression == 3 && bits_ == 32))) return ecBadGraphicsFormat;
  width_ = int(w);
  height_ = int(hgt);
  stride_ = ((size_t(width_) * size_t(bits_) + 31) / 32) * 4;

  if (bits_ <= 8) {
    size_t entries = colours ? std::min<size_t>(colours, 256) : size_t(1) << bits_;
    size_t entrySize = infoSize == 12 ? 3 : 4;
    std::vector<uint8_t> raw(entries * entrySize);
    status = file_.seek(14 + infoSize);
    if (status == ecOK) status = file_.readExact(raw.data(), raw.size(), ecBadGraphicsFormat);
    if (status != ecOK) return ecBadGraphicsFormat;
    palette_.resize(size_t(1) << bits_);  // missing entries are black
    for (size_t i = 0; i < entries && i < palette_.size(); ++i)
      palette_[i] = {raw[i * entrySize + 2], raw[i * entrySize + 1], raw[i * entrySize]};
    invertMono_ = bits_ == 1 && palette_[0].sum() > palette_[1].sum();
  }
  if (dataOffset_ > fileSize) return ecBadGraphicsFormat;
  rowsInFile_ = int(std::min<uint64_t>(uint64_t(height_), (fileSize - dataOffset_) / stride_));
  blockFirst_ = blockRows_ = 0;
  return ecOK;
}

int BmpReader::readRow(uint8_t* row) {
  if (rowsRead_ >= height_) return ecBadGraphicsFormat;
  int status = ecOK;
  const uint8_t* raw = fileRow(topDown_ ? rowsRead_ : height_ - 1 - rowsRead_, status);
  if (!raw) return status;
  const size_t rowBytes = (size_t(width_) + 7) / 8;
  const int y = ++rowsRead_;
  if (bits_ == 1) {
    // Pixels of the darker palette entry become 1.
    for (size_t i = 0; i < rowBytes; ++i) row[i] = invertMono_ ? raw[i] : uint8_t(~raw[i]);
    if (width_ % 8) row[rowBytes - 1] &= uint8_t(0xFF << (8 - width_ % 8));
    return ecOK;
  }
  std::fill(row, row + rowBytes, uint8_t(0));
  for (int x = 0; x < width_; ++x) {
    Rgb c;
    switch (bits_) {
      case 4: c = palette_[(raw[size_t(x) / 2] >> (x % 2 ? 0 : 4)) & 0x0F]; break;
      case 8: c = palette_[raw[size_t(x)]]; break;
      default: {
        const uint8_t* p = &raw[size_t(x) * size_t(bits_ / 8)];
        c = {p[2], p[1], p[0]};
      }
    }
    if (dither_.black(x, y, c.r, c.g, c.b)) row[size_t(x) / 8] |= uint8_t(0x80 >> (x % 8));
  }
  platform::pumpMessages();  // a large photo keeps the window alive
  return ecOK;
}

// Row `index` of the file's pixel data, from the block that holds it; a new block reaches
// from it in the direction the rows are being read.
const uint8_t* BmpReader::fileRow(int index, int& status) {
  if (index >= blockFirst_ && index < blockFirst_ + blockRows_)
    return block_.data() + size_t(index - blockFirst_) * stride_;
  if (index >= rowsInFile_) {  // the file ends before this row
    status = ecBadGraphicsFormat;
    return nullptr;
  }
  int perBlock = int(std::max<size_t>(1, kBlockBytes / stride_));
  int first = topDown_ ? index : std::max(0, index - perBlock + 1);
  int count = std::min(perBlock, rowsInFile_ - first);
  block_.resize(size_t(count) * stride_);
  status = file_.seek(dataOffset_ + uint64_t(first) * stride_);
  if (status == ecOK) status = file_.readExact(block_.data(), block_.size(), ecBadGraphicsFormat);
  if (status != ecOK) {
    blockRows_ = 0;
    return nullptr;
  }
  blockFirst_ = first;
  blockRows_ = count;
  return block_.data() + size_t(index - first) * stride_;
}

}  // namespace

std::unique_ptr<ImageReader> makeBmpReader() { return std::make_unique<BmpReader>(); }

}  // namespace quillon::faximage
