#pragma once
// The built-in fax font: 256 Latin-1 glyphs in two sizes, and the glyph set a text
// conversion uses (rows doubled for fine resolution).
#include <cstddef>
#include <cstdint>
#include <vector>

#include "faximage/fax_converter_options.h"

namespace quillon::faximage {

inline constexpr size_t kFaxFontSize = 16384;
const uint8_t* builtinFaxFontData();  // kFaxFontSize bytes

struct GlyphSet {
  int cellWidth = 0;     // 12 or 20 pixels
  int rows = 0;          // 8 or 16, doubled for fine resolution
  int bytesPerRow = 0;   // 2 or 3
  std::vector<uint8_t> rowData;  // 256 glyphs x rows x bytesPerRow

  const uint8_t* row(uint8_t ch, int r) const {
    return &rowData[(size_t(ch) * size_t(rows) + size_t(r)) * size_t(bytesPerRow)];
  }
};

// LoadFaxFont: the glyphs of 16 (small) or 48 (standard) bytes, rows repeated for fine
// resolution. Returns 0, or -8052 when the bytes per glyph are neither.
int LoadFaxFont(int bytesPerGlyph, bool doubleRows, GlyphSet& glyphs);
GlyphSet glyphsFor(TFaxFont font, bool fine);

}  // namespace quillon::faximage
