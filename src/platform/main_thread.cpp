#include "platform/main_thread.h"

#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <vector>

namespace quillon::platform {

namespace {
std::atomic<MainThreadDelivery*> installed{nullptr};

long currentTid() { return static_cast<long>(::syscall(SYS_gettid)); }
}  // namespace

MainThreadDelivery& mainThread() {
  if (auto* d = installed.load()) return *d;
  static HeadlessMainLoop loop{HeadlessMainLoop::InitialThread{}};
  return loop;
}

void installMainThread(MainThreadDelivery* delivery) { installed.store(delivery); }

// --- sent tasks ---

void SentTask::runIfQueued() {
  {
    std::lock_guard lock(mutex_);
    if (state_ != State::queued) return;  // the sender gave up, or it ran already
    state_ = State::running;
  }
  task_();
  std::lock_guard lock(mutex_);
  state_ = State::done;
  changed_.notify_all();
}

bool SentTask::await(std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  auto settled = [&] { return state_ == State::done || state_ == State::abandoned; };
  if (!changed_.wait_for(lock, timeout, settled)) {
    if (state_ == State::queued) {
      state_ = State::abandoned;  // never runs late
      return false;
    }
    // Started in time: let it finish, so it is neither repeated nor raced half-run.
    changed_.wait(lock, settled);
  }
  return state_ == State::done;
}

void SentTask::abandon() {
  std::lock_guard lock(mutex_);
  if (state_ == State::queued) state_ = State::abandoned;
  changed_.notify_all();
}

// --- the headless loop ---

HeadlessMainLoop::HeadlessMainLoop() : ownerTid_(currentTid()) {}

HeadlessMainLoop::HeadlessMainLoop(InitialThread) : ownerTid_(static_cast<long>(::getpid())) {}

HeadlessMainLoop::~HeadlessMainLoop() {
  std::lock_guard lock(mutex_);
  for (auto& e : queue_)
    if (e.sent) e.sent->abandon();
  queue_.clear();
}

bool HeadlessMainLoop::isMainThread() const { return currentTid() == ownerTid_; }

void HeadlessMainLoop::post(Task task) {
  {
    std::lock_guard lock(mutex_);
    queue_.push_back({std::move(task), nullptr});
  }
  wake_.notify_all();
}

bool HeadlessMainLoop::send(Task task, std::chrono::milliseconds timeout) {
  if (isMainThread()) {
    task();
    return true;
  }
  auto sent = std::make_shared<SentTask>(std::move(task));
  {
    std::lock_guard lock(mutex_);
    queue_.push_back({nullptr, sent});
  }
  wake_.notify_all();
  return sent->await(timeout);
}

bool HeadlessMainLoop::runOne(std::unique_lock<std::mutex>& lock) {
  if (queue_.empty()) return false;
  Entry e = std::move(queue_.front());
  queue_.pop_front();
  lock.unlock();
  if (e.sent)
    e.sent->runIfQueued();
  else
    e.posted();
  lock.lock();
  return true;
}

int HeadlessMainLoop::runWaitingSends() {
  if (!isMainThread()) return 0;
  std::vector<std::shared_ptr<SentTask>> waiting;
  {
    std::lock_guard lock(mutex_);
    for (auto it = queue_.begin(); it != queue_.end();)
      if (it->sent) {
        waiting.push_back(std::move(it->sent));
        it = queue_.erase(it);
      } else {
        ++it;
      }
  }
  for (auto& s : waiting) s->runIfQueued();
  return static_cast<int>(waiting.size());
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
