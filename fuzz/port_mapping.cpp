// Any bytes as QLN.INI: every port number maps to a device, and the [Ports] listing is
// sorted, without repeats, and within the port numbers.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "ports/port_mapping.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quillon;
  auto ini = settings::IniDocument::parse(std::string_view(reinterpret_cast<const char*>(data), size));
  for (int n = 1; n <= 60; ++n) {
    std::string device = ports::deviceFor(ini, n);
    if (device.empty()) __builtin_trap();
    if (!ports::isFactoryName(device) && device[0] != '/') __builtin_trap();
  }
  auto mapped = ports::mappedPorts(ini);
  for (std::size_t i = 0; i < mapped.size(); ++i) {
    if (mapped[i] < 1 || mapped[i] > ports::kHighestPortNumber) __builtin_trap();
    if (i > 0 && mapped[i] <= mapped[i - 1]) __builtin_trap();
  }
  return 0;
}
