#pragma once
// Main-thread delivery: worker threads hand work to the thread that owns the user interface.
// The GUI installs an implementation on its event loop; command-line runs and tests use the
// headless loop below.
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace quillon::platform {

using Task = std::function<void()>;

class MainThreadDelivery {
 public:
  virtual ~MainThreadDelivery() = default;
  // Queues `task` to run on the main thread; returns at once.
  virtual void post(Task task) = 0;
  // Runs `task` on the main thread and waits for it. Returns false when the main thread did not
  // run it within `timeout`; the task is then dropped and the caller takes the safe answer.
  virtual bool send(Task task, std::chrono::milliseconds timeout) = 0;
  virtual bool isMainThread() const = 0;
};

// The process-wide delivery. Until one is installed, a headless loop owned by the
// thread that first asked is used.
MainThreadDelivery& mainThread();
void installMainThread(MainThreadDelivery* delivery);  // nullptr restores the default

// A plain loop: the owning thread calls run() (until quit()) or processPending().
class HeadlessMainLoop final : public MainThreadDelivery {
 public:
  HeadlessMainLoop();  // the constructing thread becomes the main thread
  ~HeadlessMainLoop() override;

  void post(Task task) override;
  bool send(Task task, std::chrono::milliseconds timeout) override;
  bool isMainThread() const override;

  // Runs queued tasks until quit() is called.
  void run();
  // Runs queued tasks until `done` is true or `timeout` passes; returns `done()`.
  bool runUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);
  // Runs the tasks queued now; returns how many ran.
  int processPending();
  void quit();

 private:
  struct Entry;
  bool runOne(std::unique_lock<std::mutex>& lock);

  std::thread::id owner_;
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::shared_ptr<Entry>> queue_;
  bool quit_ = false;
};

}  // namespace quillon::platform
