// Trigger behaviour of the dispatcher on the in-process line: timers (re-arming, removal,
// the tick counter's wrap), status triggers on output levels and masked modem lines, data
// triggers with case folding and overlapping strings; and AwaitString on the com port.
#include <gtest/gtest.h>

#include <chrono>

#include "platform/data_folder.h"
#include "platform/main_thread.h"
#include "platform/ticks.h"
#include "serial/com_port.h"
#include "serial/dispatcher.h"
#include "errors/error_codes.h"
#include "errors/exceptions.h"
#include "line_port_fixture.h"
#include "serial_test_support.h"
#include "support/temp_dir.h"

using namespace quillon;
using namespace quillon::serial;
using quillon::test::Recorder;
using quillon::test::RegisteredLine;
using quillon::test::waitUntil;
using namespace std::chrono_literals;

namespace {

class TriggerTest : public quillon::test::OpenDispatcherTest {
 protected:
  void SetUp() override {
    OpenDispatcherTest::SetUp();
    recordAll();
  }
  std::size_t firedFor(int handle) const {
    std::size_t n = 0;
    for (const auto& s : recorder.seen()) n += s.first == static_cast<unsigned>(handle) && s.msg != kTriggerAvailMsg;
    return n;
  }
  // Waits until `handle` has fired `count` times.
  bool waitFor(int handle, std::size_t count = 1) {
    return waitUntil([&] { return firedFor(handle) >= count; });
  }
  // Holds the transmit ring: output needs CTS, which the far end drops.
  void holdOutput() {
    ASSERT_EQ(dispatcher.SetHardwareFlowControl(hfRequireCTS, 100, 10), 0);
    line->setCts(false);
  }
};

}  // namespace

TEST(TickTimers, ExpireOnlyPastTheirTickAcrossTheWrap) {
  using platform::kMaxTicks;
  // A timer started near the top of the counter expires after it wraps to the bottom.
  platform::TickTimer t = platform::startTimer(10, kMaxTicks - 5);
  EXPECT_FALSE(platform::timerExpired(t, kMaxTicks - 5));
  EXPECT_FALSE(platform::timerExpired(t, kMaxTicks - 1));
  EXPECT_FALSE(platform::timerExpired(t, 0));
  EXPECT_FALSE(platform::timerExpired(t, 4));
  EXPECT_TRUE(platform::timerExpired(t, 6));
  EXPECT_TRUE(platform::timerExpired(t, 1000));
  EXPECT_EQ(platform::ticksRemaining(t, kMaxTicks - 1), 6);
  EXPECT_EQ(platform::ticksElapsed(t, 2), 7);
  // Without a wrap.
  platform::TickTimer u = platform::startTimer(100, 1000);
  EXPECT_FALSE(platform::timerExpired(u, 1000));
  EXPECT_FALSE(platform::timerExpired(u, 1099));
  EXPECT_TRUE(platform::timerExpired(u, 1101));
  // Second and tick conversions at whole minutes.
  EXPECT_EQ(platform::secondsToTicks(60), 1092);
  EXPECT_EQ(platform::ticksToSeconds(1092), 60);
  for (int s : {1, 5, 30, 60, 600, 3600}) EXPECT_EQ(platform::ticksToSeconds(platform::secondsToTicks(s)), s) << s;
}

TEST_F(TriggerTest, TimersRearmWithTheirIntervalAndStopWhenRemovedOrDisarmed) {
  int timer = dispatcher.AddTimerTrigger();
  ASSERT_GT(timer, 0);
  EXPECT_EQ(timer % 8, 0);
  auto started = std::chrono::steady_clock::now();
  ASSERT_EQ(dispatcher.SetTimerTrigger(timer, 2, true), 0);
  ASSERT_TRUE(waitFor(timer));
  // Two ticks of 55 ms: it cannot fire earlier than the second tick boundary has passed.
  EXPECT_GE(std::chrono::steady_clock::now() - started, 100ms);
  // A zero interval re-arms with the interval stored before.
  ASSERT_EQ(dispatcher.SetTimerTrigger(timer, 0, true), 0);
  ASSERT_TRUE(waitFor(timer, 2));
  EXPECT_EQ(firedFor(timer), 2u);

  // Disarmed and removed timers stay silent; a later timer still fires, in its own turn.
  int disarmed = dispatcher.AddTimerTrigger();
  int removed = dispatcher.AddTimerTrigger();
  int later = dispatcher.AddTimerTrigger();
  ASSERT_EQ(dispatcher.SetTimerTrigger(disarmed, 1, true), 0);
  ASSERT_EQ(dispatcher.SetTimerTrigger(disarmed, 1, false), 0);
  ASSERT_EQ(dispatcher.SetTimerTrigger(removed, 1, true), 0);
  ASSERT_EQ(dispatcher.RemoveTrigger(removed), 0);
  ASSERT_EQ(dispatcher.SetTimerTrigger(later, 4, true), 0);
  ASSERT_TRUE(waitFor(later));
  EXPECT_EQ(firedFor(disarmed), 0u);
  EXPECT_EQ(firedFor(removed), 0u);
  EXPECT_EQ(dispatcher.SetTimerTrigger(removed, 1, true), ecBadTriggerHandle);

  // Handles of other tables, of nothing, and the avail handle are no timers.
  int status = dispatcher.AddStatusTrigger(stOutSent);
  EXPECT_EQ(dispatcher.SetTimerTrigger(status, 1, true), ecBadTriggerHandle);
  EXPECT_EQ(dispatcher.SetStatusTrigger(timer, 1, true), ecBadTriggerHandle);
  for (int bad : {0, -8, 3, kAvailTriggerHandle, 1 << 20}) EXPECT_EQ(dispatcher.SetTimerTrigger(bad, 1, true), ecBadTriggerHandle);
  EXPECT_EQ(dispatcher.RemoveTrigger(0), ecBadTriggerHandle);
  EXPECT_EQ(dispatcher.RemoveTrigger(status), 0);
  EXPECT_EQ(dispatcher.RemoveTrigger(status), ecBadTriggerHandle);
  EXPECT_EQ(dispatcher.AddStatusTrigger(0), ecBadArgument);
}

TEST_F(TriggerTest, OutputLevelTriggersFireWhenTheRingDrainsPastTheirLevel) {
  holdOutput();
  ASSERT_EQ(dispatcher.PutString(std::string(40, 'x')), 0);
  int freeTrigger = dispatcher.AddStatusTrigger(stOutFree);
  int usedTrigger = dispatcher.AddStatusTrigger(stOutUsed);
  EXPECT_EQ(freeTrigger & 7, stOutFree);
  EXPECT_EQ(usedTrigger & 7, stOutUsed);
  ASSERT_EQ(dispatcher.SetStatusTrigger(freeTrigger, 30, true), 0);  // 24 free now
  ASSERT_EQ(dispatcher.SetStatusTrigger(usedTrigger, 10, true), 0);  // 40 used now
  std::this_thread::sleep_for(200ms);  // several dispatch passes
  EXPECT_EQ(firedFor(freeTrigger), 0u);
  EXPECT_EQ(firedFor(usedTrigger), 0u);

  line->setCts(true);
  ASSERT_EQ(line->readAtLeast(40, 10s), std::string(40, 'x'));
  ASSERT_TRUE(waitFor(freeTrigger));
  ASSERT_TRUE(waitFor(usedTrigger));
  for (const auto& s : recorder.seen()) {
    if (s.first == static_cast<unsigned>(freeTrigger)) {
      EXPECT_GE(s.second & 0xFFFF, 30u);  // free bytes
    }
    if (s.first == static_cast<unsigned>(usedTrigger)) {
      EXPECT_LE(s.second & 0xFFFF, 10u);  // used bytes
    }
    EXPECT_EQ(static_cast<int>(s.second >> 16), dispatcher.Slot());
  }
  // Once fired they stay quiet until armed again.
  std::this_thread::sleep_for(150ms);
  EXPECT_EQ(firedFor(freeTrigger), 1u);
  EXPECT_EQ(firedFor(usedTrigger), 1u);
  ASSERT_EQ(dispatcher.SetStatusTrigger(freeTrigger, 64, true), 0);  // all free: at once
  ASSERT_TRUE(waitFor(freeTrigger, 2));

  // An output-sent trigger fires after a send, not for the sends before it was armed.
  int sent = dispatcher.AddStatusTrigger(stOutSent);
  ASSERT_EQ(dispatcher.SetStatusTrigger(sent, 0, true), 0);
  std::this_thread::sleep_for(150ms);
  EXPECT_EQ(firedFor(sent), 0u);
  ASSERT_EQ(dispatcher.PutChar('z'), 0);
  ASSERT_TRUE(waitFor(sent));
}

TEST_F(TriggerTest, ModemTriggersWatchOnlyTheLinesInTheirMask) {
  int cts = dispatcher.AddStatusTrigger(stModem);
  ASSERT_EQ(dispatcher.SetStatusTrigger(cts, platform::kModemCts, true), 0);
  line->setDsr(false);
  line->setDcd(true);
  line->setRi(true);
  ASSERT_TRUE(waitUntil([&] { return dispatcher.CheckDCD(); }));
  std::this_thread::sleep_for(150ms);
  EXPECT_EQ(firedFor(cts), 0u);

  line->setCts(false);
  ASSERT_TRUE(waitFor(cts));
  // Back to where it was armed is a change too, but the fired trigger waits for re-arming.
  line->setCts(true);
  ASSERT_TRUE(waitUntil([&] { return dispatcher.CheckCTS(); }));
  std::this_thread::sleep_for(150ms);
  EXPECT_EQ(firedFor(cts), 1u);

  // Re-armed, the reference is the status now: CTS on. A DCD-and-DSR trigger sees DSR return.
  ASSERT_EQ(dispatcher.SetStatusTrigger(cts, platform::kModemCts, true), 0);
  int lines = dispatcher.AddStatusTrigger(stModem);
  ASSERT_EQ(dispatcher.SetStatusTrigger(lines, platform::kModemDcd | platform::kModemDsr, true), 0);
  line->setDsr(true);
  ASSERT_TRUE(waitFor(lines));
  EXPECT_EQ(firedFor(cts), 1u);
  line->setCts(false);
  ASSERT_TRUE(waitFor(cts, 2));
}

TEST_F(TriggerTest, LineErrorTriggersIgnoreErrorsOutsideTheirMask) {
  int overrun = dispatcher.AddStatusTrigger(stLine);
  ASSERT_EQ(dispatcher.SetStatusTrigger(overrun, 1, true), 0);  // overrun only
  line->injectLineErrors(platform::kLineParity);
  ASSERT_TRUE(waitUntil([&] { return dispatcher.GetLineError() == 3; }));
  std::this_thread::sleep_for(150ms);
  EXPECT_EQ(firedFor(overrun), 0u);
  line->injectLineErrors(platform::kLineOverrun);
  ASSERT_TRUE(waitFor(overrun));
  EXPECT_EQ(dispatcher.GetLineError(), 2);
}

TEST_F(TriggerTest, DataTriggersFoldCaseOnlyWhenAskedAndSpanWrites) {
  int exact = dispatcher.AddDataTrigger("Ok", false);
  int folded = dispatcher.AddDataTrigger("connect", true);
  int longest = dispatcher.AddDataTrigger("123456789012345678901", false);  // 21 bytes
  ASSERT_GT(longest, 0);
  EXPECT_EQ(dispatcher.AddDataTrigger("", false), ecBadArgument);
  line->write("OK ok oK\r\nCoNnEcT 9600\r\n");
  ASSERT_TRUE(waitFor(folded));
  line->write("Ok");
  ASSERT_TRUE(waitFor(exact));
  EXPECT_EQ(firedFor(exact), 1u);
  EXPECT_EQ(firedFor(folded), 1u);
  // Split over several writes, with the partial match carried between them.
  line->write("CON");
  std::this_thread::sleep_for(100ms);
  line->write("nec");
  std::this_thread::sleep_for(100ms);
  line->write("t\r\n");
  ASSERT_TRUE(waitFor(folded, 2));
  line->write("x1234567890");
  line->write("12345678901");
  ASSERT_TRUE(waitFor(longest));
  for (const auto& s : recorder.seen()) {
    if (s.first == static_cast<unsigned>(longest)) {
      EXPECT_EQ(s.second & 0xFFFF, 21u);
    }
  }
  // Letters beyond ASCII are not folded.
  int accented = dispatcher.AddDataTrigger("\xE9t\xE9", true);
  line->write("\xC9T\xC9 ");
  line->write("\xE9T\xE9 ");
  ASSERT_TRUE(waitFor(accented));
  std::this_thread::sleep_for(100ms);
  EXPECT_EQ(firedFor(accented), 1u);
}

TEST_F(TriggerTest, OverlappingStringsAreEachReportedOnce) {
  int ring = dispatcher.AddDataTrigger("RING", false);
  int ng = dispatcher.AddDataTrigger("NG", false);
  int abab = dispatcher.AddDataTrigger("ABAB", false);
  int aab = dispatcher.AddDataTrigger("AAB", false);
  // Both strings end on the same byte: both are delivered.
  line->write("\r\nRING\r\n");
  ASSERT_TRUE(waitFor(ring));
  ASSERT_TRUE(waitFor(ng));
  // A prefix that repeats inside the string.
  line->write("AAAAB|");
  ASSERT_TRUE(waitFor(aab));
  // After a match the search starts afresh: "ABABAB" holds one, "ABABABAB" two.
  line->write("ABABAB|");
  ASSERT_TRUE(waitFor(abab));
  std::this_thread::sleep_for(150ms);
  EXPECT_EQ(firedFor(abab), 1u);
  line->write("ABABABAB|");
  ASSERT_TRUE(waitFor(abab, 3));
  std::this_thread::sleep_for(150ms);
  EXPECT_EQ(firedFor(abab), 3u);
  EXPECT_EQ(firedFor(ring), 1u);
  EXPECT_EQ(firedFor(ng), 1u);
  EXPECT_EQ(firedFor(aab), 1u);
  // A removed trigger stays silent; the flush forgets a partial match.
  ASSERT_EQ(dispatcher.RemoveTrigger(ring), 0);
  int rin = dispatcher.AddDataTrigger("RIN", false);
  line->write("NG RI");
  ASSERT_TRUE(waitFor(ng, 2));
  std::this_thread::sleep_for(100ms);  // "RI" scanned
  dispatcher.FlushInBuffer();
  line->write("N|");
  std::this_thread::sleep_for(150ms);
  EXPECT_EQ(firedFor(rin), 0u);
  EXPECT_EQ(firedFor(ring), 1u);
}

namespace {

class AwaitTest : public quillon::test::LinePortTest {
 protected:
  void SetUp() override {
    usePort(4);
    port.OnWaitChar = [this](TApdCustomComPort&, char c) { waited += c; };
    port.SetOpen(true);
  }

  std::string waited;
};

}  // namespace

TEST_F(AwaitTest, IgnoreCaseFoldsBothSidesAndEveryByteIsShown) {
  line->write("atz\r\nConnect 9600\r\n");
  ASSERT_TRUE(port.AwaitString("CONNECT", platform::secondsToTicks(10), true, false));
  EXPECT_EQ(waited, "atz\r\nConnect");
  // What follows the string stays for the next reader.
  waited.clear();
  ASSERT_TRUE(port.AwaitString(" 9600\r\n", platform::secondsToTicks(10), false, true));
  EXPECT_EQ(waited, " 9600\r\n");
  EXPECT_EQ(port.InBuffUsed(), 0);

  // Case matters without the flag: "connect" never comes, so the wait runs out.
  line->write("CONNECT\r\n");
  auto started = std::chrono::steady_clock::now();
  EXPECT_FALSE(port.AwaitString("connect", 4, false, false));
  EXPECT_GE(std::chrono::steady_clock::now() - started, 160ms);
  // A string that arrives in pieces, later than the call.
  waited.clear();
  std::thread writer([&] {
    std::this_thread::sleep_for(50ms);
    line->write("NO CAR");
    std::this_thread::sleep_for(50ms);
    line->write("RIER\r\n");
  });
  EXPECT_TRUE(port.AwaitString("no carrier", platform::secondsToTicks(10), true, false));
  writer.join();
  EXPECT_EQ(waited, "NO CARRIER");
}
