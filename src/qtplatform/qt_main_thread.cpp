#include "qtplatform/qt_main_thread.h"

#include <QCoreApplication>
#include <QThread>

#include <condition_variable>
#include <mutex>

#include "platform/message_pump.h"

namespace quillon::qtplatform {

// The hand-over state of one sent task, shared by the sender and the queued call.
struct QtMainThread::Sent {
  enum class State { queued, running, done, abandoned };
  std::mutex mutex;
  std::condition_variable changed;
  State state = State::queued;
  platform::Task task;
};

QtMainThread::QtMainThread() : receiver_(new QObject) {
  // Owned here, deleted in the destructor; without an application it still belongs to this thread.
  if (QCoreApplication::instance()) receiver_->moveToThread(QCoreApplication::instance()->thread());
}

QtMainThread::~QtMainThread() { delete receiver_.data(); }

bool QtMainThread::isMainThread() const {
  return receiver_ && QThread::currentThread() == receiver_->thread();
}

void QtMainThread::post(platform::Task task) {
  if (!receiver_) return;
  QMetaObject::invokeMethod(receiver_.data(), [task = std::move(task)] { task(); }, Qt::QueuedConnection);
}

bool QtMainThread::send(platform::Task task, std::chrono::milliseconds timeout) {
  if (isMainThread()) {
    task();
    return true;
  }
  if (!receiver_) return false;
  auto sent = std::make_shared<Sent>();
  sent->task = std::move(task);
  QMetaObject::invokeMethod(
      receiver_.data(),
      [sent] {
        {
          std::lock_guard lock(sent->mutex);
          if (sent->state != Sent::State::queued) return;  // the sender gave up: never run late
          sent->state = Sent::State::running;
        }
        sent->task();
        std::lock_guard lock(sent->mutex);
        sent->state = Sent::State::done;
        sent->changed.notify_all();
      },
      Qt::QueuedConnection);
  std::unique_lock lock(sent->mutex);
  if (sent->changed.wait_for(lock, timeout, [&] { return sent->state == Sent::State::done; })) return true;
  if (sent->state == Sent::State::queued) {
    sent->state = Sent::State::abandoned;
    return false;
  }
  // Started in time: let it finish so the caller never races a half-run task.
  sent->changed.wait(lock, [&] { return sent->state == Sent::State::done; });
  return true;
}

QtPlatformInstallation::QtPlatformInstallation() {
  platform::installMainThread(&delivery_);
  platform::setMessagePump([this] {
    // Only the GUI thread may process its events; elsewhere pumping has nothing to do.
    if (delivery_.isMainThread()) QCoreApplication::processEvents(QEventLoop::AllEvents);
  });
}

QtPlatformInstallation::~QtPlatformInstallation() {
  platform::setMessagePump({});
  platform::installMainThread(nullptr);
}

}  // namespace quillon::qtplatform
