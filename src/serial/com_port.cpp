// TApdComPort: properties, opening and closing, settings applied while open, events.
#include "serial/com_port.h"

#include <atomic>
#include <thread>

#include "platform/data_folder.h"
#include "platform/main_thread.h"
#include "platform/message_pump.h"
#include "platform/posix_serial_device.h"
#include "serial/dispatcher_list.h"
#include "errors/error_codes.h"
#include "errors/raise_on_error.h"
#include "serial/flow_levels.h"
#include "serial/port_selection.h"

namespace quillon::serial {

namespace {

std::atomic<bool> terminating{false};

platform::SerialParity toSerialParity(TParity p) {
  static const platform::SerialParity map[] = {platform::SerialParity::none, platform::SerialParity::odd,
                                               platform::SerialParity::even, platform::SerialParity::mark,
                                               platform::SerialParity::space};
  return map[p];
}

TParity fromSerialParity(platform::SerialParity p) { return static_cast<TParity>(p); }

int swFlowBits(TSWFlowOptions o) {
  switch (o) {
    case swfReceive: return sfReceiveFlow;
    case swfTransmit: return sfTransmitFlow;
    case swfBoth: return sfReceiveFlow | sfTransmitFlow;
    default: return 0;
  }
}

}  // namespace

void setApplicationTerminating(bool on) { terminating = on; }
bool applicationTerminating() { return terminating.load(); }

TApdCustomComPort::TApdCustomComPort() : alive_(std::make_shared<TApdCustomComPort*>(this)) {}

TApdCustomComPort::~TApdCustomComPort() {
  if (state_ == TPortState::psOpen) {
    try {
      donePort();
    } catch (...) {  // a destructor must not throw; the port is closed regardless
    }
  }
  if (dispatcher_) {  // a deferred close: the dispatcher's destructor waits for its threads
    dispatcher_.reset();
    state_ = TPortState::psClosed;
  }
  *alive_ = nullptr;
}

int TApdCustomComPort::raise(int code) const { return RaiseOnError(Loading(), code); }

void TApdCustomComPort::Assign(const TApdCustomComPort& o) {
  deviceLayer_ = o.deviceLayer_;
  comNumber_ = o.comNumber_;
  baud_ = o.baud_;
  promptForPort_ = o.promptForPort_;
  parity_ = o.parity_;
  dataBits_ = o.dataBits_;
  stopBits_ = o.stopBits_;
  inSize_ = o.inSize_;
  outSize_ = o.outSize_;
  autoOpen_ = o.autoOpen_;
  dtr_ = o.dtr_;
  rts_ = o.rts_;
  hwFlowOptions_ = o.hwFlowOptions_;
  swFlowOptions_ = o.swFlowOptions_;
  xonChar_ = o.xonChar_;
  xoffChar_ = o.xoffChar_;
  bufferFull_ = o.bufferFull_;
  bufferResume_ = o.bufferResume_;
  tracing_ = o.tracing_ == tlOn ? tlOn : tlOff;
  traceSize_ = o.traceSize_;
  traceName_ = o.traceName_;
  traceHex_ = o.traceHex_;
  logging_ = o.logging_ == tlOn ? tlOn : tlOff;
  logSize_ = o.logSize_;
  logName_ = o.logName_;
  logHex_ = o.logHex_;
  useMSRShadow_ = o.useMSRShadow_;
  useEventWord_ = o.useEventWord_;
  commNotificationLevel_ = o.commNotificationLevel_;
  tapiMode_ = o.tapiMode_;
  rs485Mode_ = o.rs485Mode_;
  threadBoost_ = o.threadBoost_;
  triggerLength_ = o.triggerLength_;
  users_ = o.users_;
  nextUserId_ = o.nextUserId_;
  OnTrigger = o.OnTrigger;
  OnTriggerAvail = o.OnTriggerAvail;
  OnTriggerData = o.OnTriggerData;
  OnTriggerStatus = o.OnTriggerStatus;
  OnTriggerTimer = o.OnTriggerTimer;
  OnTriggerLineError = o.OnTriggerLineError;
  OnTriggerModemStatus = o.OnTriggerModemStatus;
  OnTriggerOutbuffFree = o.OnTriggerOutbuffFree;
  OnTriggerOutbuffUsed = o.OnTriggerOutbuffUsed;
  OnTriggerOutSent = o.OnTriggerOutSent;
  if (o.state_ == TPortState::psOpen && o.dispatcher_) savedTriggers_ = o.dispatcher_->SaveTriggers();
  open_ = false;
}

void TApdCustomComPort::Loaded() {
  TApdBaseComponent::Loaded();
  if (!openAfterLoad_) return;
  openAfterLoad_ = false;
  try {
    SetOpen(true);
  } catch (const std::exception& e) {
    open_ = false;
    showSerialException(e.what());
  }
}

// --- opening and closing ---

void TApdCustomComPort::SetOpen(bool v) {
  if (Loading()) {
    openAfterLoad_ = v;
    return;
  }
  if (v == (state_ == TPortState::psOpen)) {
    open_ = v && state_ == TPortState::psOpen;
    return;
  }
  if (v) {
    if (state_ == TPortState::psClosing) {  // opens once the close has finished
      reopenWanted_ = true;
      return;
    }
    initPort();
  } else {
    donePort();
  }
}

void TApdCustomComPort::readSettingsFromTapiDevice() {
  auto adopted = platform::PosixSerialDevice::adopt(tapiHandle_);
  platform::SerialSettings s;
  if (!adopted.device || adopted.device->getSettings(s) < 0) return;
  if (s.baud > 0) baud_ = s.baud;
  parity_ = fromSerialParity(s.parity);
  dataBits_ = s.dataBits;
  stopBits_ = s.stopBits;
  hwFlowOptions_ = (s.dtrControl == platform::DtrControl::handshake ? hwfUseDTR : 0) |
                   (s.rtsControl == platform::RtsControl::handshake ? hwfUseRTS : 0) |
                   (s.outxDsrFlow ? hwfRequireDSR : 0) | (s.outxCtsFlow ? hwfRequireCTS : 0);
  swFlowOptions_ = s.outX && s.inX ? swfBoth : s.outX ? swfTransmit : s.inX ? swfReceive : swfNone;
  xonChar_ = static_cast<char>(s.xonChar);
  xoffChar_ = static_cast<char>(s.xoffChar);
}

void TApdCustomComPort::initPort() {
  if (tapiMode_ != tmOn && comNumber_ == 0) {
    int chosen = promptForPort_ ? promptForPort(platform::dataFolder()) : 0;
    if (chosen <= 0) raise(ecNoPortSelected);
    comNumber_ = chosen;
  }
  if (deviceLayer_ != dlWin32) raise(ecNullApi);
  std::unique_ptr<TApdBaseDispatcher> d;
  if (dispatcherFactory_)
    d = dispatcherFactory_();
  else if (tapiMode_ == tmOn)
    d = std::make_unique<TApdTapiDispatcher>(tapiHandle_);
  else
    d = std::make_unique<TApdPosixDispatcher>();
  if (tapiMode_ == tmOn) {
    if (tapiHandle_ < 0) raise(ecNotOpenedByTapi);
    readSettingsFromTapiDevice();
  }
  DispatcherOpenParams p;
  p.device = "COM" + std::to_string(comNumber_);
  p.inSize = inSize_;
  p.outSize = outSize_;
  p.baud = baud_;
  p.parity = toSerialParity(parity_);
  p.dataBits = dataBits_;
  p.stopBits = stopBits_;
  p.dtr = dtr_;
  p.rts = rts_;
  int rc = d->OpenDispatcher(p);
  if (rc < 0) {
    std::string reason = d->OpenFailureReason();
    d.reset();
    if (rc == platform::kSerialAccessDenied) rc = ecAlreadyOpen;
    else if (rc == ecFileNotFound || rc == ecPathNotFound) rc = ecBadId;
    RaiseOnError(Loading(), rc, reason);
    return;  // loading: nothing raised, the port stays closed
  }
  dispatcher_ = std::move(d);
  dispatcher_->SetOwner(this);
  state_ = TPortState::psOpen;
  dispatcher_->SetNotifyOwner(anyTriggerEvent());

  force_ = true;
  TTraceLogState tracing = tracing_, logging = logging_;
  tracing_ = logging_ = tlOff;
  SetTracing(tracing);
  SetLogging(logging);
  applyHWFlow();
  applySWFlow();
  SetXOnChar(xonChar_);
  SetXOffChar(xoffChar_);
  SetTriggerLength(triggerLength_);
  if (deviceLayer_ != dlFossil) {
    SetDTR(dtr_);
    SetRTS(rts_);
  }
  SetRS485Mode(rs485Mode_);
  force_ = false;
  open_ = true;

  // The hidden window: notifications reach the port on the main thread.
  std::weak_ptr<TApdCustomComPort*> alive = alive_;
  windowHandler_ = dispatcher_->RegisterWndTriggerHandler([alive](unsigned msg, unsigned first, std::uint32_t second) {
    if (auto p = alive.lock(); p && *p) (*p)->windowProc(msg, first, second);
  });
  dispatcher_->SetDeviceLostHandler([alive](int code) {
    platform::mainThread().post([alive, code] {
      if (auto p = alive.lock(); p && *p) (*p)->DeviceLost(code);
    });
  });
  if (savedTriggers_) {
    dispatcher_->RestoreTriggers(*savedTriggers_);
    savedTriggers_.reset();
  }
  tellUsers(true);
}

void TApdCustomComPort::donePort() {
  open_ = false;
  if (state_ != TPortState::psOpen) return;
  // An active trace or log is written to its file on every close; a dump that cannot be
  // written must not keep the port open.
  try {
    if (tracing_ == tlOn || tracing_ == tlPause) applyTracing(tlDump);
  } catch (const std::exception& e) {
    showSerialException(e.what());
  }
  try {
    if (logging_ == tlOn || logging_ == tlPause) applyLogging(tlDump);
  } catch (const std::exception& e) {
    showSerialException(e.what());
  }
  tracing_ = logging_ = tlOff;
  state_ = TPortState::psClosing;
  tellUsers(false);
  savedTriggers_ = dispatcher_->SaveTriggers();
  if (dispatcher_->CloseDispatcher() == 1) {
    scheduleFinishClose();  // notifications are being delivered: finish when they end
    return;
  }
  finishClose();
}

void TApdCustomComPort::scheduleFinishClose() {
  std::weak_ptr<TApdCustomComPort*> alive = alive_;
  platform::mainThread().post([alive] {
    if (auto p = alive.lock(); p && *p) (*p)->finishClose();
  });
}

void TApdCustomComPort::finishClose() {
  if (!dispatcher_) return;
  if (!dispatcher_->ThreadsGone()) {
    std::this_thread::yield();
    scheduleFinishClose();
    return;
  }
  dispatcher_->CloseDispatcher();
  dispatcher_.reset();
  windowHandler_ = 0;
  state_ = TPortState::psClosed;
  if (reopenWanted_) {
    reopenWanted_ = false;
    SetOpen(true);
  }
}

void TApdCustomComPort::tellUsers(bool opening) {
  std::vector<User> users = users_;  // a user may deregister while being told
  for (auto it = users.rbegin(); it != users.rend(); ++it) {
    if (it->window) it->window(opening ? kPortOpenMsg : kPortCloseMsg);
    if (it->callback) it->callback(opening);
  }
  if (opening)
    PortOpen();
  else
    PortClose();
}

int TApdCustomComPort::RegisterUser(std::function<void(unsigned)> window) {
  users_.push_back({nextUserId_, std::move(window), nullptr});
  return nextUserId_++;
}

int TApdCustomComPort::RegisterUserCallback(std::function<void(bool)> callback) {
  users_.push_back({nextUserId_, nullptr, std::move(callback)});
  return nextUserId_++;
}

void TApdCustomComPort::DeregisterUser(int id) {
  std::erase_if(users_, [&](const User& u) { return u.id == id; });
}

bool TApdCustomComPort::usable() {
  if (state_ == TPortState::psClosing) return false;
  if (state_ == TPortState::psClosed) {
    if (!autoOpen_) raise(ecCommNotOpen);
    SetOpen(true);
  }
  return state_ == TPortState::psOpen;
}

TApdBaseDispatcher& TApdCustomComPort::Dispatcher() {
  if (state_ != TPortState::psClosing) usable();
  if (!dispatcher_) raise(ecCommNotOpen);
  return *dispatcher_;
}

// --- settings ---

void TApdCustomComPort::SetDeviceLayer(TDeviceLayer v) {
  if (v == dlWin32) deviceLayer_ = v;
}

void TApdCustomComPort::SetComNumber(int v) {
  if (v == comNumber_) return;
  if (state_ != TPortState::psOpen) {
    comNumber_ = v;
    return;
  }
  TTraceLogState tracing = tracing_, logging = logging_;
  SetOpen(false);  // saves the triggers
  comNumber_ = v;
  tracing_ = tracing;
  logging_ = logging;
  SetOpen(true);  // restores them
}

void TApdCustomComPort::SetBaud(std::int32_t v) {
  if (state_ == TPortState::psOpen && (v != baud_ || force_))
    raise(dispatcher_->SetLine(v, toSerialParity(parity_), dataBits_, stopBits_));
  baud_ = v;
}

void TApdCustomComPort::SetParity(TParity v) {
  if (state_ == TPortState::psOpen && (v != parity_ || force_))
    raise(dispatcher_->SetLine(baud_, toSerialParity(v), dataBits_, stopBits_));
  parity_ = v;
}

void TApdCustomComPort::SetDataBits(int v) {
  if (state_ == TPortState::psOpen && (v != dataBits_ || force_))
    raise(dispatcher_->SetLine(baud_, toSerialParity(parity_), v, stopBits_));
  dataBits_ = v;
}

void TApdCustomComPort::SetStopBits(int v) {
  if (state_ == TPortState::psOpen && (v != stopBits_ || force_))
    raise(dispatcher_->SetLine(baud_, toSerialParity(parity_), dataBits_, v));
  stopBits_ = v;
}

void TApdCustomComPort::SetInSize(unsigned v) {
  if (state_ == TPortState::psOpen && (v != inSize_ || force_)) {
    raise(dispatcher_->SetQueueSizes(v, outSize_));
    inSize_ = v;
    // The flow levels are measured against the input size: apply them again.
    if (hwFlowOptions_) applyHWFlow();
    if (swFlowOptions_ != swfNone) applySWFlow();
    return;
  }
  inSize_ = v;
}

void TApdCustomComPort::SetOutSize(unsigned v) {
  if (state_ == TPortState::psOpen && (v != outSize_ || force_)) raise(dispatcher_->SetQueueSizes(inSize_, v));
  outSize_ = v;  // OutSize and the transmit ring agree: a refused size is not stored
}

void TApdCustomComPort::SetDTR(bool v) {
  if (state_ == TPortState::psOpen && (v != dtr_ || force_)) {
    int rc = dispatcher_->SetDtr(v);
    if (rc == 1) return;  // DTR is under hardware flow control
    raise(rc);
  }
  dtr_ = v;
}

void TApdCustomComPort::SetRTS(bool v) {
  if (state_ == TPortState::psOpen && (v != rts_ || force_)) {
    int rc = dispatcher_->SetRts(v);
    if (rc == 1) return;
    raise(rc);
  }
  rts_ = v;
}

void TApdCustomComPort::applyHWFlow() {
  if (hwFlowOptions_) {
    FlowLevels l = hardwareFlowLevels(inSize_, bufferFull_, bufferResume_);
    bufferFull_ = l.full;
    bufferResume_ = l.resume;
  }
  if (state_ == TPortState::psOpen)
    raise(dispatcher_->SetHardwareFlowControl(hwFlowOptions_, bufferFull_, bufferResume_));
}

void TApdCustomComPort::applySWFlow() {
  if (swFlowOptions_ != swfNone) {
    FlowLevels l = softwareFlowLevels(inSize_, bufferFull_, bufferResume_);
    bufferFull_ = l.full;
    bufferResume_ = l.resume;
  }
  if (state_ == TPortState::psOpen)
    raise(dispatcher_->SetSoftwareFlowControl(swFlowBits(swFlowOptions_), bufferFull_, bufferResume_));
}

void TApdCustomComPort::SetHWFlowOptions(THWFlowOptionSet v) {
  if (v == hwFlowOptions_ && !force_) return;
  hwFlowOptions_ = v;
  if (v & (hwfUseRTS | hwfRequireCTS)) rs485Mode_ = false;  // RTS now belongs to the handshake
  applyHWFlow();
}

void TApdCustomComPort::SetSWFlowOptions(TSWFlowOptions v) {
  if (v == swFlowOptions_ && !force_) return;
  swFlowOptions_ = v;
  applySWFlow();
}

void TApdCustomComPort::SetBufferFull(unsigned v) {
  bufferFull_ = v > inSize_ ? percentOf(v, 90) : v;
  if (hwFlowOptions_) applyHWFlow();
  if (swFlowOptions_ != swfNone) applySWFlow();
}

void TApdCustomComPort::SetBufferResume(unsigned v) {
  bufferResume_ = v > bufferFull_ ? percentOf(bufferFull_, 10) : v;
  if (hwFlowOptions_) applyHWFlow();
  if (swFlowOptions_ != swfNone) applySWFlow();
}

void TApdCustomComPort::SetXOnChar(char v) {
  if (state_ == TPortState::psOpen && (v != xonChar_ || force_))
    raise(dispatcher_->SetXOnChar(static_cast<std::uint8_t>(v)));
  xonChar_ = v;
}

void TApdCustomComPort::SetXOffChar(char v) {
  if (state_ == TPortState::psOpen && (v != xoffChar_ || force_))
    raise(dispatcher_->SetXOffChar(static_cast<std::uint8_t>(v)));
  xoffChar_ = v;
}

void TApdCustomComPort::SetRS485Mode(bool v) {
  if (v == rs485Mode_ && !force_) return;
  rs485Mode_ = v;
  if (v && (hwFlowOptions_ & (hwfUseRTS | hwfRequireCTS))) {
    hwFlowOptions_ &= ~(hwfUseRTS | hwfRequireCTS);
    applyHWFlow();
  }
  if (state_ != TPortState::psOpen) return;
  raise(dispatcher_->SetRS485Mode(v));
  if (v) {
    dispatcher_->SetRts(false);
    rts_ = false;
  }
}

void TApdCustomComPort::SetTriggerLength(unsigned v) {
  triggerLength_ = v;
  if (state_ == TPortState::psOpen) dispatcher_->ChangeLengthTrigger(v);
}

void TApdCustomComPort::SetTraceSize(unsigned v) { traceSize_ = std::min<unsigned>(v, kMaxTraceSize); }
void TApdCustomComPort::SetLogSize(unsigned v) { logSize_ = std::min<unsigned>(v, kMaxLogSize); }

// --- tracing and logging ---

std::string TApdCustomComPort::dumpPath(const std::string& name) const {
  if (!name.empty() && name[0] == '/') return name;
  return platform::dataFolder() + name;
}

void TApdCustomComPort::SetTracing(TTraceLogState v) {
  if (state_ != TPortState::psOpen) {
    tracing_ = (v == tlOn) ? tlOn : tlOff;  // only on and off are kept while closed
    return;
  }
  if (v == tracing_ && !force_) return;
  applyTracing(v);
}

void TApdCustomComPort::SetLogging(TTraceLogState v) {
  if (state_ != TPortState::psOpen) {
    logging_ = (v == tlOn) ? tlOn : tlOff;
    return;
  }
  if (v == logging_ && !force_) return;
  applyLogging(v);
}

// The trace and the dispatch log change state the same way; this names one of them.
struct TApdCustomComPort::TraceLogChannel {
  TTraceLogState& state;
  int (TApdBaseDispatcher::*init)(std::size_t);
  std::size_t size;
  bool (TApdBaseDispatcher::*active)() const;
  void (TApdBaseDispatcher::*resume)();
  void (TApdBaseDispatcher::*pause)();
  void (TApdBaseDispatcher::*clear)();
  void (TApdBaseDispatcher::*abort)();
  int (TApdBaseDispatcher::*dump)(const std::string&, bool, bool);
  std::string dumpPath;
  bool hex;
  int notEnabled;  // what dump answers when nothing was recorded: not an error here
};

void TApdCustomComPort::applyTracing(TTraceLogState v) {
  applyTraceLog(v, {tracing_, &TApdBaseDispatcher::InitTracing, traceSize_, &TApdBaseDispatcher::Tracing,
                    &TApdBaseDispatcher::StartTracing, &TApdBaseDispatcher::StopTracing,
                    &TApdBaseDispatcher::ClearTracing, &TApdBaseDispatcher::AbortTracing,
                    &TApdBaseDispatcher::DumpTrace, dumpPath(traceName_), traceHex_, ecTracingNotEnabled});
}

void TApdCustomComPort::applyLogging(TTraceLogState v) {
  applyTraceLog(v, {logging_, &TApdBaseDispatcher::InitLogging, logSize_, &TApdBaseDispatcher::Logging,
                    &TApdBaseDispatcher::StartLogging, &TApdBaseDispatcher::StopLogging,
                    &TApdBaseDispatcher::ClearLogging, &TApdBaseDispatcher::AbortLogging,
                    &TApdBaseDispatcher::DumpLog, dumpPath(logName_), logHex_, ecLoggingNotEnabled});
}

void TApdCustomComPort::applyTraceLog(TTraceLogState v, const TraceLogChannel& c) {
  TApdBaseDispatcher& d = *dispatcher_;
  switch (v) {
    case tlOn:
      if (c.state == tlPause && (d.*c.active)())  // resume; a pause set before anything ran starts afresh
        (d.*c.resume)();
      else
        raise((d.*c.init)(c.size));
      c.state = tlOn;
      break;
    case tlOff:
      (d.*c.abort)();
      c.state = tlOff;
      break;
    case tlDump:
    case tlAppend: {
      c.state = tlOff;
      int rc = (d.*c.dump)(c.dumpPath, v == tlAppend, c.hex);
      if (rc != c.notEnabled) raise(rc);
      break;
    }
    case tlClear:
      (d.*c.clear)();
      break;
    case tlPause:
      (d.*c.pause)();
      c.state = tlPause;
      break;
  }
}

// --- notifications ---

bool TApdCustomComPort::anyTriggerEvent() const {
  return OnTrigger || OnTriggerAvail || OnTriggerData || OnTriggerStatus || OnTriggerTimer || OnTriggerLineError ||
         OnTriggerModemStatus || OnTriggerOutbuffFree || OnTriggerOutbuffUsed || OnTriggerOutSent;
}

void TApdCustomComPort::EventsChanged() {
  if (dispatcher_) dispatcher_->SetNotifyOwner(anyTriggerEvent());
}

void TApdCustomComPort::windowProc(unsigned msg, unsigned first, std::uint32_t second) {
  TApdCustomComPort* port = nullptr;
  {
    std::lock_guard guard(dispatcherListLock());
    if (TApdBaseDispatcher* d = dispatcherInSlot(static_cast<int>(second >> 16)))
      port = static_cast<TApdCustomComPort*>(d->Owner());
  }
  if (!port || port->state_ != TPortState::psOpen) return;
  unsigned data = msg == kTriggerAvailMsg ? first : (second & 0xFFFF);
  port->Trigger(msg, first, data);
  switch (msg) {
    case kTriggerAvailMsg: port->TriggerAvail(first); break;
    case kTriggerDataMsg: port->TriggerData(first); break;
    case kTriggerTimerMsg: port->TriggerTimer(first); break;
    case kTriggerStatusMsg:
      port->TriggerStatus(first);
      switch (first & 7) {
        case stModem: port->TriggerModemStatus(); break;
        case stLine: {
          int error = port->dispatcher_->GetLineError();
          port->TriggerLineError(error, port->dispatcher_->CheckLineBreak());
          break;
        }
        case stOutFree: port->TriggerOutbuffFree(); break;
        case stOutUsed: port->TriggerOutbuffUsed(); break;
        case stOutSent: port->TriggerOutSent(); break;
      }
      break;
  }
}

void TApdCustomComPort::Trigger(unsigned msg, unsigned h, unsigned data) {
  if (OnTrigger) OnTrigger(*this, msg, h, data);
}
void TApdCustomComPort::TriggerAvail(unsigned count) {
  if (OnTriggerAvail) OnTriggerAvail(*this, count);
}
void TApdCustomComPort::TriggerData(unsigned h) {
  if (OnTriggerData) OnTriggerData(*this, h);
}
void TApdCustomComPort::TriggerStatus(unsigned h) {
  if (OnTriggerStatus) OnTriggerStatus(*this, h);
}
void TApdCustomComPort::TriggerTimer(unsigned h) {
  if (OnTriggerTimer) OnTriggerTimer(*this, h);
}
void TApdCustomComPort::TriggerLineError(int error, bool lineBreak) {
  if (OnTriggerLineError) OnTriggerLineError(*this, error, lineBreak);
}
void TApdCustomComPort::TriggerModemStatus() {
  if (OnTriggerModemStatus) OnTriggerModemStatus(*this);
}
void TApdCustomComPort::TriggerOutbuffFree() {
  if (OnTriggerOutbuffFree) OnTriggerOutbuffFree(*this);
}
void TApdCustomComPort::TriggerOutbuffUsed() {
  if (OnTriggerOutbuffUsed) OnTriggerOutbuffUsed(*this);
}
void TApdCustomComPort::TriggerOutSent() {
  if (OnTriggerOutSent) OnTriggerOutSent(*this);
}
void TApdCustomComPort::WaitChar(char c) {
  if (OnWaitChar) OnWaitChar(*this, c);
}
void TApdCustomComPort::PortOpen() {
  if (OnPortOpen) OnPortOpen(*this);
}
void TApdCustomComPort::PortClose() {
  if (OnPortClose) OnPortClose(*this);
}

void TApdCustomComPort::DeviceLost(int code) {
  if (state_ != TPortState::psOpen) return;
  if (OnDeviceLost) OnDeviceLost(*this, code);
  SetOpen(false);
}

// --- operations ---

void TApdCustomComPort::PutString(const std::string& s) {
  if (!usable()) return;
  raise(dispatcher_->PutString(s));
}

void TApdCustomComPort::PutChar(char c) {
  if (!usable()) return;
  raise(dispatcher_->PutChar(static_cast<std::uint8_t>(c)));
}

char TApdCustomComPort::GetChar() {
  if (!usable()) return 0;
  std::uint8_t c = 0;
  raise(dispatcher_->GetChar(c));
  return static_cast<char>(c);
}

bool TApdCustomComPort::CharReady() {
  if (!usable()) return false;
  return dispatcher_->InBuffUsed() > 0;
}

int TApdCustomComPort::InBuffUsed() { return usable() ? dispatcher_->InBuffUsed() : 0; }
int TApdCustomComPort::OutBuffUsed() { return usable() ? dispatcher_->OutBuffUsed() : 0; }
int TApdCustomComPort::OutBuffFree() { return usable() ? dispatcher_->OutBuffFree() : 0; }

void TApdCustomComPort::FlushInBuffer() {
  if (usable()) dispatcher_->FlushInBuffer();
}

void TApdCustomComPort::FlushOutBuffer() {
  if (usable()) dispatcher_->FlushOutBuffer();
}

int TApdCustomComPort::AddTimerTrigger() { return usable() ? raise(dispatcher_->AddTimerTrigger()) : 0; }

void TApdCustomComPort::SetTimerTrigger(int handle, platform::Ticks ticks, bool activate) {
  if (usable()) raise(dispatcher_->SetTimerTrigger(handle, ticks, activate));
}

int TApdCustomComPort::AddStatusTrigger(int type) { return usable() ? raise(dispatcher_->AddStatusTrigger(type)) : 0; }

void TApdCustomComPort::SetStatusTrigger(int handle, std::uint32_t value, bool activate) {
  if (usable()) raise(dispatcher_->SetStatusTrigger(handle, value, activate));
}

int TApdCustomComPort::AddDataTrigger(const std::string& text, bool ignoreCase) {
  return usable() ? raise(dispatcher_->AddDataTrigger(text, ignoreCase)) : 0;
}

void TApdCustomComPort::RemoveTrigger(int handle) {
  if (usable()) raise(dispatcher_->RemoveTrigger(handle));
}

bool TApdCustomComPort::AwaitString(const std::string& text, platform::Ticks timeout, bool ignoreCase,
                                    bool yield) {
  auto same = [&](char a, char b) {
    if (!ignoreCase) return a == b;
    auto up = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; };
    return up(a) == up(b);
  };
  platform::TickTimer timer = platform::startTimer(timeout);
  std::size_t matched = 0;
  for (;;) {
    if (applicationTerminating()) return true;
    if (text.empty()) return true;
    while (usable() && dispatcher_->InBuffUsed() > 0) {
      std::uint8_t byte = 0;
      if (dispatcher_->GetChar(byte) < 0) break;
      char c = static_cast<char>(byte);
      WaitChar(c);
      if (same(c, text[matched]))
        ++matched;
      else
        matched = same(c, text[0]) ? 1 : 0;  // the byte may start the string again
      if (matched == text.size()) return true;
    }
    if (state_ != TPortState::psOpen) return false;
    if (platform::timerExpired(timer)) return false;
    // The port's own notifications are sent to the main thread: when we are it, they must
    // run here, or the dispatch thread would stall in its send and the event be lost.
    if (yield)
      platform::pumpMessages();
    else if (platform::mainThread().isMainThread())
      platform::mainThread().runWaitingSends();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

}  // namespace quillon::serial
