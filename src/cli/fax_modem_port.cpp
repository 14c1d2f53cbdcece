#include "cli/fax_modem_port.h"

#include <cctype>

#include "ports/port_mapping.h"
#include "serial/dispatcher.h"

namespace quillon::cli {

namespace {
// A dispatcher that opens one device path, whatever the port number.
class DeviceDispatcher : public serial::TApdBaseDispatcher {
 public:
  explicit DeviceDispatcher(std::string path) : path_(std::move(path)) {}
  ~DeviceDispatcher() override { CloseDispatcher(); }

 protected:
  platform::SerialOpenResult OpenDevice(const serial::DispatcherOpenParams&) override {
    return ports::openDevice(path_, 0);
  }

 private:
  std::string path_;
};
}  // namespace

bool parseFaxClass(const std::string& name, fax::TFaxClass& out) {
  if (name == "auto") out = fax::fcDetect;
  else if (name == "1") out = fax::fcClass1;
  else if (name == "2") out = fax::fcClass2;
  else if (name == "2.0") out = fax::fcClass2_0;
  else return false;
  return true;
}

bool parseWholeNumber(const std::optional<std::string>& v, unsigned& out) {
  if (!v) return true;
  if (v->empty() || v->size() > 5 || v->find_first_not_of("0123456789") != std::string::npos) return false;
  out = static_cast<unsigned>(std::stoul(*v));
  return out <= 65535;
}

bool parseComPort(const std::string& name, int& number) {
  std::string up = name;
  for (char& ch : up) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  if (up.compare(0, 3, "COM") != 0 || up.size() < 4 || up.size() > 8 ||
      up.find_first_not_of("0123456789", 3) != std::string::npos)
    return false;
  number = std::stoi(up.substr(3));
  return true;
}

void useModemPort(serial::TApdComPort& port, int comNumber, const std::optional<std::string>& device) {
  port.SetComNumber(comNumber);
  if (device) {
    std::string path = *device;
    port.SetDispatcherFactory([path] { return std::make_unique<DeviceDispatcher>(path); });
  }
}

}  // namespace quillon::cli
