#include "platform/main_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
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

// A worker that asks first must not become the main thread of the default delivery.
TEST(MainThreadDelivery, WithoutAnInstalledLoopTheInitialThreadIsTheMainThread) {
  bool workerIsMain = true;
  std::thread([&] { workerIsMain = mainThread().isMainThread(); }).join();
  EXPECT_FALSE(workerIsMain);
  EXPECT_TRUE(mainThread().isMainThread());
}

TEST(MainThreadDelivery, TheThreadThatBuildsAndInstallsTheLoopIsTheMainThread) {
  std::unique_ptr<HeadlessMainLoop> loop;
  bool builderIsMain = false;
  std::thread([&] {
    loop = std::make_unique<HeadlessMainLoop>();
    installMainThread(loop.get());
    builderIsMain = mainThread().isMainThread();
  }).join();
  EXPECT_TRUE(builderIsMain);
  EXPECT_FALSE(mainThread().isMainThread());
  installMainThread(nullptr);
}

// A task that the main thread started before the sender's time-out is waited for and counts
// as delivered, so the sender never sends it again.
TEST(HeadlessMainLoop, ASendStartedInTimeIsWaitedForAndRunsOnce) {
  HeadlessMainLoop loop;
  std::atomic<int> runs{0};
  std::atomic<bool> done{false}, result{false};
  std::thread worker([&] {
    result = loop.send([&] {
      ++runs;
      std::this_thread::sleep_for(150ms);
    }, 50ms);
    done = true;
  });
  loop.runUntil([&] { return done.load(); }, 5s);
  worker.join();
  EXPECT_TRUE(result);
  EXPECT_EQ(runs.load(), 1);
}

TEST(HeadlessMainLoop, RunWaitingSendsRunsOnlyTheSentTasks) {
  HeadlessMainLoop loop;
  bool posted = false;
  std::atomic<bool> result{false};
  loop.post([&] { posted = true; });
  std::thread worker([&] { result = loop.send([] {}, 5s); });
  while (loop.runWaitingSends() == 0) std::this_thread::sleep_for(1ms);
  worker.join();
  EXPECT_TRUE(result);
  EXPECT_FALSE(posted);
  std::thread([&] { EXPECT_EQ(loop.runWaitingSends(), 0); }).join();  // not the main thread
  EXPECT_EQ(loop.processPending(), 1);
  EXPECT_TRUE(posted);
}

TEST(MessagePump, ServicesTheHeadlessLoopOnItsMainThread) {
  HeadlessMainLoop loop;
  installMainThread(&loop);
  int ran = 0;
  loop.post([&] { ++ran; });
  std::thread([] { pumpMessages(); }).join();  // other threads leave the queue alone
  EXPECT_EQ(ran, 0);
  pumpMessages();
  EXPECT_EQ(ran, 1);
  installMainThread(nullptr);
}
