#include "faximage/mh_encoder.h"

#include <algorithm>
#include <bit>
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

// Collects codes least significant bit first. After every code the whole 64-bit word is
// stored and the pointer advances by the completed bytes, so there are no branches and the
// buffer needs no clearing (it has room for the 8-byte stores).
class BitWriter {
 public:
  explicit BitWriter(uint8_t* out) : start_(out), out_(out) {}
  void put(ReversedCode code) { put(code.bits, code.length); }
  void put(uint32_t code, int length) {
    acc_ |= uint64_t(code) << bits_;
    bits_ += length;
    std::memcpy(out_, &acc_, 8);  // little-endian: the first bits in the first byte
    out_ += bits_ >> 3;
    acc_ >>= bits_ & ~7;
    bits_ &= 7;
  }
  // The partial byte and one zero byte end the record: completed bytes + 2.
  size_t finish() {
    out_[0] = uint8_t(acc_);
    out_[1] = 0;
    return size_t(out_ - start_) + 2;
  }

 private:
  uint8_t* start_;
  uint8_t* out_;
  uint64_t acc_ = 0;
  int bits_ = 0;  // 0 ... 7 between codes
};

void putRun(BitWriter& w, const ReversedTables& t, int colour, int run) {
  while (run > kMaxRun + 63) {  // longer than one make-up can say: repeat the largest
    w.put(t.makeUp[colour][kMaxRun / 64]);
    run -= kMaxRun;
  }
  if (run >= 64) w.put(t.makeUp[colour][run / 64]);
  w.put(t.terminating[colour][run % 64]);
}

// The records of a white line at the two page widths, coded once: most lines of a fax are
// white, and copying 16 bytes beats coding them.
struct WhiteLineRecords {
  uint8_t bytes[2][32] = {};
  size_t length[2] = {};
  explicit WhiteLineRecords(const ReversedTables& t) {
    for (int wide = 0; wide < 2; ++wide) {
      BitWriter w(bytes[wide]);
      w.put({0x8000, 16});
      putRun(w, t, 0, wide ? 2048 : 1728);
      length[wide] = w.finish();
    }
  }
};

const WhiteLineRecords& whiteLineRecords() {
  static const WhiteLineRecords r(tables());
  return r;
}

}  // namespace

size_t encodeRasterLine(const LineGeometry& g, const uint8_t* line, uint8_t* code) {
  const ReversedTables& t = tables();
  const int width = std::clamp(g.pageWidth, 8, 4096);  // fax lines are 1728 or 2048 pixels
  const int margin = std::clamp(g.leftMargin, 0, width);
  // The longest line (2048 alternating pixels) takes well under half the buffer.
  const bool white = isAllZero(line, size_t(width) / 8);
  if (white && (width == 1728 || width == 2048)) {
    const WhiteLineRecords& records = whiteLineRecords();
    const int wide = width == 2048;
    std::memcpy(code, records.bytes[wide], 16);
    return records.length[wide];
  }
  BitWriter w(code);
  w.put({0x8000, 16});  // aligned EOL: fifteen 0 bits and a 1

  if (white) {
    putRun(w, t, 0, width);
    return w.finish();
  }
  // First the runs (white, black, white, ... alternating), then their codes: two short runs
  // go out as one combined code, which halves the work on the bit position.
  uint16_t runs[2 * 4096 + 4];
  size_t count = 0;
  const int limit = width - margin;  // pixels read from the line
  const int factor = g.doubleWidth ? 2 : 1;
  int sum = 0;  // pixels given to runs so far
  int pos = 0;
  bool firstRun = true;
  if (limit > 0 && pixelAt(line, 0)) {
    runs[count++] = uint16_t(margin);  // a black start: a white run of exactly the margin, never doubled
    sum = margin;
    firstRun = false;
  }
  // Each colour change inside the read pixels ends a run; the changes are found a 64-bit word
  // at a time (bit i of a word set = pixel i differs from the one before it).
  const size_t bytes = (size_t(std::max(limit, 0)) + 7) / 8;
  uint64_t before = 0;  // the pixel left of the current word, in bit 63
  // At normal width no run can pass the page width, so only the positions matter: the first
  // white run counts from -margin.
  if (factor == 1 && firstRun) pos = -margin;
  for (size_t k = 0; k * 64 < size_t(std::max(limit, 0)) && sum < width; ++k) {
    uint64_t word = 0;
    size_t at = k * 8;
    if (at + 8 <= bytes) {
      std::memcpy(&word, line + at, 8);
      word = __builtin_bswap64(word);
    } else {
      for (size_t b = at; b < bytes; ++b) word |= uint64_t(line[b]) << (56 - 8 * (b - at));
    }
    uint64_t changes = word ^ ((word >> 1) | before);
    before = word << 63;
    if (k == 0) changes &= ~(uint64_t(1) << 63);  // pixel 0 was handled above
    int inWord = limit - int(k * 64);
    if (inWord < 64) changes &= ~uint64_t(0) << (64 - inWord);  // only changes before the limit
    const int base = int(k * 64);
    if (factor == 1) {
      while (changes) {
        int bit = std::countl_zero(changes);
        changes &= ~(uint64_t(1) << (63 - bit));
        runs[count++] = uint16_t(base + bit - pos);
        pos = base + bit;
      }
      continue;
    }
    while (changes && sum < width) {
      int bit = std::countl_zero(changes);
      changes &= ~(uint64_t(1) << (63 - bit));
      int boundary = base + bit;
      int run = (boundary - pos) * factor;
      if (firstRun) run += margin * factor;  // the first white run includes the margin
      firstRun = false;
      pos = boundary;
      run = std::min(run, width - sum);  // doubled runs can pass the page width: cut them
      runs[count++] = uint16_t(run);
      sum += run;
    }
  }
  // The final run fills the line to the page width exactly.
  if (factor == 1) {
    runs[count++] = uint16_t(std::max(limit, 0) - pos);
  } else if (sum < width) {
    runs[count++] = uint16_t(width - sum);
  }

  size_t i = 0;
  for (; i + 1 < count; i += 2) {
    int white = runs[i], black = runs[i + 1];
    if ((white | black) < 64) {
      ReversedCode a = t.terminating[0][white], b = t.terminating[1][black];
      w.put(uint32_t(a.bits) | uint32_t(b.bits) << a.length, a.length + b.length);
    } else {
      putRun(w, t, 0, white);
      putRun(w, t, 1, black);
    }
  }
  if (i < count) putRun(w, t, 0, runs[i]);
  return w.finish();
}

size_t encodeEndOfPage(uint8_t* buffer) {
  std::memcpy(buffer, kEndOfPageRecord, sizeof kEndOfPageRecord);
  return sizeof kEndOfPageRecord;
}

}  // namespace quillon::faximage
