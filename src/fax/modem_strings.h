#pragma once
// The texts the engine sends to a fax modem and the rules that read its Class 2 / 2.0
// reports: command table, init strings, dial command, class answers, session reports,
// station IDs, hang-up codes and page status.
#include <array>
#include <string>
#include <string_view>

#include "fax/fax_types.h"

namespace quillon::fax {

// Entries 0-6 are commands ("AT+F" + name), 7-12 report names ("+F" + name).
enum CommandEntry {
  ceClass = 0, ceModel = 1, ceMaker = 2, ceRevision = 3, ceSessionParams = 4, ceLocalId = 5,
  ceCapabilities = 6, ceConnect = 7, ceRemoteCaps = 8, ceSessionReport = 9, ceCallingId = 10,
  ceCalledId = 11, cePageStatus = 12
};

struct CommandTable {
  std::array<std::string, 13> entries;
  std::string hangupName;  // matched anywhere in a line
  // Filled for Class 2 or Class 2.0 (any other class gives the Class 2 names).
  static CommandTable For(TFaxClass faxClass);
  const std::string& operator[](int entry) const { return entries[entry]; }
};

// The built-in init string for the dialling options.
std::string BuiltInInitString(bool blindDial, bool detectBusy);
// A user init string: upper case, "AT" in front when missing, at most 40 characters.
std::string NormalizeModemInit(const std::string& init);
// "ATD" + T or P + prefix + number.
std::string DialCommand(bool toneDial, const std::string& prefix, const std::string& number);
// The Class 2 bit-rate digit for a rate.
char BitRateDigit(int bps);
int BpsOfBitRateDigit(char digit);

// The classes in an answer to AT+FCLASS=?.
TFaxClassSet ParseClassAnswer(std::string_view answer);
// The class driven when the modem is asked: 2.0, else 2, else 1, else unknown.
TFaxClass ChooseClass(TFaxClassSet classes);

// A capabilities or session report (+FDIS:, +FDCS:, +FIS:, +FCS:), read by position.
struct SessionReport {
  bool fine = false;
  int bps = 9600;
  bool wide = false;
  bool ecm = false;
  int scanIndex = 0;  // 0..7
};
SessionReport ParseSessionReport(std::string_view line);
// Minimum bytes per scan line for the scan-time index, resolution and rate.
int MinimumBytesPerLine(int scanIndex, bool fine, int bps);
// The station ID in a +FCSI / +FCI (or +FTSI / +FTI) report, at most 20 characters.
std::string ParseStationId(std::string_view line);
// The hang-up code: the three characters after the first ":", trimmed, as a number (0 when
// they are not one).
int ParseHangupCode(std::string_view line);
// The first character after the ":" or "=" of a page status report (0 when there is none).
char ParsePageStatus(std::string_view line);

}  // namespace quillon::fax
