#pragma once
// A serial device on a termios file descriptor: a real port (/dev/ttyS0, /dev/ttyUSB0,
// /dev/ttyACM0) or a pseudo-terminal. Opened for exclusive use: a UUCP lock file (the
// convention other serial programs honour, serial_lock_file.h), TIOCEXCL and an flock, so a
// second opener, in this program or another, is refused with kSerialAccessDenied.
#include <atomic>
#include <mutex>

#include "platform/modem_line_watcher.h"
#include "platform/serial_device.h"
#include "platform/serial_lock_file.h"

namespace quillon::platform {

enum class SerialPresence { missing, available, inUse, noAccess };

class PosixSerialDevice final : public SerialDevice {
 public:
  // Opens `path` raw, non-blocking, 19200 8N1 until settings are applied.
  static SerialOpenResult open(const std::string& path);
  // Takes over a descriptor opened by someone else (it stays theirs: a new open file
  // description is made, so its flags are not touched). Line settings are kept as they are.
  static SerialOpenResult adopt(int fd);
  // Whether a device exists at `path` and can be opened now: a port another program has
  // locked is in use without being opened; otherwise it is opened and closed at once.
  static SerialPresence probe(const std::string& path);

  ~PosixSerialDevice() override;

  long read(std::uint8_t* data, std::size_t size) override;
  long write(const std::uint8_t* data, std::size_t size, int timeoutMs) override;
  int getSettings(SerialSettings& settings) override;
  int setSettings(const SerialSettings& settings) override;
  int setDtr(bool on) override;
  int setRts(bool on) override;
  int modemStatus(std::uint8_t& status) override;
  int lineStatus(SerialLineStatus& status) override;
  int purge(bool receive, bool transmit) override;
  std::uint32_t waitEvent(std::uint32_t mask, int timeoutMs) override;
  void cancelWait() override;
  std::string name() const override { return name_; }

  // The driver reports modem-line changes itself (TIOCMIWAIT), so the lines are not polled.
  bool modemLinesWatched() const { return lineWatcher_.watching(); }

 private:
  PosixSerialDevice(int fd, std::string name, bool locked, std::unique_ptr<SerialLockFile> lockFile = nullptr);
  bool makeWakePipe();
  bool setModemLine(int line, bool on);
  void primeStatus();  // also starts the line watcher where the driver has modem lines
  std::uint32_t pollStatusChanges();  // event bits of modem lines and line errors seen now

  int fd_;
  int wake_[2] = {-1, -1};
  std::string name_;
  bool locked_;
  std::unique_ptr<SerialLockFile> lockFile_;  // removed after the descriptor is closed
  // Settings the termios record cannot hold (XON/XOFF limits, DSR output flow, DTR mode).
  std::mutex settingsMutex_;
  SerialSettings extra_;
  // Drivers without modem lines (pseudo-terminals) answer ENOTTY: then nothing is polled.
  std::atomic<bool> modemLinesSupported_{true};
  std::atomic<bool> countersSupported_{true};
  bool kernelRs485_ = false;  // the driver toggles RTS itself (settings lock)
  std::atomic<std::uint8_t> pendingErrors_{0};
  std::uint8_t lastModem_ = 0;  // comm thread only
  ModemLineWatcher lineWatcher_;  // stopped before the descriptor is closed
  struct Counters {
    int overrun = 0, parity = 0, frame = 0, brk = 0, bufOverrun = 0;
  } lastCounts_;  // comm thread only
};

}  // namespace quillon::platform
