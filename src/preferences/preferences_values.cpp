#include "preferences/preferences_values.h"

#include <algorithm>
#include <cctype>

#include "fax/fax_types.h"

namespace quillon::preferences {

int rateIndex(int bps) {
  for (int i = 0; i < kRateCount; ++i) {
    if (kRates[i] == bps) return i;
  }
  return kDefaultRateIndex;
}

int rateOfIndex(int index) { return index >= 0 && index < kRateCount ? kRates[index] : kRates[kDefaultRateIndex]; }

bool inRange(const NumberField& field, int value) { return value >= field.low && value <= field.high; }

QString notAnIntegerMessage(const QString& text) {
  return QStringLiteral("'%1' is not a valid integer value").arg(text);
}

QString outOfRangeMessage(const NumberField& field, int value) {
  return QStringLiteral("%1 must be between %2 and %3; %4 cannot be used.")
      .arg(QString::fromLatin1(field.name))
      .arg(field.low)
      .arg(field.high)
      .arg(value);
}

std::size_t modemInitLength(const std::string& init) {
  if (init.empty()) return 0;
  bool hasAt = init.size() >= 2 && std::toupper(static_cast<unsigned char>(init[0])) == 'A' &&
               std::toupper(static_cast<unsigned char>(init[1])) == 'T';
  return init.size() + (hasAt ? 0 : 2);
}

bool initStringFits(const std::string& init) { return modemInitLength(init) <= fax::kModemStringLength; }

QString initTooLongMessage(const QString& which, std::size_t length) {
  return QStringLiteral(
             "The modem init string for %1 is %2 characters long (with AT in front); the modem "
             "takes at most %3. Please shorten it.")
      .arg(which)
      .arg(length)
      .arg(fax::kModemStringLength);
}

namespace {
QString className(int index) {
  static const char* names[] = {"auto detect", "class 1", "class 2", "class 2.0"};
  return QString::fromLatin1(names[index]);
}

void checkClass(QStringList& notes, const char* what, int value) {
  if (value < 0 || value >= kFaxClasses) {
    notes << QStringLiteral("The fax class for %1 (%2) is not a fax class; %3 is shown.")
                 .arg(QString::fromLatin1(what))
                 .arg(value)
                 .arg(className(1));
  }
}

void checkRate(QStringList& notes, const char* what, int bps) {
  if (std::find(std::begin(kRates), std::end(kRates), bps) == std::end(kRates)) {
    notes << QStringLiteral("The transfer rate for %1 (%2) is not offered; 9600 is shown.")
                 .arg(QString::fromLatin1(what))
                 .arg(bps);
  }
}

void checkNumber(QStringList& notes, const NumberField& field, int value) {
  if (!inRange(field, value)) notes << outOfRangeMessage(field, value);
}

void checkInit(QStringList& notes, const char* what, const std::string& init) {
  if (!initStringFits(init)) notes << initTooLongMessage(QString::fromLatin1(what), modemInitLength(init));
}
}  // namespace

QStringList unusableStoredValues(const settings::Settings& s, const std::vector<int>& offeredPorts) {
  QStringList notes;
  int port = s.comPort + 1;
  if (std::find(offeredPorts.begin(), offeredPorts.end(), port) == offeredPorts.end()) {
    notes << QStringLiteral("The communications port (COM%1) is not one this computer offers; Com1 is shown.")
                 .arg(port);
  }
  if (s.toneOrPulse != 0 && s.toneOrPulse != 1) {
    notes << QStringLiteral("The dialling mode (%1) is neither tone nor pulse; Tone is shown.").arg(s.toneOrPulse);
  }
  checkClass(notes, "sending", s.faxClass);
  checkRate(notes, "sending", s.maximumBps);
  checkInit(notes, "sending", s.initString);
  checkNumber(notes, kTimeoutField, s.timeout);
  checkNumber(notes, kDialAttemptsField, s.dialAttempts);
  checkNumber(notes, kRetryWaitField, s.retryWait);
  checkClass(notes, "receiving", s.faxClassReceive);
  checkRate(notes, "receiving", s.maximumBpsReceive);
  checkInit(notes, "receiving", s.initStringReceive);
  if (s.answerOnRing < 1 || s.answerOnRing > kRings) {
    notes << QStringLiteral("Answering on ring %1 is not possible; ring 1 is shown.").arg(s.answerOnRing);
  }
  return notes;
}

}  // namespace quillon::preferences
