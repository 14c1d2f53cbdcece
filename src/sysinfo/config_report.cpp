#include "sysinfo/config_report.h"

#include <algorithm>

#include "platform/cp1252.h"

namespace quillon::sysinfo {

namespace {

std::string utf8(char32_t c) {
  std::string out;
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x110000) {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
  return out;
}

const char* yesNo(bool value) { return value ? "Yes" : "No"; }

// Settings texts are code page 1252 bytes; the report is UTF-8.
std::string text(const std::string& cp1252) { return platform::cp1252ToUtf8(cp1252); }

std::string withoutDevPrefix(const std::string& device) {
  return device.compare(0, 5, "/dev/") == 0 ? device.substr(5) : device;
}

class Lines {
 public:
  void add(std::string line) { lines_.push_back(std::move(line)); }
  void blank() { lines_.emplace_back(); }
  std::vector<std::string> take() { return std::move(lines_); }

 private:
  std::vector<std::string> lines_;
};

void environment(Lines& out, const ReportInputs& in) {
  const SystemFacts& s = in.system;
  if (s.kernel) {
    const KernelVersion& k = *s.kernel;
    std::string line = "Windows:     \tLinux version " + std::to_string(k.major) + "." +
                       std::to_string(k.minor) + " build:" + k.build;
    if (!s.distribution.empty()) line += " " + s.distribution;
    out.add(line);
  } else if (!s.distribution.empty()) {
    out.add("Windows:     \t" + s.distribution);
  }
  if (!s.machine.empty() || !s.cpuModel.empty())
    out.add("CPU:         \tProcessor:  " + s.machine + " " + s.cpuModel);
  const char32_t sep = in.haveLocale ? in.locale.groupSeparator : U',';
  if (in.haveDisplay) {
    const DisplayFacts& d = in.display;
    out.add("Video:       \t" + std::to_string(d.width) + " x " + std::to_string(d.height) + " x " +
            groupThousands(colourCount(d.bitsPerPixel), sep) + " colors");
    out.add(std::string("Font:        \t") +
            (d.dotsPerInch == 96    ? "Small Fonts in use"
             : d.dotsPerInch == 120 ? "Large Fonts in use"
                                    : "Custom font size in use"));
  }
  if (s.memory) {
    const MemoryFacts& m = *s.memory;
    auto pair = [&](const char* label, std::uint64_t total, std::uint64_t available) {
      out.add(std::string(label) + "\tTotal: " + groupThousands(total, sep) +
              ";    Available: " + groupThousands(available, sep));
    };
    out.add("Memory Load: \t" + std::to_string(m.loadPercent));
    pair("Phys Memory: ", m.physTotal, m.physAvailable);
    pair("Page File:   ", m.swapTotal, m.swapFree);
    pair("Virt Memory: ", m.virtTotal, m.virtAvailable);
  }
  if (in.haveLocale) {
    const LocaleFacts& l = in.locale;
    out.add("Language:    \tUser: " + l.userLanguage + ";    System: " + l.systemLanguage);
    out.add("Country:     \tUser: " + l.userCountry + ";    System: " + l.systemCountry);
    out.add("Date Format: \tShort: " + l.shortDate + ";    Long: " + l.longDate);
    out.add("Time Format: \tShort: " + l.shortTime + ";    Long: " + l.longTime);
  }
}

// The COM ports that lead to `device` ("/dev/ttyUSB0"), as " (COM1)" or "".
std::string comNamesOf(const ReportInputs& in, const std::string& device) {
  std::string names;
  for (const auto& [com, target] : in.portMapping)
    if (withoutDevPrefix(target) == withoutDevPrefix(device)) names += (names.empty() ? "" : ", ") + com;
  return names.empty() ? std::string() : " (" + names + ")";
}

void serialDevices(Lines& out, const ReportInputs& in) {
  out.add("[Modem Settings in Registry]");
  out.blank();
  bool first = true;
  auto line = [&](const char* label, const std::string& value) {
    if (!value.empty()) out.add(std::string(label) + value);
  };
  for (const SerialDeviceFacts& d : in.system.serialDevices) {
    if (!first) out.blank();
    first = false;
    line("Manufacturer:         \t", d.manufacturer);
    line("Model:                \t", d.model);
    line("Driver:               \t", d.driver);
    line("Driver Date:          \t", d.driverDate);
    line("Port:                 \t", d.port + comNamesOf(in, d.port));
  }
  // Which device each COM port of this program opens.
  std::vector<std::pair<std::string, std::string>> mapping = in.portMapping;
  const std::string configured = "COM" + std::to_string(in.settings.comPort + 1);
  bool listed = std::any_of(mapping.begin(), mapping.end(),
                            [&](const auto& m) { return m.first == configured; });
  if (!listed && !in.configuredDevice.empty() && in.settings.comPort >= 0) mapping.insert(mapping.begin(), {configured, in.configuredDevice});
  if (mapping.empty()) return;
  if (!first) out.blank();
  out.add("[Ports]");
  for (const auto& [com, device] : mapping) out.add(com + "=" + text(device));
}

void settingsPart(Lines& out, const ReportInputs& in) {
  const settings::Settings& s = in.settings;
  auto add = [&](const char* label, const std::string& value) { out.add(std::string(label) + value); };
  auto number = [](int n) { return std::to_string(n); };
  out.add("{general}");
  add("COM Port:             \t", number(s.comPort + 1));
  add("Tone/Pulse:           \t", s.toneOrPulse == 0 ? "Tone" : s.toneOrPulse == 1 ? "Pulse" : "unknown");
  add("Reset String          \t", text(s.resetString));
  add("Post Reset String:    \t", text(s.resetAfterString));
  out.add("{sending}");
  add("Fax Class:            \t", faxClassName(s.faxClass));
  add("Max BPS:              \t", number(s.maximumBps));
  add("Modem Init:           \t", text(s.initString));
  add("ECM:                  \t", yesNo(s.ecm));
  add("Dial Prefix:          \t", text(s.dialPrefix));
  add("Dial Attempts:        \t", number(s.dialAttempts));
  add("Retry Wait:           \t", number(s.retryWait));
  add("Timeout:              \t", number(s.timeout));
  add("Blind Dial:           \t", yesNo(s.blindDial));
  add("Ignore Busy:          \t", yesNo(s.ignoreBusy));
  out.add("{receiving}");
  add("Receive Fax Class:    \t", faxClassName(s.faxClassReceive));
  add("Receive Max BPS:      \t", number(s.maximumBpsReceive));
  add("Receive Init String:  \t", text(s.initStringReceive));
  add("Answer On Ring:       \t", number(s.answerOnRing));
  add("Receive Startup:      \t", yesNo(s.atStartup));
  add("ECM Receive:          \t", yesNo(s.ecmReceive));
  add("WAV File:             \t", text(s.wav));
  add("Print On Receipt:     \t", yesNo(s.printOnReceipt));
  add("Printer (POR):        \t", text(s.printOnReceiptPrinter));
  out.add("{misc}");
  add("ShowHint:             \t", yesNo(s.hintsOn));
  add("Disable Prefix:       \t", yesNo(s.prefixDisable));
  add("Program Path          \t", in.dataFolder);
}

}  // namespace

std::string groupThousands(std::uint64_t value, char32_t separator) {
  std::string digits = std::to_string(value);
  if (separator == 0) return digits;
  const std::string sep = utf8(separator);
  std::string out;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += sep;
    out += digits[i];
  }
  return out;
}

std::uint64_t colourCount(int bitsPerPixel) {
  switch (bitsPerPixel) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    case 15: return 32768;
    case 16: return 65535;  // as the report always said: one short of 2^16
    case 24:
    case 32: return 16777216;
    default: return bitsPerPixel < 0 ? 0 : static_cast<std::uint64_t>(bitsPerPixel);
  }
}

std::string faxClassName(int listIndex) {
  switch (listIndex) {
    case 0: return "AutoDetect";
    case 1: return "Class 1";
    case 2: return "Class 2";
    case 3: return "Class 2.0";  // a valid choice of the preferences, not "unknown"
    default: return "unknown";
  }
}

std::vector<std::string> buildConfigurationReport(const ReportInputs& in) {
  Lines out;
  out.add(in.today);
  out.blank();
  out.add("[Product]");
  out.add(std::string("Program:     \t") + kApplicationTitle);
  out.add("Version:     \t" + in.programVersion);
  out.blank();
  out.add("[Environment]");
  environment(out, in);
  out.blank();
  serialDevices(out, in);
  out.blank();
  out.blank();
  out.add("[" + in.iniPath + "]");
  out.blank();
  settingsPart(out, in);
  return out.take();
}

}  // namespace quillon::sysinfo
