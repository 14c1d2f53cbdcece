// TIFF: byte order "II" or "MM", first IFD only, 1 bit per sample, no compression or
// PackBits, rows in strips.
#include <algorithm>
#include <vector>

#include "faximage/byte_order.h"
#include "faximage/image_reader.h"
#include "faximage/posix_file.h"
#include "errors/error_codes.h"

namespace quillon::faximage {
namespace {

class TiffReader : public ImageReader {
 public:
  int open(const std::string& path) override;
  int width() const override { return width_; }
  int height() const override { return height_; }
  int readRow(uint8_t* row) override;
  uint64_t bytesToConvert() const override { return imageBytes_; }
  uint64_t bytesConverted() const override { return std::min(converted_, imageBytes_); }

 private:
  uint16_t u16(const uint8_t* p) const { return bigEndian_ ? be16(p) : le16(p); }
  uint32_t u32(const uint8_t* p) const { return bigEndian_ ? be32(p) : le32(p); }
  int readArray(uint16_t type, uint32_t count, const uint8_t* inlineValue, std::vector<uint32_t>& out);
  uint64_t rowsInStrip(size_t index) const;
  uint64_t stripLength(size_t index) const;
  int loadStrip(size_t index);
  int ensure(size_t need);
  int nextByte(uint8_t& b);

  PosixFile file_;
  uint64_t fileSize_ = 0;
  bool bigEndian_ = false;
  int width_ = 0, height_ = 0;
  size_t rowBytes_ = 0;
  bool packBits_ = false, invert_ = false;
  std::vector<uint32_t> stripOffsets_, stripCounts_;
  uint32_t rowsPerStrip_ = 0xFFFFFFFF;
  uint64_t imageBytes_ = 0, converted_ = 0;
  // The current strip: its first data_.size() bytes are read, at_ is the next one to use.
  // Bytes are read only as the strip's rows need them, and a strip that starts where the
  // one before it did keeps what was read, so a table of a million strips over the same
  // data reads that data once instead of once per strip.
  size_t strip_ = 0;
  bool haveStrip_ = false;
  uint64_t stripOffset_ = 0, stripLength_ = 0, stripRows_ = 0;
  std::vector<uint8_t> data_;
  size_t at_ = 0;
  uint64_t rowsLeftInStrip_ = 0;
  int rowsRead_ = 0;
};

int TiffReader::readArray(uint16_t type, uint32_t count, const uint8_t* inlineValue,
                          std::vector<uint32_t>& out) {
  size_t unit = type == 3 ? 2 : type == 4 ? 4 : 0;
  if (unit == 0 || count == 0 || count > 1'000'000) return ecBadGraphicsFormat;
  std::vector<uint8_t> raw(size_t(count) * unit);
  if (raw.size() <= 4) {
    std::copy(inlineValue, inlineValue + raw.size(), raw.begin());
  } else {
    uint32_t offset = u32(inlineValue);
    if (uint64_t(offset) + raw.size() > fileSize_) return ecBadGraphicsFormat;
    int status = file_.seek(offset);
    if (status == ecOK) status = file_.readExact(raw.data(), raw.size(), ecBadGraphicsFormat);
    if (status != ecOK) return status;
  }
  out.resize(count);
  for (uint32_t i = 0; i < count; ++i)
    out[i] = unit == 2 ? u16(&raw[i * 2]) : u32(&raw[i * 4]);
  return ecOK;
}

int TiffReader::open(const std::string& path) {
  int status = file_.openRead(path);
  if (status == ecOK) status = file_.size(fileSize_);
  if (status != ecOK) return status;
  uint8_t head[8];
  if (file_.readExact(head, 8, ecBadGraphicsFormat) != ecOK) return ecBadGraphicsFormat;
  if (head[0] == 'I' && head[1] == 'I') bigEndian_ = false;
  else if (head[0] == 'M' && head[1] == 'M') bigEndian_ = true;
  else return ecBadGraphicsFormat;
  if (u16(head + 2) != 42) return ecBadGraphicsFormat;
  uint32_t ifd = u32(head + 4);
  uint8_t countBytes[2];
  if (file_.seek(ifd) != ecOK || file_.readExact(countBytes, 2, ecBadGraphicsFormat) != ecOK)
    return ecBadGraphicsFormat;
  uint16_t entries = u16(countBytes);
  std::vector<uint8_t> dir(size_t(entries) * 12);
  if (file_.readExact(dir.data(), dir.size(), ecBadGraphicsFormat) != ecOK) return ecBadGraphicsFormat;

  bool haveWidth = false, haveLength = false;
  uint32_t bitsPerSample = 1, compression = 1;
  for (uint16_t e = 0; e < entries; ++e) {
    const uint8_t* p = &dir[size_t(e) * 12];
    uint16_t tag = u16(p), type = u16(p + 2);
    uint32_t count = u32(p + 4);
    std::vector<uint32_t> values;
    auto single = [&](uint32_t& v) {
      if (readArray(type, std::min<uint32_t>(count, 1), p + 8, values) != ecOK) return false;
      v = values[0];
      return true;
    };
    uint32_t v = 0;
    switch (tag) {
      case 256: if (!single(v)) return ecBadGraphicsFormat; width_ = int(std::min<uint32_t>(v, 1u << 30)); haveWidth = true; break;
      case 257: if (!single(v)) return ecBadGraphicsFormat; height_ = int(std::min<uint32_t>(v, 1u << 30)); haveLength = true; break;
      case 258: if (!single(v)) return ecBadGraphicsFormat; bitsPerSample = v; break;
      case 259: if (!single(v)) return ecBadGraphicsFormat; compression = v; break;
      case 262: if (!single(v)) return ecBadGraphicsFormat; invert_ = v != 0; break;
      case 278: if (!single(v)) return ecBadGraphicsFormat; rowsPerStrip_ = v; break;
      case 273:
        if (readArray(type, count, p + 8, stripOffsets_) != ecOK) return ecBadGraphicsFormat;
        break;
      case 279:
        if (readArray(type, count, p + 8, stripCounts_) != ecOK) return ecBadGraphicsFormat;
        break;
      default: break;
    }
  }
  if (!haveWidth || !haveLength || stripOffsets_.empty()) return ecBadGraphicsFormat;
  if (bitsPerSample != 1 || (compression != 1 && compression != 32773)) return ecBadGraphicsFormat;
  if (width_ <= 0 || width_ > kMaxImageWidth || rowsPerStrip_ == 0) return ecBadGraphicsFormat;
  packBits_ = compression == 32773;
  const uint64_t rowBytes = (uint64_t(width_) + 7) / 8;
  // Without byte counts an uncompressed strip holds its rows exactly.
  if (stripCounts_.size() < stripOffsets_.size()) {
    if (packBits_) return ecBadGraphicsFormat;
    stripCounts_.resize(stripOffsets_.size(),
                        uint32_t(std::min<uint64_t>(rowBytes * std::min<uint64_t>(rowsPerStrip_, uint64_t(height_)), UINT32_MAX)));
  }
  rowBytes_ = size_t(rowBytes);
  imageBytes_ = 0;
  for (size_t i = 0; i < stripOffsets_.size(); ++i) imageBytes_ += stripLength(i);
  strip_ = 0;
  rowsLeftInStrip_ = 0;
  return ecOK;
}

uint64_t TiffReader::rowsInStrip(size_t index) const {
  uint64_t first = uint64_t(index) * rowsPerStrip_;
  return first >= uint64_t(height_) ? 0 : std::min<uint64_t>(rowsPerStrip_, uint64_t(height_) - first);
}

// The bytes of a strip that can matter: no more than the file holds after its offset, and for
// uncompressed data no more than its rows fill.
uint64_t TiffReader::stripLength(size_t index) const {
  uint64_t offset = stripOffsets_[index];
  if (offset > fileSize_) return 0;
  uint64_t length = std::min<uint64_t>(stripCounts_[index], fileSize_ - offset);
  return packBits_ ? length : std::min(length, rowsInStrip(index) * rowBytes_);
}

int TiffReader::loadStrip(size_t index) {
  if (index >= stripOffsets_.size() || stripOffsets_[index] > fileSize_) return ecBadGraphicsFormat;
  uint64_t offset = stripOffsets_[index], length = stripLength(index), rows = rowsInStrip(index);
  rowsLeftInStrip_ = std::max<uint64_t>(rows, 1);
  at_ = 0;
  if (haveStrip_ && offset == stripOffset_ && length == stripLength_) return ecOK;  // shared data
  haveStrip_ = true;
  stripOffset_ = offset;
  stripLength_ = length;
  stripRows_ = rows;
  data_.clear();
  return ecOK;
}

// Makes the first `need` bytes of the strip available (fewer when the strip is shorter). It
// reads ahead what the strip's rows will take: all of them for uncompressed rows, for
// PackBits the usual worst case of a literal run per 128 bytes, doubling when that is short.
int TiffReader::ensure(size_t need) {
  if (need <= data_.size() || data_.size() >= stripLength_) return ecOK;
  uint64_t expected = stripRows_ * (rowBytes_ + (packBits_ ? rowBytes_ / 128 + 2 : 0));
  uint64_t want = std::max<uint64_t>({need, expected, 2 * uint64_t(data_.size())});
  want = std::min(want, stripLength_);
  size_t have = data_.size();
  data_.resize(size_t(want));
  int status = file_.seek(stripOffset_ + have);
  if (status == ecOK) status = file_.readExact(data_.data() + have, data_.size() - have, ecBadGraphicsFormat);
  if (status != ecOK) data_.resize(have);
  return status;
}

int TiffReader::nextByte(uint8_t& b) {
  if (at_ >= data_.size() && (ensure(at_ + 1) != ecOK || at_ >= data_.size())) return ecBadGraphicsFormat;
  b = data_[at_++];
  return ecOK;
}

int TiffReader::readRow(uint8_t* row) {
  if (rowsRead_ >= height_) return ecBadGraphicsFormat;
  if (rowsLeftInStrip_ == 0) {
    int status = loadStrip(strip_++);
    if (status != ecOK) return status;
  }
  const size_t rowBytes = rowBytes_;
  const size_t rowStart = at_;
  if (!packBits_) {
    // A strip that ends before its rows do is damaged: refusing it also keeps a huge
    // ImageLength from running on without data.
    if (int status = ensure(at_ + rowBytes); status != ecOK) return status;
    if (at_ + rowBytes > data_.size()) return ecBadGraphicsFormat;
    std::copy_n(data_.begin() + ptrdiff_t(at_), rowBytes, row);
    at_ += rowBytes;
  } else {
    size_t filled = 0;
    // PackBits: n < 128 copies n + 1 bytes, n > 128 repeats the next byte 257 - n times.
    while (filled < rowBytes) {
      uint8_t n;
      if (nextByte(n) != ecOK) return ecBadGraphicsFormat;
      if (n < 128) {
        for (int i = 0; i <= n; ++i) {
          uint8_t b;
          if (nextByte(b) != ecOK) return ecBadGraphicsFormat;
          if (filled < rowBytes) row[filled++] = b;
        }
      } else if (n > 128) {
        uint8_t b;
        if (nextByte(b) != ecOK) return ecBadGraphicsFormat;
        for (int i = 0; i < 257 - n; ++i)
          if (filled < rowBytes) row[filled++] = b;
      }
    }
  }
  // With PhotometricInterpretation 0 (WhiteIsZero) the bits are already 1 = black.
  if (invert_) {
    for (size_t i = 0; i < rowBytes; ++i) row[i] = uint8_t(~row[i]);
  }
  if (width_ % 8) row[rowBytes - 1] &= uint8_t(0xFF << (8 - width_ % 8));
  converted_ += at_ - rowStart;
  --rowsLeftInStrip_;
  ++rowsRead_;
  return ecOK;
}

}  // namespace

std::unique_ptr<ImageReader> makeTiffReader() { return std::make_unique<TiffReader>(); }

}  // namespace quillon::faximage
