// The two ways of setting a text line: built-in glyph cells, or a font rasteriser's drawing.
#include <algorithm>
#include <cstring>
#include <vector>

#include "faximage/fax_font.h"
#include "faximage/font_rasteriser.h"
#include "faximage/text_input.h"
#include "errors/error_codes.h"

namespace quillon::faximage {
namespace {

class BuiltinTextRenderer : public TextRenderer {
 public:
  BuiltinTextRenderer(TFaxFont font, bool fine, int pageWidth, int leftMargin)
      : glyphs_(glyphsFor(font, fine)),
        maxChars_(size_t(std::max(0, pageWidth / glyphs_.cellWidth - leftMargin / glyphs_.cellWidth))) {}

  int rows() const override { return glyphs_.rows; }
  size_t maxChars() const override { return maxChars_; }

  size_t renderRow(const std::string& text, int row, uint8_t* line) override {
    const int cell = glyphs_.cellWidth;
    size_t chars = std::min(text.size(), maxChars_);
    for (size_t i = 0; i < chars; ++i) {
      const uint8_t* g = glyphs_.row(uint8_t(text[i]), row);
      // The cell's bits, shifted to their place in the line.
      uint32_t bits = 0;
      for (int k = 0; k < glyphs_.bytesPerRow; ++k) bits = bits << 8 | g[k];
      bits <<= 8 * (4 - glyphs_.bytesPerRow);
      bits &= ~0u << (32 - cell);
      size_t x = i * size_t(cell);
      int shift = int(x % 8);
      uint64_t placed = uint64_t(bits) << (32 - shift);
      uint8_t* p = line + x / 8;
      for (int k = 0; k < 4 && placed; ++k) p[k] |= uint8_t(placed >> (56 - 8 * k));
    }
    return (chars * size_t(cell) + 7) / 8;
  }

 private:
  GlyphSet glyphs_;
  size_t maxChars_;
};

class FontTextRenderer : public TextRenderer {
 public:
  FontTextRenderer(std::unique_ptr<FontRasteriser> font, bool fine, int pageWidth, int width, int height,
                   size_t rowBytes)
      : font_(std::move(font)), fine_(fine), pageBytes_(size_t(pageWidth) / 8), width_(width),
        height_(height), rowBytes_(rowBytes), bitmap_(rowBytes * size_t(height)) {}

  int rows() const override { return height_; }
  size_t maxChars() const override { return 0; }

  size_t renderRow(const std::string& text, int row, uint8_t* line) override {
    if (row == 0) {
      std::fill(bitmap_.begin(), bitmap_.end(), uint8_t(0));
      font_->drawText(text, width_, height_, rowBytes_, bitmap_.data());
    }
    const uint8_t* src = &bitmap_[size_t(row) * rowBytes_];
    if (fine_) {
      std::memcpy(line, src, std::min(rowBytes_, pageBytes_));
    } else {
      // Normal resolution: the first half of the row, every pixel doubled sideways.
      for (size_t i = 0; i < rowBytes_ / 2 && 2 * i + 1 < pageBytes_; ++i) {
        uint16_t wide = 0;
        for (int b = 0; b < 8; ++b)
          if (src[i] & (0x80 >> b)) wide |= uint16_t(0xC000 >> (2 * b));
        line[2 * i] = uint8_t(wide >> 8);
        line[2 * i + 1] = uint8_t(wide);
      }
    }
    return pageBytes_;
  }

 private:
  std::unique_ptr<FontRasteriser> font_;
  bool fine_;
  size_t pageBytes_;
  int width_, height_;
  size_t rowBytes_;
  std::vector<uint8_t> bitmap_;
};

}  // namespace

std::unique_ptr<TextRenderer> makeBuiltinTextRenderer(int fontType, bool fine, int pageWidth, int leftMargin) {
  return std::make_unique<BuiltinTextRenderer>(TFaxFont(fontType), fine, pageWidth, leftMargin);
}

std::unique_ptr<TextRenderer> makeFontTextRenderer(const FontChoice& choice, bool fine, int pageWidth,
                                                   int leftMargin, int& status) {
  FontChoice font = choice;
  if (fine) font.pointSize *= 2;
  auto rasteriser = makeFontRasteriser(font);
  const int width = std::max(1, pageWidth - leftMargin);
  const int height = std::max(1, rasteriser->textHeight());
  const size_t rowBytes = (size_t(width) + 15) / 16 * 2;  // monochrome rows are whole words
  if (rowBytes * size_t(height) > 65536) {
    status = ecEnhFontTooBig;
    return nullptr;
  }
  status = ecOK;
  return std::make_unique<FontTextRenderer>(std::move(rasteriser), fine, pageWidth, width, height, rowBytes);
}

}  // namespace quillon::faximage
