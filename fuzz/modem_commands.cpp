// Any bytes from the DTE into an emulated modem on a line with a remote fax machine: command
// lines, frames, page data and aborts in any order must never crash or hang the emulator.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "modem/at_command.h"
#include "modem/emulated_modem.h"
#include "modem/remote_fax.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quillon::modem;
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  parseAtLine(bytes);
  PhoneLine line;
  EmulatedModem modem(line, "1");
  RemoteReceiver receiver(line, "5", "REMOTE");
  // Each line of the input goes in on its own, with line time passing between them, so
  // calls get to ring, connect and exchange frames.
  while (!bytes.empty()) {
    std::size_t cut = bytes.find('\n');
    std::size_t n = cut == std::string_view::npos ? bytes.size() : cut + 1;
    modem.fromDte(bytes.substr(0, n));
    bytes.remove_prefix(n);
    line.run(seconds(4));
    modem.toDte();
  }
  line.run(seconds(60));
  return 0;
}
