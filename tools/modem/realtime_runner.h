#pragma once
// Runs a phone line against the wall clock on its own thread: line events happen when they
// are due, and the pumps (bridges to ports and pseudo-terminals) run every round with the
// line's lock held.
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "phone_line.h"

namespace quillon::modem {

class RealTimeRunner {
 public:
  explicit RealTimeRunner(PhoneLine& line);
  ~RealTimeRunner();
  RealTimeRunner(const RealTimeRunner&) = delete;
  RealTimeRunner& operator=(const RealTimeRunner&) = delete;

  // Pumps are added before start().
  void addPump(std::function<void()> pump) { pumps_.push_back(std::move(pump)); }
  void start();
  void stop();
  // Makes the runner look at once (new bytes, a new earlier event).
  void wake();

 private:
  void loop();

  PhoneLine& line_;
  std::vector<std::function<void()>> pumps_;
  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable cv_;
  bool woken_ = false;
  bool stopping_ = false;
};

}  // namespace quillon::modem
