#include "platform/message_pump.h"

#include <mutex>

#include "platform/main_thread.h"

namespace quillon::platform {

namespace {
std::mutex pumpMutex;
std::function<void()>& pumpHook() {
  static std::function<void()> hook;
  return hook;
}
}  // namespace

void setMessagePump(std::function<void()> pump) {
  std::lock_guard lock(pumpMutex);
  pumpHook() = std::move(pump);
}

void pumpMessages() {
  std::function<void()> hook;
  {
    std::lock_guard lock(pumpMutex);
    hook = pumpHook();
  }
  if (hook)
    hook();
  else if (mainThread().isMainThread())
    mainThread().processPending();  // the headless loop's queue
}

}  // namespace quillon::platform
