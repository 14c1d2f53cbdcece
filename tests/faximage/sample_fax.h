#pragma once
// Fax files made by the converter from bitmaps, for the viewer, printing and export tests.
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "faximage/fax_converter.h"
#include "faximage/fax_file_join.h"
#include "faximage/mono_bitmap.h"

namespace quillon::faximage::test {

// Writes one page per bitmap (1 = white, 1728 or fewer pixels wide) into `path`.
inline int writeFaxPages(const std::string& path, const std::vector<MonoBitmap>& pages, bool fine) {
  std::vector<std::string> parts;
  for (size_t i = 0; i < pages.size(); ++i) {
    TApdFaxConverter c;
    c.SetLeftMargin(0);
    c.SetResolution(fine ? frHigh : frNormal);
    std::string part = path + ".part" + std::to_string(i) + ".APF";
    c.SetOutFileName(part);
    if (int status = c.ConvertBitmapToFile(pages[i]); status < 0) return status;
    parts.push_back(part);
  }
  int status = JoinFaxFiles(parts, path);
  for (const auto& p : parts) std::filesystem::remove(p);
  return status;
}

// A page of random black runs (1 = white) with a black frame, so every edge is visible.
inline MonoBitmap randomPage(std::mt19937& rng, int width, int height) {
  MonoBitmap b;
  b.width = width;
  b.height = height;
  b.stride = size_t(width + 7) / 8;
  b.bits.assign(b.stride * size_t(height), 0xFF);
  auto black = [&](int x, int y) { b.row(y)[x >> 3] &= uint8_t(~(0x80 >> (x & 7))); };
  for (int y = 0; y < height; ++y) {
    bool frame = y < 4 || y >= height - 4;
    for (int x = 0; x < width; ++x)
      if (frame || x < 4 || x >= width - 4 || (y % 7 < 3 && rng() % 5 == 0)) black(x, y);
  }
  return b;
}

inline bool pixelWhite(const MonoBitmap& b, int x, int y) { return b.row(y)[x >> 3] & (0x80 >> (x & 7)); }

}  // namespace quillon::faximage::test
