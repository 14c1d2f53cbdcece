#pragma once
// The program-wide settings record and the table of its keys in QLN.INI.
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace quillon::settings {

struct Settings {
  // [Modem]
  int comPort = -1;  // 0 = COM1; -1 marks a first run
  int faxClass = 1;  // 0 auto detect, 1 class 1, 2 class 2, 3 class 2.0
  int maximumBps = 9600;
  std::string initString;
  std::string initStringReceive;  // default: initString
  int faxClassReceive = 1;        // default: faxClass
  int maximumBpsReceive = 9600;   // default: maximumBps
  // [Dialing]
  std::string dialPrefix;
  std::string dialSuffix;
  int dialAttempts = 3;
  int retryWait = 60;  // seconds
  int timeout = 60;    // seconds
  int toneOrPulse = 0;
  bool blindDial = false;
  bool ignoreBusy = false;
  bool ecm = false;
  // [User]
  std::string userName;
  std::string userFax;
  bool prefixDisable = false;
  bool suffixDisable = false;
  // [Receive]
  std::string wav;
  bool atStartup = false;
  int answerOnRing = 1;
  bool ecmReceive = false;  // default: ecm
  bool printOnReceipt = false;
  std::string printOnReceiptPrinter = "Default Windows Printer";
  // [Resetting]
  std::string resetString;
  std::string resetAfterString;
  // [Default Font]
  std::string fontName = "Arial";
  int fontSize = 10;
  bool fontBold = false;
  bool fontItalic = false;
  bool fontUnderline = false;
  // [Hints]
  bool hintsOn = true;

  bool operator==(const Settings&) const = default;
};

using SettingMember = std::variant<int Settings::*, bool Settings::*, std::string Settings::*>;

struct SettingKey {
  const char* section;
  const char* key;
  SettingMember member;
  // The member whose loaded value is this key's default, if any.
  std::optional<SettingMember> defaultFrom = std::nullopt;
};

// Every key of the record, in the order of the settings file's sections.
const std::vector<SettingKey>& settingKeys();

}  // namespace quillon::settings
