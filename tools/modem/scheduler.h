#pragma once
// The emulated line runs on one event queue in line time (microseconds). Everything that
// happens on the line — rings, frames on the air, page data, time-outs — is an event here, so
// tests can step time by hand and the real-time runner can map it to the wall clock.
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <unordered_map>
#include <utility>

namespace quillon::modem {

using Micros = std::int64_t;

constexpr Micros ms(std::int64_t milliseconds) { return milliseconds * 1000; }
constexpr Micros seconds(std::int64_t s) { return s * 1000000; }

class Scheduler {
 public:
  using Id = std::uint64_t;

  Micros now() const { return now_; }
  Id at(Micros when, std::function<void()> fn);
  Id after(Micros delay, std::function<void()> fn) { return at(now_ + delay, std::move(fn)); }
  void cancel(Id id);
  bool pending(Id id) const { return when_.count(id) != 0; }

  // Runs every event due up to `until` in time order and leaves the clock at `until`.
  void runUntil(Micros until);
  // Runs events that are due now (including ones they schedule for now).
  void runDue() { runUntil(now_); }
  std::optional<Micros> nextDue() const;

 private:
  Micros now_ = 0;
  Id nextId_ = 1;
  std::map<std::pair<Micros, Id>, std::function<void()>> events_;
  std::unordered_map<Id, Micros> when_;
};

// One re-armable timer on a scheduler: starting it again cancels the earlier run.
class Timer {
 public:
  explicit Timer(Scheduler& scheduler) : scheduler_(scheduler) {}
  ~Timer() { stop(); }
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;

  void start(Micros delay, std::function<void()> fn);
  void stop();
  bool running() const { return id_ != 0 && scheduler_.pending(id_); }

 private:
  Scheduler& scheduler_;
  Scheduler::Id id_ = 0;
};

}  // namespace quillon::modem
