// Linked into the quillon program: the word "emulator" in the [Ports] section of QLN.INI
// (e.g. "COM1=emulator") opens the built-in demo line. What its remote machine receives is
// kept in the "demo line" folder of the data folder.
#include "demo_line.h"
#include "platform/data_folder.h"

namespace {
const bool registered = [] {
  quillon::modem::DemoLineOptions options;
  options.saveFolderAtOpen = [] {
    const std::string& folder = quillon::platform::dataFolder();
    return folder.empty() ? std::string() : folder + "demo line/";
  };
  quillon::modem::registerEmulatorPorts(options);
  return true;
}();
}  // namespace
