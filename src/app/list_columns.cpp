#include "app/list_columns.h"

#include "store/fax_store.h"

namespace quillon::app {

namespace {
using Kind = ListColumn::Kind;
namespace sf = store::sentfield;
namespace rf = store::recfield;
}  // namespace

const ListLayout& outgoingListLayout() {
  static const ListLayout layout{
      {sf::SENT, sf::DATESENT, sf::TIMESENT, sf::RECIPIENT, sf::PHONE, sf::PAGES, sf::SUBJECT,
       sf::LASTRESULT},
      {
          {"SentYesNo", "Sent", 0, Kind::YesNo, 4},
          {sf::DATESENT, "Date Sent", 1, Kind::Date, 10},
          {sf::TIMESENT, "Time Sent", 2, Kind::Text, 9},
          {sf::RECIPIENT, "Recipient", 3, Kind::Text, 20},
          {sf::PHONE, "Phone", 4, Kind::Text, 15},
          {sf::PAGES, "Pages", 5, Kind::Number, 5},
          {sf::SUBJECT, "Subject", 6, Kind::Text, 20},
          {sf::LASTRESULT, "Last Attempt", 7, Kind::Text, 35},
          {"ISDELETED", "ISDELETED", -1, Kind::YesNo, 3, false},
      }};
  return layout;
}

const ListLayout& incomingListLayout() {
  static const ListLayout layout{
      {rf::DATEREC, rf::TIMEREC, rf::FROM, rf::PAGES, rf::NOTES, rf::FAXFILE},
      {
          {rf::DATEREC, "Date Rec'd", 0, Kind::Date, 10},
          {rf::TIMEREC, "Time Rec'd", 1, Kind::Text, 10},
          {rf::FROM, "From", 2, Kind::Text, 20},
          {rf::PAGES, "Pages", 3, Kind::Number, 5},
          {rf::NOTES, "Notes", 4, Kind::Text, 20},
          {rf::FAXFILE, "Fax File", 5, Kind::Text, 12},
          {"ISDELETED", "ISDELETED", -1, Kind::YesNo, 3, false},
      }};
  return layout;
}

const char* yesNo(bool value) { return value ? "Yes" : "No "; }

bool logicalValue(std::string_view stored) {
  if (stored.empty()) return false;
  char c = stored.front();
  return c == 'T' || c == 't' || c == 'Y' || c == 'y';
}

}  // namespace quillon::app
