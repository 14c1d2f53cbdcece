#include "send/send_rules.h"

#include <QDate>
#include <QLocale>
#include <QTime>

#include <algorithm>
#include <iterator>

#include "errors/error_text.h"
#include "qtplatform/cp1252_text.h"

namespace quillon::send {

int rateToIndex(int bps) {
  const auto* at = std::find(std::begin(kTransferRates), std::end(kTransferRates), bps);
  return at == std::end(kTransferRates) ? 3 : static_cast<int>(at - std::begin(kTransferRates));
}

int indexToRate(int index) {
  if (index < 0 || index >= static_cast<int>(std::size(kTransferRates))) return 9600;
  return kTransferRates[index];
}

QString headerLine(const QString& name, const QString& stationId, const QString& date, const QString& time) {
  QString line = QStringLiteral("Sent");
  if (!(name + stationId).trimmed().isEmpty()) line += QStringLiteral(" by");
  if (!name.isEmpty()) line += QStringLiteral(": ") + name + QString(4, ' ');
  if (!stationId.isEmpty()) line += QString(9, ' ') + QStringLiteral("$I") + QString(10, ' ');
  line += QString(11, ' ') + date + QString(4, ' ') + time;
  line += QString(14, ' ') + QStringLiteral("Page $P of $N");
  return line;
}

QString headerLineNow(const QString& name, const QString& stationId) {
  const QLocale locale = QLocale::system();
  return headerLine(name, stationId, locale.toString(QDate::currentDate(), QLocale::ShortFormat),
                    locale.toString(QTime::currentTime(), QLocale::ShortFormat));
}

QString modemCommandString(const QString& text) {
  if (text.toUpper().contains(QStringLiteral("AT"))) return text;
  return QStringLiteral("AT") + text;
}

QString resultTextFor(int code) {
  QString message = qtplatform::fromCp1252(ErrorText(code));
  if (code == 0 || message.toUpper() == QStringLiteral("OK")) return kResultSent;
  return message;
}

QString notSentMessage(const QString& message) {
  return QStringLiteral("Fax was not sent.\nError message: ") + message +
         QStringLiteral("\n\n(Please click the Troubleshooting button for\ntips on solving faxing problems)");
}

std::vector<int> portChoices(const std::vector<int>& mappedPorts, int storedPortNumber) {
  std::vector<int> ports = {1, 2, 3, 4, 5, 6};
  for (int n : mappedPorts)
    if (n >= 1 && n <= 255) ports.push_back(n);
  if (storedPortNumber >= 1 && storedPortNumber <= 255) ports.push_back(storedPortNumber);
  std::sort(ports.begin(), ports.end());
  ports.erase(std::unique(ports.begin(), ports.end()), ports.end());
  return ports;
}

}  // namespace quillon::send
