#include "qtplatform/qt_main_thread.h"

#include <QCoreApplication>
#include <QThread>

#include "platform/message_pump.h"

namespace quillon::qtplatform {

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
  auto sent = std::make_shared<platform::SentTask>(std::move(task));
  {
    std::lock_guard lock(waitingLock_);
    while (!waiting_.empty() && waiting_.front().expired()) waiting_.pop_front();
    waiting_.push_back(sent);
  }
  QMetaObject::invokeMethod(receiver_.data(), [sent] { sent->runIfQueued(); }, Qt::QueuedConnection);
  return sent->await(timeout);
}

int QtMainThread::runWaitingSends() {
  if (!isMainThread()) return 0;
  std::deque<std::weak_ptr<platform::SentTask>> waiting;
  {
    std::lock_guard lock(waitingLock_);
    waiting.swap(waiting_);
  }
  int ran = 0;
  for (auto& weak : waiting)
    if (auto sent = weak.lock()) {
      sent->runIfQueued();  // the queued call finds it done and does nothing
      ++ran;
    }
  return ran;
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
