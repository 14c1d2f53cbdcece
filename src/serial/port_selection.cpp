#include "serial/port_selection.h"

#include <charconv>
#include <mutex>

#include "ports/port_mapping.h"
#include "settings/settings_store.h"

namespace quillon::serial {

namespace {
std::mutex promptLock;
PortPrompt& installedPrompt() {
  static PortPrompt prompt;
  return prompt;
}
}  // namespace

std::vector<int> existingComPorts(const std::string& dataFolder) {
  settings::IniDocument ini = settings::SettingsStore(dataFolder).read();
  std::vector<int> found;
  for (int n = 1; n <= kSelectablePorts; ++n)
    if (ports::probeDevice(ports::deviceFor(ini, n)) != platform::SerialPresence::missing) found.push_back(n);
  return found;
}

std::string portEntryText(int comNumber) { return "COM" + std::to_string(comNumber); }

int portNumberOfEntry(const std::string& entry) {
  if (entry.size() < 4 || entry.compare(0, 3, "COM") != 0) return 0;
  int n = 0;
  auto [end, ec] = std::from_chars(entry.data() + 3, entry.data() + entry.size(), n);
  return ec == std::errc() && end == entry.data() + entry.size() && n > 0 ? n : 0;
}

void setPortPrompt(PortPrompt prompt) {
  std::lock_guard guard(promptLock);
  installedPrompt() = std::move(prompt);
}

int promptForPort(const std::string& dataFolder) {
  PortPrompt prompt;
  {
    std::lock_guard guard(promptLock);
    prompt = installedPrompt();
  }
  if (!prompt) return 0;
  return prompt(existingComPorts(dataFolder));
}

}  // namespace quillon::serial
