#pragma once
// What the wizard's controls may hold: the transfer-rate list, the ranges of its number
// fields, the length a modem takes for an init string, and the notes for stored settings that
// the wizard cannot show as they are.
#include <QString>
#include <QStringList>

#include <optional>
#include <string>
#include <vector>

#include "settings/settings.h"

namespace quillon::preferences {

inline constexpr int kRates[] = {2400, 4800, 7200, 9600, 12000, 14400};
inline constexpr int kRateCount = 6;
inline constexpr int kDefaultRateIndex = 3;  // 9600

// The list index of a rate; a rate not in the list shows as 9600.
int rateIndex(int bps);
// The rate of a list index; anything outside the list is 9600.
int rateOfIndex(int index);

inline constexpr int kRings = 8;     // answer on ring 1 to 8
inline constexpr int kFaxClasses = 4;  // auto detect, class 1, class 2, class 2.0

// A number field of the wizard and the values that make sense for it.
struct NumberField {
  const char* name;  // as the user reads it in a message
  int low;
  int high;
};
inline constexpr NumberField kDialAttemptsField{"Dial attempts", 1, 99};
inline constexpr NumberField kRetryWaitField{"Seconds between dial attempts", 0, 3600};
inline constexpr NumberField kTimeoutField{"Seconds to wait for a connection", 1, 3600};

bool inRange(const NumberField& field, int value);
// The standard message for text that is no integer.
QString notAnIntegerMessage(const QString& text);
QString outOfRangeMessage(const NumberField& field, int value);

// The length of an init string as the modem gets it: upper case, "AT" put in front when it
// does not start with it. The modem command layer takes at most kModemStringLength.
std::size_t modemInitLength(const std::string& init);
bool initStringFits(const std::string& init);
// `which` names the string: "sending" or "receiving".
QString initTooLongMessage(const QString& which, std::size_t length);

// One sentence per stored setting the wizard shows differently (a port not offered, a class,
// rate, ring or dial mode outside its list, a number out of range, an init string too long).
// `offeredPorts` are the port numbers (COMn) the wizard offers.
QStringList unusableStoredValues(const settings::Settings& s, const std::vector<int>& offeredPorts);

}  // namespace quillon::preferences
