#include "ports/port_mapping.h"

#include <algorithm>
#include <charconv>
#include <set>

#include "settings/settings_store.h"

namespace quillon::ports {

namespace {

std::string lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
  return s;
}

// "COM12" (any case, no leading zeros) → 12; 0 when the key names no port.
int portNumberOfKey(const std::string& key) {
  if (key.size() < 4 || lower(key.substr(0, 3)) != "com" || key[3] == '0') return 0;
  int n = 0;
  auto [end, ec] = std::from_chars(key.data() + 3, key.data() + key.size(), n);
  if (ec != std::errc() || end != key.data() + key.size() || n < 1 || n > kHighestPortNumber) return 0;
  return n;
}

}  // namespace

std::string deviceFor(const settings::IniDocument& ini, int comNumber) {
  std::string configured;
  if (auto v = ini.value(kPortsSection, "COM" + std::to_string(comNumber))) configured = *v;
  if (configured.empty()) return "/dev/ttyS" + std::to_string(comNumber - 1);
  if (configured[0] == '/') return configured;
  std::string name = lower(configured);
  if (isFactoryName(name) && (platform::hasSerialDeviceFactory(name) || name == "emulator")) return name;
  return "/dev/" + configured;  // a name in /dev: ttyUSB0, serial/by-id/...
}

std::string deviceFor(const std::string& dataFolder, int comNumber) {
  return deviceFor(settings::SettingsStore(dataFolder).read(), comNumber);
}

std::vector<int> mappedPorts(const settings::IniDocument& ini) {
  std::set<int> ports;
  for (const auto& key : ini.keyNames(kPortsSection))
    if (int n = portNumberOfKey(key)) ports.insert(n);
  return {ports.begin(), ports.end()};
}

bool isFactoryName(const std::string& device) { return device.find('/') == std::string::npos; }

platform::SerialOpenResult openDevice(const std::string& device, int comNumber) {
  if (isFactoryName(device)) return platform::openRegisteredSerialDevice(device, comNumber);
  return platform::PosixSerialDevice::open(device);
}

platform::SerialOpenResult openComPort(int comNumber, const std::string& dataFolder) {
  if (comNumber < 1) return {nullptr, platform::kSerialNoDevice};
  return openDevice(deviceFor(dataFolder, comNumber), comNumber);
}

platform::SerialPresence probeDevice(const std::string& device) {
  if (isFactoryName(device))
    return platform::hasSerialDeviceFactory(device) ? platform::SerialPresence::available
                                                    : platform::SerialPresence::missing;
  return platform::PosixSerialDevice::probe(device);
}

}  // namespace quillon::ports
