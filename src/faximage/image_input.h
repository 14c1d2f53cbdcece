#pragma once
// Converter input from an image reader: places each row on the page (centring, double width,
// half height decided from the image width when it is opened).
#include <memory>

#include "faximage/fax_input.h"
#include "faximage/image_reader.h"

namespace quillon::faximage {

struct ImagePlacement {
  bool doubleWidth = false;
  bool halfHeight = false;
  size_t offsetBytes = 0;  // where the row data starts in the line
};

// The rules: double width when asked, at normal resolution and (page width - margin) >= 2w;
// half height when asked, at normal resolution, without double width; centring when asked and
// page width - w > 15.
ImagePlacement placeImage(const ConversionGeometry& g, int imageWidth);

class ImageInput : public FaxInput {
 public:
  // `refuseWiderThanPage`: PCX and DCX images wider than the page are refused.
  ImageInput(std::unique_ptr<ImageReader> reader, const ConversionGeometry& g, bool refuseWiderThanPage)
      : reader_(std::move(reader)), geometry_(g), refuseWide_(refuseWiderThanPage) {}

  int open(const std::string& path) override;
  int readLine(uint8_t* line, LineResult& result) override;
  bool doubleWidth() const override { return placement_.doubleWidth; }
  bool halfHeight() const override { return placement_.halfHeight; }
  uint64_t bytesRead() const override { return reader_->bytesConverted(); }
  uint64_t bytesToRead() const override { return reader_->bytesToConvert(); }

 private:
  int place();

  std::unique_ptr<ImageReader> reader_;
  ConversionGeometry geometry_;
  bool refuseWide_;
  ImagePlacement placement_;
  int row_ = 0;
  std::unique_ptr<uint8_t[]> rowBuffer_;
};

}  // namespace quillon::faximage
