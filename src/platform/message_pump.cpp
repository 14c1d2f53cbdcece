#include "platform/message_pump.h"

#include <mutex>

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
  if (hook) hook();
}

}  // namespace quillon::platform
