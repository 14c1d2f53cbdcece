// Any bytes as a quillon-modem config file: read it (it may name itself), never crash.
#include <cstddef>
#include <cstdint>
#include <string>

#include "modem/server_config.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  std::string error;
  quillon::modem::parseServerOptions({"--modem", "1", "--config", "fuzz.conf"}, error,
                                     [&text](const std::string&) -> std::optional<std::string> { return text; });
  return 0;
}
