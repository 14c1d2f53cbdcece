#pragma once
// Page data as a fax machine holds it: T.4 coded bytes with the first transmitted bit in the
// least significant position, and the page's resolution and width.
#include <string>
#include <vector>

namespace quillon::modem {

struct FaxPage {
  std::string data;
  bool fine = false;
  bool wide = false;
};

struct ReceivedFax {
  std::string remoteId;
  int bps = 0;
  std::vector<FaxPage> pages;
  bool complete = false;  // ended with EOP and a confirmed last page
};

}  // namespace quillon::modem
