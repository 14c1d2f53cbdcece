// PCX (one plane, 1 bit per pixel, run-length coded) and DCX (up to 1024 PCX pages behind a
// 4100-byte table of offsets).
#include <algorithm>
#include <vector>

#include "faximage/byte_order.h"
#include "faximage/image_reader.h"
#include "faximage/pcx_format.h"
#include "faximage/posix_file.h"
#include "errors/error_codes.h"

namespace quillon::faximage {
namespace {

// Decodes one PCX image lying in [start, end) of an open file.
class PcxImage {
 public:
  int open(PosixFile& file, uint64_t start, uint64_t end) {
    file_ = &file;
    if (end < start + kPcxHeaderSize) return ecBadGraphicsFormat;
    uint8_t h[kPcxHeaderSize];
    int status = file.seek(start);
    if (status == ecOK) status = file.readExact(h, sizeof h, ecBadGraphicsFormat);
    if (status != ecOK) return status;
    PcxHeader header = PcxHeader::parse(h);
    if (header.manufacturer != 10 || header.encoding != 1 || header.bitsPerPixel != 1 ||
        header.planes > 1)
      return ecBadGraphicsFormat;
    if (header.xmax < header.xmin || header.ymax < header.ymin) return ecBadGraphicsFormat;
    width_ = header.xmax - header.xmin + 1;
    height_ = header.ymax - header.ymin + 1;
    // A PCX row holds bytesPerLine bytes; older writers leave it 0.
    bytesPerLine_ = header.bytesPerLine ? header.bytesPerLine : (width_ + 7) / 8;
    if (width_ > kMaxImageWidth || bytesPerLine_ < (width_ + 7) / 8) return ecBadGraphicsFormat;
    next_ = start + kPcxHeaderSize;
    end_ = end;
    size_ = end - next_;
    consumed_ = 0;
    have_ = at_ = 0;
    repeat_ = 0;
    return ecOK;
  }

  int readRow(uint8_t* row) {
    const int rowBytes = (width_ + 7) / 8;
    for (int i = 0; i < bytesPerLine_; ++i) {
      uint8_t b;
      if (repeat_ > 0) {
        b = repeatByte_;
        --repeat_;
      } else {
        int status = nextByte(b);
        if (status != ecOK) return status;
        if (b >= 0xC0) {
          int count = b & 0x3F;
          if ((status = nextByte(repeatByte_)) != ecOK) return status;
          if (count == 0) {  // a repeat of nothing
            --i;
            continue;
          }
          b = repeatByte_;
          repeat_ = count - 1;
        }
      }
      if (i < rowBytes) row[i] = uint8_t(~b);  // PCX bits are 1 = white
    }
    if (width_ % 8) row[rowBytes - 1] &= uint8_t(0xFF << (8 - width_ % 8));
    return ecOK;
  }

  int width() const { return width_; }
  int height() const { return height_; }
  uint64_t size() const { return size_; }
  uint64_t consumed() const { return consumed_; }

 private:
  int nextByte(uint8_t& b) {
    if (at_ == have_) {
      uint64_t left = end_ - next_;
      if (left == 0) return ecBadGraphicsFormat;  // the image data ends early
      size_t want = size_t(std::min<uint64_t>(left, sizeof buffer_));
      int status = file_->seek(next_);
      if (status == ecOK) status = file_->readExact(buffer_, want, ecBadGraphicsFormat);
      if (status != ecOK) return status;
      next_ += want;
      have_ = want;
      at_ = 0;
    }
    b = buffer_[at_++];
    ++consumed_;
    return ecOK;
  }

  PosixFile* file_ = nullptr;
  int width_ = 0, height_ = 0, bytesPerLine_ = 0;
  uint64_t next_ = 0, end_ = 0, size_ = 0, consumed_ = 0;
  uint8_t buffer_[4096];
  size_t have_ = 0, at_ = 0;
  int repeat_ = 0;
  uint8_t repeatByte_ = 0;
};

class PcxReader : public ImageReader {
 public:
  int open(const std::string& path) override {
    uint64_t size = 0;
    int status = file_.openRead(path);
    if (status == ecOK) status = file_.size(size);
    return status == ecOK ? image_.open(file_, 0, size) : status;
  }
  int width() const override { return image_.width(); }
  int height() const override { return image_.height(); }
  int readRow(uint8_t* row) override { return image_.readRow(row); }
  uint64_t bytesToConvert() const override { return image_.size(); }
  uint64_t bytesConverted() const override { return image_.consumed(); }

 private:
  PosixFile file_;
  PcxImage image_;
};

class DcxReader : public ImageReader {
 public:
  int open(const std::string& path) override {
    uint64_t size = 0;
    int status = file_.openRead(path);
    if (status == ecOK) status = file_.size(size);
    if (status != ecOK) return status;
    uint8_t h[kDcxHeaderSize];
    if (size < sizeof h || file_.readExact(h, sizeof h, ecBadGraphicsFormat) != ecOK)
      return ecBadGraphicsFormat;
    if (le32(h) != kDcxMagic) return ecBadGraphicsFormat;
    std::vector<uint32_t> offsets;
    for (int i = 0; i < kDcxMaxPages; ++i) {
      uint32_t offset = le32(h + 4 + 4 * i);
      if (offset == 0) break;
      if (offset < sizeof h || offset >= size) return ecBadGraphicsFormat;
      offsets.push_back(offset);
    }
    if (offsets.empty()) return ecBadGraphicsFormat;
    // Each page runs to the next larger offset (or the end of the file).
    std::vector<uint32_t> sorted = offsets;
    std::sort(sorted.begin(), sorted.end());
    for (uint32_t offset : offsets) {
      auto next = std::upper_bound(sorted.begin(), sorted.end(), offset);
      uint64_t end = next == sorted.end() ? size : *next;
      pages_.push_back({offset, end});
      total_ += end - offset - std::min<uint64_t>(end - offset, kPcxHeaderSize);
    }
    return openPage(0);
  }
  int width() const override { return image_.width(); }
  int height() const override { return image_.height(); }
  int readRow(uint8_t* row) override { return image_.readRow(row); }
  bool hasMorePages() const override { return page_ + 1 < pages_.size(); }
  bool nextPage() override {
    if (!hasMorePages()) return false;
    return openPage(page_ + 1) == ecOK;
  }
  uint64_t bytesToConvert() const override { return total_; }
  uint64_t bytesConverted() const override { return done_ + image_.consumed(); }

 private:
  int openPage(size_t index) {
    if (index > 0) done_ += image_.consumed();
    page_ = index;
    return image_.open(file_, pages_[index].first, pages_[index].second);
  }

  PosixFile file_;
  PcxImage image_;
  std::vector<std::pair<uint64_t, uint64_t>> pages_;
  size_t page_ = 0;
  uint64_t total_ = 0, done_ = 0;
};

}  // namespace

std::unique_ptr<ImageReader> makePcxReader() { return std::make_unique<PcxReader>(); }
std::unique_ptr<ImageReader> makeDcxReader() { return std::make_unique<DcxReader>(); }

}  // namespace quillon::faximage
