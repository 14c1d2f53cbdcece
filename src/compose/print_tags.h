#pragma once
// The tags of the fax printer's header and footer lines: "$D" today's date, "$F" the fax
// file, "$N" the page count, "$P" the page being printed, "$T" the time. A tag runs from its
// "$" up to the next blank; one with any other letter is removed (the blanks around it stay).
#include <string>

namespace quillon::compose {

struct PrintTagValues {
  std::string date, fileName, totalPages, page, time;
};

std::string ExpandPrintTags(const std::string& caption, const PrintTagValues& values);

}  // namespace quillon::compose
