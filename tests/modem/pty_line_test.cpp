// An emulated modem on a pseudo-terminal as a program sees it: closing the port is a DTR drop
// that hangs up and leaves nothing stale for the next program, and an unplugged modem makes
// the port vanish (reads end, writes fail, poll reports a hang-up, the serial layer says gone).
// Line time is stepped by hand between the pumps.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include "modem/pty_port.h"
#include "modem/remote_fax.h"
#include "platform/posix_serial_device.h"
#include "t4_pages.h"

using namespace quillon::modem;
using quillon::modem::test::t4Page;

namespace {

// A program holding the port open, as a fax program does: raw and non-blocking.
struct Program {
  int fd = -1;
  explicit Program(const std::string& path) {
    fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    termios t{};
    if (fd >= 0 && ::tcgetattr(fd, &t) == 0) {
      ::cfmakeraw(&t);
      ::tcsetattr(fd, TCSANOW, &t);
    }
  }
  ~Program() { close(); }
  void close() {
    if (fd >= 0) ::close(fd);
    fd = -1;
  }
  void write(const std::string& bytes) { ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size())); }
  std::string read() {
    std::string got;
    char buf[4096];
    ssize_t n;
    while ((n = ::read(fd, buf, sizeof buf)) > 0) got.append(buf, static_cast<std::size_t>(n));
    return got;
  }
};

struct PtyBench {
  PhoneLine line;
  EmulatedModem modem{line, "100"};
  RemoteReceiver remote{line, "555", "REMOTE"};
  PtyPort port{modem};
  // Pumps and runs the line until the program has read `text`; returns all it read.
  std::string until(Program& program, const std::string& text, int rounds = 3000) {
    std::string got;
    for (int i = 0; i < rounds && got.find(text) == std::string::npos; ++i) {
      step();
      got += program.read();
    }
    return got;
  }
  void step() {
    {
      std::lock_guard lock(line.mutex());
      port.pump();
    }
    line.run(ms(20));
  }
};

}  // namespace

TEST(PtyLine, ClosingThePortHangsUpAndTheNextProgramFindsAFreshModem) {
  PtyBench b;
  ASSERT_TRUE(b.port.ok()) << b.port.error();
  auto first = std::make_unique<Program>(b.port.path());
  first->write("ATE0+FCLASS=2.0\r");
  EXPECT_NE(b.until(*first, "OK\r\n").find("OK"), std::string::npos);
  EXPECT_TRUE(b.port.programOpen());
  first->write("ATDT555\r");
  EXPECT_NE(b.until(*first, "OK\r\n").find("+FCO"), std::string::npos);
  first->write("AT+FDT\r");
  EXPECT_NE(b.until(*first, "CONNECT\r\n").find("CONNECT"), std::string::npos);
  // The program dies in the middle of the page, with a command line half typed before it.
  first->write(dleStuff(t4Page(2000)));
  b.step();
  EXPECT_TRUE(b.modem.dcd());
  first->close();
  for (int i = 0; i < 5; ++i) b.step();
  EXPECT_FALSE(b.port.programOpen());
  EXPECT_FALSE(b.modem.dcd());
  EXPECT_FALSE(b.line.inCall(&b.modem));
  EXPECT_TRUE(b.remote.lastFax().pages.empty());
  // The next program's ATZ is answered at once, and OK is the first thing it reads (the echo
  // is still off: a DTR drop under &D2 keeps the settings).
  Program second(b.port.path());
  second.write("ATZ\r");
  std::string got = b.until(second, "OK\r\n");
  EXPECT_EQ(got, "\r\nOK\r\n");
  // A program that leaves unread answers behind takes them with it.
  second.write("ATI3\r");
  b.step();
  second.close();
  for (int i = 0; i < 5; ++i) b.step();
  Program third(b.port.path());
  third.write("AT\r");
  EXPECT_EQ(b.until(third, "OK\r\n"), "AT\r\r\nOK\r\n");
}

TEST(PtyLine, UnpluggedModemTakesThePortWithIt) {
  PtyBench b;
  Program program(b.port.path());
  program.write("ATE0\r");
  EXPECT_NE(b.until(program, "OK\r\n").find("OK"), std::string::npos);
  {
    std::lock_guard lock(b.line.mutex());
    b.modem.unplug();
  }
  b.step();
  EXPECT_FALSE(b.port.ok());
  pollfd p{program.fd, POLLIN, 0};
  ASSERT_EQ(::poll(&p, 1, 0), 1);
  EXPECT_TRUE(p.revents & POLLHUP);
  char c;
  EXPECT_EQ(::read(program.fd, &c, 1), 0);
  EXPECT_LT(::write(program.fd, "AT\r", 3), 0);
  EXPECT_LT(::open(b.port.path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK), 0);
}

TEST(PtyLine, SerialLayerSeesAnUnpluggedModemAsAGoneDevice) {
  PtyBench b;
  auto open = quillon::platform::PosixSerialDevice::open(b.port.path());
  ASSERT_TRUE(open.device) << open.error;
  auto& device = *open.device;
  const std::string at = "AT\r";
  ASSERT_EQ(device.write(reinterpret_cast<const std::uint8_t*>(at.data()), at.size(), 1000), 3);
  std::string got;
  for (int i = 0; i < 100 && got.find("OK") == std::string::npos; ++i) {
    b.step();
    std::uint8_t buf[64];
    long n = device.read(buf, sizeof buf);
    if (n > 0) got.append(reinterpret_cast<char*>(buf), static_cast<std::size_t>(n));
  }
  EXPECT_NE(got.find("OK"), std::string::npos) << got;
  {
    std::lock_guard lock(b.line.mutex());
    b.modem.unplug();
  }
  b.step();
  std::uint32_t events = device.waitEvent(quillon::platform::kEventReceiveChar, 100);
  EXPECT_TRUE(events & quillon::platform::kEventDeviceGone);
  EXPECT_EQ(device.write(reinterpret_cast<const std::uint8_t*>(at.data()), at.size(), 100),
            quillon::platform::kSerialDeviceGone);
}
