// quillon ports: which device each port number COMn is, and whether it exists or is in use.
#include <algorithm>
#include <cstdio>
#include <ostream>
#include <set>

#include "cli/command.h"
#include "platform/file_io.h"
#include "platform/serial_lock_file.h"
#include "ports/port_mapping.h"
#include "serial/port_selection.h"
#include "settings/settings_store.h"

namespace quillon::cli {

namespace {

std::string presenceText(const std::string& device, platform::SerialPresence presence) {
  switch (presence) {
    case platform::SerialPresence::available: return "exists";
    case platform::SerialPresence::inUse: {
      // Another program's lock file says who (a port held without one says nothing).
      platform::SerialLockHolder holder =
          ports::isFactoryName(device) ? platform::SerialLockHolder{} : platform::serialLockHolder(device);
      if (holder.pid <= 0) return "in use";
      std::string text = "in use by process " + std::to_string(holder.pid);
      return holder.program.empty() ? text : text + " (" + holder.program + ")";
    }
    case platform::SerialPresence::noAccess: return "exists, no access";
    case platform::SerialPresence::missing: break;
  }
  return ports::isFactoryName(device) ? "not available" : "missing";
}

// quillon ports --map COMn DEVICE: writes the mapping into [Ports], keeping the rest of the file.
int mapPort(CommandContext& context) {
  const std::string& port = context.args[1];
  const std::string& device = context.args[2];
  bool valid = port.size() > 3 && (port.compare(0, 3, "COM") == 0 || port.compare(0, 3, "com") == 0) &&
               std::all_of(port.begin() + 3, port.end(), [](char c) { return c >= '0' && c <= '9'; }) &&
               port.size() <= 6 && std::stoi(port.substr(3)) >= 1 &&
               std::stoi(port.substr(3)) <= ports::kHighestPortNumber;
  if (!valid || device.empty()) {
    context.err << "quillon ports: --map needs COMn (1 to " << ports::kHighestPortNumber
                << ") and a device path or name\n";
    return 2;
  }
  settings::SettingsStore store(context.dataFolder());
  settings::IniDocument ini = store.read();
  ini.setValue(ports::kPortsSection, "COM" + port.substr(3), device);
  try {
    platform::writeFileAtomically(store.path(), ini.serialize());
  } catch (const platform::FileWriteError& e) {
    context.err << "quillon ports: " << e.what() << "\n";
    return 1;
  }
  context.out << "COM" << port.substr(3) << " -> " << device << "\n";
  return 0;
}

}  // namespace

int runPortsCommand(CommandContext& context) {
  if (context.args.size() == 3 && context.args[0] == "--map") return mapPort(context);
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
