#pragma once
// What the fax commands share about the modem: a port that opens one device path, and the
// options --class, --port and the whole-number options.
#include <memory>
#include <optional>
#include <string>

#include "fax/fax_types.h"
#include "serial/com_port.h"

namespace quillon::cli {

// --class auto|1|2|2.0.
bool parseFaxClass(const std::string& name, fax::TFaxClass& out);
// A whole number up to 65535 (an absent option leaves `out` as it is).
bool parseWholeNumber(const std::optional<std::string>& v, unsigned& out);
// --port COMn: the number n.
bool parseComPort(const std::string& name, int& number);
// Points the port at COMn, or at `device` when one is given (any port number then).
void useModemPort(serial::TApdComPort& port, int comNumber, const std::optional<std::string>& device);

}  // namespace quillon::cli
