#pragma once
// A serial line inside the process: the port side is a SerialDevice, the far end is driven
// by a test or by the modem emulator. The far end writes bytes towards the port, reads what
// the port wrote, sets CTS, DSR, RI and DCD, sees DTR and RTS, and can make the device
// vanish as an unplugged USB modem does. One port may be open on a line at a time.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "platform/serial_device.h"

namespace quillon::platform {

class InProcessSerialLine : public std::enable_shared_from_this<InProcessSerialLine> {
 public:
  // A line whose far end has CTS and DSR raised, RI and DCD low.
  static std::shared_ptr<InProcessSerialLine> create(std::string name = "in-process line");

  // The port side. kSerialAccessDenied while a port is open on the line, kSerialNoDevice
  // after vanish() until reconnect().
  SerialOpenResult openPort();
  bool portOpen() const;

  // --- far end ---
  // Bytes towards the port; they wait in the device until the port reads them.
  void write(std::string_view bytes);
  // What the port wrote and nobody has taken yet, without waiting.
  std::string read();
  // At most `most` of those bytes; the rest stay queued in the device (as XOFF holds them).
  std::string read(std::size_t most);
  // Waits until at least `count` bytes are waiting (or `timeout`), then takes them all.
  std::string readAtLeast(std::size_t count, std::chrono::milliseconds timeout);
  // Waits until the port's output contains `text`; takes the bytes up to and including it.
  // Returns false (taking nothing) on time-out.
  bool readUntil(std::string_view text, std::chrono::milliseconds timeout, std::string* taken = nullptr);
  std::size_t pendingTowardsPort() const;

  void setCts(bool on);
  void setDsr(bool on);
  void setRi(bool on);
  void setDcd(bool on);
  bool dtr() const;
  bool rts() const;
  SerialSettings portSettings() const;  // as the port last set them

  // Line errors (kLine* bits) the port sees on its next status read; kLineBreak is a break.
  void injectLineErrors(std::uint8_t bits);
  // The port's writes fail with `status` (0 = they work again), as a driver error would.
  void failWrites(int status);
  // The device disappears: the port's waits report kEventDeviceGone and its I/O fails.
  void vanish();
  void reconnect();

  // Called (on the port's threads, without locks held) after the port wrote bytes or changed
  // DTR, RTS or its settings. Keep it short: it runs on the port's output path.
  void setActivityListener(std::function<void()> listener);

 private:
  friend class InProcessSerialDevice;
  explicit InProcessSerialLine(std::string name) : name_(std::move(name)) {}
  void setLine(std::uint8_t bit, bool on);
  void notifyActivity();

  std::string name_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::uint8_t> towardsPort_;
  std::string fromPort_;
  std::uint8_t lines_ = kModemCts | kModemDsr;
  bool dtr_ = false, rts_ = false;
  bool portOpen_ = false, gone_ = false, cancel_ = false;
  std::uint8_t pendingErrors_ = 0;
  int writeFailure_ = 0;
  std::uint32_t pendingEvents_ = 0;
  SerialSettings settings_;
  std::function<void()> listener_;
};

}  // namespace quillon::platform
