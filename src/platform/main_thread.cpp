#include "platform/main_thread.h"

#include <atomic>

namespace quillon::platform {

struct HeadlessMainLoop::Entry {
  Task task;
  // A sent task: the sender waits for `done`; `abandoned` is set when the sender gave up,
  // so the task never runs late.
  bool sent = false;
  bool done = false;
  bool abandoned = false;
  std::condition_variable finished;
};

namespace {
std::atomic<MainThreadDelivery*> installed{nullptr};

HeadlessMainLoop& defaultLoop() {
  static HeadlessMainLoop loop;
  return loop;
}
}  // namespace

MainThreadDelivery& mainThread() {
  if (auto* d = installed.load()) return *d;
  return defaultLoop();
}

void installMainThread(MainThreadDelivery* delivery) { installed.store(delivery); }

HeadlessMainLoop::HeadlessMainLoop() : owner_(std::this_thread::get_id()) {}

HeadlessMainLoop::~HeadlessMainLoop() {
  std::lock_guard lock(mutex_);
  for (auto& e : queue_) {
    e->abandoned = true;
    e->finished.notify_all();
  }
  queue_.clear();
}

bool HeadlessMainLoop::isMainThread() const { return std::this_thread::get_id() == owner_; }

void HeadlessMainLoop::post(Task task) {
  auto e = std::make_shared<Entry>();
  e->task = std::move(task);
  {
    std::lock_guard lock(mutex_);
    queue_.push_back(std::move(e));
  }
  wake_.notify_all();
}

bool HeadlessMainLoop::send(Task task, std::chrono::milliseconds timeout) {
  if (isMainThread()) {
    task();
    return true;
  }
  auto e = std::make_shared<Entry>();
  e->task = std::move(task);
  e->sent = true;
  std::unique_lock lock(mutex_);
  queue_.push_back(e);
  wake_.notify_all();
  if (e->finished.wait_for(lock, timeout, [&] { return e->done; })) return true;
  e->abandoned = true;  // still queued (or being dropped): it must not run any more
  return false;
}

bool HeadlessMainLoop::runOne(std::unique_lock<std::mutex>& lock) {
  if (queue_.empty()) return false;
  auto e = queue_.front();
  queue_.pop_front();
  if (e->abandoned) return true;
  lock.unlock();
  e->task();
  lock.lock();
  e->done = true;
  e->finished.notify_all();
  return true;
}

int HeadlessMainLoop::processPending() {
  std::unique_lock lock(mutex_);
  std::size_t n = queue_.size();
  int ran = 0;
  while (n-- > 0 && runOne(lock)) ++ran;
  return ran;
}

void HeadlessMainLoop::run() {
  std::unique_lock lock(mutex_);
  quit_ = false;
  while (!quit_) {
    if (!runOne(lock)) wake_.wait(lock, [&] { return quit_ || !queue_.empty(); });
  }
}

bool HeadlessMainLoop::runUntil(const std::function<bool()>& done,
                                std::chrono::milliseconds timeout) {
  auto deadline = std::chrono::steady_clock::now() + timeout;
  std::unique_lock lock(mutex_);
  for (;;) {
    lock.unlock();
    bool finished = done();
    lock.lock();
    if (finished) return true;
    if (runOne(lock)) continue;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    // Wake at least every 10 ms so that conditions changed by other threads are seen.
    wake_.wait_for(lock, std::chrono::milliseconds(10));
  }
}

void HeadlessMainLoop::quit() {
  {
    std::lock_guard lock(mutex_);
    quit_ = true;
  }
  wake_.notify_all();
}

}  // namespace quillon::platform
