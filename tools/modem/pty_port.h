#pragma once
// Serves one emulated modem on a pseudo-terminal: a program opens the slave side as its
// serial port and talks to the modem. Pseudo-terminals carry no modem control lines, so DTR,
// DCD and RI are not seen there.
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

 private:
  std::function<void(std::string_view)> fromDte_;
  std::function<std::string()> toDte_;
  std::function<std::size_t()> room_;
  int master_ = -1;
  int slaveKeep_ = -1;  // held open so the master never sees the slave closed
  std::string path_;
  std::string link_;
  std::string error_;
  std::string pendingOut_;
};

}  // namespace quillon::modem
