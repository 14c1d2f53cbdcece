#include "page_judge.h"

#include <algorithm>
#include <array>
#include <vector>

#include "faximage/mh_codes.h"

namespace quillon::modem {

namespace {
using faximage::Colour;

// A bad page: more than one line in twenty lost, or this many lost in a row (about 4 mm).
constexpr std::size_t kBadRunLimit = 16;
constexpr int kMaxCodeBits = 13;

// Run lengths by code length and code value for one colour; -1 where no code is.
struct CodeTable {
  std::array<std::vector<int>, kMaxCodeBits + 1> runs;
  explicit CodeTable(Colour colour) {
    for (int len = 0; len <= kMaxCodeBits; ++len) runs[len].assign(std::size_t{1} << len, -1);
    faximage::forEachRunCode(colour, [this](int run, faximage::MhCode code) {
      if (code.length <= kMaxCodeBits) runs[code.length][code.bits] = run;
    });
  }
};

const CodeTable& table(Colour colour) {
  static const CodeTable white(Colour::White), black(Colour::Black);
  return colour == Colour::White ? white : black;
}
}  // namespace

bool PageQuality::acceptable() const {
  return lines > 0 && badLines * 20 <= lines && longestBadRun < kBadRunLimit;
}

PageQuality judgePage(const std::string& data, int width) {
  PageQuality q;
  bool started = false;     // the first EOL has been seen
  bool lineHasCodes = false;
  bool lineBad = false;
  bool skipping = false;    // after an invalid code: until the next EOL
  int pixels = 0;
  Colour colour = Colour::White;
  int code = 0, length = 0;
  int zeros = 0;            // zero bits in a row (an EOL is 11 or more zeros and a one)
  int emptyEols = 0;        // EOLs in a row with no line between them
  std::size_t badRun = 0;
  std::size_t lineBits = 0, goodBits = 0, goodLines = 0;

  auto endLine = [&] {
    if (lineHasCodes) {
      if (lineBad || pixels != width) {
        // Damage eats EOLs too: a long stretch of it stands for as many lines as fit in it.
        std::size_t perLine = goodLines > 0 ? std::max<std::size_t>(goodBits / goodLines, 16) : 256;
        std::size_t lost = std::max<std::size_t>(1, lineBits / perLine);
        q.lines += lost;
        q.badLines += lost;
        badRun += lost;
        q.longestBadRun = std::max(q.longestBadRun, badRun);
      } else {
        ++q.lines;
        ++goodLines;
        goodBits += lineBits;
        badRun = 0;
      }
      emptyEols = 1;
    } else if (started) {
      ++emptyEols;
    } else {
      emptyEols = 1;
    }
    started = true;
    lineHasCodes = lineBad = skipping = false;
    pixels = 0;
    lineBits = 0;
    colour = Colour::White;
    code = length = 0;
  };

  for (unsigned char byte : data) {
    for (int b = 0; b < 8; ++b) {
      int bit = (byte >> b) & 1;
      ++lineBits;
      if (bit == 0) {
        ++zeros;
      } else {
        bool eol = zeros >= 11;
        zeros = 0;
        if (eol) {
          endLine();
          if (emptyEols >= 6) {
            q.rtc = true;
            return q;
          }
          continue;
        }
      }
      if (!started || skipping) continue;
      code = (code << 1) | bit;
      ++length;
      int run = table(colour).runs[length][code];
      if (run >= 0) {
        lineHasCodes = true;
        pixels += run;
        if (run < 64) colour = colour == Colour::White ? Colour::Black : Colour::White;
        code = length = 0;
      } else if (length >= kMaxCodeBits) {
        if (code == 0) {
          // Fill before an EOL: zeros only, wait for the one that ends it.
          length = kMaxCodeBits - 1;
          continue;
        }
        lineHasCodes = lineBad = skipping = true;
      }
    }
  }
  // The data stopped without the page's end: a line left open counts.
  if (lineHasCodes) endLine();
  return q;
}

}  // namespace quillon::modem
