#pragma once
// Text pages without files, for the fax protocol engine (for example the header line stamped
// on each sent page): set a text row in the built-in or a screen font and code raster lines.
// Page width 1728, left margin 50, top margin 0.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "faximage/fax_converter_options.h"
#include "faximage/font_rasteriser.h"
#include "faximage/mh_encoder.h"

namespace quillon::faximage {

class TextRenderer;

class FaxTextEngine {
 public:
  FaxTextEngine();
  ~FaxTextEngine();

  // The built-in font: 16 (small) or 48 (standard) bytes per glyph, rows doubled for fine
  // resolution. 0, or -8052.
  int LoadFaxFont(int bytesPerGlyph, bool fine);
  // A screen font instead: 0, or -8055 when its drawing bitmap would pass 65536 bytes.
  int SetEnhancedFont(const FontChoice& font, bool fine);
  // Rows of the current font's cell.
  int rows() const;
  // Writes row `row` (1 ... rows()) of `text` into `line` (cleared first, 216 bytes used).
  void RenderTextRow(const std::string& text, int row, uint8_t* line);
  // Codes a raster line; the code and its record length stay in the engine.
  void EncodeRasterLine(const uint8_t* line);
  const uint8_t* code() const { return code_.data(); }
  size_t codeLength() const { return codeLength_; }
  static size_t EncodeEndOfPage(uint8_t* buffer) { return encodeEndOfPage(buffer); }

 private:
  std::unique_ptr<TextRenderer> renderer_;
  std::vector<uint8_t> code_ = std::vector<uint8_t>(kCodeBufferSize);
  size_t codeLength_ = 0;
};

}  // namespace quillon::faximage
