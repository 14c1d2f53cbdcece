#pragma once
// The virtual telephone line: endpoints register under numbers, dialling a number rings the
// endpoint behind it, answering connects the two, and what one side transmits reaches the
// other. All line activity runs on one scheduler under one lock.
//
// Time: signal durations (rings, training, frames and page data on the air) are divided by the
// time scale so tests and demos run fast; protocol time-outs stay in plain line time, because
// the program driving a modem waits in real time.
#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "line_endpoint.h"
#include "scheduler.h"

namespace quillon::modem {

// Faults the line plays for calls to a number.
struct NumberFaults {
  int busyCalls = 0;         // the next N calls find the number busy
  bool noAnswer = false;     // it rings and rings
  bool voiceAnswer = false;  // a person answers, says hello and hangs up
};

class PhoneLine {
 public:
  explicit PhoneLine(double timeScale = 1.0);
  ~PhoneLine();
  PhoneLine(const PhoneLine&) = delete;
  PhoneLine& operator=(const PhoneLine&) = delete;

  // The lock every entry from outside the line (DTE bytes, status lines, tests) must hold.
  std::recursive_mutex& mutex() { return mutex_; }
  Scheduler& scheduler() { return scheduler_; }
  Micros now() const { return scheduler_.now(); }

  double timeScale() const { return scale_; }
  // One-way delay of everything sent on a call (20 ms by default, as a real call has). It is
  // not shortened by the time scale: it races the driving program's own reaction time.
  void setDelay(Micros delay) { delay_ = std::max<Micros>(0, delay); }
  Micros delay() const { return delay_; }
  // A duration on the air, shortened by the time scale (never below 1 µs when non-zero).
  Micros paced(Micros airtime) const;

  // Endpoints and numbers. An endpoint may have no number (it can only call out).
  void attach(LineEndpoint* endpoint, const std::string& number = "");
  void detach(LineEndpoint* endpoint);
  // Calls to numbers nobody registered reach this endpoint (the demo line's remote).
  void setAnyNumber(LineEndpoint* endpoint) { anyNumber_ = endpoint; }
  void setNumberFaults(const std::string& number, NumberFaults faults);
  NumberFaults numberFaults(const std::string& number) const;
  // The endpoint's own socket has no dial tone (unplugged cable, line cut).
  void setDialTone(LineEndpoint* endpoint, bool present);
  bool hasDialTone(LineEndpoint* endpoint) const;

  // Calls. `dial` starts dialling the digits of `dialString` (others are ignored).
  void dial(LineEndpoint* caller, const std::string& dialString);
  bool answer(LineEndpoint* callee);
  void hangUp(LineEndpoint* endpoint);
  bool inCall(const LineEndpoint* endpoint) const;
  bool connected(const LineEndpoint* endpoint) const;
  bool ringingAt(const LineEndpoint* endpoint) const;
  // Puts a signal on the call: it reaches the other side after the line's delay. The line is
  // half duplex for frames: a side that was sending itself while a frame came in lost it.
  void transmit(LineEndpoint* from, const LineSignal& s);

  // Manual clock (tests): run the line for `duration` of line time.
  void run(Micros duration);
  // Real-time clock: line time follows the monotonic clock from now on.
  void useRealTime();
  bool realTime() const { return realTime_; }
  // Runs everything due by the clock; called by every entry from outside.
  void settle();
  // Wall-clock wait until the next event (for the real-time runner); nullopt = none.
  std::optional<Micros> untilNextEvent();
  // Told when something from outside may have added an earlier event.
  void setWakeUp(std::function<void()> wake) { wake_ = std::move(wake); }
  void wakeUp() {
    if (wake_) wake_();
  }

 private:
  struct Call;
  Micros wallNow() const;
  Call* callOf(const LineEndpoint* endpoint) const;
  LineEndpoint* peerOf(const Call& call, LineEndpoint* endpoint) const;
  void ringOnce(Call* call);
  void endCall(Call* call, LineEndpoint* hungUpBy);
  void playVoice(Call* call);
  Call* callById(std::uint64_t id) const;
  void deliver(Call* call, LineEndpoint* peer, const LineSignal& s);

  std::recursive_mutex mutex_;
  Scheduler scheduler_;
  double scale_;
  Micros delay_ = ms(20);
  std::uint64_t nextCallId_ = 1;
  bool realTime_ = false;
  Micros wallStart_ = 0;
  std::function<void()> wake_;

  std::map<std::string, LineEndpoint*> numbers_;
  LineEndpoint* anyNumber_ = nullptr;
  std::map<std::string, NumberFaults> faults_;
  std::map<LineEndpoint*, bool> dialTone_;
  std::map<Call*, std::unique_ptr<Call>> calls_;
};

}  // namespace quillon::modem
