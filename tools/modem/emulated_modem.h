#pragma once
// One emulated fax modem: the DTE side is a byte stream plus the RS-232 status lines, the
// other side sits on the virtual phone line. It speaks the Hayes basics, Class 1 (the DTE runs
// T.30 through HDLC frames and carriers) and Class 2 / 2.0 (the modem runs T.30 itself and
// reports in +F lines), and can be told to fail the way real modems fail.
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "at_command.h"
#include "dle.h"
#include "fax_page.h"
#include "line_transmitter.h"
#include "modem_state.h"
#include "t30_session.h"

namespace quillon::modem {

struct ModemProfile {
  std::string manufacturer = "QUILLON";
  std::string model = "EMULATED FAX MODEM";
  std::string revision = "1.0";
  std::string classes = "0,1,2,2.0";  // the answer to AT+FCLASS=?
  std::vector<int> class1Codes = {24, 48, 72, 73, 74, 96, 97, 98, 121, 122, 145, 146};
  bool frameFcs = true;     // Class 1 frames reach the DTE with their two FCS bytes
  bool pageReports = true;  // Class 2.0 sends +FPS reports when +FNR asks for them
};

struct ModemFaults {
  std::string errorOn;    // command lines containing this text answer ERROR
  std::string garbageOn;  // command lines containing this text answer with line noise first
  Micros replyDelay = 0;  // everything to the DTE comes this much later (not scaled)
  int hangupCode = -1;    // Class 2 / 2.0 calls end with this +FHNG / +FHS code
  std::size_t unplugAfterPageBytes = 0;  // the device vanishes after this much page data
};

class EmulatedModem : public LineEndpoint, public T30Host {
 public:
  EmulatedModem(PhoneLine& line, std::string number = "", ModemProfile profile = {});
  ~EmulatedModem() override;
  EmulatedModem(const EmulatedModem&) = delete;
  EmulatedModem& operator=(const EmulatedModem&) = delete;

  // DTE side. Each call takes the line's lock.
  void fromDte(std::string_view bytes);
  std::string toDte();  // takes what the modem has said since the last call
  void setDtr(bool on);
  void setRts(bool on);
  // The program on the DTE side closed its port: DTR drops (the modem hangs up as &D says),
  // and what the program had not read, or had half typed, goes with it.
  void portClosed();
  bool dcd() const { return dcd_; }
  bool cts() const { return cts_; }
  bool dsr() const { return !vanished_; }
  bool ri() const { return ri_; }
  // The bytes the modem takes now without losing any: while page data flows, the room left
  // in its transmit buffer. A port that honours flow control reads no more than this.
  std::size_t dteRoom() const;
  // Bytes lost because the DTE wrote past a full transmit buffer, and because the DTE held
  // the modem's output (XOFF, RTS) longer than its receive buffer lasts.
  std::size_t lostFromDte() const { return lostFromDte_; }
  std::size_t lostToDte() const { return lostToDte_; }
  static constexpr std::size_t kTransmitBuffer = 4096;
  static constexpr std::size_t kReceiveBuffer = 4096;
  // The device is gone (a USB modem pulled out): no more bytes either way.
  void unplug();
  bool vanished() const { return vanished_; }
  // Told (under the line's lock) whenever bytes or status lines change.
  void setListener(std::function<void()> fn) { listener_ = std::move(fn); }
  // Every command line and result with its line time (for the dialogue log).
  void setTrace(std::function<void(bool fromDte, const std::string& text)> fn) { trace_ = std::move(fn); }

  void setFaults(const ModemFaults& faults) { faults_ = faults; }
  const ModemProfile& profile() const { return profile_; }
  const std::string& fclass() const { return hayes_.fclass; }

  // LineEndpoint
  void ringing(int count) override;
  void ringingStopped() override;
  void busy() override;
  void voiceAnswered() override;
  void callUp() override;
  void callDown() override;
  void signal(const LineSignal& s) override;

  // T30Host (Class 2 / 2.0)
  void t30RemoteId(const std::string& id) override;
  void t30RemoteCapabilities(const t30::Capabilities& caps) override;
  void t30Negotiated(const Modulation& m, const PageFormat& format) override;
  void t30Trained() override;
  void t30ReadyForPage() override;
  void t30PageCarrierUp() override;
  void t30ReadyForPostPage() override;
  void t30PageResult(std::uint8_t fcf) override;
  void t30PageStart() override;
  void t30PageData(const std::string& bytes) override;
  void t30PageEnd() override;
  void t30PostPage(std::uint8_t fcf) override;
  void t30Done(int code) override;

 private:
  enum class Mode {
    Command,      // reading AT command lines
    Dialling,     // ATD running
    Answering,    // ATA running
    Online,       // Class 0 data connection
    FrameTx,      // +FTH: frames from the DTE
    DataTx,       // +FTM: data from the DTE
    FrameRx,      // +FRH: waiting for or delivering a frame
    DataRx,       // +FRM: waiting for or delivering data
    Silence,      // +FTS / +FRS
    Class2Wait,   // a Class 2 action (ATD, ATA, +FDT, +FDR, +FET) runs
    Class2PageTx, // +FDT CONNECT: page data from the DTE
    Class2PageRx, // +FDR CONNECT: page data to the DTE
  };
  enum class Result { Ok, Connect, Ring, NoCarrier, Error, NoDialtone, Busy, NoAnswer, Voice, FcError, None };

  // Output.
  void out(const std::string& bytes);
  void result(Result r, const std::string& connectText = "");
  void info(const std::string& text);
  void notify();
  void releaseOutput();

  // Command mode.
  void commandByte(char c);
  void runLine(const std::string& line);
  Result runCommand(const AtCommand& cmd);
  Result runBasic(const AtCommand& cmd);
  Result runExtended(const AtCommand& cmd);
  void resetSettings();
  void hangUpCall();

  // Calls.
  Result dial(const std::string& dialString);
  Result answer();
  void callFailed(Result r);
  void carrierLost();
  bool twoOrTwoZero() const { return hayes_.fclass == "2" || hayes_.fclass == "2.0"; }

  // Class 1 (modem_class1.cpp).
  Result class1Command(const AtCommand& cmd);
  void startFrameTx();
  void startFrameRx();
  void startDataTx(int code);
  void startDataRx(int code);
  void class1Input(std::string_view bytes);
  void class1Signal(const LineSignal& s);
  void deliverFrame(const LineSignal& frame);
  void endClass1Rx(Result r);
  void lockOnto(const Modulation& m, bool carrierShort, Micros dataStart);
  void waitForSilence(Micros wait);

  // Flow control on the DTE link (modem_flow.cpp).
  Result flowCommand(const AtCommand& cmd);
  void deliver(const std::string& bytes);
  void sendFlowCharacter(char c);
  bool outputHeld() const;
  void releaseHeldOutput();
  bool dteFlowCharacter(char c);
  // Modes whose DTE bytes are data, where XON and XOFF are no flow characters.
  bool binaryIntake() const { return mode_ == Mode::DataTx || mode_ == Mode::FrameTx || mode_ == Mode::Class2PageTx; }
  std::size_t transmitBuffered() const;
  std::string_view takeWithinRoom(std::string_view bytes);
  void updateFlowControl();
  void watchTransmitBuffer();

  // Class 2 / 2.0 (modem_class2.cpp).
  Result class2Command(const AtCommand& cmd);
  std::string report(int entry) const;
  std::string capsText(int res, int bps, bool wide) const;
  t30::Capabilities localCapabilities() const;
  int class2MaxBps() const;
  void class2Input(std::string_view bytes);
  void startClass2Session(bool caller);
  void finishClass2Command(Result r);
  void deliverClass2Page();
  void pageBytesPassed(std::size_t n);

  PhoneLine& line_;
  ModemProfile profile_;
  ModemFaults faults_;
  std::string toDte_;
  Micros outputNotBefore_ = 0;
  std::function<void()> listener_;
  std::function<void(bool, const std::string&)> trace_;

  // Status lines.
  bool dtr_ = true, rts_ = true, dcd_ = false, cts_ = true, ri_ = false, vanished_ = false;

  HayesSettings hayes_;

  Mode mode_ = Mode::Command;
  std::string lineBuf_;
  bool lineOverflow_ = false;
  std::string lastLine_;
  std::vector<AtCommand> pending_;  // commands after an action that runs on
  Micros lastDteByte_ = 0;
  int plusCount_ = 0;
  Timer escapeTimer_;
  Timer callTimer_;   // S7 and dial-phase timers
  Timer modeTimer_;   // frame gaps, silence, flow checks
  Timer ringTimer_;
  Timer deferTimer_;   // auto-answer and unplugging, run just after the event that caused them
  Timer outputTimer_;  // a slow modem's delayed answers
  Timer flowTimer_;    // watches the transmit buffer while the DTE is held back
  std::deque<std::pair<Micros, std::string>> delayedOut_;
  bool quietAnswer_ = false;
  bool callerSide_ = false;

  // The carrier this modem sends, and what it hears of the other side's.
  LineTransmitter tx_;
  DleReader dle_;
  bool peerCarrier_ = false;
  Modulation peerModulation_ = kV21;
  bool peerShortTrain_ = false;
  Micros peerDataStart_ = 0;
  bool flowStopped_ = false;  // the modem holds the DTE back
  bool dteXoff_ = false;      // the DTE holds the modem back
  std::string heldOut_;       // output waiting while the DTE holds the modem back
  std::size_t lostFromDte_ = 0, lostToDte_ = 0;

  Class1State c1_;
  Class2Settings c2Settings_;
  Class2Call c2_;
  int lastPpr_ = 1;
  int lastHangup_ = 0;
  std::size_t pageBytes_ = 0;
};

}  // namespace quillon::modem
