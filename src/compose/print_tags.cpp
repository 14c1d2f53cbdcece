#include "compose/print_tags.h"

namespace quillon::compose {

std::string ExpandPrintTags(const std::string& caption, const PrintTagValues& v) {
  std::string text = caption;
  size_t at = text.find('$');
  while (at != std::string::npos) {
    size_t end = text.find(' ', at);
    if (end == std::string::npos) end = text.size();
    char letter = at + 1 < end ? text[at + 1] : '\0';
    std::string value;
    switch (letter) {
      case 'D': case 'd': value = v.date; break;
      case 'F': case 'f': value = v.fileName; break;
      case 'N': case 'n': value = v.totalPages; break;
      case 'P': case 'p': value = v.page; break;
      case 'T': case 't': value = v.time; break;
      default: break;
    }
    text.replace(at, end - at, value);
    // The search goes on after the inserted text, so a "$" inside a value stays as it is.
    at = text.find('$', at + value.size());
  }
  return text;
}

}  // namespace quillon::compose
