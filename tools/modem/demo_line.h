#pragma once
// The built-in demo line behind the port name "emulator": an emulated Class 1/2/2.0 modem
// whose calls to any number reach a remote fax machine that answers and receives, and a
// remote sender that calls in now and then with a sample fax. Nothing needs hardware.
#include <functional>
#include <memory>
#include <string>

#include "emulated_modem.h"
#include "platform/in_process_serial_device.h"
#include "realtime_runner.h"
#include "remote_fax.h"
#include "serial_line_bridge.h"

namespace quillon::modem {

struct DemoLineOptions {
  double timeScale = 4.0;            // pages go four times faster than on a real line
  std::string modemNumber = "100";   // the number the remote sender calls
  std::string receiverId = "QUILLON DEMO";
  std::string senderId = "DEMO SENDER";
  Micros firstCallIn = seconds(45);  // after the port opens
  Micros callInEvery = seconds(600);
  std::string saveFolder;            // where the remote receiver keeps faxes ("" = nowhere)
  // When set, asked for the folder when a port is first opened (the data folder is known
  // only once the program has started).
  std::function<std::string()> saveFolderAtOpen;
};

class DemoLine {
 public:
  explicit DemoLine(const DemoLineOptions& options = {});
  ~DemoLine();
  std::shared_ptr<platform::InProcessSerialLine> serial() const { return serial_; }
  PhoneLine& line() { return line_; }
  RemoteReceiver& receiver() { return receiver_; }
  EmulatedModem& modem() { return modem_; }

 private:
  void pumpCalls();

  DemoLineOptions options_;
  PhoneLine line_;
  EmulatedModem modem_;
  RemoteReceiver receiver_;
  RemoteSender sender_;
  std::shared_ptr<platform::InProcessSerialLine> serial_;
  SerialLineBridge bridge_;
  RealTimeRunner runner_;
  Micros openSince_ = -1;
  Micros nextCall_ = 0;
  int saved_ = 0;
};

// Registers the port name "emulator" with the serial layer: each port number gets its own
// demo line, made on first use and kept for the life of the process.
void registerEmulatorPorts(const DemoLineOptions& options = {});

}  // namespace quillon::modem
