#pragma once
// What the receiving machine keeps beside the shared session record: where a run starts,
// the receive options, the file state of the call, ring and training counters, the page data
// reader and the fax file being written.
#include <cstdint>
#include <functional>
#include <string>

#include "fax/dis_dcs.h"
#include "fax/page_data_reader.h"
#include "fax/received_fax_file.h"
#include "fax/training_check.h"

namespace quillon::fax {

// Progress codes of the receiving side.
inline constexpr int fpWaiting = 20;          // "Waiting for incoming call"
inline constexpr int fpNoConnect = 21;        // "No connect on this call"
inline constexpr int fpAnswering = 22;        // "Answering incoming call"
inline constexpr int fpIncomingFax = 23;      // "Incoming call validated as fax"
inline constexpr int fpGetPage = 24;          // "Getting page data"
inline constexpr int fpGetPageResult = 25;    // "Getting end-of-page signal"
inline constexpr int fpCheckMorePages = 26;   // "Getting end-of-document status"
inline constexpr int fpGetHangup = 27;        // "Getting hangup command"
inline constexpr int fpGotHangup = 28;        // "Got Class 2 FHNG code"

// File states of a call.
inline constexpr int fsNoFile = 3;       // no file for this call (or document) yet
inline constexpr int fsFileOpen = 2;     // pages are being added
inline constexpr int fsEndOfFax = 4;     // the end of the document was announced

struct ReceivePart {
  int startState = 1;
  bool oneFax = false, constantStatus = false, statusOpened = false;
  unsigned answerOnRing = 1, ringCounter = 0;
  char faxAndData = '0';
  int fileState = fsNoFile;
  // Class 1: the last frame, the sender's settings, the training check, DIS repeats,
  // post-page flags, speeds.
  bool frameFinal = false;
  std::uint8_t lastFcf = 0;
  t30::DcsSettings dcs;
  TrainingCheck training;
  std::string listenCode;  // of the last AT+FRM
  int carrierRetries = 0;
  int disRepeats = 0;
  bool endOfMessage = false, pageGood = false;
  bool speeds[7] = {};
  int speedIndex = 0;
  // Page data.
  PageDataReader data;
  ReceivedFaxFile file;
  std::string chunk;  // stored bytes of the last batch

  // Questions to the application, answered on the main thread. A request that is not
  // answered in time is a refusal (accept) or the default name (name).
  std::function<bool()> accept;
  std::function<std::string()> name;
};

}  // namespace quillon::fax
