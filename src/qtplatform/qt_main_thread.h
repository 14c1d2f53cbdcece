#pragma once
// Main-thread delivery on the Qt event loop: worker threads (the serial dispatcher, fax
// sessions) hand their notifications to the GUI thread through this.
#include <QObject>
#include <QPointer>

#include <deque>
#include <memory>
#include <mutex>

#include "platform/main_thread.h"

namespace quillon::qtplatform {

class QtMainThread final : public platform::MainThreadDelivery {
 public:
  // Must be built on the GUI thread after the QApplication exists.
  QtMainThread();
  ~QtMainThread() override;

  void post(platform::Task task) override;
  // A task still queued when the time-out passes is dropped and never runs; one that the GUI
  // thread has already started is waited for, since it was taken in time.
  bool send(platform::Task task, std::chrono::milliseconds timeout) override;
  bool isMainThread() const override;
  int runWaitingSends() override;

 private:
  QPointer<QObject> receiver_;  // lives on the GUI thread; queued calls run in its context
  std::mutex waitingLock_;
  std::deque<std::weak_ptr<platform::SentTask>> waiting_;  // sent and not yet run
};

// Installs a QtMainThread as the process-wide delivery and the message pump
// (process pending events on the GUI thread); undoes both when it goes.
class QtPlatformInstallation {
 public:
  QtPlatformInstallation();
  ~QtPlatformInstallation();
  QtPlatformInstallation(const QtPlatformInstallation&) = delete;
  QtPlatformInstallation& operator=(const QtPlatformInstallation&) = delete;

  QtMainThread& delivery() { return delivery_; }

 private:
  QtMainThread delivery_;
};

}  // namespace quillon::qtplatform
