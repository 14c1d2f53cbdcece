#pragma once
// What the converter reads raster lines from: one implementation per input type.
#include <cstddef>
#include <cstdint>
#include <string>

namespace quillon::faximage {

struct ConversionGeometry {
  int pageWidth = 1728;
  int leftMargin = 50;
  bool highRes = false;
  unsigned options = 0;  // TFaxCvtOptions bits
};

struct LineResult {
  size_t bytes = 0;        // bytes of the line filled
  bool endOfPage = false;  // no line this time: the page ends
  bool morePages = false;  // with endOfPage: another page follows
};

class FaxInput {
 public:
  virtual ~FaxInput() = default;
  virtual int open(const std::string& path) = 0;
  // Fills `line` (cleared by the caller, 4096 bytes).
  virtual int readLine(uint8_t* line, LineResult& result) = 0;
  virtual void close() {}
  // Chosen when the input is opened (images only).
  virtual bool doubleWidth() const { return false; }
  virtual bool halfHeight() const { return false; }
  virtual uint64_t bytesRead() const = 0;
  virtual uint64_t bytesToRead() const = 0;
};

inline constexpr size_t kLineBufferSize = 4096;

}  // namespace quillon::faximage
