#pragma once
// Waits in the driver for the modem lines (CTS, DSR, DCD, RI) to change, with TIOCMIWAIT on a
// thread of its own, and makes a pipe readable after each change, so a port's wait for
// events wakes at once instead of polling the lines every 20 ms. TIOCMIWAIT blocks and has no
// time-out: stop() interrupts it with a signal whose handler does nothing (installed once,
// only while nobody else handles that signal). Drivers without it end the thread at once.
#include <atomic>
#include <thread>

namespace quillon::platform {

class ModemLineWatcher {
 public:
  ModemLineWatcher() = default;
  ~ModemLineWatcher() { stop(); }
  ModemLineWatcher(const ModemLineWatcher&) = delete;
  ModemLineWatcher& operator=(const ModemLineWatcher&) = delete;

  // Starts watching `fd` (which must stay open until stop()); false when it cannot.
  bool start(int fd);
  void stop();
  // The driver is waiting for line changes for us: the lines need no polling.
  bool watching() const { return started_ && !ended_.load(); }
  // Readable after a change (or once the watch ended); -1 when not started.
  int changeFd() const { return pipe_[0]; }
  void drain();

 private:
  void run();

  int fd_ = -1;
  int pipe_[2] = {-1, -1};
  bool started_ = false;
  std::atomic<bool> stop_{false}, ended_{false};
  std::thread thread_;
};

}  // namespace quillon::platform
