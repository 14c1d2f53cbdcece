#pragma once
// Serves one emulated modem on a pseudo-terminal: a program opens the slave side as its
// serial port and talks to the modem. Pseudo-terminals carry no modem control lines, so DCD
// and RI are not seen there; but the program's last close is seen, and is a DTR drop (as the
// close of a real serial port drops DTR): the modem hangs up as &D says, what it said into
// the closed port is gone, and the next program finds a raw port and a modem in command mode.
// An unplugged modem takes the pseudo-terminal with it: the program's reads end, its writes
// fail and poll reports a hang-up, as when a USB modem is pulled out.
#include <functional>
#include <string>
#include <string_view>

#include "emulated_modem.h"

namespace quillon::modem {

class PtyPort {
 public:
  explicit PtyPort(EmulatedModem& modem);
  // Any other modem with a DTE side (SpanDSP's, for one).
  // `room` tells how many bytes the modem takes now (none: as many as come).
  PtyPort(std::function<void(std::string_view)> fromDte, std::function<std::string()> toDte,
          std::function<std::size_t()> room = nullptr);
  ~PtyPort();
  PtyPort(const PtyPort&) = delete;
  PtyPort& operator=(const PtyPort&) = delete;

  bool ok() const { return master_ >= 0; }
  const std::string& error() const { return error_; }
  // The slave's path ("/dev/pts/N").
  const std::string& path() const { return path_; }
  // Also reachable as `link` (a symbolic link, replaced if present, removed on close).
  bool makeLink(const std::string& link);
  // Moves bytes both ways; runs on the runner with the line's lock held.
  void pump();
  // Told when a program opens the port (true) and when the last one closes it (false).
  void onProgramOpen(std::function<void(bool open)> fn) { openChanged_ = std::move(fn); }
  // Asked on every round whether the device is gone; once it is, the port is closed for good.
  void onVanished(std::function<bool()> fn) { vanished_ = std::move(fn); }
  bool programOpen() const { return programOpen_; }

 private:
  std::function<void(std::string_view)> fromDte_;
  std::function<std::string()> toDte_;
  std::function<std::size_t()> room_;
  std::function<void(bool)> openChanged_;
  std::function<bool()> vanished_;
  int master_ = -1;
  bool programOpen_ = false;
  std::string path_;
  std::string link_;
  std::string error_;
  std::string pendingOut_;
};

}  // namespace quillon::modem
