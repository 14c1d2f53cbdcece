#pragma once
// SpanDSP's own Class 1 modem (its T.31 emulation) joined by simulated audio to SpanDSP's
// fax terminal: an all-SpanDSP stand-in for the emulated modem and its remote machine. A DTE
// script that completes a fax with it speaks Class 1 the way independent code expects.
#include <string>
#include <string_view>

#include "scheduler.h"

struct t31_state_s;
struct fax_state_s;

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

  bool finished() const { return finished_; }
  int completionCode() const { return completion_; }
  int pages() const { return pages_; }
  int badRows() const { return badRows_; }
  const std::string& remoteId() const { return remoteId_; }

 private:
  friend struct SpanDspAudioCallbacks;
  void tick();
  void startTerminal(bool calling);
  void endCall();

  Scheduler& clock_;
  Remote remote_;
  std::string stationId_;
  std::string file_;
  t31_state_s* modem_ = nullptr;
  fax_state_s* terminal_ = nullptr;
  Timer ticker_;
  Timer callTimer_;
  std::string toDte_;
  bool ringing_ = false;
  bool finished_ = false;
  int completion_ = -1;
  int pages_ = 0, badRows_ = 0;
  std::string remoteId_;
};

}  // namespace quillon::modem
