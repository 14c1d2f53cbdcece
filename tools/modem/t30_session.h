#pragma once
// The T.30 procedure as a fax machine runs it: a sender (phase B negotiation, training,
// pages, post-page messages) and a receiver (CSI/DIS, training check, pages, responses).
// Remote fax machines run it on their own; a Class 2 / 2.0 modem runs it on behalf of its
// DTE. Where the DTE has a say, the session stops at a gate and waits for the host.
#include <cstdint>
#include <string>
#include <vector>

#include "line_transmitter.h"
#include "t30_frames.h"

namespace quillon::modem {

// Hang-up codes as Class 2 (+FHNG) and Class 2.0 (+FHS) report them.
enum HangupCode : int {
  kHangupNormal = 0,
  kHangupRingNoHandshake = 2,
  kHangupAborted = 3,
  kHangupNoAnswer = 11,
  kHangupPhaseBTx = 20,
  kHangupRemoteDcn = 22,  // sender: DCN during the call ("invalid command received")
  kHangupDcsNoResponse = 25,
  kHangupFailedToTrain = 27,
  kHangupPhaseCTx = 40,
  kHangupPhaseDTx = 50,
  kHangupMpsNoResponse = 52,
  kHangupEopNoResponse = 54,
  kHangupPhaseBRx = 70,
  kHangupRxDcn = 72,
  kHangupPageTimeout = 73,
  kHangupPhaseDRx = 90,
  kHangupLineLost = 100,
};

struct PageFormat {
  bool fine = false;
  bool wide = false;
};

class T30Host {
 public:
  virtual ~T30Host() = default;
  virtual void t30RemoteId(const std::string& id) {}
  // Sender: the remote's DIS; receiver: the sender's DCS.
  virtual void t30RemoteCapabilities(const t30::Capabilities& caps) {}
  virtual void t30Negotiated(const Modulation& m, const PageFormat& format) {}
  // Receiver: may refuse a training that arrived intact (fault emulation).
  virtual bool t30AcceptTraining(const Modulation& m) { return true; }
  // Receiver: training passed and CFR is on its way.
  virtual void t30Trained() {}

  // Sender gates.
  virtual void t30ReadyForPage() {}       // call sendPage() or hangUpWith()
  virtual void t30PageCarrierUp() {}      // call pageData() ... endPage()
  virtual void t30ReadyForPostPage() {}   // call postPage()
  virtual void t30PageResult(std::uint8_t responseFcf) {}

  // Receiver.
  virtual void t30PageStart() {}
  virtual void t30PageData(const std::string& bytes) {}
  virtual void t30PageEnd() {}
  virtual void t30PostPage(std::uint8_t fcf) {}  // gate: call respond()

  // Either: the session ended (the call has been hung up when `hungUp`).
  virtual void t30Done(int hangupCode) = 0;
};

// What this side offers and who it is.
struct T30Station {
  std::string id;
  t30::Capabilities caps;
};

// The common part of both roles: listening, sending frames, timers. The owner (a modem or a
// remote machine) is the line endpoint and hands every line signal on.
class T30Party {
 public:
  T30Party(PhoneLine& line, LineEndpoint* endpoint, T30Host& host);
  virtual ~T30Party();

  bool running() const { return running_; }
  // Ends the call: DCN, then hang up.
  void disconnect(int hangupCode);
  // Ends at once without DCN (line dropped, aborted).
  void abandon(int hangupCode);
  // Stops without a word to the host (the host hung up itself).
  void silence();

  void lineSignal(const LineSignal& s);
  // The other side hung up or the line went dead.
  void lineDown();

  // Delays every reply by this much line time (a slow remote machine).
  void setReplyDelay(Micros delay) { replyDelay_ = delay; }

 protected:
  // Listening for V.21 frames, and optionally for one high-speed carrier at the same time.
  void listenV21(Micros timeout, std::function<void()> onTimeout);
  void listenHighSpeed(const Modulation& m, bool shortTrain, Micros timeout, std::function<void()> onTimeout);
  void stopListening();
  void sendFrames(std::vector<t30::Frame> frames, std::function<void()> then);
  void afterGap(std::function<void()> fn);
  void finishSession(int code, bool sendDcn);

  virtual void onFrame(const t30::Frame& f) = 0;
  virtual void onV21End() {}
  virtual void onHighSpeedStart() {}
  virtual void onHighSpeedData(const std::string& bytes) {}
  virtual void onHighSpeedEnd() {}

  PhoneLine& line_;
  LineEndpoint* endpoint_;
  T30Host& host_;
  LineTransmitter tx_;
  Timer timeout_;
  Timer gap_;
  bool running_ = false;
  int closingCode_ = -1;  // the session is ending with this code
  Micros replyDelay_ = 0;

 private:
  bool listenV21_ = false;
  bool listenHs_ = false;
  Modulation listenMod_ = kV21;
  bool listenShort_ = false;
  bool hsActive_ = false;
  std::size_t garbleLeft_ = 0;
};

class T30Sender : public T30Party {
 public:
  T30Sender(PhoneLine& line, LineEndpoint* endpoint, T30Host& host, T30Station station);
  // Call this when the called machine answered.
  void begin();
  // Gates.
  void sendPage(const PageFormat& format);
  void pageData(const std::string& bytes);
  // Page data waiting to go on the air.
  std::size_t queuedPageBytes() const { return tx_.queuedBytes(); }
  void endPage();
  void postPage(std::uint8_t fcf);  // t30::kMps, kEom or kEop
  // The fastest carrier both sides have, not above `maxBps`.
  void setMaxBps(int bps) { maxBps_ = bps; }
  const Modulation& modulation() const { return current_; }

 private:
  void onFrame(const t30::Frame& f) override;
  void waitForDis();
  void sendDcsAndTraining();
  void waitForTrainingResponse();
  bool fallBack();
  void waitForPostPageResponse();

  enum class Phase { Idle, WaitDis, WaitCfr, Ready, Page, WaitPostPageOrder, WaitResponse, Done };
  T30Station station_;
  Phase phase_ = Phase::Idle;
  t30::Capabilities remote_;
  std::vector<Modulation> usable_;
  std::size_t speedIndex_ = 0;
  Modulation current_ = kV21;
  bool trained_ = false;
  PageFormat format_;
  PageFormat trainedFormat_;
  int tries_ = 0;
  std::uint8_t lastPostPage_ = 0;
  int maxBps_ = 14400;
};

class T30Receiver : public T30Party {
 public:
  T30Receiver(PhoneLine& line, LineEndpoint* endpoint, T30Host& host, T30Station station);
  // Call this after answering.
  void begin();
  // Gate after t30PostPage: t30::kMcf, kRtn, kRtp or kDcn.
  void respond(std::uint8_t fcf);

 private:
  void onFrame(const t30::Frame& f) override;
  void onV21End() override;
  void onHighSpeedStart() override;
  void onHighSpeedData(const std::string& bytes) override;
  void onHighSpeedEnd() override;
  void sendIdentification();
  void waitForCommand();
  void judgeTraining();
  void waitForPage();

  enum class Phase { Idle, WaitDcs, Training, WaitPage, Page, WaitPostPage, WaitResponseOrder, WaitDcn, Done };
  T30Station station_;
  Phase phase_ = Phase::Idle;
  Modulation mod_ = kV21;
  PageFormat format_;
  std::uint8_t postPage_ = 0;
  std::size_t tcfBytes_ = 0;
  std::size_t tcfNonZero_ = 0;
  int disTries_ = 0;
  bool dcsSeen_ = false;
};

}  // namespace quillon::modem
