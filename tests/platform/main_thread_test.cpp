#include "platform/main_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/message_pump.h"

using namespace quillon::platform;
using namespace std::chrono_literals;

TEST(HeadlessMainLoop, PostedTasksRunOnTheMainThreadInOrder) {
  HeadlessMainLoop loop;
  std::vector<int> order;
  std::thread worker([&] {
    for (int i = 0; i < 5; ++i) loop.post([&, i] {
        EXPECT_TRUE(loop.isMainThread());
        order.push_back(i);
      });
    loop.post([&] { loop.quit(); });
  });
  loop.run();
  worker.join();
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4}));
}

TEST(HeadlessMainLoop, SendWaitsForTheMainThread) {
  HeadlessMainLoop loop;
  std::atomic<bool> sent{false}, result{false};
  int value = 0;
  std::thread worker([&] {
    result = loop.send([&] { value = 42; }, 5s);
    sent = true;
  });
  EXPECT_TRUE(loop.runUntil([&] { return sent.load(); }, 5s));
  worker.join();
  EXPECT_TRUE(result);
  EXPECT_EQ(value, 42);
}

TEST(HeadlessMainLoop, SendTimesOutAndTheTaskNeverRunsLate) {
  HeadlessMainLoop loop;
  bool ran = false;
  bool result = true;
  std::thread worker([&] { result = loop.send([&] { ran = true; }, 50ms); });
  worker.join();  // the main thread was busy (not pumping) the whole time
  EXPECT_FALSE(result);
  loop.processPending();
  EXPECT_FALSE(ran);
}

TEST(HeadlessMainLoop, SendFromTheMainThreadRunsAtOnce) {
  HeadlessMainLoop loop;
  bool ran = false;
  EXPECT_TRUE(loop.send([&] { ran = true; }, 0ms));
  EXPECT_TRUE(ran);
}

TEST(HeadlessMainLoop, RunUntilGivesUpAfterItsTimeout) {
  HeadlessMainLoop loop;
  auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(loop.runUntil([] { return false; }, 30ms));
  EXPECT_GE(std::chrono::steady_clock::now() - start, 30ms);
}

TEST(MessagePump, CallsTheInstalledHookAndIsQuietWithoutOne) {
  int calls = 0;
  pumpMessages();
  setMessagePump([&] { ++calls; });
  pumpMessages();
  pumpMessages();
  setMessagePump({});
  pumpMessages();
  EXPECT_EQ(calls, 2);
}
