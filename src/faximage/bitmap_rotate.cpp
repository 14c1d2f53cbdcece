#include "faximage/bitmap_rotate.h"

#include <new>

#include "errors/error_codes.h"

namespace quillon::faximage {
namespace {

bool pixel(const MonoBitmap& b, int x, int y) { return b.row(y)[x >> 3] & (0x80 >> (x & 7)); }

// A bitmap of the size with every bit set (white, padding included).
void allWhite(MonoBitmap& b, int width, int height) {
  b.width = width;
  b.height = height;
  b.stride = size_t(width + 7) / 8;
  b.bits.assign(b.stride * size_t(height), 0xFF);
}

// Reverses the bit order of a byte.
uint8_t reversed(uint8_t v) {
  v = uint8_t((v & 0xF0) >> 4 | (v & 0x0F) << 4);
  v = uint8_t((v & 0xCC) >> 2 | (v & 0x33) << 2);
  return uint8_t((v & 0xAA) >> 1 | (v & 0x55) << 1);
}

void halfTurn(const MonoBitmap& src, MonoBitmap& dst) {
  allWhite(dst, src.width, src.height);
  // A whole row reversed bit by bit: the row's pixels shift when the width is no multiple of 8.
  int pad = int(src.stride * 8) - src.width;
  for (int y = 0; y < src.height; ++y) {
    const uint8_t* in = src.row(src.height - 1 - y);
    uint8_t* out = dst.row(y);
    if (pad == 0) {
      for (size_t i = 0; i < src.stride; ++i) out[i] = reversed(in[src.stride - 1 - i]);
      continue;
    }
    for (int x = 0; x < src.width; ++x)
      if (!pixel(src, src.width - 1 - x, src.height - 1 - y)) out[x >> 3] &= uint8_t(~(0x80 >> (x & 7)));
  }
}

// Black pixels only are written into the all-white result, so a fax (mostly white) turns fast.
void quarterTurn(const MonoBitmap& src, bool clockwise, MonoBitmap& dst) {
  allWhite(dst, src.height, src.width);
  for (int y = 0; y < src.height; ++y) {
    const uint8_t* in = src.row(y);
    for (int bx = 0; bx < int(src.stride); ++bx) {
      if (in[bx] == 0xFF) continue;
      for (int bit = 0; bit < 8; ++bit) {
        int x = bx * 8 + bit;
        if (x >= src.width || (in[bx] & (0x80 >> bit))) continue;
        // clockwise: (x, y) -> (height - 1 - y, x); anticlockwise: (x, y) -> (y, width - 1 - x)
        int nx = clockwise ? src.height - 1 - y : y;
        int ny = clockwise ? x : src.width - 1 - x;
        dst.row(ny)[nx >> 3] &= uint8_t(~(0x80 >> (nx & 7)));
      }
    }
  }
}

}  // namespace

int rotateBitmap(const MonoBitmap& src, int quarters, MonoBitmap& dst) {
  quarters = ((quarters % 4) + 4) % 4;
  try {
    MonoBitmap result;
    if (quarters == 0) result = src;
    else if (quarters == 2) halfTurn(src, result);
    else quarterTurn(src, quarters == 1, result);
    dst = std::move(result);
  } catch (const std::bad_alloc&) {
    return ecOutOfMemory;
  }
  return ecOK;
}

}  // namespace quillon::faximage
