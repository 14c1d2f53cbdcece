// Notifications for the main thread on the headless loop: each is delivered once, and a
// main thread waiting in AwaitString still takes the port's events.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "line_port_fixture.h"
#include "platform/main_thread.h"
#include "serial_test_support.h"

using namespace quillon;
using namespace quillon::serial;
using quillon::test::waitUntil;
using namespace std::chrono_literals;

namespace {

class HeadlessDeliveryTest : public quillon::test::OpenDispatcherTest {
 protected:
  void SetUp() override {
    platform::installMainThread(&loop);
    OpenDispatcherTest::SetUp();
  }
  void TearDown() override {
    dispatcher.CloseDispatcher();
    platform::installMainThread(nullptr);
  }
  platform::HeadlessMainLoop loop;
};

class AwaitEventsTest : public quillon::test::LinePortTest {
 protected:
  void SetUp() override {
    usePort(2);
    port.OnTriggerAvail = [this](TApdCustomComPort&, unsigned) { ++avail; };
    port.SetOpen(true);
  }
  std::atomic<int> avail{0};
};

}  // namespace

// A main-thread handler slower than the dispatcher's send slice ran again and again for one
// timer when the loop reported its send as failed while the task was running.
TEST_F(HeadlessDeliveryTest, ASlowMainThreadHandlerRunsOncePerNotification) {
  std::atomic<int> calls{0};
  bool onMain = false;
  dispatcher.RegisterEventTriggerHandler(
      [&](unsigned msg, unsigned, std::uint32_t) {
        if (msg != kTriggerTimerMsg) return;
        onMain = platform::mainThread().isMainThread();
        ++calls;
        std::this_thread::sleep_for(700ms);
      },
      true);
  int timer = dispatcher.AddTimerTrigger();
  dispatcher.SetTimerTrigger(timer, 1, true);
  ASSERT_TRUE(loop.runUntil([&] { return calls.load() > 0; }, 5s));
  loop.runUntil([] { return false; }, 1000ms);  // anything sent again would run now
  EXPECT_EQ(calls.load(), 1);
  EXPECT_TRUE(onMain);
}

// The string arrives in two pieces; the first one's avail event is sent to the main thread,
// which is busy in AwaitString. The wait must run that event (once) and see the rest soon.
TEST_F(AwaitEventsTest, AwaitStringOnTheMainThreadTakesThePortsEvents) {
  for (bool yield : {false, true}) {
    avail = 0;
    std::thread writer([&] {
      line->write("CONN");
      std::this_thread::sleep_for(100ms);
      line->write("ECT 9600\r\n");
    });
    auto started = std::chrono::steady_clock::now();
    EXPECT_TRUE(port.AwaitString("CONNECT", platform::secondsToTicks(10), false, yield));
    auto took = std::chrono::steady_clock::now() - started;
    writer.join();
    EXPECT_LT(took, 2000ms) << "yield " << yield;  // a stalled send held it for 3 s
    EXPECT_GE(avail.load(), 1) << "yield " << yield;
    port.FlushInBuffer();
  }
}
