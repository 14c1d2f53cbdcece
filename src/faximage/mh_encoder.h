#pragma once
// Codes one raster line (1 bit per pixel, first pixel in the most significant bit, 1 = black)
// as a byte-aligned EOL followed by Modified Huffman runs, bits packed least significant
// first as they go on the line.
#include <cstddef>
#include <cstdint>

namespace quillon::faximage {

inline constexpr size_t kCodeBufferSize = 4096;

struct LineGeometry {
  int pageWidth = 1728;   // 1728 or 2048 pixels
  int leftMargin = 50;    // white pixels added at the left
  bool doubleWidth = false;
};

// Codes `line` (pageWidth / 8 bytes) into `code` (kCodeBufferSize bytes, overwritten) and
// returns the record length: the completed code bytes + 2 (the partial byte and one zero byte).
size_t encodeRasterLine(const LineGeometry& geometry, const uint8_t* line, uint8_t* code);

// The end-of-page record: an aligned EOL and seven more EOLs, cut to 12 whole bytes.
inline constexpr uint8_t kEndOfPageRecord[12] = {0x00, 0x80, 0x00, 0x08, 0x80, 0x00,
                                                 0x08, 0x80, 0x00, 0x08, 0x80, 0x00};
// A blank line of 1728 pixels: aligned EOL, white make-up 1728, white terminating 0, fill.
inline constexpr uint8_t kBlankLineRecord[6] = {0x00, 0x80, 0xB2, 0x59, 0x01, 0x00};

size_t encodeEndOfPage(uint8_t* buffer);  // writes kEndOfPageRecord, returns 12

}  // namespace quillon::faximage
