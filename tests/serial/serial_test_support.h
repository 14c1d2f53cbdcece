#pragma once
// Helpers for the dispatcher and com port tests: an in-process line registered as a device
// name, a recorder of notifications, and waiting with generous time-outs.
#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/in_process_serial_device.h"
#include "platform/serial_device.h"
#include "serial/dispatcher.h"

namespace quillon::test {

// Polls `done` until it holds or `timeout` passes.
inline bool waitUntil(const std::function<bool()>& done,
                      std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
  auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

// A fresh in-process line reachable as the device name `name()` while this object lives.
class RegisteredLine {
 public:
  RegisteredLine() : line_(platform::InProcessSerialLine::create()) {
    static std::atomic<int> counter{0};
    name_ = "test-line-" + std::to_string(++counter);
    auto line = line_;
    platform::registerSerialDeviceFactory(name_, [line](int) { return line->openPort(); });
  }
  ~RegisteredLine() { platform::registerSerialDeviceFactory(name_, nullptr); }
  const std::string& name() const { return name_; }
  platform::InProcessSerialLine& operator*() const { return *line_; }
  platform::InProcessSerialLine* operator->() const { return line_.get(); }

 private:
  std::shared_ptr<platform::InProcessSerialLine> line_;
  std::string name_;
};

struct Notification {
  unsigned msg;
  unsigned first;
  std::uint32_t second;
};

// Collects notifications from any thread.
class Recorder {
 public:
  void add(unsigned msg, unsigned first, std::uint32_t second) {
    std::lock_guard lock(mutex_);
    seen_.push_back({msg, first, second});
  }
  std::vector<Notification> seen() const {
    std::lock_guard lock(mutex_);
    return seen_;
  }
  std::size_t count(unsigned msg) const {
    std::lock_guard lock(mutex_);
    std::size_t n = 0;
    for (const auto& s : seen_) n += s.msg == msg;
    return n;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<Notification> seen_;
};

// A dispatcher opened on a fresh in-process line with a 64-byte transmit ring.
class OpenDispatcherTest : public ::testing::Test {
 protected:
  void SetUp() override {
    serial::DispatcherOpenParams p;
    p.device = line.name();
    p.outSize = 64;
    ASSERT_EQ(dispatcher.OpenDispatcher(p), 0);
  }
  // Sends every notification to the recorder.
  void recordAll() {
    dispatcher.RegisterProcTriggerHandler(
        [this](unsigned msg, unsigned first, std::uint32_t second) { recorder.add(msg, first, second); });
  }
  // Everything in the receive ring now, taken out.
  std::string readAll() {
    std::string s;
    std::uint8_t c;
    while (dispatcher.GetChar(c) == 0) s += static_cast<char>(c);
    return s;
  }

  RegisteredLine line;
  serial::TApdPosixDispatcher dispatcher;
  Recorder recorder;
};

}  // namespace quillon::test
