#include "platform/ticks.h"

#include <gtest/gtest.h>

using namespace quillon::platform;

TEST(Ticks, ConvertsSecondsAndTicksWithIntegerArithmetic) {
  EXPECT_EQ(secondsToTicks(60), 1092);
  EXPECT_EQ(secondsToTicks(10), 182);
  EXPECT_EQ(secondsToTicks(30), 546);
  EXPECT_EQ(secondsToTicks(0), 0);
  EXPECT_EQ(ticksToSeconds(1092), 60);
  EXPECT_EQ(ticksToSeconds(182), 10);
  // The round trip holds for every whole minute up to a day.
  for (int s = 0; s <= 86400; s += 60) EXPECT_EQ(ticksToSeconds(secondsToTicks(s)), s) << s;
}

TEST(Ticks, CurrentTicksStayInsideTheCounterRange) {
  Ticks t = currentTicks();
  EXPECT_GE(t, 0);
  EXPECT_LT(t, kMaxTicks);
}

TEST(Ticks, TimerExpiresOnlyAfterItsExpiryTick) {
  TickTimer timer = startTimer(18, 1000);
  EXPECT_FALSE(timerExpired(timer, 1000));
  EXPECT_FALSE(timerExpired(timer, 1018));
  EXPECT_TRUE(timerExpired(timer, 1019));
  EXPECT_EQ(ticksRemaining(timer, 1010), 8);
  EXPECT_EQ(ticksRemaining(timer, 2000), 0);
  EXPECT_EQ(ticksElapsed(timer, 1010), 10);
}

TEST(Ticks, TimerAllowsForTheCounterWrapping) {
  // Started 10 ticks before the wrap with 20 ticks to run: expires at tick 10 after the wrap.
  TickTimer timer = startTimer(20, kMaxTicks - 10);
  EXPECT_EQ(timer.expire, 10);
  EXPECT_FALSE(timerExpired(timer, kMaxTicks - 1));
  EXPECT_FALSE(timerExpired(timer, 0));
  EXPECT_FALSE(timerExpired(timer, 10));
  EXPECT_TRUE(timerExpired(timer, 11));
  EXPECT_EQ(ticksRemaining(timer, kMaxTicks - 1), 11);
  EXPECT_EQ(ticksElapsed(timer, 5), 15);
}

TEST(Ticks, IntervalIsCappedAtTheCounterRange) {
  TickTimer timer = startTimer(kMaxTicks + 5000, 100);
  EXPECT_EQ(timer.expire, 100);
  TickTimer negative = startTimer(-5, 100);
  EXPECT_TRUE(timerExpired(negative, 101));
}
