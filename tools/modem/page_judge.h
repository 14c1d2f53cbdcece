#pragma once
// How a fax machine judges a received page: it decodes the one-dimensional T.4 data line by
// line (EOL to EOL), counts the lines of the right width and the bad ones, looks for the
// return-to-control (six EOLs) at the end, and answers RTN when too much was lost.
#include <cstddef>
#include <string>

namespace quillon::modem {

struct PageQuality {
  std::size_t lines = 0;     // lines between EOLs (good and bad)
  std::size_t badLines = 0;  // wrong width or an invalid code
  std::size_t longestBadRun = 0;
  bool rtc = false;          // the page ended with six EOLs
  // Fine for the receiver: lines were read and few of them, none in a long run, were bad.
  bool acceptable() const;
};

// `data` holds the first transmitted bit of each byte in the least significant position.
// `width` is the pixel count every line must have (1728, or 2048 on wide pages).
PageQuality judgePage(const std::string& data, int width);

}  // namespace quillon::modem
