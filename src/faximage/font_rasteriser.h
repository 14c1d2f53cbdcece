#pragma once
// Draws a text line in a screen font for the enhanced text converter. The GUI supplies a
// rasteriser for installed fonts; headless the built-in fax font is used, scaled.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace quillon::faximage {

// The font chosen for enhanced text (EnhFont).
struct FontChoice {
  std::string name = "Courier New";
  int pointSize = 10;
  bool bold = false;
  bool italic = false;
  bool underline = false;
};

class FontRasteriser {
 public:
  virtual ~FontRasteriser() = default;
  // Height in pixels of the text "Wy".
  virtual int textHeight() = 0;
  // Draws `latin1` at (0, 0) into rows of `rowBytes` bytes (cleared, 1 = black, leftmost
  // pixel in the most significant bit), `height` rows; pixels past `width` are not drawn.
  virtual void drawText(const std::string& latin1, int width, int height, size_t rowBytes,
                        uint8_t* rows) = 0;
};

// Makes a rasteriser for a font; the point size is already doubled for fine resolution.
using FontRasteriserFactory = std::function<std::unique_ptr<FontRasteriser>(const FontChoice&)>;

// Process-wide factory (the GUI installs its own); empty restores the built-in one.
void setFontRasteriserFactory(FontRasteriserFactory factory);
std::unique_ptr<FontRasteriser> makeFontRasteriser(const FontChoice& font);

// The built-in standard glyphs (20 x 16 at 10 points) scaled by a whole factor.
std::unique_ptr<FontRasteriser> makeBuiltinFontRasteriser(const FontChoice& font);

}  // namespace quillon::faximage
