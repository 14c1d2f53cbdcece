#include "app/fax_description.h"

#include <QDate>
#include <QLocale>
#include <QTime>

#include "qtplatform/cp1252_text.h"
#include "store/fax_store.h"

namespace quillon::app {
namespace {

const QString kGap = QStringLiteral("             ");  // thirteen blanks before each inner label

QString timeText(const std::string& stored) {
  QString raw = qtplatform::fromCp1252(stored).trimmed();
  QTime t = QTime::fromString(raw, QStringLiteral("h:m"));
  if (!t.isValid()) t = QTime::fromString(raw, QStringLiteral("h:m:s"));
  return t.isValid() ? QLocale::system().toString(t, QLocale::ShortFormat) : qtplatform::fromCp1252(stored);
}

QString dateText(const xbase::Date& d) {
  QDate date(d.year, d.month, d.day);
  return d.valid() && date.isValid() ? QLocale::system().toString(date, QLocale::ShortFormat) : QString();
}

}  // namespace

QString sentDatetimeText(bool sent, const xbase::Date& date, const std::string& time) {
  if (!sent) return QStringLiteral("not sent");
  QString day = dateText(date);
  if (day.isEmpty()) day = QStringLiteral("unknown");
  return day + QStringLiteral(" at ") + timeText(time);
}

QString receivedDatetimeText(const xbase::Date& date, const std::string& time) {
  QString day = dateText(date);
  if (day.isEmpty()) return {};
  return day + QStringLiteral(" at ") + timeText(time);
}

QString GetDatetimeAsString(xbase::Table& table, bool sentRecord) {
  if (sentRecord)
    return sentDatetimeText(table.getLogical("SENT"), table.getDate("DATESENT"), table.getTrimmed("TIMESENT"));
  return receivedDatetimeText(table.getDate("DATEREC"), table.getTrimmed("TIMEREC"));
}

QString receivedDescription(const std::string& from, const QString& date, const std::string& faxFilePath) {
  return QStringLiteral("From: ") + qtplatform::fromCp1252(from).trimmed() + kGap + QStringLiteral("Received: ") + date +
         kGap + QStringLiteral("Fax File: ") + qtplatform::fromCp1252(faxFilePath);
}

QString sentDescription(const std::string& recipient, const std::string& subject, const QString& date) {
  return QStringLiteral("To: ") + qtplatform::fromCp1252(recipient) + kGap + QStringLiteral("Subject: ") +
         qtplatform::fromCp1252(subject) + kGap + QStringLiteral("Sent: ") + date;
}

}  // namespace quillon::app
