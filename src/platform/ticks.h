#pragma once
// The serial and fax layers count time in ticks of 55 ms. The tick counter wraps at
// kMaxTicks (about 24.8 days), so expiry checks must allow for the wrap.
#include <cstdint>

namespace quillon::platform {

using Ticks = std::int32_t;

constexpr Ticks kMaxTicks = 39045157;
constexpr int kMillisecondsPerTick = 55;

// Current tick count: the monotonic millisecond clock divided by 55, modulo kMaxTicks.
Ticks currentTicks();

// Seconds to ticks as s * 1675 / 92 (60 s = 1092 ticks), and back as (t + 9) * 92 / 1675.
constexpr Ticks secondsToTicks(std::int64_t seconds) {
  return static_cast<Ticks>(seconds * 1675 / 92);
}
constexpr std::int64_t ticksToSeconds(std::int64_t ticks) { return (ticks + 9) * 92 / 1675; }
constexpr std::int64_t ticksToMilliseconds(std::int64_t ticks) { return ticks * kMillisecondsPerTick; }

// A running timer: its start and expiry tick, both already reduced modulo kMaxTicks.
struct TickTimer {
  Ticks start = 0;
  Ticks expire = 0;
};

// Starts a timer of `interval` ticks at tick `now`; the interval is capped at kMaxTicks.
TickTimer startTimer(Ticks interval, Ticks now);
inline TickTimer startTimer(Ticks interval) { return startTimer(interval, currentTicks()); }

// True when `now` lies past the expiry tick, allowing for the counter wrapping.
bool timerExpired(const TickTimer& timer, Ticks now);
inline bool timerExpired(const TickTimer& timer) { return timerExpired(timer, currentTicks()); }

// Ticks left until expiry (0 when expired), and ticks elapsed since the start.
Ticks ticksRemaining(const TickTimer& timer, Ticks now);
Ticks ticksElapsed(const TickTimer& timer, Ticks now);

}  // namespace quillon::platform
