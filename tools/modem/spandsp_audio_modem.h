#pragma once
// SpanDSP's own Class 1 modem (its T.31 emulation) joined by simulated audio to SpanDSP's
// fax terminal: an all-SpanDSP stand-in for the emulated modem and its remote machine. A DTE
// script that completes a fax with it speaks Class 1 the way independent code expects.
#include <string>
#include <string_view>

#include "scheduler.h"
#include "spandsp_t30.h"


namespace quillon::modem {

class SpanDspAudioModem {
 public:
  enum class Remote { Receiver, Sender };
  // Receiver: dialling any number reaches a fax terminal that writes the TIFF file `file`.
  // Sender: ringIn() makes a fax terminal call that sends the TIFF file `file`.
  SpanDspAudioModem(Scheduler& clock, Remote remote, std::string stationId, std::string file);
  ~SpanDspAudioModem();
  SpanDspAudioModem(const SpanDspAudioModem&) = delete;
  SpanDspAudioModem& operator=(const SpanDspAudioModem&) = delete;

  void fromDte(std::string_view bytes);
  std::string toDte();
  void ringIn();

  const SpanDspOutcome& outcome() const { return t30_.outcome(); }
  bool finished() const { return outcome().finished; }

 private:
  friend struct SpanDspAudioCallbacks;
  void tick();
  void startTerminal(bool calling);
  void endCall();

  Remote remote_;
  std::string stationId_;
  std::string file_;
  t31_state_s* modem_ = nullptr;
  fax_state_s* terminal_ = nullptr;
  Timer ticker_;
  Timer callTimer_;
  std::string toDte_;
  std::string fromDte_;  // held while the modem's transmit buffer is full (CTS off)
  bool cts_ = true;
  void feed();
  bool ringing_ = false;
  SpanDspT30Setup t30_;
};

}  // namespace quillon::modem
