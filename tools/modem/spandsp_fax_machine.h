#pragma once
// A remote fax machine run by SpanDSP, an independent T.30 implementation: its fax terminal
// speaks T.38 packets, which map one to one onto the carriers, frames and data of the virtual
// line. It checks the Class 1 emulation and the emulator's own T.30 against code nobody here
// wrote.
#include <string>

#include "phone_line.h"
#include "spandsp_t30.h"


namespace quillon::modem {

class SpanDspFaxMachine : public LineEndpoint {
 public:
  enum class Role { Receiver, Sender };
  // Receiver: answers calls to `number` and writes pages to the TIFF file `file`.
  // Sender: sends the TIFF file `file` when call() is answered.
  SpanDspFaxMachine(PhoneLine& line, Role role, const std::string& number, std::string stationId, std::string file);
  ~SpanDspFaxMachine() override;

  void call(const std::string& number);

  const SpanDspOutcome& outcome() const { return t30_.outcome(); }
  bool finished() const { return outcome().finished || lineDropped_; }
  std::string completionText() const;

  // LineEndpoint
  void ringing(int count) override;
  void callUp() override;
  void callDown() override;
  void signal(const LineSignal& s) override;

 private:
  static int fromTerminal(t38_core_state_s* s, void* user, const std::uint8_t* buf, int len, int count);
  static int toTerminal(t38_core_state_s* s, void* user, const std::uint8_t* buf, int len, int count);
  static int onIndicator(t38_core_state_s* s, void* user, int indicator);
  static int onData(t38_core_state_s* s, void* user, int dataType, int fieldType, const std::uint8_t* buf, int len);
  static int onMissing(t38_core_state_s* s, void* user, int rx, int expected);
  void start();
  void stop();
  void tick();
  void carrierOn(const Modulation& m, bool shortTrain);
  void carrierOff();

  PhoneLine& line_;
  Role role_;
  std::string stationId_;
  std::string file_;
  t38_terminal_state_s* terminal_ = nullptr;
  t38_core_state_s* bridge_ = nullptr;  // decodes the terminal's packets, encodes ours
  Timer ticker_;
  Timer deferTimer_;
  std::uint16_t seqToBridge_ = 0, seqToTerminal_ = 0;
  bool carrier_ = false;
  Modulation carrierMod_ = kV21;
  std::string frame_;
  int sendingDataType_ = 0;
  bool lineDropped_ = false;
  SpanDspT30Setup t30_;
};

}  // namespace quillon::modem
