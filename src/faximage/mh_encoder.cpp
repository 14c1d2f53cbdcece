#include "faximage/mh_encoder.h"

#include <algorithm>
#include <cstring>

#include "faximage/mh_codes.h"
#include "faximage/raster_scan.h"

namespace quillon::faximage {
namespace {

// Codes with their bits reversed, so that each can be or-ed in least significant bit first.
struct ReversedCode {
  uint16_t bits;
  uint8_t length;
};

struct ReversedTables {
  ReversedCode terminating[2][64];
  ReversedCode makeUp[2][kMaxRun / 64 + 1];  // index run / 64

  ReversedTables() {
    for (int c = 0; c < 2; ++c) {
      Colour colour = static_cast<Colour>(c);
      forEachRunCode(colour, [&](int run, MhCode code) {
        ReversedCode r{reverse(code), code.length};
        if (run < 64) terminating[c][run] = r;
        else makeUp[c][run / 64] = r;
      });
    }
  }
  static uint16_t reverse(MhCode code) {
    uint16_t r = 0;
    for (int i = 0; i < code.length; ++i) r |= ((code.bits >> (code.length - 1 - i)) & 1) << i;
    return r;
  }
};

const ReversedTables& tables() {
  static const ReversedTables t;
  return t;
}

// Appends codes at a bit position of a zeroed buffer.
class BitWriter {
 public:
  explicit BitWriter(uint8_t* out) : out_(out) {}
  void put(ReversedCode code) {
    uint32_t v = uint32_t(code.bits) << (bit_ & 7);
    uint8_t* p = out_ + (bit_ >> 3);
    p[0] |= uint8_t(v);
    p[1] |= uint8_t(v >> 8);
    p[2] |= uint8_t(v >> 16);
    bit_ += code.length;
  }
  void skip(size_t bits) { bit_ += bits; }
  size_t bit() const { return bit_; }

 private:
  uint8_t* out_;
  size_t bit_ = 0;
};

void putRun(BitWriter& w, const ReversedTables& t, int colour, int run) {
  while (run > kMaxRun + 63) {  // longer than one make-up can say: repeat the largest
    w.put(t.makeUp[colour][kMaxRun / 64]);
    run -= kMaxRun;
  }
  if (run >= 64) w.put(t.makeUp[colour][run / 64]);
  w.put(t.terminating[colour][run % 64]);
}

}  // namespace

size_t encodeRasterLine(const LineGeometry& g, const uint8_t* line, uint8_t* code) {
  const ReversedTables& t = tables();
  const int width = g.pageWidth;
  const int margin = std::clamp(g.leftMargin, 0, width);
  // The longest line (2048 alternating pixels) takes well under half the buffer.
  std::memset(code, 0, kCodeBufferSize);
  BitWriter w(code);
  w.skip(15);  // aligned EOL: fifteen 0 bits and a 1
  w.put({1, 1});

  if (isAllZero(line, size_t(width) / 8)) {
    putRun(w, t, 0, width);
  } else {
    const int limit = width - margin;  // pixels read from the line
    const int factor = g.doubleWidth ? 2 : 1;
    int sum = 0;      // pixels written so far
    int colour = 0;   // white first
    int pos = 0;
    if (limit > 0 && pixelAt(line, 0)) {
      putRun(w, t, 0, margin);  // a black start: a white run of exactly the margin
      sum = margin;
      colour = 1;
    }
    bool firstRun = colour == 0;
    while (pos < limit && sum < width) {
      int end = runEnd(line, pos, limit, colour == 1);
      int run = (end - pos) * factor;
      if (firstRun) run += margin * factor;  // the first white run includes the margin
      firstRun = false;
      pos = end;
      if (pos >= limit) break;  // the final run is sized below
      run = std::min(run, width - sum);  // doubled runs can pass the page width: cut them
      putRun(w, t, colour, run);
      sum += run;
      colour ^= 1;
    }
    if (sum < width) {
      // The final run fills the line to the page width exactly.
      putRun(w, t, colour, width - sum);
    }
  }
  return w.bit() / 8 + 2;
}

size_t encodeEndOfPage(uint8_t* buffer) {
  std::memcpy(buffer, kEndOfPageRecord, sizeof kEndOfPageRecord);
  return sizeof kEndOfPageRecord;
}

}  // namespace quillon::faximage
