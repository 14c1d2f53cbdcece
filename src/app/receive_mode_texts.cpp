#include "app/receive_mode_texts.h"

#include <algorithm>
#include <cctype>

namespace quillon::app {

namespace {
std::string upper(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return s;
}

std::string trimmed(const std::string& s) {
  const char* blanks = " \t\r\n";
  std::size_t first = s.find_first_not_of(blanks);
  if (first == std::string::npos) return {};
  return s.substr(first, s.find_last_not_of(blanks) - first + 1);
}
}  // namespace

std::string withAtPrefix(const std::string& command) {
  if (upper(command).find("AT") != std::string::npos) return command;
  return "AT" + command;
}

std::string receiveStatusLine(const std::string& progressText, const std::string& remoteId, int page, long bytes) {
  std::string text = trimmed(progressText);
  if (upper(text) == "GOT CLASS 2 FHNG CODE") text = "Hangup successful";
  std::string pagePart, bytesPart;
  if (text == "Getting page data") {
    text = "Receiving fax";
    if (page != 0) pagePart = ", page " + std::to_string(page);
    if (bytes > 0) bytesPart = " (" + std::to_string(bytes) + " bytes)";
  }
  // An ID of blanks only is no ID.
  if (std::string id = trimmed(remoteId); !id.empty()) text += " from: " + id + pagePart + bytesPart;
  if (upper(text).find("ABORT") != std::string::npos) text.clear();
  return text;
}

}  // namespace quillon::app
