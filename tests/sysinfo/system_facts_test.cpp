// System facts read from a fake root: a USB modem and a real UART are listed with what udev
// and sysfs say; virtual terminals and phantom 8250 ports are not; odd contents (junk,
// FIFOs, directories, huge numbers, broken links) leave facts empty instead of failing.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include "support/temp_dir.h"
#include "sysinfo/system_facts.h"

namespace quillon::sysinfo {
namespace {

namespace fs = std::filesystem;

class FakeRoot : public ::testing::Test {
 protected:
  void put(const std::string& rel, const std::string& bytes) {
    fs::create_directories(fs::path(dir.file(rel)).parent_path());
    dir.write(rel, bytes);
  }
  void link(const std::string& target, const std::string& rel) {
    fs::create_directories(fs::path(dir.file(rel)).parent_path());
    fs::create_directory_symlink(target, dir.file(rel));
  }
  std::string root() const { return dir.path(); }
  test::TempDir dir;
};

TEST_F(FakeRoot, ListsRealSerialDevicesWithUdevAndSysfsFacts) {
  // A USB modem: udev knows vendor and model.
  put("sys/devices/usb1/1-1/1-1:1.0/tty/ttyACM0/dev", "166:0\n");
  link("../../devices/usb1/1-1/1-1:1.0/tty/ttyACM0", "sys/class/tty/ttyACM0");
  link("../../../../../bus/usb/drivers/cdc_acm", "sys/devices/usb1/1-1/1-1:1.0/tty/ttyACM0/device/driver");
  fs::create_directories(dir.file("sys/bus/usb/drivers/cdc_acm"));
  put("run/udev/data/c166:0", "E:ID_VENDOR_ENC=U.S.\\x20Robotics\nE:ID_VENDOR=U.S._Robotics\nE:ID_MODEL=USB_Modem\n");
  // A USB adapter without udev data: manufacturer and product from sysfs parents.
  put("sys/devices/usb2/2-1/manufacturer", "FTDI\n");
  put("sys/devices/usb2/2-1/product", "FT232R USB UART\n");
  put("sys/devices/usb2/2-1/2-1:1.0/ttyUSB0/tty/ttyUSB0/dev", "188:0\n");
  link("../../devices/usb2/2-1/2-1:1.0/ttyUSB0/tty/ttyUSB0", "sys/class/tty/ttyUSB0");
  fs::create_directory_symlink("../../..", dir.file("sys/devices/usb2/2-1/2-1:1.0/ttyUSB0/tty/ttyUSB0/device"));
  // A real UART and a phantom one; a virtual terminal without a device.
  for (const char* n : {"ttyS0", "ttyS1", "ttyS10"}) {
    put(std::string("sys/devices/platform/serial8250/tty/") + n + "/type", n == std::string("ttyS1") ? "0\n" : "4\n");
    link(std::string("../../devices/platform/serial8250/tty/") + n, std::string("sys/class/tty/") + n);
    fs::create_directories(dir.file(std::string("sys/devices/platform/serial8250/tty/") + n + "/device"));
  }
  put("sys/devices/virtual/tty/tty0/dev", "4:0\n");
  link("../../devices/virtual/tty/tty0", "sys/class/tty/tty0");

  auto devices = listSerialDevices(root());
  ASSERT_EQ(devices.size(), 4u);
  EXPECT_EQ(devices[0].name, "ttyACM0");
  EXPECT_EQ(devices[0].port, "/dev/ttyACM0");
  EXPECT_EQ(devices[0].manufacturer, "U.S. Robotics");
  EXPECT_EQ(devices[0].model, "USB Modem");
  EXPECT_EQ(devices[0].driver, "cdc_acm");
  EXPECT_EQ(devices[1].name, "ttyS0");
  EXPECT_EQ(devices[2].name, "ttyS10");  // after ttyS0 by number; ttyS1 is a phantom
  EXPECT_EQ(devices[3].name, "ttyUSB0");
  EXPECT_EQ(devices[3].manufacturer, "FTDI");
  EXPECT_EQ(devices[3].model, "FT232R USB UART");
}

TEST_F(FakeRoot, OddContentsLeaveFactsEmpty) {
  put("proc/sys/kernel/osrelease", std::string("\x01\x02garbage\xff", 11));
  put("proc/meminfo", "MemTotal: 99999999999999999999999 kB\nMemFree: x kB\n");
  put("proc/cpuinfo", std::string(3 << 20, 'x'));  // larger than any real file, no colon
  fs::create_directories(dir.file("etc/os-release"));  // a folder where a file belongs
  fs::create_directories(dir.file("etc/default"));
  ASSERT_EQ(::mkfifo(dir.file("etc/default/locale").c_str(), 0600), 0);  // would block a reader
  // tty entries: broken link, junk dev numbers, a name with a slash-like escape.
  link("../../devices/nowhere", "sys/class/tty/ttyX0");
  put("sys/devices/odd/tty/ttyY0/dev", "../../etc:1\n");
  fs::create_directories(dir.file("sys/devices/odd/tty/ttyY0/device"));
  link("../../devices/odd/tty/ttyY0", "sys/class/tty/ttyY0");

  SystemFacts facts = gatherSystemFacts(root());
  EXPECT_FALSE(facts.kernel.has_value());
  EXPECT_FALSE(facts.memory.has_value());
  EXPECT_EQ(facts.cpuModel, "");
  EXPECT_EQ(facts.distribution, "");
  EXPECT_EQ(facts.systemLocale, "");
  EXPECT_EQ(facts.machine, "");  // only for the real root
  ASSERT_EQ(facts.serialDevices.size(), 1u);
  EXPECT_EQ(facts.serialDevices[0].name, "ttyY0");
  EXPECT_EQ(facts.serialDevices[0].manufacturer, "");

  EXPECT_TRUE(gatherSystemFacts(dir.file("missing")).serialDevices.empty());
}

TEST(SystemFactParsers, ReadTheFilesAsTheSystemWritesThem) {
  auto k = parseKernelRelease("6.1.0-18-amd64\n");
  ASSERT_TRUE(k);
  EXPECT_EQ(k->major, 6);
  EXPECT_EQ(k->minor, 1);
  EXPECT_EQ(k->build, "0-18-amd64");
  EXPECT_EQ(parseKernelRelease("5.10")->build, "");

  EXPECT_EQ(parseOsReleasePrettyName("NAME=\"Debian GNU/Linux\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n"),
            "Debian GNU/Linux 12 (bookworm)");
  EXPECT_EQ(parseOsReleasePrettyName("NAME=Alpine\nVERSION='3.19'\n"), "Alpine 3.19");
  EXPECT_EQ(parseCpuModel("processor\t: 0\nmodel name\t: Intel(R) Xeon(R) CPU\n"), "Intel(R) Xeon(R) CPU");
  EXPECT_EQ(parseCpuModel("Processor\t: ARMv7\nHardware\t: BCM2835\n"), "BCM2835");
  EXPECT_EQ(parseLocaleLang("# comment\nexport LANG=\"de_DE.UTF-8\"\n"), "de_DE.UTF-8");

  auto m = parseMeminfo("MemTotal: 1000 kB\nMemAvailable: 250 kB\nSwapTotal: 10 kB\nSwapFree: 20 kB\n"
                        "CommitLimit: 500 kB\nCommitted_AS: 700 kB\n");
  ASSERT_TRUE(m);
  EXPECT_EQ(m->physTotal, 1024000u);
  EXPECT_EQ(m->physAvailable, 256000u);
  EXPECT_EQ(m->loadPercent, 75);
  EXPECT_EQ(m->swapFree, m->swapTotal);  // never more free than there is
  EXPECT_EQ(m->virtAvailable, 0u);       // over-committed: none left, not a huge number
}

}  // namespace
}  // namespace quillon::sysinfo
