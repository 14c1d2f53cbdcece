#include "fax/modem_strings.h"

#include <cctype>

#include "fax/dis_dcs.h"
#include "fax/response_reader.h"

namespace quillon::fax {

std::string upperCase(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

CommandTable CommandTable::For(TFaxClass faxClass) {
  static const char* const kClass2[13] = {"CLASS=2", "MDL?", "MFR?", "REV?", "DIS", "LID", "DCC",
                                          "CON",     "DIS",  "DCS",  "TSI",  "CSI", "PTS"};
  static const char* const kClass20[13] = {"CLASS=2.0", "MI?", "MM?", "MR?", "IS", "LI", "CC",
                                           "CO",        "IS",  "CS",  "TI",  "CI", "PS"};
  const char* const* names = faxClass == fcClass2_0 ? kClass20 : kClass2;
  CommandTable table;
  for (int i = 0; i < 13; ++i) table.entries[i] = std::string(i < 7 ? "AT+F" : "+F") + names[i];
  table.hangupName = faxClass == fcClass2_0 ? "FHS" : "FHNG";
  return table;
}

std::string BuiltInInitString(bool blindDial, bool detectBusy) {
  char x = blindDial ? (detectBusy ? '3' : '1') : (detectBusy ? '4' : '2');
  return std::string("ATE0Q0V1X") + x + "S0=0S2=43";
}

std::string NormalizeModemInit(const std::string& init) {
  std::string s = upperCase(cut(init, kModemStringLength));
  if (s.empty()) return s;
  if (s.compare(0, 2, "AT") != 0) s = "AT" + s;
  return cut(s, kModemStringLength);
}

std::string DialCommand(bool toneDial, const std::string& prefix, const std::string& number) {
  return std::string("ATD") + (toneDial ? "T" : "P") + prefix + number;
}

char BitRateDigit(int bps) {
  switch (bps) {
    case 2400: return '0';
    case 4800: return '1';
    case 7200: return '2';
    case 12000: return '4';
    case 14400: return '5';
    default: return '3';
  }
}

int BpsOfBitRateDigit(char digit) {
  switch (digit) {
    case '0': return 2400;
    case '1': return 4800;
    case '2': return 7200;
    case '4': return 12000;
    case '5': return 14400;
    default: return 9600;
  }
}

namespace {
// The text after the first ":" (or, without one, the first "="), trimmed.
std::string afterSeparator(std::string_view line) {
  std::size_t at = line.find(':');
  if (at == std::string_view::npos) at = line.find('=');
  if (at == std::string_view::npos) return trimmed(line);
  return trimmed(line.substr(at + 1));
}
char at(const std::string& s, std::size_t oneBased) { return oneBased <= s.size() ? s[oneBased - 1] : '\0'; }
}  // namespace

TFaxClassSet ParseClassAnswer(std::string_view answer) {
  std::string list = afterSeparator(answer);
  TFaxClassSet set;
  if (contains(list, "1")) set.add(fcClass1);
  if (contains(list, "2.0")) {
    set.add(fcClass2_0);
    if (contains(list, "2,")) set.add(fcClass2);
  } else if (contains(list, "2")) {
    set.add(fcClass2);
  }
  return set;
}

TFaxClass ChooseClass(TFaxClassSet classes) {
  if (classes.has(fcClass2_0)) return fcClass2_0;
  if (classes.has(fcClass2)) return fcClass2;
  if (classes.has(fcClass1)) return fcClass1;
  return fcUnknown;
}

SessionReport ParseSessionReport(std::string_view line) {
  std::string v = afterSeparator(line);
  SessionReport r;
  r.fine = at(v, 1) == '1';
  r.bps = BpsOfBitRateDigit(at(v, 3));
  r.wide = at(v, 5) == '1';
  r.ecm = at(v, 11) == '1' || at(v, 11) == '2';
  char scan = at(v, 15);
  r.scanIndex = scan >= '0' && scan <= '7' ? scan - '0' : 0;
  return r;
}

int MinimumBytesPerLine(int scanIndex, bool fine, int bps) {
  return t30::ScanTimeMs(scanIndex, fine) * bps / 8000;
}

std::string ParseStationId(std::string_view line) {
  std::size_t sep = line.find_first_of(":=");
  std::string id = trimmed(sep == std::string_view::npos ? std::string_view{} : line.substr(sep + 1));
  if (!id.empty() && id[0] == '"') id[0] = ' ';
  while (!id.empty() && !std::isalnum(static_cast<unsigned char>(id.back()))) id.pop_back();
  return cut(trimmed(id), kStationIdLength);
}

int ParseHangupCode(std::string_view line) {
  std::size_t sep = line.find(':');
  if (sep == std::string_view::npos) return 0;
  std::string digits = trimmed(line.substr(sep + 1, 3));
  // Class 2.0 (+FHS) writes the code as two hex digits whose first names the phase as Class 2's
  // decimal tens do: "A0" is Class 2's 100, so reading only decimal digits would make it 0,
  // a clean end.
  if (line.substr(0, 4) == "+FHS") {
    int code = 0, count = 0;
    for (char c : digits) {
      int value = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                  : std::isxdigit(static_cast<unsigned char>(c)) ? std::toupper(static_cast<unsigned char>(c)) - 'A' + 10
                                                                 : -1;
      if (value < 0 || count == 2) break;
      code = code * 10 + value;
      ++count;
    }
    return code;
  }
  int code = 0;
  for (char c : digits) {
    if (!std::isdigit(static_cast<unsigned char>(c))) break;
    code = code * 10 + (c - '0');
  }
  return code;
}

char ParsePageStatus(std::string_view line) {
  std::size_t sep = line.find_first_of(":=");
  if (sep == std::string_view::npos) return 0;
  std::string v = trimmed(line.substr(sep + 1));
  return v.empty() ? 0 : v[0];
}

}  // namespace quillon::fax
