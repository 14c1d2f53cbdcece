#include "faximage/fax_font.h"

#include "errors/error_codes.h"

namespace quillon::faximage {
namespace {

const uint8_t kFontData[kFaxFontSize] = {
#include "faxfont/fax_font_data.inc"
};

}  // namespace

const uint8_t* builtinFaxFontData() { return kFontData; }

int LoadFaxFont(int bytesPerGlyph, bool doubleRows, GlyphSet& glyphs) {
  const uint8_t* base;
  if (bytesPerGlyph == 16) {
    glyphs.cellWidth = 12;
    glyphs.bytesPerRow = 2;
    base = kFontData;
  } else if (bytesPerGlyph == 48) {
    glyphs.cellWidth = 20;
    glyphs.bytesPerRow = 3;
    base = kFontData + 256 * 16;
  } else {
    return ecFontFileNotFound;
  }
  const int sourceRows = bytesPerGlyph / glyphs.bytesPerRow;
  const int repeat = doubleRows ? 2 : 1;
  glyphs.rows = sourceRows * repeat;
  glyphs.rowData.clear();
  glyphs.rowData.reserve(256 * size_t(glyphs.rows) * size_t(glyphs.bytesPerRow));
  for (int ch = 0; ch < 256; ++ch)
    for (int r = 0; r < sourceRows; ++r)
      for (int k = 0; k < repeat; ++k) {
        const uint8_t* row = base + ch * bytesPerGlyph + r * glyphs.bytesPerRow;
        glyphs.rowData.insert(glyphs.rowData.end(), row, row + glyphs.bytesPerRow);
      }
  return ecOK;
}

GlyphSet glyphsFor(TFaxFont font, bool fine) {
  GlyphSet g;
  LoadFaxFont(font == ffSmall ? 16 : 48, fine, g);
  return g;
}

}  // namespace quillon::faximage
