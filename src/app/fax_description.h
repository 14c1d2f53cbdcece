#pragma once
// The date-and-time text of a fax record (GetDatetimeAsString) and the one-line description
// the viewer prints as its header.
#include <QString>

#include <string>

#include "xbase/date.h"

namespace quillon::xbase {
class Table;
}

namespace quillon::app {

// "date at time" in the system's short formats; "not sent" for a sent record never sent.
// A time that does not read as hh:mm is shown as stored; a date that is not valid reads
// "unknown" for a sent record and leaves a received record's text empty.
QString sentDatetimeText(bool sent, const xbase::Date& date, const std::string& time);
QString receivedDatetimeText(const xbase::Date& date, const std::string& time);
// From the current record of the sent (flag true) or received table.
QString GetDatetimeAsString(xbase::Table& table, bool sentRecord);

// The viewer's description lines; each inner label starts with thirteen blanks.
QString receivedDescription(const std::string& from, const QString& dateText, const std::string& faxFilePath);
QString sentDescription(const std::string& recipient, const std::string& subject, const QString& dateText);

}  // namespace quillon::app
