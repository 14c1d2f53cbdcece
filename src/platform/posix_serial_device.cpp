#include "platform/posix_serial_device.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>
#include <utility>

namespace quillon::platform {

namespace {

constexpr int kStatusPollMs = 20;   // modem lines and error counters, where the driver has them
// With the driver watching the modem lines only the error counters are polled (they also
// are read whenever bytes arrive, which is when parity, framing and overrun errors come),
// and the lines once more in case a change fell between two of the driver's waits.
constexpr int kWatchedPollMs = 100;

int openError(int err) {
  switch (err) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case EIO:
    case ENOTTY:
      return kSerialNoDevice;
    case ENOTDIR:
      return -3;
    case EBUSY:
    case EWOULDBLOCK:
    case EACCES:
    case EPERM:
      return kSerialAccessDenied;
    default:
      return serialDeviceError(err);
  }
}

struct BaudCode {
  std::int32_t baud;
  speed_t code;
};
constexpr BaudCode kBauds[] = {
    {50, B50},         {75, B75},         {110, B110},       {134, B134},       {150, B150},
    {200, B200},       {300, B300},       {600, B600},       {1200, B1200},     {1800, B1800},
    {2400, B2400},     {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},
    {57600, B57600},   {115200, B115200}, {230400, B230400}, {460800, B460800}, {500000, B500000},
    {576000, B576000}, {921600, B921600}, {1000000, B1000000}};

bool toSpeed(std::int32_t baud, speed_t& code) {
  for (const auto& b : kBauds)
    if (b.baud == baud) return code = b.code, true;
  return false;
}

std::int32_t fromSpeed(speed_t code) {
  for (const auto& b : kBauds)
    if (b.code == code) return b.baud;
  return 0;
}

std::uint8_t modemBits(int lines) {
  std::uint8_t s = 0;
  if (lines & TIOCM_CTS) s |= kModemCts;
  if (lines & TIOCM_DSR) s |= kModemDsr;
  if (lines & TIOCM_RNG) s |= kModemRi;
  if (lines & TIOCM_CAR) s |= kModemDcd;
  return s;
}

std::string exclusiveUseText(const std::string& path) {
  return path + " is in use by another program (it holds the device for itself)";
}

bool unsupported(int err) { return err == ENOTTY || err == EINVAL; }

// Raw bytes, no echo or line editing, reads that return at once.
void makeRaw(termios& t) {
  cfmakeraw(&t);
  t.c_cflag |= CLOCAL | CREAD;
  t.c_cc[VMIN] = 0;
  t.c_cc[VTIME] = 0;
}

}  // namespace

PosixSerialDevice::PosixSerialDevice(int fd, std::string name, bool locked, std::unique_ptr<SerialLockFile> lockFile)
    : fd_(fd), name_(std::move(name)), locked_(locked), lockFile_(std::move(lockFile)) {}

bool PosixSerialDevice::makeWakePipe() { return ::pipe2(wake_, O_NONBLOCK | O_CLOEXEC) == 0; }

PosixSerialDevice::~PosixSerialDevice() {
  lineWatcher_.stop();
  if (locked_) ::ioctl(fd_, TIOCNXCL);
  ::close(fd_);  // also releases the flock
  if (wake_[0] >= 0) ::close(wake_[0]);
  if (wake_[1] >= 0) ::close(wake_[1]);
}

SerialOpenResult PosixSerialDevice::open(const std::string& path) {
  struct stat st{};
  if (::stat(path.c_str(), &st) != 0) return {nullptr, openError(errno)};
  // The lock file comes first: a port another program uses is not even opened, so nothing
  // about it changes.
  SerialLockResult lock = acquireSerialLock(path);
  if (!lock.lock) return {nullptr, lock.error, lock.reason};
  int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    int err = errno;
    return {nullptr, openError(err), err == EBUSY ? exclusiveUseText(path) : std::string()};
  }
  termios t{};
  if (::tcgetattr(fd, &t) != 0) {  // not a terminal: not a serial port
    ::close(fd);
    return {nullptr, kSerialNoDevice};
  }
  // flock keeps out other programs that lock (and this program's other ports); TIOCEXCL
  // refuses further opens by programs that do not lock.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    int err = errno;
    ::close(fd);
    if (err == EWOULDBLOCK) return {nullptr, kSerialAccessDenied, exclusiveUseText(path)};
    return {nullptr, openError(err)};
  }
  ::ioctl(fd, TIOCEXCL);
  std::unique_ptr<PosixSerialDevice> dev(new PosixSerialDevice(fd, path, true, std::move(lock.lock)));
  if (!dev->makeWakePipe()) return {nullptr, ecOutOfMemory};
  makeRaw(t);
  cfsetispeed(&t, B19200);
  cfsetospeed(&t, B19200);
  ::tcsetattr(fd, TCSANOW, &t);
  dev->primeStatus();
  return {std::move(dev), 0};
}

SerialOpenResult PosixSerialDevice::adopt(int fd) {
  std::string self = "/proc/self/fd/" + std::to_string(fd);
  int own = ::open(self.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (own < 0) {  // no /proc: share the description and make it non-blocking
    own = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (own < 0) return {nullptr, openError(errno)};
    ::fcntl(own, F_SETFL, ::fcntl(own, F_GETFL) | O_NONBLOCK);
  }
  termios t{};
  if (::tcgetattr(own, &t) != 0) {
    ::close(own);
    return {nullptr, kSerialNoDevice};
  }
  std::unique_ptr<PosixSerialDevice> dev(new PosixSerialDevice(own, "fd " + std::to_string(fd), false));
  if (!dev->makeWakePipe()) return {nullptr, ecOutOfMemory};
  // Reads must return at once; everything else stays as the owner set it.
  t.c_cc[VMIN] = 0;
  t.c_cc[VTIME] = 0;
  ::tcsetattr(own, TCSANOW, &t);
  dev->primeStatus();
  return {std::move(dev), 0};
}

SerialPresence PosixSerialDevice::probe(const std::string& path) {
  struct stat st{};
  if (::stat(path.c_str(), &st) != 0) return SerialPresence::missing;
  if (serialLockHolder(path).held) return SerialPresence::inUse;
  int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    if (errno == EBUSY) return SerialPresence::inUse;
    if (errno == EACCES || errno == EPERM) return SerialPresence::noAccess;
    return SerialPresence::missing;
  }
  termios t{};
  SerialPresence result = SerialPresence::available;
  if (::tcgetattr(fd, &t) != 0)
    result = SerialPresence::missing;
  else if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
    result = SerialPresence::inUse;
  ::close(fd);
  return result;
}

long PosixSerialDevice::read(std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  ssize_t n = ::read(fd_, data, size);
  if (n >= 0) return static_cast<long>(n);
  if (errno == EAGAIN || errno == EINTR) return 0;
  return serialDeviceError(errno);
}

long PosixSerialDevice::write(const std::uint8_t* data, std::size_t size, int timeoutMs) {
  bool dsrFlow, toggleRts;
  {
    std::lock_guard lock(settingsMutex_);
    dsrFlow = extra_.outxDsrFlow;
    toggleRts = extra_.rtsControl == RtsControl::toggle && !kernelRs485_;
  }
  if (dsrFlow && modemLinesSupported_) {  // the driver has no DSR flow: hold output here
    std::uint8_t s = 0;
    if (modemStatus(s) == 0 && !(s & kModemDsr)) {
      std::this_thread::sleep_for(std::chrono::milliseconds(std::min(timeoutMs, kStatusPollMs)));
      return 0;
    }
  }
  if (toggleRts) {  // RS-485 without driver support: RTS up only while the bytes leave
    setModemLine(TIOCM_RTS, true);
    ssize_t n = ::write(fd_, data, size);
    int err = errno;
    ::tcdrain(fd_);
    setModemLine(TIOCM_RTS, false);
    if (n >= 0) return static_cast<long>(n);
    return err == EAGAIN || err == EINTR ? 0 : serialDeviceError(err);
  }
  for (int attempt = 0; attempt < 2; ++attempt) {
    ssize_t n = ::write(fd_, data, size);
    if (n >= 0) return static_cast<long>(n);
    if (errno != EAGAIN && errno != EINTR) return serialDeviceError(errno);
    if (attempt == 0) {
      pollfd p{fd_, POLLOUT, 0};
      if (::poll(&p, 1, timeoutMs) <= 0) return 0;
      if (p.revents & (POLLERR | POLLHUP | POLLNVAL)) return kSerialDeviceGone;
    }
  }
  return 0;
}

int PosixSerialDevice::getSettings(SerialSettings& s) {
  termios t{};
  if (::tcgetattr(fd_, &t) != 0) return serialDeviceError(errno);
  {
    std::lock_guard lock(settingsMutex_);
    s = extra_;
  }
  s.baud = fromSpeed(cfgetospeed(&t));
  switch (t.c_cflag & CSIZE) {
    case CS5: s.dataBits = 5; break;
    case CS6: s.dataBits = 6; break;
    case CS7: s.dataBits = 7; break;
    default: s.dataBits = 8; break;
  }
  s.stopBits = (t.c_cflag & CSTOPB) ? 2 : 1;
  if (!(t.c_cflag & PARENB))
    s.parity = SerialParity::none;
#ifdef CMSPAR
  else if (t.c_cflag & CMSPAR)
    s.parity = (t.c_cflag & PARODD) ? SerialParity::mark : SerialParity::space;
#endif
  else
    s.parity = (t.c_cflag & PARODD) ? SerialParity::odd : SerialParity::even;
  bool crtscts = (t.c_cflag & CRTSCTS) != 0;
  s.outxCtsFlow = crtscts;
  if (crtscts) s.rtsControl = RtsControl::handshake;
  else if (s.rtsControl == RtsControl::handshake) s.rtsControl = RtsControl::enable;
  s.outX = (t.c_iflag & IXON) != 0;
  s.inX = (t.c_iflag & IXOFF) != 0;
  s.xonChar = t.c_cc[VSTART];
  s.xoffChar = t.c_cc[VSTOP];
  return 0;
}

int PosixSerialDevice::setSettings(const SerialSettings& s) {
  termios t{};
  if (::tcgetattr(fd_, &t) != 0) return serialDeviceError(errno);
  speed_t speed;
  if (!toSpeed(s.baud, speed)) return ecBaudRate;  // 7200, 12000, 14400: termios lacks them
  if (s.dataBits < 5 || s.dataBits > 8) return ecByteSize;
  cfsetispeed(&t, speed);
  cfsetospeed(&t, speed);
  static constexpr tcflag_t sizes[] = {CS5, CS6, CS7, CS8};
  t.c_cflag = (t.c_cflag & ~CSIZE) | sizes[s.dataBits - 5];
  t.c_cflag = s.stopBits == 2 ? (t.c_cflag | CSTOPB) : (t.c_cflag & ~CSTOPB);
  tcflag_t parityBits = PARENB | PARODD;
#ifdef CMSPAR
  parityBits |= CMSPAR;
#endif
  t.c_cflag &= ~parityBits;
  switch (s.parity) {
    case SerialParity::none: break;
    case SerialParity::odd: t.c_cflag |= PARENB | PARODD; break;
    case SerialParity::even: t.c_cflag |= PARENB; break;
#ifdef CMSPAR
    case SerialParity::mark: t.c_cflag |= PARENB | CMSPAR | PARODD; break;
    case SerialParity::space: t.c_cflag |= PARENB | CMSPAR; break;
#else
    default: return ecDefault;
#endif
  }
  // The driver knows one hardware handshake: RTS/CTS both ways.
  bool crtscts = s.outxCtsFlow || s.rtsControl == RtsControl::handshake;
  t.c_cflag = crtscts ? (t.c_cflag | CRTSCTS) : (t.c_cflag & ~CRTSCTS);
  t.c_iflag = s.outX ? (t.c_iflag | IXON) : (t.c_iflag & ~IXON);
  t.c_iflag = s.inX ? (t.c_iflag | IXOFF) : (t.c_iflag & ~IXOFF);
  t.c_cc[VSTART] = s.xonChar;
  t.c_cc[VSTOP] = s.xoffChar;
  if (::tcsetattr(fd_, TCSANOW, &t) != 0) return serialDeviceError(errno);
  // RS-485 through the driver where it can; a port we did not switch is left as configured.
  bool wantRs485 = s.rtsControl == RtsControl::toggle, kernelRs485 = false;
  bool hadRs485;
  {
    std::lock_guard lock(settingsMutex_);
    hadRs485 = kernelRs485_;
  }
  if (wantRs485 || hadRs485) {
    serial_rs485 rs485{};
    if (wantRs485) rs485.flags = SER_RS485_ENABLED | SER_RS485_RTS_ON_SEND;
    kernelRs485 = ::ioctl(fd_, TIOCSRS485, &rs485) == 0 && wantRs485;
  }
  {
    std::lock_guard lock(settingsMutex_);
    extra_ = s;
    kernelRs485_ = kernelRs485;
  }
  // DTR follows its mode; a handshake DTR stays raised (the driver cannot drop it by level).
  setModemLine(TIOCM_DTR, s.dtrControl != DtrControl::disable);
  if (!crtscts && s.rtsControl != RtsControl::toggle)
    setModemLine(TIOCM_RTS, s.rtsControl == RtsControl::enable);
  return 0;
}

bool PosixSerialDevice::setModemLine(int line, bool on) {
  if (!modemLinesSupported_) return true;
  if (::ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &line) == 0) return true;
  if (unsupported(errno)) {
    modemLinesSupported_ = false;
    return true;
  }
  return false;
}

int PosixSerialDevice::setDtr(bool on) { return setModemLine(TIOCM_DTR, on) ? 0 : serialDeviceError(errno); }
int PosixSerialDevice::setRts(bool on) { return setModemLine(TIOCM_RTS, on) ? 0 : serialDeviceError(errno); }

int PosixSerialDevice::modemStatus(std::uint8_t& status) {
  status = 0;
  if (!modemLinesSupported_) return 0;
  int lines = 0;
  if (::ioctl(fd_, TIOCMGET, &lines) != 0) {
    if (unsupported(errno)) {
      modemLinesSupported_ = false;
      return 0;
    }
    return serialDeviceError(errno);
  }
  status = modemBits(lines);
  return 0;
}

int PosixSerialDevice::lineStatus(SerialLineStatus& status) {
  int in = 0, out = 0;
  if (::ioctl(fd_, FIONREAD, &in) != 0) return serialDeviceError(errno);
  if (::ioctl(fd_, TIOCOUTQ, &out) != 0) out = 0;
  status.receiveQueued = static_cast<std::size_t>(in < 0 ? 0 : in);
  status.transmitQueued = static_cast<std::size_t>(out < 0 ? 0 : out);
  status.errors = pendingErrors_.exchange(0);
  return 0;
}

int PosixSerialDevice::purge(bool receive, bool transmit) {
  if (!receive && !transmit) return 0;
  int which = receive && transmit ? TCIOFLUSH : receive ? TCIFLUSH : TCOFLUSH;
  return ::tcflush(fd_, which) == 0 ? 0 : serialDeviceError(errno);
}

void PosixSerialDevice::primeStatus() {
  pollStatusChanges();  // learn the lines and counters as they are now; nothing changed yet
  pendingErrors_ = 0;
  if (modemLinesSupported_) lineWatcher_.start(fd_);
}

std::uint32_t PosixSerialDevice::pollStatusChanges() {
  std::uint32_t events = 0;
  std::uint8_t now = 0;
  if (modemLinesSupported_ && modemStatus(now) == 0 && modemLinesSupported_) {
    std::uint8_t changed = now ^ lastModem_;
    if (changed & kModemCts) events |= kEventCts;
    if (changed & kModemDsr) events |= kEventDsr;
    if (changed & kModemDcd) events |= kEventRlsd;
    if (changed & kModemRi) events |= (now & kModemRi) ? kEventRing : kEventRingTrailingEdge;
    lastModem_ = now;
  }
  if (countersSupported_) {
    serial_icounter_struct c{};
    if (::ioctl(fd_, TIOCGICOUNT, &c) != 0) {
      if (unsupported(errno)) countersSupported_ = false;
    } else {
      std::uint8_t errors = 0;
      if (c.buf_overrun != lastCounts_.bufOverrun) errors |= kLineOverflow;
      if (c.overrun != lastCounts_.overrun) errors |= kLineOverrun;
      if (c.parity != lastCounts_.parity) errors |= kLineParity;
      if (c.frame != lastCounts_.frame) errors |= kLineFraming;
      if (c.brk != lastCounts_.brk) errors |= kLineBreak;
      lastCounts_ = {c.overrun, c.parity, c.frame, c.brk, c.buf_overrun};
      if (errors) {
        pendingErrors_.fetch_or(errors);
        if (errors & kLineBreak) events |= kEventBreak;
        if (errors & ~kLineBreak) events |= kEventError;
      }
    }
  }
  return events;
}

std::uint32_t PosixSerialDevice::waitEvent(std::uint32_t mask, int timeoutMs) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    bool watched = lineWatcher_.watching();
    bool polling = modemLinesSupported_ || countersSupported_;
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                    deadline - std::chrono::steady_clock::now()).count();
    if (left < 0) left = 0;
    int step = watched ? kWatchedPollMs : kStatusPollMs;
    int slice = static_cast<int>(polling ? std::min<long long>(left, step) : left);
    pollfd fds[3] = {{fd_, static_cast<short>((mask & kEventReceiveChar) ? POLLIN : 0), 0},
                     {wake_[0], POLLIN, 0},
                     {lineWatcher_.changeFd(), POLLIN, 0}};
    int r = ::poll(fds, 3, slice);
    if (r > 0 && (fds[2].revents & POLLIN)) lineWatcher_.drain();  // the lines are read below
    if (r < 0 && errno != EINTR) return kEventDeviceGone;
    if (r > 0 && (fds[1].revents & POLLIN)) {
      std::uint8_t drain[16];
      while (::read(wake_[0], drain, sizeof drain) > 0) {
      }
      return 0;
    }
    std::uint32_t events = pollStatusChanges() & mask;
    if (r > 0 && (fds[0].revents & POLLIN)) events |= kEventReceiveChar;
    if (r > 0 && (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL))) events |= kEventDeviceGone;
    if (events) return events;
    if (std::chrono::steady_clock::now() >= deadline) return 0;
  }
}

void PosixSerialDevice::cancelWait() {
  std::uint8_t one = 1;
  [[maybe_unused]] auto n = ::write(wake_[1], &one, 1);
}

}  // namespace quillon::platform
