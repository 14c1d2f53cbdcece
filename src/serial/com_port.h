#pragma once
// TApdComPort: the component through which the application and the fax components use one
// serial port. It keeps the port's settings as properties, opens a dispatcher when the port
// opens, applies changed settings to the open device, and turns the dispatcher's
// notifications into component events on the main thread.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ticks.h"
#include "serial/dispatcher.h"

namespace quillon::serial {

enum TDeviceLayer { dlWin16, dlFossil, dlWin32, dlWinsock };
enum TParity { pNone, pOdd, pEven, pMark, pSpace };
using THWFlowOptionSet = int;
inline constexpr int hwfUseDTR = 1, hwfUseRTS = 2, hwfRequireDSR = 4, hwfRequireCTS = 8;
enum TSWFlowOptions { swfNone, swfReceive, swfTransmit, swfBoth };
enum TTraceLogState { tlOff, tlOn, tlDump, tlAppend, tlClear, tlPause };
enum TTapiMode { tmNone, tmAuto, tmOn, tmOff };
enum class TPortState { psClosed, psClosing, psOpen };

// Messages users of the port receive when it opens and closes.
inline constexpr unsigned kPortOpenMsg = 0x7E08;
inline constexpr unsigned kPortCloseMsg = 0x7E09;

// Components know whether they are being loaded from a stored form: then nothing opens and
// nothing is raised.
class TApdBaseComponent {
 public:
  virtual ~TApdBaseComponent() = default;
  bool Loading() const { return loading_; }
  void BeginLoading() { loading_ = true; }
  virtual void Loaded() { loading_ = false; }

 private:
  bool loading_ = false;
};

class TApdCustomComPort;
using TTriggerEvent = std::function<void(TApdCustomComPort& cp, unsigned msg, unsigned triggerHandle, unsigned data)>;
using TTriggerAvailEvent = std::function<void(TApdCustomComPort& cp, unsigned count)>;
using TTriggerHandleEvent = std::function<void(TApdCustomComPort& cp, unsigned triggerHandle)>;
using TTriggerLineErrorEvent = std::function<void(TApdCustomComPort& cp, int error, bool lineBreak)>;
using TNotifyEvent = std::function<void(TApdCustomComPort& cp)>;
using TWaitCharEvent = std::function<void(TApdCustomComPort& cp, char c)>;
using TDeviceLostEvent = std::function<void(TApdCustomComPort& cp, int code)>;

class TApdCustomComPort : public TApdBaseComponent {
 public:
  TApdCustomComPort();
  ~TApdCustomComPort() override;
  TApdCustomComPort(const TApdCustomComPort&) = delete;
  TApdCustomComPort& operator=(const TApdCustomComPort&) = delete;

  // Copies settings, trace and log names, users, trigger events and (from an open port) its
  // triggers, restored at this port's next open. Open becomes false.
  void Assign(const TApdCustomComPort& other);
  void Loaded() override;  // opens when Open was set while loading

  // --- properties ---
  TDeviceLayer DeviceLayer() const { return deviceLayer_; }
  void SetDeviceLayer(TDeviceLayer v);  // only dlWin32 is accepted
  int ComNumber() const { return comNumber_; }
  void SetComNumber(int v);
  std::int32_t Baud() const { return baud_; }
  void SetBaud(std::int32_t v);
  bool PromptForPort() const { return promptForPort_; }
  void SetPromptForPort(bool v) { promptForPort_ = v; }
  TParity Parity() const { return parity_; }
  void SetParity(TParity v);
  int DataBits() const { return dataBits_; }
  void SetDataBits(int v);
  int StopBits() const { return stopBits_; }
  void SetStopBits(int v);
  unsigned InSize() const { return inSize_; }
  void SetInSize(unsigned v);
  unsigned OutSize() const { return outSize_; }
  void SetOutSize(unsigned v);
  bool AutoOpen() const { return autoOpen_; }
  void SetAutoOpen(bool v) { autoOpen_ = v; }
  bool Open() const { return open_; }
  void SetOpen(bool v);
  bool DTR() const { return dtr_; }
  void SetDTR(bool v);
  bool RTS() const { return rts_; }
  void SetRTS(bool v);
  THWFlowOptionSet HWFlowOptions() const { return hwFlowOptions_; }
  void SetHWFlowOptions(THWFlowOptionSet v);
  TSWFlowOptions SWFlowOptions() const { return swFlowOptions_; }
  void SetSWFlowOptions(TSWFlowOptions v);
  char XOnChar() const { return xonChar_; }
  void SetXOnChar(char v);
  char XOffChar() const { return xoffChar_; }
  void SetXOffChar(char v);
  unsigned BufferFull() const { return bufferFull_; }
  void SetBufferFull(unsigned v);
  unsigned BufferResume() const { return bufferResume_; }
  void SetBufferResume(unsigned v);
  TTraceLogState Tracing() const { return tracing_; }
  void SetTracing(TTraceLogState v);
  unsigned TraceSize() const { return traceSize_; }
  void SetTraceSize(unsigned v);
  const std::string& TraceName() const { return traceName_; }
  void SetTraceName(const std::string& v) { traceName_ = v.substr(0, 255); }
  bool TraceHex() const { return traceHex_; }
  void SetTraceHex(bool v) { traceHex_ = v; }
  TTraceLogState Logging() const { return logging_; }
  void SetLogging(TTraceLogState v);
  unsigned LogSize() const { return logSize_; }
  void SetLogSize(unsigned v);
  const std::string& LogName() const { return logName_; }
  void SetLogName(const std::string& v) { logName_ = v.substr(0, 255); }
  bool LogHex() const { return logHex_; }
  void SetLogHex(bool v) { logHex_ = v; }
  bool UseMSRShadow() const { return useMSRShadow_; }
  void SetUseMSRShadow(bool v) { useMSRShadow_ = v; }
  bool UseEventWord() const { return useEventWord_; }
  void SetUseEventWord(bool v) { useEventWord_ = v; }
  unsigned CommNotificationLevel() const { return commNotificationLevel_; }
  void SetCommNotificationLevel(unsigned v) { commNotificationLevel_ = v; }
  TTapiMode TapiMode() const { return tapiMode_; }
  void SetTapiMode(TTapiMode v) { tapiMode_ = v; }
  bool RS485Mode() const { return rs485Mode_; }
  void SetRS485Mode(bool v);
  int ThreadBoost() const { return threadBoost_; }
  void SetThreadBoost(int v) { threadBoost_ = v; }
  // The avail threshold (default 1).
  unsigned TriggerLength() const { return triggerLength_; }
  void SetTriggerLength(unsigned v);

  // tmOn: the descriptor the telephony side opened (-1 = none); it stays the caller's.
  void SetTapiHandle(int fd) { tapiHandle_ = fd; }
  // A dispatcher to use instead of the built-in choice (tests, other device layers).
  using DispatcherFactory = std::function<std::unique_ptr<TApdBaseDispatcher>()>;
  void SetDispatcherFactory(DispatcherFactory factory) { dispatcherFactory_ = std::move(factory); }

  // --- events (call EventsChanged after assigning trigger events while open) ---
  TTriggerEvent OnTrigger;
  TTriggerAvailEvent OnTriggerAvail;
  TTriggerHandleEvent OnTriggerData;
  TTriggerHandleEvent OnTriggerStatus;
  TTriggerHandleEvent OnTriggerTimer;
  TTriggerLineErrorEvent OnTriggerLineError;
  TNotifyEvent OnTriggerModemStatus;
  TNotifyEvent OnTriggerOutbuffFree;
  TNotifyEvent OnTriggerOutbuffUsed;
  TNotifyEvent OnTriggerOutSent;
  TWaitCharEvent OnWaitChar;
  TNotifyEvent OnPortOpen;
  TNotifyEvent OnPortClose;
  TDeviceLostEvent OnDeviceLost;  // the device went away while open; the port then closes
  void EventsChanged();

  // --- operations ---
  TPortState State() const { return state_; }
  // The open dispatcher (opening the port first when AutoOpen allows).
  TApdBaseDispatcher& Dispatcher();
  bool HasDispatcher() const { return dispatcher_ != nullptr; }
  void PutString(const std::string& s);
  void PutChar(char c);
  char GetChar();
  bool CharReady();
  int InBuffUsed();
  int OutBuffUsed();
  int OutBuffFree();
  void FlushInBuffer();
  void FlushOutBuffer();
  int AddTimerTrigger();
  void SetTimerTrigger(int handle, platform::Ticks ticks, bool activate);
  int AddStatusTrigger(int type);
  void SetStatusTrigger(int handle, std::uint32_t value, bool activate);
  int AddDataTrigger(const std::string& text, bool ignoreCase);
  void RemoveTrigger(int handle);
  // Reads bytes until `text` was seen (true), `timeout` ticks passed (false) or the
  // application is terminating (true). With `yield` the message pump runs between polls.
  bool AwaitString(const std::string& text, platform::Ticks timeout, bool ignoreCase, bool yield);

  // Users told about opening (true) and closing (false), newest first.
  int RegisterUser(std::function<void(unsigned msg)> window);
  int RegisterUserCallback(std::function<void(bool opening)> callback);
  void DeregisterUser(int id);

 protected:
  // Notification methods, each calling its event when assigned.
  virtual void Trigger(unsigned msg, unsigned triggerHandle, unsigned data);
  virtual void TriggerAvail(unsigned count);
  virtual void TriggerData(unsigned triggerHandle);
  virtual void TriggerStatus(unsigned triggerHandle);
  virtual void TriggerTimer(unsigned triggerHandle);
  virtual void TriggerLineError(int error, bool lineBreak);
  virtual void TriggerModemStatus();
  virtual void TriggerOutbuffFree();
  virtual void TriggerOutbuffUsed();
  virtual void TriggerOutSent();
  virtual void WaitChar(char c);
  virtual void PortOpen();
  virtual void PortClose();
  virtual void DeviceLost(int code);

 private:
  struct User {
    int id;
    std::function<void(unsigned)> window;
    std::function<void(bool)> callback;
  };

  int raise(int code) const;
  bool usable();  // false while closing; opens on first use with AutoOpen
  void initPort();
  void donePort();
  void finishClose();
  void scheduleFinishClose();
  void tellUsers(bool opening);
  void windowProc(unsigned msg, unsigned first, std::uint32_t second);
  struct TraceLogChannel;
  void applyTracing(TTraceLogState v);
  void applyLogging(TTraceLogState v);
  void applyTraceLog(TTraceLogState v, const TraceLogChannel& channel);
  void applyHWFlow();
  void applySWFlow();
  bool anyTriggerEvent() const;
  std::string dumpPath(const std::string& name) const;
  void readSettingsFromTapiDevice();

  TDeviceLayer deviceLayer_ = dlWin32;
  int comNumber_ = 0;
  std::int32_t baud_ = 19200;
  bool promptForPort_ = true;
  TParity parity_ = pNone;
  int dataBits_ = 8;
  int stopBits_ = 1;
  unsigned inSize_ = 4096;
  unsigned outSize_ = 4096;
  bool autoOpen_ = true;
  bool open_ = false;
  bool openAfterLoad_ = false;
  bool dtr_ = true;
  bool rts_ = true;
  THWFlowOptionSet hwFlowOptions_ = 0;
  TSWFlowOptions swFlowOptions_ = swfNone;
  char xonChar_ = 17;
  char xoffChar_ = 19;
  unsigned bufferFull_ = 0;
  unsigned bufferResume_ = 0;
  TTraceLogState tracing_ = tlOff;
  unsigned traceSize_ = 10000;
  std::string traceName_ = "VELD.TRC";
  bool traceHex_ = true;
  TTraceLogState logging_ = tlOff;
  unsigned logSize_ = 10000;
  std::string logName_ = "VELD.LOG";
  bool logHex_ = true;
  bool useMSRShadow_ = true;
  bool useEventWord_ = true;
  unsigned commNotificationLevel_ = 10;
  TTapiMode tapiMode_ = tmAuto;
  bool rs485Mode_ = false;
  int threadBoost_ = 0;
  unsigned triggerLength_ = 1;
  int tapiHandle_ = -1;
  DispatcherFactory dispatcherFactory_;

  std::atomic<TPortState> state_{TPortState::psClosed};  // read by handlers on the dispatch thread
  std::unique_ptr<TApdBaseDispatcher> dispatcher_;
  int windowHandler_ = 0;
  std::optional<SavedTriggers> savedTriggers_;
  std::vector<User> users_;
  int nextUserId_ = 1;
  bool force_ = false;       // re-apply unchanged values after opening
  bool reopenWanted_ = false;
  std::shared_ptr<TApdCustomComPort*> alive_;  // posted tasks check it before touching the port
};

class TApdComPort : public TApdCustomComPort {};

// The main loop asks components to stop waiting when the application is ending.
void setApplicationTerminating(bool terminating);
bool applicationTerminating();

}  // namespace quillon::serial
