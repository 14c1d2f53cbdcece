#pragma once
// Tags in the header line and in text cover lines: a word that begins with "$" is replaced,
// up to the next space, by the text its letter names ($D date, $T time, $I station ID,
// $F sender, $R recipient, $S title, $N total pages, $P page); other letters give nothing.
#include <ctime>
#include <string>

namespace quillon::fax {

struct HeaderTagValues {
  std::string stationId, sender, recipient, title;
  int totalPages = 0;
  int pageNumber = 0;
  std::tm now{};  // date and time for $D and $T
};

// Replacement texts are taken as they are: a "$" inside one starts no new tag.
std::string ReplaceHeaderTags(const std::string& text, const HeaderTagValues& values);
// The current local time.
std::tm LocalNow();
// The date and the time as the engine writes them ("%x", "%X").
std::string ShortDate(const std::tm& t);
std::string ShortTime(const std::tm& t);

}  // namespace quillon::fax
