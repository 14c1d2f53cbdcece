#pragma once
// What both SpanDSP stand-ins set on SpanDSP's T.30 engine, and what they read back from it
// when a fax ends. Only for the SpanDSP sources (it includes SpanDSP).
#include <functional>
#include <string>

#include <tiffio.h>
#include <spandsp.h>

namespace quillon::modem {

struct SpanDspOutcome {
  bool finished = false;
  int completion = -1;  // 0: the fax went through
  int pages = 0;
  int badRows = 0;
  int bitRate = 0;
  std::string remoteId;
};

class SpanDspT30Setup {
 public:
  // Station ID, no ECM, V.27 ter / V.29 / V.17, the TIFF file to receive into or to send, and
  // the end-of-fax handler that fills outcome() and then calls `whenDone`.
  void apply(t30_state_t* t30, const std::string& stationId, bool receiving, const std::string& file,
             std::function<void()> whenDone = nullptr);
  const SpanDspOutcome& outcome() const { return outcome_; }
  SpanDspOutcome& outcome() { return outcome_; }

 private:
  static void phaseE(t30_state_t* t30, void* user, int code);
  SpanDspOutcome outcome_;
  bool receiving_ = true;
  std::function<void()> whenDone_;
};

// SpanDSP's log level for its own account of a call: QUILLON_SPANDSP_LOG=1 shows it on
// standard error, otherwise nothing.
int spanDspLogLevel();

}  // namespace quillon::modem
