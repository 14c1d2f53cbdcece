#pragma once
// Main-thread delivery: worker threads hand work to the thread that owns the user interface.
// The GUI installs an implementation on its event loop; command-line runs and tests install
// the headless loop below on their main thread.
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
  // Runs `task` on the main thread and waits for it. A task the main thread has not started
  // within `timeout` is dropped (it never runs late) and the result is false, so the caller
  // takes the safe answer; one it has started is waited for and counts as delivered.
  virtual bool send(Task task, std::chrono::milliseconds timeout) = 0;
  virtual bool isMainThread() const = 0;
  // On the main thread: runs the sent tasks other threads are waiting for, and nothing else.
  // A wait that must not service the whole queue calls this so that no sender stalls.
  virtual int runWaitingSends() = 0;
  // On the main thread: runs every task queued now (the headless message pump).
  virtual int processPending() { return 0; }
};

// The process-wide delivery. Until one is installed, a headless loop whose main thread is
// the process's initial thread is used (never a worker that happens to ask first).
MainThreadDelivery& mainThread();
void installMainThread(MainThreadDelivery* delivery);  // nullptr restores the default

// The hand-over of one sent task between its sender and the main thread.
class SentTask {
 public:
  explicit SentTask(Task task) : task_(std::move(task)) {}
  // Main thread: runs the task unless the sender gave up, or it ran already.
  void runIfQueued();
  // Sender: waits as send() describes; true when the task ran.
  bool await(std::chrono::milliseconds timeout);
  // The task will not run (its loop went away); a waiting sender gets false.
  void abandon();

 private:
  enum class State { queued, running, done, abandoned };
  std::mutex mutex_;
  std::condition_variable changed_;
  State state_ = State::queued;
  Task task_;
};

// A plain loop: the owning thread calls run() (until quit()), runUntil() or processPending().
class HeadlessMainLoop final : public MainThreadDelivery {
 public:
  HeadlessMainLoop();  // the constructing thread becomes the main thread
  ~HeadlessMainLoop() override;

  void post(Task task) override;
  bool send(Task task, std::chrono::milliseconds timeout) override;
  bool isMainThread() const override;
  int runWaitingSends() override;

  // Runs queued tasks until quit() is called.
  void run();
  // Runs queued tasks until `done` is true or `timeout` passes; returns `done()`.
  bool runUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);
  // Runs the tasks queued now; returns how many ran.
  int processPending() override;
  void quit();

 private:
  struct InitialThread {};
  explicit HeadlessMainLoop(InitialThread);
  friend MainThreadDelivery& mainThread();

  struct Entry {
    Task posted;
    std::shared_ptr<SentTask> sent;
  };
  bool runOne(std::unique_lock<std::mutex>& lock);

  long ownerTid_;  // the kernel's thread id: comparable with threads that started before us
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<Entry> queue_;
  bool quit_ = false;
};

}  // namespace quillon::platform
