#pragma once
// Page data a fax machine accepts: one-dimensional T.4 lines of 1728 pixels with black and
// white runs that differ by `seed`, then the end of page. Pages of any size for the tests.
#include <cstdint>
#include <string>
#include <vector>

#include "faximage/mh_encoder.h"

namespace quillon::modem::test {

inline std::string t4Page(std::size_t bytes, int seed = 0) {
  constexpr int kWidth = 1728;
  faximage::LineGeometry geometry;
  geometry.leftMargin = 0;
  std::vector<std::uint8_t> raster(kWidth / 8), code(faximage::kCodeBufferSize);
  std::uint32_t state = 12345u + static_cast<std::uint32_t>(seed) * 7919u;
  auto next = [&state] { return (state = state * 1103515245u + 12345u) >> 16; };
  std::string page;
  while (page.size() + sizeof faximage::kEndOfPageRecord < bytes) {
    for (auto& b : raster) b = 0;
    for (int x = static_cast<int>(next() % 64); x < kWidth;) {
      int black = 1 + static_cast<int>(next() % 40);
      for (int i = x; i < x + black && i < kWidth; ++i) raster[i >> 3] |= static_cast<std::uint8_t>(0x80 >> (i & 7));
      x += black + 1 + static_cast<int>(next() % 90);
    }
    std::size_t n = faximage::encodeRasterLine(geometry, raster.data(), code.data());
    page.append(reinterpret_cast<const char*>(code.data()), n);
  }
  page.append(reinterpret_cast<const char*>(faximage::kEndOfPageRecord), sizeof faximage::kEndOfPageRecord);
  return page;
}

}  // namespace quillon::modem::test
