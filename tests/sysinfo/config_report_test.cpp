// The configuration report: its sections in order, the labels with their blanks and tabs,
// the colour count of a display depth and the serial devices with our port mapping.
#include <gtest/gtest.h>

#include <algorithm>

#include "sysinfo/config_report.h"

namespace quillon::sysinfo {
namespace {

ReportInputs sampleInputs() {
  ReportInputs in;
  in.today = "Wednesday, December 9, 2026";
  in.system.kernel = parseKernelRelease("6.1.0-18-amd64");
  in.system.distribution = "Debian GNU/Linux 12 (bookworm)";
  in.system.machine = "x86_64";
  in.system.cpuModel = "Test CPU";
  in.system.memory = parseMeminfo("MemTotal: 16000000 kB\nMemAvailable: 4000000 kB\n");
  in.system.serialDevices = {{"ttyACM0", "/dev/ttyACM0", "U.S. Robotics", "USB Modem", "cdc_acm", ""},
                             {"ttyS0", "/dev/ttyS0", "", "", "serial8250", ""}};
  in.haveDisplay = true;
  in.display = {1280, 800, 16, 96};
  in.haveLocale = true;
  in.locale = {"English (United States)", "German (Germany)", "US", "DE", "M/d/yy", "dddd, MMMM d, yyyy",
               "h:mm AP", "h:mm:ss AP", U','};
  in.portMapping = {{"COM1", "/dev/ttyACM0"}, {"COM3", "emulator"}};
  in.iniPath = "/data/QLN.INI";
  in.dataFolder = "/data/";
  in.settings.comPort = 0;
  in.settings.faxClass = 3;
  in.settings.resetString = "ATZ";
  in.settings.printOnReceiptPrinter = "Caf\xe9 printer";  // code page 1252
  return in;
}

size_t indexOf(const std::vector<std::string>& lines, const std::string& line) {
  auto it = std::find(lines.begin(), lines.end(), line);
  return it == lines.end() ? std::string::npos : size_t(it - lines.begin());
}

TEST(ConfigurationReport, SectionsAndLabelsInOrder) {
  auto lines = buildConfigurationReport(sampleInputs());
  ASSERT_GT(lines.size(), 40u);
  EXPECT_EQ(lines[0], "Wednesday, December 9, 2026");
  EXPECT_EQ(lines[1], "");
  EXPECT_EQ(lines[2], "[Product]");
  EXPECT_EQ(lines[3], "Program:     \tQuillon");
  EXPECT_EQ(lines[4], "Version:     \t2.8i");
  size_t order[] = {indexOf(lines, "[Environment]"), indexOf(lines, "[Modem Settings in Registry]"),
                    indexOf(lines, "[/data/QLN.INI]"), indexOf(lines, "{general}"), indexOf(lines, "{sending}"),
                    indexOf(lines, "{receiving}"), indexOf(lines, "{misc}")};
  for (size_t i = 0; i < std::size(order); ++i) {
    ASSERT_NE(order[i], std::string::npos) << i;
    if (i) EXPECT_LT(order[i - 1], order[i]);
  }
  // Two empty lines before the settings file's heading, one after it.
  EXPECT_EQ(lines[order[2] - 1], "");
  EXPECT_EQ(lines[order[2] - 2], "");
  EXPECT_EQ(lines[order[2] + 1], "");
  for (const char* line :
       {"Windows:     \tLinux version 6.1 build:0-18-amd64 Debian GNU/Linux 12 (bookworm)",
        "CPU:         \tProcessor:  x86_64 Test CPU", "Video:       \t1280 x 800 x 65,535 colors",
        "Font:        \tSmall Fonts in use", "Memory Load: \t75",
        "Phys Memory: \tTotal: 16,384,000,000;    Available: 4,096,000,000",
        "Language:    \tUser: English (United States);    System: German (Germany)",
        "Country:     \tUser: US;    System: DE", "Date Format: \tShort: M/d/yy;    Long: dddd, MMMM d, yyyy",
        "COM Port:             \t1", "Tone/Pulse:           \tTone", "Reset String          \tATZ",
        "Fax Class:            \tClass 2.0", "ECM:                  \tNo",
        "Printer (POR):        \tCaf\xc3\xa9 printer", "Program Path          \t/data/"})
    EXPECT_NE(indexOf(lines, line), std::string::npos) << line;
}

TEST(ConfigurationReport, SerialDevicesAndPortMapping) {
  auto lines = buildConfigurationReport(sampleInputs());
  size_t head = indexOf(lines, "[Modem Settings in Registry]");
  ASSERT_NE(head, std::string::npos);
  EXPECT_EQ(lines[head + 1], "");
  EXPECT_EQ(lines[head + 2], "Manufacturer:         \tU.S. Robotics");
  EXPECT_EQ(lines[head + 3], "Model:                \tUSB Modem");
  EXPECT_EQ(lines[head + 4], "Driver:               \tcdc_acm");
  EXPECT_EQ(lines[head + 5], "Port:                 \t/dev/ttyACM0 (COM1)");
  EXPECT_EQ(lines[head + 6], "");  // between devices
  EXPECT_EQ(lines[head + 7], "Driver:               \tserial8250");  // no empty values
  EXPECT_EQ(lines[head + 8], "Port:                 \t/dev/ttyS0");
  EXPECT_EQ(lines[head + 10], "[Ports]");
  EXPECT_EQ(lines[head + 11], "COM1=/dev/ttyACM0");
  EXPECT_EQ(lines[head + 12], "COM3=emulator");

  // No devices and no mapping: the heading stays, the configured port's default is named.
  ReportInputs bare = sampleInputs();
  bare.system.serialDevices.clear();
  bare.portMapping.clear();
  bare.configuredDevice = "/dev/ttyS0";
  lines = buildConfigurationReport(bare);
  head = indexOf(lines, "[Modem Settings in Registry]");
  EXPECT_EQ(lines[head + 2], "[Ports]");
  EXPECT_EQ(lines[head + 3], "COM1=/dev/ttyS0");
}

TEST(ConfigurationReport, MissingFactsDropTheirLines) {
  ReportInputs in = sampleInputs();
  in.system = {};
  in.haveDisplay = false;
  in.haveLocale = false;
  auto lines = buildConfigurationReport(in);
  size_t env = indexOf(lines, "[Environment]");
  EXPECT_EQ(lines[env + 1], "");
  EXPECT_EQ(lines[env + 2], "[Modem Settings in Registry]");
}

TEST(ConfigurationReport, ColoursAndThousands) {
  EXPECT_EQ(colourCount(1), 2u);
  EXPECT_EQ(colourCount(4), 16u);
  EXPECT_EQ(colourCount(8), 256u);
  EXPECT_EQ(colourCount(15), 32768u);
  EXPECT_EQ(colourCount(16), 65535u);
  EXPECT_EQ(colourCount(24), 16777216u);
  EXPECT_EQ(colourCount(32), 16777216u);
  EXPECT_EQ(colourCount(30), 30u);
  EXPECT_EQ(groupThousands(65535, U','), "65,535");
  EXPECT_EQ(groupThousands(16777216, U'.'), "16.777.216");
  EXPECT_EQ(groupThousands(999, U','), "999");
  EXPECT_EQ(groupThousands(1234567, U'\u00a0'), "1\xc2\xa0" "234\xc2\xa0" "567");
  EXPECT_EQ(groupThousands(1234, 0), "1234");
}

}  // namespace
}  // namespace quillon::sysinfo
