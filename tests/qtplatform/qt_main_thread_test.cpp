#include "qtplatform/qt_main_thread.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/message_pump.h"

using namespace quillon;
using namespace std::chrono_literals;

namespace {
// Processes events until `done` or five seconds pass.
bool pumpUntil(const std::function<bool()>& done) {
  QElapsedTimer timer;
  timer.start();
  while (!done() && timer.elapsed() < 5000) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  return done();
}
}  // namespace

TEST(QtMainThread, PostedTasksRunOnTheGuiThreadInOrder) {
  qtplatform::QtPlatformInstallation installed;
  std::vector<int> order;
  std::atomic<bool> wrongThread{false};
  std::thread worker([&] {
    for (int i = 0; i < 5; ++i) platform::mainThread().post([&, i] {
        if (!platform::mainThread().isMainThread()) wrongThread = true;
        order.push_back(i);
      });
  });
  worker.join();
  EXPECT_TRUE(pumpUntil([&] { return order.size() == 5; }));
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4}));
  EXPECT_FALSE(wrongThread);
}

TEST(QtMainThread, SendWaitsUntilTheEventLoopRanTheTask) {
  qtplatform::QtPlatformInstallation installed;
  std::atomic<bool> finished{false}, result{false};
  int value = 0;
  std::thread worker([&] {
    result = platform::mainThread().send([&] { value = 7; }, 5s);
    finished = true;
  });
  EXPECT_TRUE(pumpUntil([&] { return finished.load(); }));
  worker.join();
  EXPECT_TRUE(result);
  EXPECT_EQ(value, 7);
}

TEST(QtMainThread, SendTimesOutWhenTheGuiIsBusyAndTheTaskNeverRunsLate) {
  qtplatform::QtPlatformInstallation installed;
  bool ran = false;
  bool result = true;
  // The GUI thread does not process events while the worker waits.
  std::thread worker([&] { result = platform::mainThread().send([&] { ran = true; }, 30ms); });
  worker.join();
  EXPECT_FALSE(result);
  QCoreApplication::processEvents();  // the queued call arrives now and must be dropped
  QCoreApplication::sendPostedEvents();
  EXPECT_FALSE(ran);
}

TEST(QtMainThread, SendOnTheGuiThreadRunsAtOnceAndWorkersAreNotTheMainThread) {
  qtplatform::QtPlatformInstallation installed;
  bool ran = false;
  EXPECT_TRUE(platform::mainThread().send([&] { ran = true; }, 0ms));
  EXPECT_TRUE(ran);
  EXPECT_TRUE(platform::mainThread().isMainThread());
  bool workerIsMain = true;
  std::thread([&] { workerIsMain = platform::mainThread().isMainThread(); }).join();
  EXPECT_FALSE(workerIsMain);
}

TEST(QtMainThread, MessagePumpProcessesPendingEventsOnlyWhileInstalled) {
  bool ran = false;
  {
    qtplatform::QtPlatformInstallation installed;
    platform::mainThread().post([&] { ran = true; });
    platform::pumpMessages();
    EXPECT_TRUE(ran);
  }
  // Uninstalled: the headless default and the no-op pump are back.
  ran = false;
  QMetaObject::invokeMethod(QCoreApplication::instance(), [&] { ran = true; }, Qt::QueuedConnection);
  platform::pumpMessages();
  EXPECT_FALSE(ran);
  QCoreApplication::processEvents();
  EXPECT_TRUE(ran);
}

TEST(QtMainThread, ASendStartedInTimeRunsOnceAndWaitingSendsRunWithoutTheEventLoop) {
  qtplatform::QtPlatformInstallation installed;
  std::atomic<int> runs{0};
  std::atomic<bool> done{false}, result{false};
  std::thread worker([&] {
    result = platform::mainThread().send([&] {
      ++runs;
      std::this_thread::sleep_for(150ms);
    }, 50ms);
    done = true;
  });
  while (platform::mainThread().runWaitingSends() == 0) std::this_thread::sleep_for(1ms);
  worker.join();
  QCoreApplication::processEvents();  // the queued call finds the task done
  EXPECT_TRUE(result);
  EXPECT_EQ(runs.load(), 1);
}
