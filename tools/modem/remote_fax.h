#pragma once
// Remote fax machines behind numbers on the virtual line: a receiver that answers and takes
// pages, and a sender that calls a number and sends pages. Both run T.30 themselves and can
// be told to misbehave the way real machines do.
#include <functional>
#include <memory>
#include <string>

#include "fax_page.h"
#include "t30_session.h"

namespace quillon::modem {

struct RemoteFaults {
  int fttAboveBps = 0;       // refuse training faster than this (0 = never)
  int rtnAfterPage = 0;      // answer RTN to this page (1-based, once per call)
  int rtpAfterPage = 0;      // answer RTP to this page
  int dcnAfterPage = 0;      // answer DCN instead of a confirmation after this page
  int dropDuringPage = 0;    // hang up halfway through this page (carrier lost mid-page)
  Micros replyDelay = 0;     // every reply comes this much later (line time, not scaled)
};

// Capabilities: resolutions, width, the fastest rate and the carriers up to it.
t30::Capabilities makeCapabilities(int maxBps, bool fine = true, bool wide = false, bool ecm = false,
                                   bool v17 = true);

class RemoteReceiver : public LineEndpoint, public T30Host {
 public:
  RemoteReceiver(PhoneLine& line, std::string number, std::string stationId,
                 t30::Capabilities caps = makeCapabilities(14400));
  ~RemoteReceiver() override;

  void setFaults(const RemoteFaults& faults) { faults_ = faults; }
  void setAnswerAfterRings(int rings) { answerRings_ = rings; }
  // Told about every fax once its call has ended.
  void onFax(std::function<void(const ReceivedFax&)> fn) { onFax_ = std::move(fn); }

  // What the last call delivered, and how it ended.
  const ReceivedFax& lastFax() const { return fax_; }
  int lastHangupCode() const { return lastCode_; }
  int calls() const { return calls_; }
  bool inCall() const { return session_.running(); }

  // LineEndpoint
  void ringing(int count) override;
  void callUp() override;
  void callDown() override;
  void signal(const LineSignal& s) override;

  // T30Host
  void t30RemoteId(const std::string& id) override { fax_.remoteId = id; }
  void t30Negotiated(const Modulation& m, const PageFormat& f) override;
  bool t30AcceptTraining(const Modulation& m) override;
  void t30PageStart() override;
  void t30PageData(const std::string& bytes) override;
  void t30PostPage(std::uint8_t fcf) override;
  void t30Done(int code) override;

 private:
  PhoneLine& line_;
  std::string number_;
  T30Receiver session_;
  RemoteFaults faults_;
  int answerRings_ = 2;
  int calls_ = 0;
  int lastCode_ = -1;
  ReceivedFax fax_;
  FaxPage page_;
  PageFormat format_;
  bool rtnSent_ = false;
  Timer deferTimer_;  // answering and pulling the plug, just after the event that caused them
  std::function<void(const ReceivedFax&)> onFax_;
};

class RemoteSender : public LineEndpoint, public T30Host {
 public:
  RemoteSender(PhoneLine& line, std::string stationId, std::vector<FaxPage> pages,
               t30::Capabilities caps = makeCapabilities(14400));
  ~RemoteSender() override;

  void setFaults(const RemoteFaults& faults) { faults_ = faults; }
  // Dials `number` and sends the pages once answered.
  void call(const std::string& number);
  void setPages(std::vector<FaxPage> pages) { pages_ = std::move(pages); }

  bool inCall() const { return line_.inCall(this); }
  int lastHangupCode() const { return lastCode_; }
  int pagesConfirmed() const { return confirmed_; }
  bool finished() const { return finished_; }
  // Told when a call ends, with its hang-up code.
  void onDone(std::function<void(int)> fn) { onDone_ = std::move(fn); }

  // LineEndpoint
  void busy() override;
  void voiceAnswered() override;
  void callUp() override;
  void callDown() override;
  void signal(const LineSignal& s) override;

  // T30Host
  void t30ReadyForPage() override;
  void t30PageCarrierUp() override;
  void t30ReadyForPostPage() override;
  void t30PageResult(std::uint8_t fcf) override;
  void t30Done(int code) override;

 private:
  void end(int code);

  PhoneLine& line_;
  T30Sender session_;
  std::vector<FaxPage> pages_;
  RemoteFaults faults_;
  std::size_t page_ = 0;
  int confirmed_ = 0;
  int lastCode_ = -1;
  bool finished_ = false;
  Timer giveUp_;
  Timer drop_;
  std::function<void(int)> onDone_;
};

}  // namespace quillon::modem
