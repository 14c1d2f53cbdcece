// The two serial devices: termios on real pseudo-terminals, and the in-process line.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "platform/in_process_serial_device.h"
#include "platform/modem_line_watcher.h"
#include "platform/posix_serial_device.h"
#include "support/pseudo_terminal.h"
#include "support/temp_dir.h"

using namespace quillon::platform;
using quillon::test::PseudoTerminal;
using namespace std::chrono_literals;

namespace {

std::string readAll(SerialDevice& dev, std::size_t count) {
  std::string got;
  auto deadline = std::chrono::steady_clock::now() + 5s;
  while (got.size() < count && std::chrono::steady_clock::now() < deadline) {
    if (!(dev.waitEvent(kEventReceiveChar, 100) & kEventReceiveChar)) continue;
    std::uint8_t buf[256];
    long n = dev.read(buf, sizeof buf);
    if (n > 0) got.append(reinterpret_cast<char*>(buf), static_cast<std::size_t>(n));
  }
  return got;
}

long writeAll(SerialDevice& dev, std::string_view s) {
  return dev.write(reinterpret_cast<const std::uint8_t*>(s.data()), s.size(), 1000);
}

}  // namespace

TEST(PosixSerialDevice, CarriesBytesBothWaysOnAPseudoTerminal) {
  PseudoTerminal pty;
  ASSERT_TRUE(pty.ok());
  auto opened = PosixSerialDevice::open(pty.slavePath());
  ASSERT_TRUE(opened.device) << opened.error;
  auto& dev = *opened.device;

  std::uint8_t buf[16];
  EXPECT_EQ(dev.read(buf, sizeof buf), 0);  // nothing waits: no blocking
  EXPECT_EQ(dev.waitEvent(kEventReceiveChar, 30), 0u);

  pty.write(std::string("OK\r\n\0\xff", 6));
  EXPECT_EQ(readAll(dev, 6), std::string("OK\r\n\0\xff", 6));  // raw: no line editing
  EXPECT_EQ(writeAll(dev, "AT\r"), 3);
  EXPECT_EQ(pty.read(3), "AT\r");
}

TEST(PosixSerialDevice, AppliesAndReadsBackLineSettings) {
  PseudoTerminal pty;
  auto opened = PosixSerialDevice::open(pty.slavePath());
  ASSERT_TRUE(opened.device);
  SerialSettings s;
  s.baud = 9600;
  s.dataBits = 7;
  s.stopBits = 2;
  s.parity = SerialParity::mark;
  s.outX = s.inX = true;
  s.xonChar = 0x11;
  s.xoffChar = 0x13;
  s.xonLimit = 100;
  s.xoffLimit = 200;
  ASSERT_EQ(opened.device->setSettings(s), 0);
  SerialSettings back;
  ASSERT_EQ(opened.device->getSettings(back), 0);
  EXPECT_EQ(back.baud, 9600);
  EXPECT_EQ(back.stopBits, 2);  // (a pseudo-terminal keeps 8 bits without parity whatever is set)
  EXPECT_TRUE(back.outX && back.inX);
  EXPECT_EQ(back.xoffLimit, 200);  // kept beside the termios record

  s.baud = 12345;  // no such line speed
  EXPECT_LT(opened.device->setSettings(s), 0);
}

TEST(PosixSerialDevice, IsOpenedForExclusiveUse) {
  PseudoTerminal pty;
  EXPECT_EQ(PosixSerialDevice::probe(pty.slavePath()), SerialPresence::available);
  {
    auto first = PosixSerialDevice::open(pty.slavePath());
    ASSERT_TRUE(first.device);
    auto second = PosixSerialDevice::open(pty.slavePath());
    EXPECT_FALSE(second.device);
    EXPECT_EQ(second.error, kSerialAccessDenied);
    EXPECT_EQ(PosixSerialDevice::probe(pty.slavePath()), SerialPresence::inUse);
  }
  EXPECT_EQ(PosixSerialDevice::probe(pty.slavePath()), SerialPresence::available);

  // Another program holding the lock: the port is in use.
  int other = ::open(pty.slavePath().c_str(), O_RDWR | O_NOCTTY);
  ASSERT_GE(other, 0);
  ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
  EXPECT_EQ(PosixSerialDevice::open(pty.slavePath()).error, kSerialAccessDenied);
  ::close(other);
}

TEST(PosixSerialDevice, MissingDevicesAndNonTerminalsAreNoPorts) {
  quillon::test::TempDir dir;
  dir.write("plain", "x");
  EXPECT_EQ(PosixSerialDevice::open(dir.file("nothing")).error, kSerialNoDevice);
  EXPECT_EQ(PosixSerialDevice::open(dir.file("plain")).error, kSerialNoDevice);
  EXPECT_EQ(PosixSerialDevice::probe(dir.file("nothing")), SerialPresence::missing);
  EXPECT_EQ(PosixSerialDevice::probe(dir.file("plain")), SerialPresence::missing);
}

TEST(PosixSerialDevice, HangUpIsReportedAsTheDeviceGoneAndCancelEndsAWait) {
  PseudoTerminal pty;
  auto opened = PosixSerialDevice::open(pty.slavePath());
  ASSERT_TRUE(opened.device);
  auto& dev = *opened.device;

  std::thread canceller([&] {
    std::this_thread::sleep_for(50ms);
    dev.cancelWait();
  });
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(dev.waitEvent(kEventReceiveChar | kEventCts, 10000), 0u);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
  canceller.join();

  pty.hangUp();
  EXPECT_TRUE(dev.waitEvent(kEventReceiveChar, 5000) & kEventDeviceGone);
  std::uint8_t b;
  EXPECT_LE(dev.read(&b, 1), 0);
}

TEST(PosixSerialDevice, AdoptsADescriptorWithoutChangingItsFlags) {
  PseudoTerminal pty;
  int fd = ::open(pty.slavePath().c_str(), O_RDWR | O_NOCTTY);
  ASSERT_GE(fd, 0);
  int flags = ::fcntl(fd, F_GETFL);
  {
    auto adopted = PosixSerialDevice::adopt(fd);
    ASSERT_TRUE(adopted.device);
    pty.write("RING\n");  // the owner's line settings (canonical mode) stay in force
    EXPECT_EQ(readAll(*adopted.device, 5), "RING\n");
    EXPECT_EQ(::fcntl(fd, F_GETFL), flags);
  }
  EXPECT_EQ(::fcntl(fd, F_GETFL), flags);  // still open and blocking
  ::close(fd);
}

TEST(InProcessSerialLine, CarriesBytesAndControlLines) {
  auto line = InProcessSerialLine::create();
  auto opened = line->openPort();
  ASSERT_TRUE(opened.device);
  auto& dev = *opened.device;
  EXPECT_EQ(line->openPort().error, kSerialAccessDenied);

  line->write("CONNECT\r\n");
  EXPECT_EQ(readAll(dev, 9), "CONNECT\r\n");
  EXPECT_EQ(writeAll(dev, "ATA\r"), 4);
  EXPECT_TRUE(line->readUntil("\r", 1s));

  EXPECT_EQ(dev.setDtr(true), 0);
  EXPECT_TRUE(line->dtr());
  EXPECT_EQ(dev.setRts(false), 0);
  EXPECT_FALSE(line->rts());

  line->setDcd(true);
  line->setRi(true);
  EXPECT_EQ(dev.waitEvent(kEventRlsd | kEventRing, 1000), kEventRlsd | kEventRing);
  std::uint8_t status = 0;
  dev.modemStatus(status);
  EXPECT_EQ(status, kModemCts | kModemDsr | kModemRi | kModemDcd);
  line->setRi(false);
  EXPECT_EQ(dev.waitEvent(kEventRing | kEventRingTrailingEdge, 1000), kEventRingTrailingEdge);

  line->injectLineErrors(kLineParity | kLineBreak);
  EXPECT_EQ(dev.waitEvent(kEventError | kEventBreak, 1000), kEventError | kEventBreak);
  SerialLineStatus ls;
  dev.lineStatus(ls);
  EXPECT_EQ(ls.errors, kLineParity | kLineBreak);
}

TEST(InProcessSerialLine, HoldsOutputWhileCtsIsLowUnderHardwareFlow) {
  auto line = InProcessSerialLine::create();
  auto opened = line->openPort();
  SerialSettings s;
  s.outxCtsFlow = true;
  opened.device->setSettings(s);
  line->setCts(false);
  EXPECT_EQ(opened.device->write(reinterpret_cast<const std::uint8_t*>("x"), 1, 10), 0);
  std::thread raise([&] {
    std::this_thread::sleep_for(20ms);
    line->setCts(true);
  });
  EXPECT_EQ(opened.device->write(reinterpret_cast<const std::uint8_t*>("x"), 1, 5000), 1);
  raise.join();
}

TEST(InProcessSerialLine, VanishingFailsThePortUntilReconnected) {
  auto line = InProcessSerialLine::create();
  auto opened = line->openPort();
  line->vanish();
  EXPECT_TRUE(opened.device->waitEvent(kEventReceiveChar, 1000) & kEventDeviceGone);
  EXPECT_LT(writeAll(*opened.device, "x"), 0);
  opened.device.reset();
  EXPECT_EQ(line->openPort().error, kSerialNoDevice);
  line->reconnect();
  EXPECT_TRUE(line->openPort().device);
}

TEST(SerialDeviceRegistry, OpensThroughNamedFactories) {
  auto line = InProcessSerialLine::create();
  int askedFor = 0;
  registerSerialDeviceFactory("test-line", [&](int com) {
    askedFor = com;
    return line->openPort();
  });
  EXPECT_TRUE(hasSerialDeviceFactory("test-line"));
  EXPECT_TRUE(openRegisteredSerialDevice("test-line", 3).device);
  EXPECT_EQ(askedFor, 3);
  registerSerialDeviceFactory("test-line", nullptr);
  EXPECT_EQ(openRegisteredSerialDevice("test-line", 3).error, kSerialNoDevice);
}

// Pseudo-terminals have no modem lines and no TIOCMIWAIT: the watch ends at once, says so
// through its pipe, and the device goes on as before.
TEST(ModemLineWatcher, EndsAtOnceWhereTheDriverCannotWaitForTheLines) {
  PseudoTerminal pty;
  int fd = ::open(pty.slavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_GE(fd, 0);
  {
    ModemLineWatcher watcher;
    ASSERT_TRUE(watcher.start(fd));
    pollfd p{watcher.changeFd(), POLLIN, 0};
    EXPECT_EQ(::poll(&p, 1, 2000), 1);
    auto deadline = std::chrono::steady_clock::now() + 2s;
    while (watcher.watching() && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(1ms);
    EXPECT_FALSE(watcher.watching());
    watcher.drain();
    watcher.stop();
    EXPECT_EQ(watcher.changeFd(), -1);
  }
  ::close(fd);
  auto opened = PosixSerialDevice::open(pty.slavePath());
  ASSERT_TRUE(opened.device);
  EXPECT_FALSE(static_cast<PosixSerialDevice&>(*opened.device).modemLinesWatched());
}

// A real port with modem lines (QUILLON_TEST_SERIAL_PORT=/dev/ttyUSB0, for example; skipped
// without one): the driver waits for the lines, nothing wakes a quiet wait early, and closing
// ends the driver's wait at once.
TEST(ModemLineWatcher, ARealPortsLinesAreWatchedAndTheWatchEndsWithTheDevice) {
  const char* port = std::getenv("QUILLON_TEST_SERIAL_PORT");
  if (!port || !*port) GTEST_SKIP() << "no real serial port named in QUILLON_TEST_SERIAL_PORT";
  auto opened = PosixSerialDevice::open(port);
  ASSERT_TRUE(opened.device) << opened.error << " " << opened.reason;
  auto& dev = static_cast<PosixSerialDevice&>(*opened.device);
  std::this_thread::sleep_for(50ms);
  EXPECT_TRUE(dev.modemLinesWatched());
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(dev.waitEvent(kEventCts | kEventDsr | kEventRlsd | kEventRing, 300), 0u);
  EXPECT_GE(std::chrono::steady_clock::now() - start, 250ms);
  start = std::chrono::steady_clock::now();
  opened.device.reset();
  EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
}
