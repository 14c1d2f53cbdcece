#include "fax/abstract_fax.h"

#include <chrono>

#include "fax/header_tags.h"
#include "fax/modem_commands.h"
#include "fax/send_machine.h"
#include "platform/main_thread.h"
#include "errors/error_codes.h"
#include "errors/error_text.h"
#include "errors/raise_on_error.h"

namespace quillon::fax {

TApdCustomAbstractFax::TApdCustomAbstractFax()
    : session_(std::make_shared<FaxSession>()), alive_(std::make_shared<std::atomic<bool>>(true)) {
  session_->notifier = this;
}

TApdCustomAbstractFax::~TApdCustomAbstractFax() {
  *alive_ = false;
  StopSession();
  if (statusDisplay_) statusDisplay_->SetFax(nullptr);
  if (faxLog_) faxLog_->SetFax(nullptr);
}

void TApdCustomAbstractFax::AttachFromOwner(const std::vector<serial::TApdBaseComponent*>& owned) {
  for (serial::TApdBaseComponent* c : owned) {
    if (!comPort_)
      if (auto* port = dynamic_cast<serial::TApdCustomComPort*>(c)) SetComPort(port);
    if (!statusDisplay_)
      if (auto* display = dynamic_cast<TApdAbstractFaxStatus*>(c); display && !display->Fax()) SetStatusDisplay(display);
    if (!faxLog_)
      if (auto* log = dynamic_cast<TApdFaxLog*>(c); log && !log->Fax()) SetFaxLog(log);
  }
}

void TApdCustomAbstractFax::SetInitBaud(std::int32_t v) {
  initBaud_ = v;
  if (normalBaud_ == 0 && comPort_) normalBaud_ = comPort_->Baud();
  FaxSession& s = *session_;
  if (s.running && s.dispatcher && v != 0) {
    std::lock_guard lock(s.mutex);
    s.initBaud = v;
    s.normalBaud = normalBaud_;
    SwitchLineSpeed(s, false);
  }
}

void TApdCustomAbstractFax::SetComPort(serial::TApdCustomComPort* port) {
  comPort_ = port;
  if (!port || port->Loading()) return;
  // Fax use: 19200 8N1, 8192-byte buffers, RTS/CTS.
  port->SetBaud(19200);
  port->SetDataBits(8);
  port->SetStopBits(1);
  port->SetParity(serial::pNone);
  port->SetInSize(8192);
  port->SetOutSize(8192);
  port->SetHWFlowOptions(serial::hwfUseRTS | serial::hwfRequireCTS);
}

void TApdCustomAbstractFax::SetStatusDisplay(TApdAbstractFaxStatus* display) {
  if (statusDisplay_ && statusDisplay_ != display) statusDisplay_->SetFax(nullptr);
  statusDisplay_ = display;
  if (display) display->SetFax(this);
}

void TApdCustomAbstractFax::SetFaxLog(TApdFaxLog* log) {
  if (faxLog_ && faxLog_ != log) faxLog_->SetFax(nullptr);
  faxLog_ = log;
  if (log) log->SetFax(this);
}

void TApdCustomAbstractFax::StatusDisplayRemoved(TApdAbstractFaxStatus* display) {
  if (statusDisplay_ == display) statusDisplay_ = nullptr;
}

void TApdCustomAbstractFax::LogRemoved(TApdFaxLog* log) {
  if (faxLog_ == log) faxLog_ = nullptr;
}

int TApdCustomAbstractFax::PageNumber() const { return session_->coverActive ? 0 : session_->currentPage; }

long TApdCustomAbstractFax::PageBytesDone() const {
  const FaxSession& s = *session_;
  long queued = 0;
  if (s.running && s.dispatcher && s.dispatcher->IsOpen()) queued = s.dispatcher->OutBuffUsed();
  if (queued == 1) queued = 0;
  long done = static_cast<long>(s.bytesDone) - queued - static_cast<long>(s.pending.size());
  return done < 0 ? 0 : done;
}

std::string TApdCustomAbstractFax::ProgressText(int code) {
  if (code < 1 || code > 43) return {};
  return cut(FaxStatusText(code), 80);
}

FaxLogFacts TApdCustomAbstractFax::LogFacts() const {
  FaxLogFacts f;
  f.remoteStation = session_->remoteId;
  f.hangupCode = session_->hangupCode;
  f.errorCode = session_->error;
  f.now = LocalNow();
  return f;
}

void TApdCustomAbstractFax::CheckPort() const {
  if (!comPort_) RaiseOnError(ecPortNotAssigned);
  if (comPort_->DeviceLayer() == serial::dlWinsock) RaiseOnError(ecCannotUseWithWinSock);
  if (comPort_->OutSize() < kTransmitBufferSize) RaiseOnError(ecOutputBufferTooSmall);
}

void TApdCustomAbstractFax::LoadSession() {
  FaxSession& s = *session_;
  s.statusInterval = statusInterval_ ? statusInterval_ : 1;
  s.abortNoConnect = abortNoConnect_;
  s.exitOnError = exitOnError_;
  s.softwareFlow = softwareFlow_;
  s.faxClass = faxClass_;
  s.stationId = stationId_;
  s.faxFileExt = faxFileExt_;
  s.desiredBps = static_cast<int>(desiredBps_);
  s.desiredEcm = desiredEcm_ ? '1' : '0';
  s.modemInit = modemInit_;
  s.initBaud = initBaud_;
  s.normalBaud = normalBaud_;
}

TFaxClassSet TApdCustomAbstractFax::ModemClasses() {
  if (modemClassesKnown_) return modemClasses_;
  CheckPort();
  FaxSession probe;
  probe.dispatcher = &comPort_->Dispatcher();
  TFaxClassSet classes;
  if (QueryClasses(probe, false, classes)) {
    modemClasses_ = classes;
    modemClassesKnown_ = true;
  }
  return classes;
}

bool TApdCustomAbstractFax::AddSessionTriggers() {
  FaxSession& s = *session_;
  serial::TApdBaseDispatcher& d = comPort_->Dispatcher();
  s.dispatcher = &d;
  s.statusTimer = d.AddTimerTrigger();
  s.timeoutTimer = d.AddTimerTrigger();
  s.outSpaceTrigger = d.AddStatusTrigger(serial::stOutFree);
  s.outEmptyTrigger = d.AddStatusTrigger(serial::stOutUsed);
  s.modemTrigger = d.AddStatusTrigger(serial::stModem);
  s.drainTimer = d.AddTimerTrigger();
  if (s.statusTimer < 0 || s.timeoutTimer < 0 || s.outSpaceTrigger < 0 || s.outEmptyTrigger < 0 ||
      s.modemTrigger < 0 || s.drainTimer < 0) {
    for (int* h : {&s.statusTimer, &s.timeoutTimer, &s.outSpaceTrigger, &s.outEmptyTrigger, &s.modemTrigger,
                   &s.drainTimer}) {
      if (*h > 0) d.RemoveTrigger(*h);
      *h = 0;
    }
    s.error = ecNoMoreTriggers;
    NotifyError(ecNoMoreTriggers);
    EndRunAtOnce(ecNoMoreTriggers);
    return false;
  }
  if (d.AvailThreshold() == 0) d.ChangeLengthTrigger(1);
  std::shared_ptr<std::atomic<bool>> alive = alive_;
  portUser_ = comPort_->RegisterUserCallback([this, alive](bool opening) {
    if (!opening && *alive) PortClosedWhileRunning();
  });
  return true;
}

void TApdCustomAbstractFax::InstallHandler(void (*handler)(FaxSession&, unsigned, unsigned, std::uint32_t)) {
  std::shared_ptr<FaxSession> keep = session_;
  FaxSession& s = *session_;
  s.running = true;
  s.handlerId = s.dispatcher->RegisterProcTriggerHandler(
      [keep, handler](unsigned msg, unsigned first, std::uint32_t second) { handler(*keep, msg, first, second); });
  s.dispatcher->SetTimerTrigger(s.statusTimer, platform::secondsToTicks(s.statusInterval), true);
  // The first step runs on the dispatcher like every other one.
  s.dispatcher->SetTimerTrigger(s.timeoutTimer, 1, true);
}

void TApdCustomAbstractFax::StopSession() {
  FaxSession& s = *session_;
  std::lock_guard lock(s.mutex);
  if (portUser_ && comPort_) comPort_->DeregisterUser(portUser_);
  portUser_ = 0;
  if (!s.dispatcher) return;
  s.running = false;
  if (comPort_ && comPort_->HasDispatcher() && &comPort_->Dispatcher() == s.dispatcher) {
    serial::TApdBaseDispatcher& d = *s.dispatcher;
    if (s.handlerId > 0) d.DeregisterTriggerHandler(s.handlerId);
    for (int* h : {&s.statusTimer, &s.timeoutTimer, &s.outSpaceTrigger, &s.outEmptyTrigger, &s.modemTrigger,
                   &s.drainTimer}) {
      if (*h > 0) d.RemoveTrigger(*h);
      *h = 0;
    }
  }
  s.handlerId = 0;
  s.dispatcher = nullptr;
}

void TApdCustomAbstractFax::PortClosedWhileRunning() {
  FaxSession& s = *session_;
  {
    std::lock_guard lock(s.mutex);
    if (!s.running || s.state == 48) return;
    s.state = 48;
    s.running = false;
    s.error = ecCommNotOpen;
    s.file.reset();
    s.coverFax.reset();
    s.coverText.reset();
  }
  StopSession();  // the dispatcher still exists while its users are told
  FaxError(ecCommNotOpen);
  FaxLog(FailureLogCode());
  FaxStatus(false, true);
  NotifyFinish(ecCommNotOpen);
}

void TApdCustomAbstractFax::EndRunAtOnce(int code) {
  NotifyStatus(false, true);
  NotifyFinish(code);
}

void TApdCustomAbstractFax::AbortFax() {
  FaxSession& s = *session_;
  s.cancelRequested = true;
  std::unique_lock lock(s.mutex, std::try_to_lock);
  if (!lock.owns_lock()) return;  // the machine sees the request at its next event
  if (s.running) CancelRun();
}

// --- notifications ---

bool TApdCustomAbstractFax::SendToMainThread(std::function<void()> task) {
  std::shared_ptr<std::atomic<bool>> alive = alive_;
  return platform::mainThread().send(
      [alive, task = std::move(task)] {
        if (*alive) task();
      },
      std::chrono::milliseconds(1000));
}

void TApdCustomAbstractFax::NotifyStatus(bool first, bool last) {
  SendToMainThread([this, first, last] { FaxStatus(first, last); });
}

void TApdCustomAbstractFax::NotifyLog(TFaxLogCode code) {
  SendToMainThread([this, code] { FaxLog(code); });
}

void TApdCustomAbstractFax::NotifyError(int code) {
  session_->error = code;
  SendToMainThread([this, code] { FaxError(code); });
}

void TApdCustomAbstractFax::NotifyFinish(int code) {
  std::shared_ptr<std::atomic<bool>> alive = alive_;
  platform::mainThread().post([this, alive, code] {
    if (*alive) FaxFinish(code);
  });
}

void TApdCustomAbstractFax::FaxStatus(bool first, bool last) {
  if (statusDisplay_) statusDisplay_->UpdateDisplay(first, last);
  if (OnFaxStatus) OnFaxStatus(*this, first, last);
}

void TApdCustomAbstractFax::FaxLog(TFaxLogCode code) {
  if (faxLog_) faxLog_->UpdateLog(code);
  if (OnFaxLog) OnFaxLog(*this, code);
  if (code == LogReceiveOk || code == LogReceiveSkip || code == LogReceiveFail) faxFile_.clear();
}

void TApdCustomAbstractFax::FaxError(int errorCode) {
  if (OnFaxError) OnFaxError(*this, errorCode);
}

void TApdCustomAbstractFax::FaxFinish(int errorCode) {
  StopSession();
  if (OnFaxFinish) OnFaxFinish(*this, errorCode);
}

}  // namespace quillon::fax
