#include "faximage/image_input.h"

#include <algorithm>
#include <cstring>

#include "faximage/fax_converter_options.h"
#include "errors/error_codes.h"

namespace quillon::faximage {

ImagePlacement placeImage(const ConversionGeometry& g, int w) {
  ImagePlacement p;
  p.doubleWidth = (g.options & coDoubleWidth) && !g.highRes && g.pageWidth - g.leftMargin >= 2 * w;
  p.halfHeight = (g.options & coHalfHeight) && !g.highRes && !p.doubleWidth;
  if ((g.options & coCenterImage) && g.pageWidth - w > 15)
    p.offsetBytes = size_t(p.doubleWidth ? (g.pageWidth - 2 * w) / 32 : (g.pageWidth - w) / 16);
  return p;
}

int ImageInput::open(const std::string& path) {
  int status = reader_->open(path);
  return status == ecOK ? place() : status;
}

int ImageInput::place() {
  if (refuseWide_ && reader_->width() > geometry_.pageWidth) return ecBadGraphicsFormat;
  placement_ = placeImage(geometry_, reader_->width());
  rowBuffer_ = std::make_unique<uint8_t[]>((size_t(reader_->width()) + 7) / 8);
  row_ = 0;
  return ecOK;
}

int ImageInput::readLine(uint8_t* line, LineResult& result) {
  result = {};
  if (row_ >= reader_->height()) {
    // Rows beyond the image end the page; the next page of a multi-page image follows.
    result.endOfPage = true;
    result.morePages = reader_->hasMorePages();
    if (result.morePages) {
      if (!reader_->nextPage()) return ecBadGraphicsFormat;
      return place();
    }
    return ecOK;
  }
  int status = reader_->readRow(rowBuffer_.get());
  if (status != ecOK) return status;
  ++row_;
  size_t rowBytes = (size_t(reader_->width()) + 7) / 8;
  size_t n = std::min(rowBytes, kLineBufferSize - std::min(placement_.offsetBytes, kLineBufferSize));
  std::memcpy(line + placement_.offsetBytes, rowBuffer_.get(), n);
  result.bytes = placement_.offsetBytes + n;
  return ecOK;
}

}  // namespace quillon::faximage
