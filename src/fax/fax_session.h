#pragma once
// The record of one fax session: what the component set up, what the modem negotiated and
// where the send machine stands. Owned by the component, shared with the dispatcher's
// handler so a late notification never finds it gone.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "faximage/fax_page_reader.h"
#include "faximage/fax_text_engine.h"
#include "faximage/text_line_reader.h"
#include "fax/dis_dcs.h"
#include "fax/fax_types.h"
#include "fax/modem_strings.h"
#include "fax/response_reader.h"
#include "fax/t30_frames.h"
#include "platform/ticks.h"

namespace quillon::serial {
class TApdBaseDispatcher;
}

namespace quillon::fax {

struct ReceivePart;  // receive_part.h

// What the engine tells the component; each call reaches the main thread (status, log,
// error and next are sent with a 1000 ms time-out, finish is posted).
class FaxNotifier {
 public:
  virtual ~FaxNotifier() = default;
  virtual void NotifyStatus(bool first, bool last) = 0;
  virtual void NotifyLog(TFaxLogCode code) = 0;
  virtual void NotifyError(int code) = 0;
  // Asks for the next fax; true when one was stored into the session (a time-out is no).
  virtual bool NotifyNext() = 0;
  virtual void NotifyFinish(int code) = 0;
};

inline constexpr platform::Ticks kResponseTimeout = 182;  // 10 s
inline constexpr platform::Ticks kDataTimeout = 1092;     // 60 s
inline constexpr int kRetransmitLimit = 2;
inline constexpr std::size_t kBlockSize = 4096;
inline constexpr std::size_t kTransmitBufferSize = 8192;

struct FaxSession {
  std::recursive_mutex mutex;  // one step at a time
  serial::TApdBaseDispatcher* dispatcher = nullptr;
  FaxNotifier* notifier = nullptr;
  int handlerId = 0;
  // Trigger handles: status timer, time-out timer, output space, output empty, modem status,
  // and the timer that looks again whether the device has sent its queued output.
  int statusTimer = 0, timeoutTimer = 0, outSpaceTrigger = 0, outEmptyTrigger = 0, modemTrigger = 0;
  int drainTimer = 0;
  bool running = false;   // triggers and handler installed
  bool prepared = false;

  // --- common part ---
  unsigned statusInterval = 1;
  bool abortNoConnect = false, exitOnError = false, softwareFlow = false;
  int progress = 0;
  int error = 0;
  int currentPage = 0;
  int pageCount = 0;
  int coverCount = 0;
  std::uint64_t bytesDone = 0;   // of the current page
  std::uint64_t bytesTotal = 0;
  TFaxClass faxClass = fcDetect;
  std::string stationId, remoteId, faxFileExt = "APF";
  std::string faxFile, coverFile, phoneNumber;
  std::string headerTitle, headerRecipient, headerSender;
  unsigned dialAttempts = 3, dialAttempt = 0;
  platform::Ticks dialRetryWait = 1092, dialWait = 1092;
  std::string headerLine;

  // --- send part ---
  unsigned maxSendCount = 50, bufferMinimum = 1000;
  int retransmits = 0;
  int state = 0;
  bool coverActive = false, coverIsFaxFile = false;
  bool morePages = false;
  std::atomic<bool> cancelRequested{false};
  bool statusWanted = false;  // a step asked for a status notification
  platform::TickTimer statusClock;  // periodic status while queuing page data
  int statusEvery = 3;              // in status intervals: 3 first, then 2

  // --- modem part ---
  bool fine = false, wide = false, ecm = false, remoteFine = false, remoteWide = false;
  bool toneDial = true, blindDial = false, detectBusy = true;
  char desiredEcm = '0';
  char resolution = ' ', previousResolution = ' ';
  int scanIndex = 0;
  platform::Ticks responseTimeout = kResponseTimeout, dataTimeout = kDataTimeout;
  int desiredBps = 9600;
  int lineRate = 0;
  int minBytesPerLine = 0;
  int hangupCode = 0;
  bool modemInitialised = false, initSpeedActive = false;
  std::int32_t initBaud = 0, normalBaud = 0;
  CommandTable commands = CommandTable::For(fcClass2);
  std::string initString = "ATE0Q0V1X4S0=0S2=43";
  std::string modemInit, dialPrefix;
  ResponseReader reader;
  bool pageRetransmitWanted = false;  // the page status asked for the page again
  bool pageStatusSeen = false, pageConfirmed = false, hangupSeen = false;  // of the last page
  bool hangupTimeout = false;  // the time-out after a hang-up report runs
  // State 28 moves to the next page before the page exchange; a page sent again moves back.
  bool pageAdvanced = false, coverBefore = false;
  int pageBefore = 0;

  // --- Class 1: the T.30 procedure the engine runs itself ---
  struct Class1Call {
    t30::SpeedSet localSpeeds;   // what the modem listed for AT+FTM=? (kept for the run)
    t30::SpeedSet remoteSpeeds;  // from the remote's DIS
    int speedIndex = 0;          // 1..6, 0 before a DIS
    bool disSeen = false;
    t30::Frame frame;            // the frame just read, waiting for the modem's OK or ERROR
    bool framePending = false;
    t30::Frame last;             // the last frame the modem confirmed with OK
    bool haveLast = false;
    bool cfr = false, carrier = false;
    int postPageTries = 0, dcsTries = 0;
    std::uint8_t postPageFcf = 0;  // MPS, EOM or EOP as sent after the page
    bool phaseBAgain = false;      // after EOM: the remote's DIS once more
  } class1;

  // The fax file being sent and the cover.
  std::unique_ptr<faximage::FaxPageReader> file;      // the fax file
  std::unique_ptr<faximage::FaxPageReader> coverFax;  // a fax-file cover
  std::unique_ptr<faximage::TLineReader> coverText;   // a text cover
  faximage::FaxTextEngine headerEngine, coverEngine;
  bool enhTextEnabled = false;
  faximage::FontChoice enhHeaderFont, enhFont;
  std::string pending;  // DLE-doubled bytes not yet in the output ring
  bool pageEnded = false;

  // The receiving machine's own part (receive runs only).
  std::shared_ptr<ReceivePart> receive;

  // Hook for traces of each step (state, the answer it dealt with).
  std::function<void(int state, const std::string& line)> stepTrace;
};

}  // namespace quillon::fax
