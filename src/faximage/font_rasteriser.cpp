#include "faximage/font_rasteriser.h"

#include <algorithm>
#include <mutex>

#include "faximage/fax_font.h"

namespace quillon::faximage {
namespace {

std::mutex factoryLock;
FontRasteriserFactory& factory() {
  static FontRasteriserFactory f;
  return f;
}

// Each glyph pixel becomes a scale x scale square; bold adds one pixel to the right.
class BuiltinRasteriser : public FontRasteriser {
 public:
  explicit BuiltinRasteriser(const FontChoice& font)
      : scale_(std::clamp((font.pointSize + 5) / 10, 1, 256)), bold_(font.bold),
        glyphs_(glyphsFor(ffStandard, false)) {}

  int textHeight() override { return glyphs_.rows * scale_; }

  void drawText(const std::string& text, int width, int height, size_t rowBytes, uint8_t* rows) override {
    const int cell = glyphs_.cellWidth * scale_;
    for (size_t i = 0; i < text.size(); ++i) {
      const int left = int(i) * cell;
      if (left >= width) break;
      for (int y = 0; y < height && y / scale_ < glyphs_.rows; ++y) {
        const uint8_t* g = glyphs_.row(uint8_t(text[i]), y / scale_);
        uint8_t* row = rows + size_t(y) * rowBytes;
        for (int gx = 0; gx < glyphs_.cellWidth; ++gx) {
          if (!((g[gx / 8] >> (7 - gx % 8)) & 1)) continue;
          for (int k = 0; k < scale_ + (bold_ ? 1 : 0); ++k) {
            int x = left + gx * scale_ + k;
            if (x < width) row[size_t(x) / 8] |= uint8_t(0x80 >> (x % 8));
          }
        }
      }
    }
  }

 private:
  int scale_;
  bool bold_;
  GlyphSet glyphs_;
};

}  // namespace

void setFontRasteriserFactory(FontRasteriserFactory f) {
  std::lock_guard<std::mutex> lock(factoryLock);
  factory() = std::move(f);
}

std::unique_ptr<FontRasteriser> makeFontRasteriser(const FontChoice& font) {
  FontRasteriserFactory f;
  {
    std::lock_guard<std::mutex> lock(factoryLock);
    f = factory();
  }
  return f ? f(font) : makeBuiltinFontRasteriser(font);
}

std::unique_ptr<FontRasteriser> makeBuiltinFontRasteriser(const FontChoice& font) {
  return std::make_unique<BuiltinRasteriser>(font);
}

}  // namespace quillon::faximage
