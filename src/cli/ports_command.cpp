// quillon ports: which device each port number COMn is, and whether it exists or is in use.
#include <algorithm>
#include <cstdio>
#include <ostream>
#include <set>

#include "cli/command.h"
#include "ports/port_mapping.h"
#include "serial/port_selection.h"
#include "settings/settings_store.h"

namespace quillon::cli {

namespace {

const char* presenceText(const std::string& device, platform::SerialPresence presence) {
  switch (presence) {
    case platform::SerialPresence::available: return "exists";
    case platform::SerialPresence::inUse: return "in use";
    case platform::SerialPresence::noAccess: return "exists, no access";
    case platform::SerialPresence::missing: break;
  }
  return ports::isFactoryName(device) ? "not available" : "missing";
}

}  // namespace

int runPortsCommand(CommandContext& context) {
  for (const auto& a : context.args) {
    context.err << "quillon ports: unknown option '" << a << "'\n";
    return 2;
  }
  std::string folder = context.dataFolder();
  settings::IniDocument ini = settings::SettingsStore(folder).read();
  // Every port that exists among the selectable ones, and every port [Ports] names.
  std::set<int> numbers;
  for (int n : ports::mappedPorts(ini)) numbers.insert(n);
  for (int n = 1; n <= serial::kSelectablePorts; ++n)
    if (ports::probeDevice(ports::deviceFor(ini, n)) != platform::SerialPresence::missing) numbers.insert(n);
  if (numbers.empty()) {
    context.out << "No serial ports found (COM1 to COM" << serial::kSelectablePorts
                << ", and none mapped in [Ports] of " << folder << "QLN.INI).\n";
    return 0;
  }
  std::size_t width = 6;
  std::vector<std::string> devices;
  for (int n : numbers) {
    devices.push_back(ports::deviceFor(ini, n));
    width = std::max(width, devices.back().size());
  }
  std::size_t i = 0;
  for (int n : numbers) {
    const std::string& device = devices[i++];
    std::string name = serial::portEntryText(n);
    context.out << name << std::string(7 - std::min<std::size_t>(name.size(), 6), ' ') << device
                << std::string(width + 2 - device.size(), ' ') << presenceText(device, ports::probeDevice(device))
                << "\n";
  }
  return 0;
}

}  // namespace quillon::cli
