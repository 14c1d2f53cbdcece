#include "pty_port.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

namespace quillon::modem {

namespace {
// Raw bytes: no echo, no line editing, no CR/LF translation by the terminal layer. Set through
// the master, it is the slave's setting the next program finds.
void makeRaw(int fd) {
  termios t{};
  if (::tcgetattr(fd, &t) == 0) {
    ::cfmakeraw(&t);
    ::tcsetattr(fd, TCSANOW, &t);
  }
}
}  // namespace

PtyPort::PtyPort(EmulatedModem& modem)
    : PtyPort([&modem](std::string_view b) { modem.fromDte(b); }, [&modem] { return modem.toDte(); },
              [&modem] { return modem.dteRoom(); }) {
  // Nobody has the port open yet: DTR is off until a program opens it.
  modem.setDtr(false);
  onProgramOpen([&modem](bool open) {
    if (open) {
      modem.setDtr(true);
    } else {
      modem.portClosed();
    }
  });
  onVanished([&modem] { return modem.vanished(); });
}

PtyPort::PtyPort(std::function<void(std::string_view)> fromDte, std::function<std::string()> toDte,
                 std::function<std::size_t()> room)
    : fromDte_(std::move(fromDte)), toDte_(std::move(toDte)), room_(std::move(room)) {
  master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
  if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
    error_ = std::strerror(errno);
    if (master_ >= 0) ::close(master_);
    master_ = -1;
    return;
  }
  const char* name = ::ptsname(master_);
  path_ = name ? name : "";
  // One open and close of the slave: from then on the master sees whether a program holds it.
  int slave = ::open(path_.c_str(), O_RDWR | O_NOCTTY);
  if (slave >= 0) ::close(slave);
  makeRaw(master_);
}

PtyPort::~PtyPort() {
  if (!link_.empty()) ::unlink(link_.c_str());
  if (master_ >= 0) ::close(master_);
}

bool PtyPort::makeLink(const std::string& link) {
  ::unlink(link.c_str());
  if (::symlink(path_.c_str(), link.c_str()) != 0) {
    error_ = std::strerror(errno);
    return false;
  }
  link_ = link;
  return true;
}

void PtyPort::pump() {
  if (master_ < 0) return;
  if (vanished_ && vanished_()) {
    // The device is gone, and with it its name.
    ::close(master_);
    master_ = -1;
    if (!link_.empty()) ::unlink(link_.c_str());
    link_.clear();
    error_ = "the device was unplugged";
    return;
  }
  pollfd p{master_, POLLIN, 0};
  ::poll(&p, 1, 0);
  bool open = (p.revents & POLLHUP) == 0;
  if (open != programOpen_) {
    programOpen_ = open;
    if (!open) {
      pendingOut_.clear();
      makeRaw(master_);
      // The terminal keeps what the program left unread for whoever opens it next: drop it.
      int slave = ::open(path_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
      if (slave >= 0) {
        ::tcflush(slave, TCIOFLUSH);
        ::close(slave);
      }
      ::tcflush(master_, TCIOFLUSH);
    }
    if (openChanged_) openChanged_(open);
  }
  if (!open) {
    toDte_();  // said into a port nobody holds: lost
    return;
  }
  char buf[4096];
  while (true) {
    // A full modem is not read: the bytes wait in the terminal and its writer is held.
    std::size_t want = room_ ? std::min(room_(), sizeof buf) : sizeof buf;
    if (want == 0) break;
    ssize_t n = ::read(master_, buf, want);
    if (n <= 0) break;
    fromDte_(std::string_view(buf, static_cast<std::size_t>(n)));
  }
  pendingOut_ += toDte_();
  while (!pendingOut_.empty()) {
    ssize_t n = ::write(master_, pendingOut_.data(), pendingOut_.size());
    if (n <= 0) break;  // the program is not reading: keep the rest for the next round
    pendingOut_.erase(0, static_cast<std::size_t>(n));
  }
}

}  // namespace quillon::modem
