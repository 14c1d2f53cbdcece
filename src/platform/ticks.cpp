#include "platform/ticks.h"

#include <algorithm>
#include <chrono>

namespace quillon::platform {

namespace {
Ticks wrap(std::int64_t ticks) {
  std::int64_t r = ticks % kMaxTicks;
  return static_cast<Ticks>(r < 0 ? r + kMaxTicks : r);
}
}  // namespace

Ticks currentTicks() {
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                std::chrono::steady_clock::now().time_since_epoch())
                .count();
  return wrap(ms / kMillisecondsPerTick);
}

TickTimer startTimer(Ticks interval, Ticks now) {
  interval = std::clamp<Ticks>(interval, 0, kMaxTicks);
  now = wrap(now);
  return TickTimer{now, wrap(static_cast<std::int64_t>(now) + interval)};
}

bool timerExpired(const TickTimer& timer, Ticks now) {
  if (timer.expire >= timer.start)  // no wrap between start and expiry
    return now > timer.expire || now < timer.start;
  return now > timer.expire && now < timer.start;  // expiry lies after the wrap
}

Ticks ticksElapsed(const TickTimer& timer, Ticks now) {
  return wrap(static_cast<std::int64_t>(now) - timer.start);
}

Ticks ticksRemaining(const TickTimer& timer, Ticks now) {
  if (timerExpired(timer, now)) return 0;
  return wrap(static_cast<std::int64_t>(timer.expire) - now);
}

}  // namespace quillon::platform
