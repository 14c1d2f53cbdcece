#include "realtime_runner.h"

#include <algorithm>
#include <chrono>

namespace quillon::modem {

namespace {
// Pumps poll at least this often, so a far end that cannot wake the runner is still served.
constexpr Micros kLongestSleep = ms(20);
}  // namespace

RealTimeRunner::RealTimeRunner(PhoneLine& line) : line_(line) {
  line_.useRealTime();
  line_.setWakeUp([this] { wake(); });
}

RealTimeRunner::~RealTimeRunner() {
  stop();
  line_.setWakeUp(nullptr);
}

void RealTimeRunner::start() { thread_ = std::thread([this] { loop(); }); }

void RealTimeRunner::stop() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  cv_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void RealTimeRunner::wake() {
  {
    std::lock_guard lock(mutex_);
    woken_ = true;
  }
  cv_.notify_all();
}

void RealTimeRunner::loop() {
  while (true) {
    Micros sleep = kLongestSleep;
    {
      std::lock_guard lineLock(line_.mutex());
      line_.settle();
      for (auto& pump : pumps_) pump();
      line_.settle();
      if (auto next = line_.untilNextEvent()) sleep = std::min(sleep, *next);
    }
    std::unique_lock lock(mutex_);
    cv_.wait_for(lock, std::chrono::microseconds(sleep), [this] { return woken_ || stopping_; });
    if (stopping_) return;
    woken_ = false;
  }
}

}  // namespace quillon::modem
