#include "faximage/viewer/page_render.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace quillon::faximage {
namespace {

// For each target position the first source position and the number it covers.
struct Span {
  int first;
  int count;
};

std::vector<Span> spans(int source, int target) {
  std::vector<Span> out(size_t(std::max(0, target)));
  for (int t = 0; t < target; ++t) {
    int a = int(int64_t(t) * source / target);
    int b = int(int64_t(t + 1) * source / target);
    out[size_t(t)] = {std::min(a, source - 1), std::max(1, b - a)};
  }
  return out;
}

}  // namespace

void setPageColours(QImage& image, QRgb foreground, QRgb background) {
  QList<QRgb> table(256);
  for (int i = 0; i < 256; ++i) {
    auto mix = [i](int f, int b) { return (f * (255 - i) + b * i) / 255; };
    table[i] = qRgb(mix(qRed(foreground), qRed(background)), mix(qGreen(foreground), qGreen(background)),
                    mix(qBlue(foreground), qBlue(background)));
  }
  image.setColorTable(table);
}

QImage renderPage(const MonoBitmap& page, int width, int height, QRgb foreground, QRgb background) {
  if (page.empty() || width <= 0 || height <= 0) return {};
  QImage image(width, height, QImage::Format_Indexed8);
  if (image.isNull()) return {};
  setPageColours(image, foreground, background);
  std::vector<Span> cols = spans(page.width, width), rows = spans(page.height, height);
  // White pixels of the current source row up to each position (prefix sums).
  std::vector<int> whiteBefore(static_cast<size_t>(page.width) + 1);
  std::vector<int> sum(static_cast<size_t>(width));
  // Averaged grey is lightened by thin strokes; squaring it gives them back some weight.
  uint8_t darken[256];
  for (int v = 0; v < 256; ++v) darken[v] = uint8_t(v * v / 255);
  for (int y = 0; y < height; ++y) {
    const Span& rs = rows[size_t(y)];
    std::fill(sum.begin(), sum.end(), 0);
    for (int sy = rs.first; sy < std::min(page.height, rs.first + rs.count); ++sy) {
      const uint8_t* in = page.row(sy);
      for (int x = 0; x < page.width; ++x) whiteBefore[size_t(x) + 1] = whiteBefore[size_t(x)] + ((in[x >> 3] >> (7 - (x & 7))) & 1);
      for (int x = 0; x < width; ++x) {
        const Span& cs = cols[size_t(x)];
        int end = std::min(page.width, cs.first + cs.count);
        sum[size_t(x)] += whiteBefore[size_t(end)] - whiteBefore[size_t(cs.first)];
      }
    }
    uchar* out = image.scanLine(y);
    bool shrunk = rs.count > 1;
    for (int x = 0; x < width; ++x) {
      int area = cols[size_t(x)].count * rs.count;
      int v = sum[size_t(x)] * 255 / area;
      out[x] = shrunk || cols[size_t(x)].count > 1 ? darken[v] : uint8_t(v);
    }
  }
  return image;
}

QImage monoImage(const MonoBitmap& bitmap, QRgb foreground, QRgb background) {
  if (bitmap.empty()) return {};
  QImage image(bitmap.width, bitmap.height, QImage::Format_Mono);
  if (image.isNull()) return {};
  image.setColorTable({foreground, background});  // bit 0 = black, 1 = white
  size_t bytes = std::min(size_t(image.bytesPerLine()), bitmap.stride);
  for (int y = 0; y < bitmap.height; ++y) {
    uchar* out = image.scanLine(y);
    std::memset(out, 0xFF, size_t(image.bytesPerLine()));
    std::memcpy(out, bitmap.row(y), bytes);
  }
  return image;
}

}  // namespace quillon::faximage
