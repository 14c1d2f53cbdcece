#pragma once
// Readers of the image formats the converter accepts. Each delivers one page at a time as rows
// of packed pixels (first pixel in the most significant bit, 1 = black, spare bits 0).
#include <cstdint>
#include <memory>
#include <string>

namespace quillon::faximage {

class ImageReader {
 public:
  virtual ~ImageReader() = default;
  // Opens the file at its first page: 0, -8002 for an unsupported or damaged image, or a
  // negative operating-system status.
  virtual int open(const std::string& path) = 0;
  virtual int width() const = 0;   // pixels of the current page
  virtual int height() const = 0;  // rows of the current page
  // The next row of the current page into `row` ((width + 7) / 8 bytes).
  virtual int readRow(uint8_t* row) = 0;
  // Moves to the next page; false when there is none (or it cannot be read).
  virtual bool nextPage() { return false; }
  virtual bool hasMorePages() const { return false; }
  virtual uint64_t bytesToConvert() const = 0;
  virtual uint64_t bytesConverted() const = 0;
};

std::unique_ptr<ImageReader> makeTiffReader();
std::unique_ptr<ImageReader> makePcxReader();
std::unique_ptr<ImageReader> makeDcxReader();
std::unique_ptr<ImageReader> makeBmpReader();

// Rows wider than this are refused: the converter's line buffer holds 4096 bytes.
inline constexpr int kMaxImageWidth = 4096 * 8;

}  // namespace quillon::faximage
