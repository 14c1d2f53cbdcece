#include <map>
#include <mutex>

#include "platform/serial_device.h"

#include <cerrno>

namespace quillon::platform {

int serialDeviceError(int err) {
  switch (err) {
    case EIO:
    case ENXIO:
    case ENODEV:
    case EBADF:
      return kSerialDeviceGone;
    case ENOMEM:
      return ecOutOfMemory;
    default:
      return err > 0 && err <= 4095 ? ecSystemErrorBase - err : ecSystemErrorBase - EIO;
  }
}

namespace {
std::mutex registryMutex;
std::map<std::string, SerialDeviceFactory>& registry() {
  static std::map<std::string, SerialDeviceFactory> factories;
  return factories;
}
}  // namespace

void registerSerialDeviceFactory(const std::string& name, SerialDeviceFactory factory) {
  std::lock_guard lock(registryMutex);
  if (factory)
    registry()[name] = std::move(factory);
  else
    registry().erase(name);
}

bool hasSerialDeviceFactory(const std::string& name) {
  std::lock_guard lock(registryMutex);
  return registry().count(name) != 0;
}

SerialOpenResult openRegisteredSerialDevice(const std::string& name, int comNumber) {
  SerialDeviceFactory factory;
  {
    std::lock_guard lock(registryMutex);
    auto it = registry().find(name);
    if (it == registry().end()) return {nullptr, kSerialNoDevice};
    factory = it->second;
  }
  // Called without the lock so a factory may register further names.
  SerialOpenResult result = factory(comNumber);
  if (!result.device && result.error == 0) result.error = ecBadId;  // the factory had no device to give
  return result;
}

}  // namespace quillon::platform
