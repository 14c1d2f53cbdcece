// Suspending trigger delivery, and readers on other threads while notifications go out.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "serial/dispatcher.h"
#include "serial_test_support.h"

using namespace quillon;
using namespace quillon::serial;
using quillon::test::waitUntil;
using namespace std::chrono_literals;

namespace {

class SuspendTest : public quillon::test::OpenDispatcherTest {
 protected:
  std::string readAll() {
    std::string s;
    std::uint8_t c;
    while (dispatcher.GetChar(c) == 0) s += static_cast<char>(c);
    return s;
  }
};

}  // namespace

// Two avail handlers that read nothing, and a second thread reading all the while: each
// byte reaches that thread once, and nothing is left over when the deliveries end.
TEST_F(SuspendTest, ASecondThreadReadingDuringDeliveriesSeesEachByteOnce) {
  std::atomic<int> deliveries{0};
  for (int i = 0; i < 2; ++i)
    dispatcher.RegisterProcTriggerHandler([&](unsigned msg, unsigned, std::uint32_t) {
      if (msg != kTriggerAvailMsg) return;
      ++deliveries;
      std::this_thread::sleep_for(5ms);
    });
  dispatcher.ChangeLengthTrigger(1);
  std::string got;
  std::atomic<bool> stop{false};
  std::thread reader([&] {
    std::uint8_t c;
    while (!stop)
      if (dispatcher.GetChar(c) == 0) got += static_cast<char>(c);
      else std::this_thread::yield();
  });
  std::string sent;
  for (int i = 0; i < 12; ++i) {
    std::string text = "OK" + std::to_string(i) + "\r\n";
    sent += text;
    line->write(text);
    std::this_thread::sleep_for(8ms);
  }
  ASSERT_TRUE(waitUntil([&] { return dispatcher.InBuffUsed() == 0 && !dispatcher.Busy(); }));
  std::this_thread::sleep_for(20ms);
  stop = true;
  reader.join();
  EXPECT_EQ(got, sent);
  EXPECT_GT(deliveries.load(), 0);
  EXPECT_EQ(readAll(), "");
}

TEST_F(SuspendTest, NothingIsDeliveredWhileSuspendedAndWhatWaitedComesAfterTheRestore) {
  recordAll();
  int timer = dispatcher.AddTimerTrigger();
  int sent = dispatcher.AddStatusTrigger(stOutSent);
  dispatcher.ChangeLengthTrigger(1);
  dispatcher.SuspendTriggerDelivery();
  dispatcher.SuspendTriggerDelivery();  // nested, as a command inside a query
  EXPECT_TRUE(dispatcher.TriggerDeliverySuspended());
  dispatcher.SetTimerTrigger(timer, 1, true);
  dispatcher.SetStatusTrigger(sent, 0, true);
  ASSERT_EQ(dispatcher.PutString("AT\r"), 0);
  line->write("AT\r\r\nOK\r\n");
  ASSERT_TRUE(waitUntil([&] { return dispatcher.InBuffUsed() == 9; }));
  char answer[9];
  ASSERT_EQ(dispatcher.GetBlock(answer, 9), 9);  // the suspending code reads the ring itself
  EXPECT_EQ(std::string(answer, 9), "AT\r\r\nOK\r\n");
  std::this_thread::sleep_for(150ms);  // the timer expires meanwhile
  dispatcher.RestoreTriggerDelivery();
  EXPECT_TRUE(dispatcher.TriggerDeliverySuspended());
  std::this_thread::sleep_for(60ms);
  EXPECT_EQ(recorder.seen().size(), 0u);
  dispatcher.RestoreTriggerDelivery();
  EXPECT_FALSE(dispatcher.TriggerDeliverySuspended());
  ASSERT_TRUE(waitUntil([&] { return recorder.count(kTriggerTimerMsg) == 1 && recorder.count(kTriggerStatusMsg) == 1; }));
  EXPECT_EQ(recorder.count(kTriggerAvailMsg), 0u);  // those bytes were read while suspended
  line->write("X");
  ASSERT_TRUE(waitUntil([&] { return recorder.count(kTriggerAvailMsg) == 1; }));
  std::this_thread::sleep_for(60ms);
  EXPECT_EQ(recorder.count(kTriggerTimerMsg), 1u);
  dispatcher.RestoreTriggerDelivery();  // one too many is harmless
  EXPECT_FALSE(dispatcher.TriggerDeliverySuspended());
}

TEST_F(SuspendTest, BytesLeftUnreadAreDeliveredAfterTheRestore) {
  recordAll();
  dispatcher.ChangeLengthTrigger(3);
  dispatcher.SuspendTriggerDelivery();
  line->write("RING\r\n");
  ASSERT_TRUE(waitUntil([&] { return dispatcher.InBuffUsed() == 6; }));
  std::this_thread::sleep_for(60ms);
  EXPECT_EQ(recorder.count(kTriggerAvailMsg), 0u);
  dispatcher.RestoreTriggerDelivery();
  ASSERT_TRUE(waitUntil([&] { return recorder.count(kTriggerAvailMsg) == 1; }));
  EXPECT_EQ(recorder.seen()[0].first, 6u);
}

TEST_F(SuspendTest, SuspendWaitsForTheDeliveryInProgress) {
  std::atomic<bool> started{false}, finished{false};
  dispatcher.RegisterProcTriggerHandler([&](unsigned msg, unsigned, std::uint32_t) {
    if (msg != kTriggerAvailMsg) return;
    started = true;
    std::this_thread::sleep_for(100ms);
    finished = true;
  });
  dispatcher.ChangeLengthTrigger(1);
  line->write("OK\r\n");
  ASSERT_TRUE(waitUntil([&] { return started.load(); }));
  dispatcher.SuspendTriggerDelivery();
  EXPECT_TRUE(finished.load());
  EXPECT_FALSE(dispatcher.Busy());
  dispatcher.RestoreTriggerDelivery();
}

// The state machine's own handler may suspend and wait for an answer on the dispatch thread:
// the bytes still come in although the dispatch thread is busy in the handler.
TEST_F(SuspendTest, AHandlerThatSuspendsReadsTheAnswerItWaitsFor) {
  std::string answer;
  std::atomic<bool> done{false};
  int timer = dispatcher.AddTimerTrigger();
  dispatcher.RegisterProcTriggerHandler([&](unsigned msg, unsigned, std::uint32_t) {
    if (msg != kTriggerTimerMsg) return;
    dispatcher.SuspendTriggerDelivery();
    dispatcher.PutString("AT\r");
    auto deadline = std::chrono::steady_clock::now() + 3s;
    std::uint8_t c;
    while (answer.find("OK\r\n") == std::string::npos && std::chrono::steady_clock::now() < deadline)
      if (dispatcher.GetChar(c) == 0) answer += static_cast<char>(c);
      else std::this_thread::sleep_for(1ms);
    dispatcher.RestoreTriggerDelivery();
    done = true;
  });
  dispatcher.SetTimerTrigger(timer, 1, true);
  ASSERT_TRUE(line->readUntil("AT\r", 3000ms));
  line->write("\r\nOK\r\n");
  ASSERT_TRUE(waitUntil([&] { return done.load(); }));
  EXPECT_EQ(answer, "\r\nOK\r\n");
}

TEST_F(SuspendTest, DiscardingInputInsideADeliveryDropsWhatIsBuffered) {
  std::string second;
  dispatcher.RegisterProcTriggerHandler([&](unsigned msg, unsigned, std::uint32_t) {
    if (msg == kTriggerAvailMsg) dispatcher.FlushInBuffer();  // a hang-up discards the input
  });
  dispatcher.RegisterProcTriggerHandler([&](unsigned msg, unsigned, std::uint32_t) {
    std::uint8_t c;
    if (msg == kTriggerAvailMsg)
      while (dispatcher.GetChar(c) == 0) second += static_cast<char>(c);
  });
  dispatcher.ChangeLengthTrigger(10);
  line->write("NO CARRIER\r\n");
  ASSERT_TRUE(waitUntil([&] { return dispatcher.InBuffUsed() == 0 && !dispatcher.Busy(); }));
  std::this_thread::sleep_for(30ms);
  EXPECT_EQ(second, "");
  EXPECT_EQ(readAll(), "");
}
