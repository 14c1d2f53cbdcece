#include "t30_session.h"

namespace quillon::modem {

namespace {
// T.30 timers. They are not shortened by the time scale: the other side may be a program
// that waits in real time.
constexpr Micros kT1 = seconds(35);
constexpr Micros kT2 = seconds(6);
constexpr Micros kT4 = seconds(3);
// The pause between the end of one signal and the reply.
constexpr Micros kReplyGap = ms(75);
// Called side: the answer tone before the first frames.
constexpr Micros kAnswerTone = ms(2600);
}  // namespace

// ---- common part ----

T30Party::T30Party(PhoneLine& line, LineEndpoint* endpoint, T30Host& host)
    : line_(line), endpoint_(endpoint), host_(host), tx_(line, endpoint), timeout_(line.scheduler()),
      gap_(line.scheduler()) {}

T30Party::~T30Party() = default;

void T30Party::listenV21(Micros timeout, std::function<void()> onTimeout) {
  listenV21_ = true;
  listenHs_ = false;
  hsActive_ = false;
  timeout_.start(timeout, std::move(onTimeout));
}

void T30Party::listenHighSpeed(const Modulation& m, bool shortTrain, Micros timeout, std::function<void()> onTimeout) {
  listenV21(timeout, std::move(onTimeout));
  listenHs_ = true;
  listenMod_ = m;
  listenShort_ = shortTrain;
}

void T30Party::stopListening() {
  listenV21_ = listenHs_ = hsActive_ = false;
  timeout_.stop();
}

void T30Party::sendFrames(std::vector<t30::Frame> frames, std::function<void()> then) {
  stopListening();
  tx_.start(kV21, false, nullptr);
  for (const auto& f : frames) tx_.sendFrame(f.bytes(), true, nullptr);
  tx_.finish(std::move(then));
}

void T30Party::afterGap(std::function<void()> fn) {
  gap_.start(line_.paced(kReplyGap) + replyDelay_, std::move(fn));
}

void T30Party::finishSession(int code, bool sendDcn) {
  closingCode_ = code;
  auto end = [this, code] {
    stopListening();
    gap_.stop();
    running_ = false;
    line_.hangUp(endpoint_);
    host_.t30Done(code);
  };
  if (!sendDcn) {
    // Putting the receiver down takes a moment: a modem finishing its last frame still
    // sees the line up.
    tx_.abort();
    stopListening();
    gap_.start(line_.paced(kReplyGap), end);
    return;
  }
  stopListening();
  sendFrames({t30::makeFrame(t30::kDcn | 0x01, true)}, end);
}

void T30Party::disconnect(int hangupCode) {
  if (running_) finishSession(hangupCode, true);
}

void T30Party::abandon(int hangupCode) {
  if (running_) finishSession(hangupCode, false);
}

void T30Party::silence() {
  running_ = false;
  stopListening();
  gap_.stop();
  tx_.abort();
}

void T30Party::lineSignal(const LineSignal& s) {
  if (!running_) return;
  switch (s.kind) {
    case LineSignal::Kind::CarrierOn:
      if (listenHs_ && s.modulation == listenMod_) {
        TrainingLock lock = trainingLock(s.modulation, s.shortTrain, listenShort_);
        if (lock == TrainingLock::Never) break;
        garbleLeft_ = lock == TrainingLock::Garbled ? garbledBytes(s.modulation) : 0;
        hsActive_ = true;
        timeout_.stop();
        onHighSpeedStart();
      }
      break;
    case LineSignal::Kind::Frame:
      if (listenV21_ && s.fcsOk) {
        if (auto f = t30::Frame::parse(s.bytes)) onFrame(*f);
      }
      break;
    case LineSignal::Kind::Data:
      if (hsActive_) {
        std::string bytes = s.bytes;
        garble(bytes, garbleLeft_);
        onHighSpeedData(bytes);
      }
      break;
    case LineSignal::Kind::CarrierOff:
      if (hsActive_ && s.modulation.family != Family::V21) {
        hsActive_ = false;
        onHighSpeedEnd();
      } else if (listenV21_ && s.modulation.family == Family::V21) {
        onV21End();
      }
      break;
  }
}

void T30Party::lineDown() {
  if (!running_) return;
  running_ = false;
  stopListening();
  gap_.stop();
  tx_.abort();
  // The other side hanging up after a DCN is the normal end, not a lost line.
  host_.t30Done(closingCode_ >= 0 ? closingCode_ : kHangupLineLost);
}

// ---- sender ----

T30Sender::T30Sender(PhoneLine& line, LineEndpoint* endpoint, T30Host& host, T30Station station)
    : T30Party(line, endpoint, host), station_(std::move(station)) {}

void T30Sender::begin() {
  running_ = true;
  closingCode_ = -1;
  trained_ = false;
  tries_ = 0;
  waitForDis();
}

void T30Sender::waitForDis() {
  phase_ = Phase::WaitDis;
  listenV21(kT1, [this] { finishSession(kHangupNoAnswer, false); });
}

void T30Sender::onFrame(const t30::Frame& f) {
  std::uint8_t fcf = t30::fcfBase(f.fcf);
  if (fcf == t30::kDcn) {
    finishSession(kHangupRemoteDcn, false);
    return;
  }
  switch (phase_) {
    case Phase::WaitDis:
      if (fcf == t30::kCsi) host_.t30RemoteId(t30::readId(f));
      if (fcf == t30::kDis) {
        remote_ = t30::readDis(f);
        usable_.clear();
        for (const auto& m : remote_.modulations) {
          bool local = false;
          for (const auto& own : station_.caps.modulations) local = local || own == m;
          if (local && m.bps <= maxBps_) usable_.push_back(m);
        }
        if (usable_.empty()) usable_.push_back({Family::V27ter, 2400});
        speedIndex_ = 0;
        trained_ = false;
        host_.t30RemoteCapabilities(remote_);
      }
      if (f.last() && !usable_.empty()) {
        stopListening();
        phase_ = Phase::Ready;
        host_.t30ReadyForPage();
      }
      break;
    case Phase::WaitCfr:
      if (fcf == t30::kCfr) {
        tries_ = 0;
        trained_ = true;
        trainedFormat_ = format_;
        stopListening();
        afterGap([this] {
          phase_ = Phase::Page;
          tx_.start(current_, current_.family == Family::V17, [this] { host_.t30PageCarrierUp(); });
        });
      } else if (fcf == t30::kFtt) {
        tries_ = 0;
        stopListening();
        if (fallBack()) {
          afterGap([this] { sendDcsAndTraining(); });
        } else {
          finishSession(kHangupFailedToTrain, true);
        }
      } else if (fcf == t30::kDis && f.last()) {
        // The receiver did not hear our DCS: say it again.
        stopListening();
        afterGap([this] { sendDcsAndTraining(); });
      }
      break;
    case Phase::WaitResponse: {
      if (fcf == t30::kCrp) {
        stopListening();
        afterGap([this] { postPage(lastPostPage_); });
        break;
      }
      if (fcf != t30::kMcf && fcf != t30::kRtn && fcf != t30::kRtp && fcf != t30::kPip && fcf != t30::kPin)
        break;
      stopListening();
      tries_ = 0;
      host_.t30PageResult(fcf);
      if (!running_) break;  // the host ended the call
      bool good = fcf == t30::kMcf || fcf == t30::kRtp || fcf == t30::kPip;
      if (fcf != t30::kMcf) trained_ = false;
      if (lastPostPage_ == t30::kEop && good) {
        phase_ = Phase::Done;
        finishSession(kHangupNormal, true);
      } else if (lastPostPage_ == t30::kEom && good) {
        waitForDis();
      } else {
        phase_ = Phase::Ready;
        host_.t30ReadyForPage();
      }
      break;
    }
    default:
      break;
  }
}

void T30Sender::sendPage(const PageFormat& format) {
  if (!running_ || phase_ != Phase::Ready) return;
  format_ = format;
  if (!trained_ || format.fine != trainedFormat_.fine || format.wide != trainedFormat_.wide) {
    tries_ = 0;
    afterGap([this] { sendDcsAndTraining(); });
    return;
  }
  afterGap([this] {
    phase_ = Phase::Page;
    tx_.start(current_, current_.family == Family::V17, [this] { host_.t30PageCarrierUp(); });
  });
}

bool T30Sender::fallBack() {
  if (speedIndex_ + 1 >= usable_.size()) return false;
  ++speedIndex_;
  return true;
}

void T30Sender::sendDcsAndTraining() {
  if (++tries_ > 3) {
    finishSession(kHangupDcsNoResponse, true);
    return;
  }
  phase_ = Phase::WaitCfr;
  current_ = usable_[speedIndex_];
  bool fine = format_.fine && remote_.fine;
  bool wide = format_.wide && remote_.wide;
  host_.t30Negotiated(current_, {fine, wide});
  std::vector<t30::Frame> frames = {t30::makeIdFrame(t30::kTsi | 0x01, station_.id, false),
                                    t30::makeDcs(current_, fine, wide, 0x70, true)};
  sendFrames(frames, [this] {
    afterGap([this] {
      tx_.start(current_, false, [this] {
        // The training check: 1.5 s of zeros at the chosen rate.
        tx_.sendData(std::string(static_cast<std::size_t>(current_.bps) * 3 / 16, '\0'));
        tx_.finish([this] { waitForTrainingResponse(); });
      });
    });
  });
}

void T30Sender::waitForTrainingResponse() {
  listenV21(kT4, [this] { sendDcsAndTraining(); });
}

void T30Sender::pageData(const std::string& bytes) {
  if (phase_ == Phase::Page) tx_.sendData(bytes);
}

void T30Sender::endPage() {
  if (phase_ != Phase::Page) return;
  tx_.finish([this] {
    phase_ = Phase::WaitPostPageOrder;
    host_.t30ReadyForPostPage();
  });
}

void T30Sender::postPage(std::uint8_t fcf) {
  if (!running_) return;
  lastPostPage_ = t30::fcfBase(fcf);
  phase_ = Phase::WaitResponse;
  afterGap([this] {
    sendFrames({t30::makeFrame(lastPostPage_ | 0x01, true)}, [this] { waitForPostPageResponse(); });
  });
}

void T30Sender::waitForPostPageResponse() {
  listenV21(kT4, [this] {
    if (++tries_ >= 3) {
      finishSession(lastPostPage_ == t30::kEop ? kHangupEopNoResponse : kHangupMpsNoResponse, true);
      return;
    }
    sendFrames({t30::makeFrame(lastPostPage_ | 0x01, true)}, [this] { waitForPostPageResponse(); });
  });
}

// ---- receiver ----

T30Receiver::T30Receiver(PhoneLine& line, LineEndpoint* endpoint, T30Host& host, T30Station station)
    : T30Party(line, endpoint, host), station_(std::move(station)) {}

void T30Receiver::begin() {
  running_ = true;
  closingCode_ = -1;
  disTries_ = 0;
  gap_.start(line_.paced(kAnswerTone), [this] { sendIdentification(); });
}

void T30Receiver::sendIdentification() {
  if (++disTries_ > 3) {
    finishSession(kHangupPhaseBRx, false);
    return;
  }
  phase_ = Phase::WaitDcs;
  dcsSeen_ = false;
  sendFrames({t30::makeIdFrame(t30::kCsi, station_.id, false), t30::makeDis(station_.caps, true)},
             [this] { waitForCommand(); });
}

void T30Receiver::waitForCommand() {
  phase_ = Phase::WaitDcs;
  listenV21(kT4, [this] { sendIdentification(); });
}

void T30Receiver::onFrame(const t30::Frame& f) {
  std::uint8_t fcf = t30::fcfBase(f.fcf);
  if (fcf == t30::kDcn) {
    finishSession(phase_ == Phase::WaitDcn ? kHangupNormal : kHangupRxDcn, false);
    return;
  }
  switch (phase_) {
    case Phase::WaitDcs:
    case Phase::WaitPage:
      if (fcf == t30::kTsi) host_.t30RemoteId(t30::readId(f));
      if (fcf == t30::kDcs) {
        auto dcs = t30::readDcs(f);
        dcsSeen_ = true;
        bool offered = false;
        if (dcs.modulation)
          for (const auto& m : station_.caps.modulations) offered = offered || m == *dcs.modulation;
        mod_ = offered ? *dcs.modulation : kV21;
        format_ = {dcs.fine, dcs.wide};
        if (offered) host_.t30Negotiated(mod_, format_);
      }
      if (f.last() && dcsSeen_) {
        dcsSeen_ = false;
        if (mod_ == kV21) {
          // A rate we never offered: no training can succeed.
          stopListening();
          afterGap([this] { sendFrames({t30::makeFrame(t30::kFtt, true)}, [this] { waitForCommand(); }); });
          break;
        }
        phase_ = Phase::Training;
        tcfBytes_ = tcfNonZero_ = 0;
        // The training check comes with the long training.
        listenHighSpeed(mod_, false, kT2, [this] { waitForCommand(); });
      }
      break;
    case Phase::WaitPostPage:
      if (fcf == t30::kMps || fcf == t30::kEom || fcf == t30::kEop) {
        stopListening();
        postPage_ = fcf;
        phase_ = Phase::WaitResponseOrder;
        host_.t30PostPage(fcf);
      }
      break;
    default:
      break;
  }
}

void T30Receiver::onV21End() {}

void T30Receiver::onHighSpeedStart() {
  if (phase_ == Phase::Training) {
    tcfBytes_ = tcfNonZero_ = 0;
  } else if (phase_ == Phase::WaitPage) {
    phase_ = Phase::Page;
    host_.t30PageStart();
  }
}

void T30Receiver::onHighSpeedData(const std::string& bytes) {
  if (phase_ == Phase::Training) {
    tcfBytes_ += bytes.size();
    for (char c : bytes) tcfNonZero_ += c != 0;
  } else if (phase_ == Phase::Page) {
    host_.t30PageData(bytes);
  }
}

void T30Receiver::onHighSpeedEnd() {
  if (phase_ == Phase::Training) {
    judgeTraining();
  } else if (phase_ == Phase::Page) {
    host_.t30PageEnd();
    phase_ = Phase::WaitPostPage;
    listenV21(kT2, [this] { finishSession(kHangupPhaseDRx, false); });
  }
}

void T30Receiver::judgeTraining() {
  stopListening();
  // At least a second of clean zeros.
  std::size_t expected = static_cast<std::size_t>(mod_.bps) / 8;
  bool good = tcfBytes_ >= expected && tcfNonZero_ * 100 < tcfBytes_ * 10 && host_.t30AcceptTraining(mod_);
  afterGap([this, good] {
    if (good) {
      host_.t30Trained();
      sendFrames({t30::makeFrame(t30::kCfr, true)}, [this] { waitForPage(); });
    } else {
      sendFrames({t30::makeFrame(t30::kFtt, true)}, [this] { waitForCommand(); });
    }
  });
}

void T30Receiver::waitForPage() {
  phase_ = Phase::WaitPage;
  // Page data after a V.17 training check comes with the short training.
  listenHighSpeed(mod_, mod_.family == Family::V17, kT2, [this] { finishSession(kHangupPageTimeout, false); });
}

void T30Receiver::respond(std::uint8_t fcf) {
  if (!running_ || phase_ != Phase::WaitResponseOrder) return;
  fcf = t30::fcfBase(fcf);
  if (fcf == t30::kDcn) {
    finishSession(kHangupPhaseDRx, true);
    return;
  }
  afterGap([this, fcf] {
    sendFrames({t30::makeFrame(fcf, true)}, [this, fcf] {
      if (fcf == t30::kRtn) {
        waitForCommand();
      } else if (postPage_ == t30::kEop) {
        phase_ = Phase::WaitDcn;
        listenV21(kT2, [this] { finishSession(kHangupNormal, false); });
      } else if (postPage_ == t30::kEom) {
        disTries_ = 0;
        sendIdentification();
      } else if (fcf == t30::kRtp) {
        waitForCommand();
      } else {
        waitForPage();
      }
    });
  });
}

}  // namespace quillon::modem
