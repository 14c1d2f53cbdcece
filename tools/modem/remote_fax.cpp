#include "remote_fax.h"

#include "page_judge.h"

namespace quillon::modem {

t30::Capabilities makeCapabilities(int maxBps, bool fine, bool wide, bool ecm, bool v17) {
  t30::Capabilities caps;
  caps.fine = fine;
  caps.wide = wide;
  caps.ecm = ecm;
  std::vector<Modulation> all = {{Family::V17, 14400}, {Family::V17, 12000}, {Family::V17, 9600},
                                 {Family::V17, 7200},  {Family::V29, 9600},  {Family::V29, 7200},
                                 {Family::V27ter, 4800}, {Family::V27ter, 2400}};
  for (const auto& m : all) {
    // A DIS cannot offer V.17 below 14400: a slower station offers V.29 and V.27 ter only.
    if (m.bps > maxBps || (m.family == Family::V17 && (!v17 || maxBps < 14400))) continue;
    caps.modulations.push_back(m);
  }
  return caps;
}

// ---- receiver ----

RemoteReceiver::RemoteReceiver(PhoneLine& line, std::string number, std::string stationId,
                               t30::Capabilities caps)
    : line_(line), number_(std::move(number)), session_(line, this, *this, {std::move(stationId), std::move(caps)}),
      deferTimer_(line.scheduler()) {
  line_.attach(this, number_);
}

RemoteReceiver::~RemoteReceiver() { line_.detach(this); }

void RemoteReceiver::ringing(int count) {
  if (count < answerRings_) return;
  deferTimer_.start(0, [this] { line_.answer(this); });
}

void RemoteReceiver::callUp() {
  ++calls_;
  fax_ = {};
  rtnSent_ = false;
  session_.setReplyDelay(faults_.replyDelay);
  session_.begin();
}

void RemoteReceiver::callDown() { session_.lineDown(); }

void RemoteReceiver::signal(const LineSignal& s) { session_.lineSignal(s); }

void RemoteReceiver::t30Negotiated(const Modulation& m, const PageFormat& f) {
  fax_.bps = m.bps;
  format_ = f;
}

bool RemoteReceiver::t30AcceptTraining(const Modulation& m) {
  return faults_.fttAboveBps == 0 || m.bps <= faults_.fttAboveBps;
}

void RemoteReceiver::t30PageStart() {
  page_ = {};
  page_.fine = format_.fine;
  page_.wide = format_.wide;
}

void RemoteReceiver::t30PageData(const std::string& bytes) {
  page_.data += bytes;
  int number = static_cast<int>(fax_.pages.size()) + 1;
  if (faults_.dropDuringPage == number) {
    // Pulls the plug while the page is coming in.
    faults_.dropDuringPage = 0;
    deferTimer_.start(0, [this] {
      line_.hangUp(this);
      session_.lineDown();
    });
  }
}

void RemoteReceiver::t30PostPage(std::uint8_t fcf) {
  int number = static_cast<int>(fax_.pages.size()) + 1;
  // A machine answers what it read: a page it could not decode is asked for again.
  std::uint8_t reply = judgePage(page_.data, page_.wide ? 2048 : 1728).acceptable() ? t30::kMcf : t30::kRtn;
  if (faults_.dcnAfterPage == number) {
    reply = t30::kDcn;
  } else if (faults_.rtnAfterPage == number && !rtnSent_) {
    reply = t30::kRtn;
    rtnSent_ = true;
  } else if (faults_.rtpAfterPage == number) {
    reply = t30::kRtp;
  }
  if (reply == t30::kMcf || reply == t30::kRtp) {
    fax_.pages.push_back(page_);
    if (fcf == t30::kEop) fax_.complete = true;
  }
  session_.respond(reply);
}

void RemoteReceiver::t30Done(int code) {
  lastCode_ = code;
  if (onFax_) onFax_(fax_);
}

// ---- sender ----

RemoteSender::RemoteSender(PhoneLine& line, std::string stationId, std::vector<FaxPage> pages,
                           t30::Capabilities caps)
    : line_(line), session_(line, this, *this, {std::move(stationId), std::move(caps)}), pages_(std::move(pages)),
      giveUp_(line.scheduler()), drop_(line.scheduler()) {
  line_.attach(this);
}

RemoteSender::~RemoteSender() { line_.detach(this); }

void RemoteSender::call(const std::string& number) {
  finished_ = false;
  confirmed_ = 0;
  page_ = 0;
  lastCode_ = -1;
  session_.setReplyDelay(faults_.replyDelay);
  line_.dial(this, number);
  if (!line_.inCall(this)) {
    giveUp_.start(line_.paced(seconds(2)), [this] { end(kHangupNoAnswer); });
    return;
  }
  giveUp_.start(line_.paced(seconds(60)), [this] { end(kHangupNoAnswer); });
}

void RemoteSender::busy() { end(kHangupNoAnswer); }
void RemoteSender::voiceAnswered() { end(kHangupNoAnswer); }

void RemoteSender::callUp() {
  giveUp_.stop();
  session_.begin();
}

void RemoteSender::callDown() {
  if (session_.running()) {
    session_.lineDown();
  } else if (!finished_) {
    end(kHangupLineLost);
  }
}

void RemoteSender::signal(const LineSignal& s) { session_.lineSignal(s); }

void RemoteSender::t30ReadyForPage() {
  if (page_ >= pages_.size()) {
    session_.disconnect(kHangupNormal);
    return;
  }
  session_.sendPage({pages_[page_].fine, pages_[page_].wide});
}

void RemoteSender::t30PageCarrierUp() {
  const FaxPage& page = pages_[page_];
  if (faults_.dropDuringPage == static_cast<int>(page_) + 1) {
    faults_.dropDuringPage = 0;
    std::string half = page.data.substr(0, page.data.size() / 2);
    session_.pageData(half);
    drop_.start(line_.paced(airTime(session_.modulation(), half.size())), [this] {
      line_.hangUp(this);
      session_.abandon(kHangupPhaseCTx);
    });
    return;
  }
  session_.pageData(page.data);
  session_.endPage();
}

void RemoteSender::t30ReadyForPostPage() {
  if (faults_.dcnAfterPage == static_cast<int>(page_) + 1) {
    session_.disconnect(kHangupPhaseDTx);
    return;
  }
  session_.postPage(page_ + 1 < pages_.size() ? t30::kMps : t30::kEop);
}

void RemoteSender::t30PageResult(std::uint8_t fcf) {
  // After RTN the page goes again (after new training); anything else moves on.
  if (fcf != t30::kRtn && fcf != t30::kPin) {
    ++confirmed_;
    ++page_;
  }
}

void RemoteSender::t30Done(int code) { end(code); }

void RemoteSender::end(int code) {
  if (finished_) return;
  finished_ = true;
  lastCode_ = code;
  giveUp_.stop();
  drop_.stop();
  line_.hangUp(this);
  if (onDone_) onDone_(code);
}

}  // namespace quillon::modem
