// The Modified Huffman codec against libtiff's Group 3 codec and SpanDSP's T.4 codec, in this
// process and on the same pages: text, a dithered photo, a blank page, a near-blank page (a
// letter head and a signature) and a wide 2048-pixel text page, each at standard (1100 lines)
// and fine (2200 lines) resolution.
//   encode  the page's rows in memory to coded data in memory (ours: line records as the
//           converter writes them; libtiff: TIFFWriteEncodedStrip into a TIFF in memory with
//           byte-aligned EOLs; SpanDSP: t4_tx_start_page and t4_tx_get_chunk);
//   decode  the same coded data (ours, byte-aligned EOLs) to the page's rows in memory
//           (libtiff: TIFFReadEncodedStrip from a TIFF in memory; SpanDSP: t4_rx_put_chunk).
// No file is read or written while timing. The sides run in turn, round after round, and
// each figure is the median of the rounds; a ratio below 1 means Quillon is faster.
#include <tiffio.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

extern "C" {
#include <spandsp.h>
}

#include "faximage/fax_font.h"
#include "faximage/line_assembler.h"
#include "faximage/mh_decoder.h"
#include "faximage/mh_encoder.h"
#include "faximage/ordered_dither.h"

namespace {

using namespace quillon::faximage;
using Clock = std::chrono::steady_clock;

struct Page {
  std::string name;
  int width, height;
  std::vector<uint8_t> bits;  // height rows of width / 8 bytes, 1 = black
  size_t rowBytes() const { return size_t(width) / 8; }
  const uint8_t* row(int y) const { return &bits[size_t(y) * rowBytes()]; }
};

void setPixel(Page& p, int x, int y) { p.bits[size_t(y) * p.rowBytes() + size_t(x) / 8] |= uint8_t(0x80 >> (x % 8)); }

// Lines of random letters from `firstLine` for `lines` text lines (0: to the bottom).
void writeText(Page& p, int firstLine, int lines, unsigned seed) {
  GlyphSet g = glyphsFor(ffSmall, true);  // 12 x 16 cells
  std::mt19937 rng(seed);
  const int columns = (p.width - 48) / 12;
  for (int line = firstLine; (line + 1) * g.rows <= p.height && (lines == 0 || line < firstLine + lines); ++line)
    for (int c = 0; c < columns; ++c) {
      uint8_t ch = uint8_t(rng() % 7 == 0 ? ' ' : 'a' + rng() % 26);
      for (int r = 0; r < g.rows; ++r) {
        const uint8_t* glyph = g.row(ch, r);
        for (int x = 0; x < 12; ++x)
          if ((glyph[x / 8] >> (7 - x % 8)) & 1) setPixel(p, 24 + c * 12 + x, line * g.rows + r);
      }
    }
}

Page blankPage(const std::string& name, int width, int height) {
  return {name, width, height, std::vector<uint8_t>(size_t(width) / 8 * size_t(height))};
}

Page photoPage(const std::string& name, int height) {
  Page p = blankPage(name, 1728, height);
  OrderedDither dither;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < p.width; ++x) {
      double v = 0.5 + 0.25 * std::sin(x / 90.0) * std::cos(y / 70.0) + 0.25 * std::sin((x + y) / 300.0);
      int level = int(v * 255 / 3.2);
      if (dither.black(x, y + 1, level, level, level)) setPixel(p, x, y);
    }
  return p;
}

std::vector<Page> makePages() {
  std::vector<Page> pages;
  for (int height : {1100, 2200}) {
    const std::string res = height == 2200 ? " fine" : " std";
    Page text = blankPage("text" + res, 1728, height);
    writeText(text, 0, 0, 1);
    pages.push_back(std::move(text));
    pages.push_back(photoPage("photo" + res, height));
    pages.push_back(blankPage("blank" + res, 1728, height));
    Page sparse = blankPage("near-blank" + res, 1728, height);
    writeText(sparse, 2, 3, 2);                      // a letter head
    writeText(sparse, height / 16 - 6, 2, 3);        // a signature near the foot
    pages.push_back(std::move(sparse));
    Page wide = blankPage("wide text" + res, 2048, height);
    writeText(wide, 0, 0, 4);
    pages.push_back(std::move(wide));
  }
  return pages;
}

// ---- Quillon
// Into `out`, which has room for the longest page (its memory is reused, as libtiff's is).
size_t oursEncode(const Page& p, std::vector<uint8_t>& out) {
  size_t used = 0;
  for (int y = 0; y < p.height; ++y) used += encodeRasterLine({p.width, 0, false}, p.row(y), &out[used]);
  std::memcpy(&out[used], kEndOfPageRecord, sizeof kEndOfPageRecord);
  return used + sizeof kEndOfPageRecord;
}

std::vector<uint8_t> oursEncode(const Page& p) {
  // A line of alternating pixels codes in under 1200 bytes; the encoder wants a whole code
  // buffer of room at every line.
  std::vector<uint8_t> out(size_t(p.height) * 1200 + kCodeBufferSize);
  out.resize(oursEncode(p, out));
  return out;
}

size_t oursDecode(const std::vector<uint8_t>& coded, std::vector<uint8_t>& raster) {
  size_t rows = 0;
  LineAssembler lines([&](const uint8_t* line, size_t bytes) {
    if ((rows + 1) * bytes <= raster.size()) std::memcpy(&raster[rows * bytes], line, bytes);
    ++rows;
  });
  MhDecoder decoder(lines);
  decoder.feed(coded.data(), coded.size());
  decoder.finish();
  return rows;
}

// ---- libtiff, on a TIFF held in memory
struct MemoryTiff {
  std::vector<uint8_t> data;
  toff_t at = 0;
};
tsize_t memRead(thandle_t h, tdata_t buf, tsize_t size) {
  auto* m = static_cast<MemoryTiff*>(h);
  tsize_t n = std::max<tsize_t>(0, std::min<tsize_t>(size, tsize_t(m->data.size()) - tsize_t(m->at)));
  std::memcpy(buf, m->data.data() + m->at, size_t(n));
  m->at += toff_t(n);
  return n;
}
tsize_t memWrite(thandle_t h, tdata_t buf, tsize_t size) {
  auto* m = static_cast<MemoryTiff*>(h);
  if (m->at + toff_t(size) > m->data.size()) m->data.resize(size_t(m->at) + size_t(size));
  std::memcpy(m->data.data() + m->at, buf, size_t(size));
  m->at += toff_t(size);
  return size;
}
toff_t memSeek(thandle_t h, toff_t off, int whence) {
  auto* m = static_cast<MemoryTiff*>(h);
  m->at = whence == SEEK_SET ? off : whence == SEEK_CUR ? m->at + off : m->data.size() + off;
  return m->at;
}
int memClose(thandle_t) { return 0; }
toff_t memSize(thandle_t h) { return static_cast<MemoryTiff*>(h)->data.size(); }
int memMap(thandle_t, tdata_t*, toff_t*) { return 0; }
void memUnmap(thandle_t, tdata_t, toff_t) {}

TIFF* openMemory(MemoryTiff& m, const char* mode) {
  m.at = 0;
  return TIFFClientOpen("memory", mode, &m, memRead, memWrite, memSeek, memClose, memSize, memMap, memUnmap);
}

void setG3Fields(TIFF* t, const Page& p) {
  TIFFSetField(t, TIFFTAG_IMAGEWIDTH, uint32_t(p.width));
  TIFFSetField(t, TIFFTAG_IMAGELENGTH, uint32_t(p.height));
  TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 1);
  TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX3);
  TIFFSetField(t, TIFFTAG_GROUP3OPTIONS, GROUP3OPT_FILLBITS);
  TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
  TIFFSetField(t, TIFFTAG_FILLORDER, FILLORDER_LSB2MSB);
  TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, uint32_t(p.height));
}

void libtiffEncode(const Page& p, MemoryTiff& m) {
  m.data.clear();
  TIFF* t = openMemory(m, "w");
  setG3Fields(t, p);
  TIFFWriteEncodedStrip(t, 0, const_cast<uint8_t*>(p.bits.data()), tsize_t(p.bits.size()));
  TIFFClose(t);
}

// A TIFF whose strip is our coded page, opened once; each decode reads the strip again.
TIFF* libtiffDecoderFor(const Page& p, const std::vector<uint8_t>& coded, MemoryTiff& m) {
  TIFF* t = openMemory(m, "w");
  setG3Fields(t, p);
  TIFFWriteRawStrip(t, 0, const_cast<uint8_t*>(coded.data()), tsize_t(coded.size()));
  TIFFClose(t);
  return openMemory(m, "r");
}

// ---- SpanDSP. Its transmitter needs a TIFF file to start; the rows then come from memory
// through the row handler.
struct SpanRows {
  const Page* page;
  int next = 0;
};
int spanReadRow(void* user, uint8_t buf[], size_t len) {
  auto* s = static_cast<SpanRows*>(user);
  if (s->next >= s->page->height) return 0;
  std::memcpy(buf, s->page->row(s->next++), std::min(len, s->page->rowBytes()));
  return int(len);
}

std::string writeSpanTiff(const Page& p) {
  std::string path = "/tmp/quillon-bench-" + std::to_string(::getpid()) + ".tif";
  TIFF* t = TIFFOpen(path.c_str(), "w");
  setG3Fields(t, p);
  TIFFSetField(t, TIFFTAG_XRESOLUTION, 204.0f);
  TIFFSetField(t, TIFFTAG_YRESOLUTION, p.height > 1500 ? 196.0f : 98.0f);
  TIFFSetField(t, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
  TIFFWriteEncodedStrip(t, 0, const_cast<uint8_t*>(p.bits.data()), tsize_t(p.bits.size()));
  TIFFClose(t);
  return path;
}

size_t spanEncode(t4_tx_state_t* tx, const Page& p) {
  SpanRows rows{&p};
  t4_tx_set_row_read_handler(tx, spanReadRow, &rows);
  t4_tx_start_page(tx);
  uint8_t buffer[8192];
  size_t total = 0;
  for (int n; (n = t4_tx_get_chunk(tx, buffer, sizeof buffer)) > 0;) total += size_t(n);
  t4_tx_restart_page(tx);
  return total;
}

void spanDecode(t4_rx_state_t* rx, const Page& p, const std::vector<uint8_t>& coded) {
  t4_rx_set_image_width(rx, p.width);
  t4_rx_start_page(rx);
  t4_rx_put_chunk(rx, coded.data(), int(coded.size()));
}

// ---- timing
double milliseconds(const std::function<void()>& work) {
  auto start = Clock::now();
  work();
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

// Runs the sides in turn for `rounds` rounds, each side `repeat` times a round; the median
// per run of each side in milliseconds.
std::vector<double> race(const std::vector<std::function<void()>>& sides, int rounds, int repeat) {
  std::vector<std::vector<double>> times(sides.size());
  for (auto& side : sides) side();  // warm-up
  for (int r = 0; r < rounds; ++r)
    for (size_t s = 0; s < sides.size(); ++s)
      times[s].push_back(milliseconds([&] {
                           for (int i = 0; i < repeat; ++i) sides[s]();
                         }) /
                         repeat);
  std::vector<double> medians;
  for (auto& t : times) medians.push_back(median(t));
  return medians;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 11;
  TIFFSetErrorHandler(nullptr);
  TIFFSetWarningHandler(nullptr);
  std::vector<Page> pages = makePages();
  std::printf("Per page, median of %d rounds, milliseconds; ratio = Quillon / peer (below 1: Quillon faster)\n",
              rounds);
  std::printf("%-17s %6s | %8s %8s %8s %6s %6s | %8s %8s %8s %6s %6s\n", "page", "bytes", "enc ours", "libtiff",
              "spandsp", "/tiff", "/span", "dec ours", "libtiff", "spandsp", "/tiff", "/span");
  int status = 0;
  for (const Page& p : pages) {
    const std::vector<uint8_t> coded = oursEncode(p);
    const int repeat = std::max(1, int(20000 / (coded.size() / 64 + 50)));

    MemoryTiff encodeMemory;
    std::vector<uint8_t> out(size_t(p.height) * 1200 + kCodeBufferSize);
    std::string spanFile = writeSpanTiff(p);
    t4_tx_state_t* tx = t4_tx_init(nullptr, spanFile.c_str(), -1, -1);
    t4_tx_set_tx_encoding(tx, T4_COMPRESSION_ITU_T4_1D);
    t4_tx_set_min_bits_per_row(tx, 0);
    std::vector<double> enc = race({[&] { oursEncode(p, out); }, [&] { libtiffEncode(p, encodeMemory); },
                                    [&] { spanEncode(tx, p); }},
                                   rounds, repeat);
    t4_tx_free(tx);

    std::vector<uint8_t> raster(p.bits.size()), tiffRaster(p.bits.size());
    MemoryTiff decodeMemory;
    TIFF* tiff = libtiffDecoderFor(p, coded, decodeMemory);
    std::string spanOut = spanFile + ".rx";
    t4_rx_state_t* rx = t4_rx_init(nullptr, spanOut.c_str(), T4_COMPRESSION_ITU_T4_1D);
    t4_rx_set_rx_encoding(rx, T4_COMPRESSION_ITU_T4_1D);
    std::vector<double> dec =
        race({[&] { oursDecode(coded, raster); },
              [&] { TIFFReadEncodedStrip(tiff, 0, tiffRaster.data(), tsize_t(tiffRaster.size())); },
              [&] { spanDecode(rx, p, coded); }},
             rounds, repeat);
    // Every side decoded the same page.
    if (raster != p.bits || tiffRaster != p.bits) {
      std::printf("%s: a decoder gave a different page\n", p.name.c_str());
      status = 1;
    }
    TIFFClose(tiff);
    t4_rx_end_page(rx);
    t4_rx_free(rx);
    ::unlink(spanOut.c_str());
    ::unlink(spanFile.c_str());
    std::printf("%-17s %6zu | %8.3f %8.3f %8.3f %6.2f %6.2f | %8.3f %8.3f %8.3f %6.2f %6.2f\n", p.name.c_str(),
                coded.size(), enc[0], enc[1], enc[2], enc[0] / enc[1], enc[0] / enc[2], dec[0], dec[1], dec[2],
                dec[0] / dec[1], dec[0] / dec[2]);
  }
  return status;
}
