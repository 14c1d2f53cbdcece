#pragma once
// The texts receive mode builds: modem strings with "AT" put in front, and the status line
// that follows a reception.
#include <string>

namespace quillon::app {

// A modem string as receive mode sends it: "AT" is put in front unless the upper-cased
// string already holds "AT" somewhere ("M0" becomes "ATM0", "atm0" stays as it is).
std::string withAtPrefix(const std::string& command);

// The status line for a progress text, the remote station's ID, the current page and the
// bytes of that page received so far, e.g. "Receiving fax from: 555 1234, page 2 (10240
// bytes)". Texts of an abort are not shown (empty).
std::string receiveStatusLine(const std::string& progressText, const std::string& remoteId, int page, long bytes);

}  // namespace quillon::app
