// Modified Huffman coding and decoding of three 1728 x 2200 fine pages (dense text, a dithered
// photo, a blank page), side by side with netpbm's pbmtog3 / g3topbm and libtiff's Group 3
// codec on the same pages. Items per second = pages per second.
#include <benchmark/benchmark.h>
#include <tiffio.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "faximage/fax_font.h"
#include "faximage/line_assembler.h"
#include "faximage/mh_decoder.h"
#include "faximage/mh_encoder.h"
#include "faximage/ordered_dither.h"

namespace {

using namespace quillon::faximage;

constexpr int kWidth = 1728, kHeight = 2200, kBytes = kWidth / 8;
using Page = std::vector<uint8_t>;  // kHeight rows of kBytes, 1 = black

Page textPage() {
  Page page(size_t(kBytes) * kHeight);
  GlyphSet g = glyphsFor(ffSmall, true);  // 12 x 16 cells: 140 characters, 137 lines
  std::mt19937 rng(1);
  for (int line = 0; line * g.rows < kHeight; ++line)
    for (int c = 0; c < 140; ++c) {
      uint8_t ch = uint8_t(rng() % 7 == 0 ? ' ' : 'a' + rng() % 26);
      for (int r = 0; r < g.rows && line * g.rows + r < kHeight; ++r) {
        const uint8_t* glyph = g.row(ch, r);
        for (int x = 0; x < 12; ++x)
          if ((glyph[x / 8] >> (7 - x % 8)) & 1) {
            int px = 24 + c * 12 + x, py = line * g.rows + r;
            page[size_t(py) * kBytes + size_t(px) / 8] |= uint8_t(0x80 >> (px % 8));
          }
      }
    }
  return page;
}

Page photoPage() {
  Page page(size_t(kBytes) * kHeight);
  OrderedDither dither;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      double v = 0.5 + 0.25 * std::sin(x / 90.0) * std::cos(y / 70.0) + 0.25 * std::sin((x + y) / 300.0);
      int level = int(v * 255 / 3.2);  // darkish, so the dither has work at every level
      if (dither.black(x, y + 1, level, level, level)) page[size_t(y) * kBytes + size_t(x) / 8] |= uint8_t(0x80 >> (x % 8));
    }
  return page;
}

const std::vector<std::pair<const char*, Page>>& pages() {
  static const std::vector<std::pair<const char*, Page>> p = {
      {"text", textPage()}, {"photo", photoPage()}, {"blank", Page(size_t(kBytes) * kHeight)}};
  return p;
}

std::string encodeOurs(const Page& page) {
  std::string out;
  uint8_t code[kCodeBufferSize];
  for (int y = 0; y < kHeight; ++y) {
    size_t n = encodeRasterLine({kWidth, 0, false}, &page[size_t(y) * kBytes], code);
    out.append(reinterpret_cast<char*>(code), n);
  }
  out.append(reinterpret_cast<const char*>(kEndOfPageRecord), sizeof kEndOfPageRecord);
  return out;
}

std::string tempFile(const std::string& name) { return "/tmp/quillon-bench-" + std::to_string(::getpid()) + "-" + name; }

void writeFile(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

std::string pbm(const Page& page) {
  std::string s = "P4\n1728 2200\n";
  s.append(page.begin(), page.end());
  return s;
}

void OursEncode(benchmark::State& state) {
  const Page& page = pages()[size_t(state.range(0))].second;
  size_t bytes = 0;
  for (auto _ : state) bytes = encodeOurs(page).size();
  state.SetItemsProcessed(state.iterations());
  state.SetLabel(std::string(pages()[size_t(state.range(0))].first) + ", " + std::to_string(bytes) + " bytes");
}

void OursDecode(benchmark::State& state) {
  const std::string coded = encodeOurs(pages()[size_t(state.range(0))].second);
  for (auto _ : state) {
    size_t lines = 0;
    LineAssembler assembler([&](const uint8_t*, size_t) { ++lines; });
    MhDecoder decoder(assembler);
    decoder.feed(reinterpret_cast<const uint8_t*>(coded.data()), coded.size());
    decoder.finish();
    if (lines != size_t(kHeight)) state.SkipWithError("wrong line count");
  }
  state.SetItemsProcessed(state.iterations());
  state.SetLabel(pages()[size_t(state.range(0))].first);
}

// netpbm: one process per page, as it is used.
void NetpbmEncode(benchmark::State& state) {
  std::string in = tempFile("in.pbm"), out = tempFile("out.g3");
  writeFile(in, pbm(pages()[size_t(state.range(0))].second));
  std::string command = "pbmtog3 -reversebits " + in + " > " + out + " 2>/dev/null";
  for (auto _ : state)
    if (std::system(command.c_str()) != 0) state.SkipWithError("pbmtog3 failed");
  state.SetItemsProcessed(state.iterations());
  state.SetLabel(pages()[size_t(state.range(0))].first);
  ::unlink(in.c_str());
  ::unlink(out.c_str());
}

void NetpbmDecode(benchmark::State& state) {
  std::string in = tempFile("in.g3"), out = tempFile("out.pbm");
  writeFile(in, encodeOurs(pages()[size_t(state.range(0))].second));
  std::string command = "g3topbm -reversebits " + in + " > " + out + " 2>/dev/null";
  for (auto _ : state)
    if (std::system(command.c_str()) != 0) state.SkipWithError("g3topbm failed");
  state.SetItemsProcessed(state.iterations());
  state.SetLabel(pages()[size_t(state.range(0))].first);
  ::unlink(in.c_str());
  ::unlink(out.c_str());
}

// libtiff's Group 3 one-dimensional codec in this process, through a file in /tmp.
void writeTiff(const std::string& path, const Page& page) {
  TIFF* t = TIFFOpen(path.c_str(), "w");
  TIFFSetField(t, TIFFTAG_IMAGEWIDTH, uint32_t(kWidth));
  TIFFSetField(t, TIFFTAG_IMAGELENGTH, uint32_t(kHeight));
  TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 1);
  TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX3);
  TIFFSetField(t, TIFFTAG_GROUP3OPTIONS, GROUP3OPT_FILLBITS);
  TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
  TIFFSetField(t, TIFFTAG_FILLORDER, FILLORDER_LSB2MSB);
  TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, uint32_t(kHeight));
  std::vector<uint8_t> row(kBytes);
  for (int y = 0; y < kHeight; ++y) {
    std::copy_n(&page[size_t(y) * kBytes], kBytes, row.begin());
    TIFFWriteScanline(t, row.data(), uint32_t(y), 0);
  }
  TIFFClose(t);
}

void LibtiffEncode(benchmark::State& state) {
  std::string path = tempFile("enc.tif");
  for (auto _ : state) writeTiff(path, pages()[size_t(state.range(0))].second);
  state.SetItemsProcessed(state.iterations());
  state.SetLabel(pages()[size_t(state.range(0))].first);
  ::unlink(path.c_str());
}

void LibtiffDecode(benchmark::State& state) {
  std::string path = tempFile("dec.tif");
  writeTiff(path, pages()[size_t(state.range(0))].second);
  std::vector<uint8_t> row(kBytes);
  for (auto _ : state) {
    TIFF* t = TIFFOpen(path.c_str(), "r");
    for (int y = 0; y < kHeight; ++y) TIFFReadScanline(t, row.data(), uint32_t(y), 0);
    TIFFClose(t);
  }
  state.SetItemsProcessed(state.iterations());
  state.SetLabel(pages()[size_t(state.range(0))].first);
  ::unlink(path.c_str());
}

}  // namespace

BENCHMARK(OursEncode)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(NetpbmEncode)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(LibtiffEncode)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(OursDecode)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(NetpbmDecode)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(LibtiffDecode)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
