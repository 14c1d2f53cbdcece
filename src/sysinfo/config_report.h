#pragma once
// The configuration report: plain-text lines about the program, the computer, the serial
// devices and the fax settings, for the user to hand to technical support. Labels are padded
// with blanks and followed by a tab; the lines are UTF-8.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/version.h"
#include "settings/settings.h"
#include "sysinfo/system_facts.h"

namespace quillon::sysinfo {

// What only the windowing side knows: the screen and the user's locale.
struct DisplayFacts {
  int width = 0, height = 0;
  int bitsPerPixel = 0;  // depth times planes
  int dotsPerInch = 0;   // logical: 96 small fonts, 120 large fonts
};

struct LocaleFacts {
  std::string userLanguage, systemLanguage;  // "English (United States)"
  std::string userCountry, systemCountry;    // abbreviated: "US"
  std::string shortDate, longDate;           // formats: "M/d/yy", "dddd, MMMM d, yyyy"
  std::string shortTime, longTime;
  char32_t groupSeparator = U',';            // thousands separator of the number format
};

struct ReportInputs {
  std::string today;             // today's date in the long date format
  std::string programVersion = kVersion;
  SystemFacts system;
  bool haveDisplay = false;
  DisplayFacts display;
  bool haveLocale = false;
  LocaleFacts locale;
  // [Ports] of QLN.INI as written ("COM1", "/dev/ttyUSB0"), and which device the settings'
  // port opens (so the report can say which serial device is ours).
  std::vector<std::pair<std::string, std::string>> portMapping;
  std::string configuredDevice;  // the device COM<port+1> is mapped to
  std::string iniPath;           // full path of QLN.INI
  std::string dataFolder;        // ends with '/'
  settings::Settings settings;   // as loaded; texts are code page 1252
};

std::vector<std::string> buildConfigurationReport(const ReportInputs& in);

// 65535 -> "65,535" with the given separator (none when it is 0).
std::string groupThousands(std::uint64_t value, char32_t separator);
// Colours of a display depth: 1 -> 2, 4 -> 16, 8 -> 256, 15 -> 32768, 16 -> 65535,
// 24 and 32 -> 16777216; any other value is returned as it is.
std::uint64_t colourCount(int bitsPerPixel);
// The fax class names of the report ("AutoDetect", "Class 1", ...).
std::string faxClassName(int listIndex);

}  // namespace quillon::sysinfo
