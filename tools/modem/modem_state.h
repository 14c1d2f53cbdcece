#pragma once
// The state an emulated modem keeps, grouped by what owns it: the Hayes settings a reset puts
// back, one Class 1 carrier command, the Class 2 / 2.0 session parameters the DTE sets, and
// one Class 2 / 2.0 call. Keeping them apart lets each part be reset on its own.
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "line_signal.h"
#include "t30_session.h"

namespace quillon::modem {

// Who holds back whom on the DTE link. The modem holds the DTE with XOFF/XON and CTS from
// the start (what fax modems do in the fax classes); the DTE holds the modem's output with
// XOFF/XON or RTS only once &K4 / &K3, +IFC or +FLO ask for it.
struct FlowControl {
  bool xoffToDte = true;    // the modem sends XOFF / XON
  bool ctsToDte = true;     // the modem drops / raises CTS
  bool xoffFromDte = false; // XOFF / XON from the DTE stop and start the modem's output
  bool rtsFromDte = false;  // RTS low stops the modem's output
};

// What ATZ, AT&F and a DTR drop under &D3 put back.
struct HayesSettings {
  HayesSettings();
  bool echo = true, quiet = false, verbose = true;
  int xLevel = 4;
  int sreg[100] = {};
  int dtrMode = 2;            // &D
  FlowControl flow;
  std::string fclass = "0";
};

// Class 1: the frame being written and what the receiver collects.
struct Class1State {
  std::string txFrame;
  std::deque<LineSignal> rxFrames;  // frames heard since the last +FRH
  bool hdlcListening = false;       // frames are still being collected after an OK
  bool rxConnected = false;
  Modulation rxModulation = kV21;
  bool rxShortTrain = false;
  std::size_t garbleLeft = 0;  // a late lock spoils this much of the data still
  bool frsWaiting = false;
};

// Class 2 / 2.0: what the DTE set for its sessions (+FIS/+FCC, +FLI, +FCR, +FAA, +FPS, +FNR).
struct Class2Settings {
  std::string localId;
  std::vector<int> disParams = {1, 5, 0, 2, 0, 0, 0, 0};
  std::vector<int> dccParams = {1, 5, 0, 2, 0, 0, 0, 0};
  int fcr = 0, faa = 0, pageStatus = 1;
  bool pageReportsOn = false;
};

// Class 2 / 2.0: one call, run by the modem's own T.30 session.
struct Class2Call {
  enum class Action { None, Dial, Answer, SendPage, PageEnd, PageEndAndPostPage, PostPage, Receive, Abort };
  Action action = Action::None;
  std::unique_ptr<T30Sender> sender;
  std::unique_ptr<T30Receiver> receiver;
  bool connectedReported = false;
  std::string page;      // received page data not yet given to the DTE
  std::string pageSeen;  // the whole page as it came, for judging it
  bool pageStarted = false;
  bool pageEnded = false;
  bool dc2 = false;
  bool postPageUnreported = false;
  std::uint8_t postPage = 0;
  bool responsePending = false;
  std::uint8_t pendingPostPage = 0;
  Modulation modulation = kV21;
  PageFormat format;

  bool running() const { return (sender && sender->running()) || (receiver && receiver->running()); }
};

}  // namespace quillon::modem
