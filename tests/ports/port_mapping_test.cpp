// Port numbers to devices through the [Ports] section of QLN.INI.
#include "ports/port_mapping.h"

#include <gtest/gtest.h>

#include "platform/in_process_serial_device.h"
#include "support/pseudo_terminal.h"
#include "support/temp_dir.h"

using namespace quillon;
using settings::IniDocument;

TEST(PortMapping, MapsPortsByTheSectionOrByDefault) {
  IniDocument ini = IniDocument::parse(
      "[ports]\r\ncom1 = /dev/ttyACM0\r\nCOM2=ttyUSB0\r\nCOM3=Emulator\r\nCOM4=\r\nCOM05=/x\r\nCOMx=/y\r\n"
      "COM300=/z\r\nCOM9=serial/by-id/usb-modem\r\n");
  EXPECT_EQ(ports::deviceFor(ini, 1), "/dev/ttyACM0");
  EXPECT_EQ(ports::deviceFor(ini, 2), "/dev/ttyUSB0");  // a bare name lives in /dev
  EXPECT_EQ(ports::deviceFor(ini, 3), "emulator");
  EXPECT_EQ(ports::deviceFor(ini, 4), "/dev/ttyS3");  // empty: the default
  EXPECT_EQ(ports::deviceFor(ini, 5), "/dev/ttyS4");
  EXPECT_EQ(ports::deviceFor(ini, 9), "/dev/serial/by-id/usb-modem");
  EXPECT_EQ(ports::mappedPorts(ini), (std::vector<int>{1, 2, 3, 4, 9}));
  EXPECT_TRUE(ports::isFactoryName("emulator"));
  EXPECT_FALSE(ports::isFactoryName("/dev/ttyS0"));
}

TEST(PortMapping, OpensMappedDevicesAndRegisteredFactories) {
  test::TempDir dir;
  test::PseudoTerminal pty;
  auto line = platform::InProcessSerialLine::create();
  platform::registerSerialDeviceFactory("mapped-line", [&](int com) {
    EXPECT_EQ(com, 2);
    return line->openPort();
  });
  dir.write("QLN.INI", "[Ports]\nCOM1=" + pty.slavePath() + "\nCOM2=mapped-line\nCOM3=" + dir.file("none") + "\n");
  EXPECT_TRUE(ports::openComPort(1, dir.path()).device);
  EXPECT_TRUE(ports::openComPort(2, dir.path()).device);
  EXPECT_EQ(ports::openComPort(3, dir.path()).error, platform::kSerialNoDevice);
  EXPECT_EQ(ports::openComPort(0, dir.path()).error, platform::kSerialNoDevice);
  EXPECT_EQ(ports::probeDevice("mapped-line"), platform::SerialPresence::available);
  platform::registerSerialDeviceFactory("mapped-line", nullptr);
  EXPECT_EQ(ports::probeDevice("mapped-line"), platform::SerialPresence::missing);
  EXPECT_EQ(ports::openComPort(2, dir.path()).error, platform::kSerialNoDevice);
}
