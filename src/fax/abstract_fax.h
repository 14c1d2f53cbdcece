#pragma once
// TApdCustomAbstractFax and TApdAbstractFax: what sending and receiving share. The component
// is hooked to a com port, an optional status display and an optional fax log, owns the fax
// session record, starts the state machine on the port's dispatcher and turns the engine's
// notifications into events on the main thread.
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "fax/fax_log.h"
#include "fax/fax_session.h"
#include "fax/fax_types.h"
#include "serial/com_port.h"

namespace quillon::fax {

class TApdCustomAbstractFax : public serial::TApdBaseComponent, protected FaxNotifier {
 public:
  TApdCustomAbstractFax();
  ~TApdCustomAbstractFax() override;
  TApdCustomAbstractFax(const TApdCustomAbstractFax&) = delete;
  TApdCustomAbstractFax& operator=(const TApdCustomAbstractFax&) = delete;

  // Attaches the first port, the first status display and the first log without a fax among
  // `owned` (the owner's components, in order) where none is attached yet.
  void AttachFromOwner(const std::vector<serial::TApdBaseComponent*>& owned);

  // --- published properties ---
  std::int32_t InitBaud() const { return initBaud_; }
  void SetInitBaud(std::int32_t v);
  std::int32_t NormalBaud() const { return normalBaud_; }
  void SetNormalBaud(std::int32_t v) { normalBaud_ = v; }
  TFaxClass FaxClass() const { return faxClass_; }
  void SetFaxClass(TFaxClass v) { faxClass_ = v; }
  const std::string& ModemInit() const { return modemInit_; }
  void SetModemInit(const std::string& v) { modemInit_ = NormalizeModemInit(v); }
  const std::string& StationID() const { return stationId_; }
  void SetStationID(const std::string& v) { stationId_ = cut(v, kStationIdLength); }
  serial::TApdCustomComPort* ComPort() const { return comPort_; }
  void SetComPort(serial::TApdCustomComPort* port);
  TApdAbstractFaxStatus* StatusDisplay() const { return statusDisplay_; }
  void SetStatusDisplay(TApdAbstractFaxStatus* display);
  TApdFaxLog* FaxLog() const { return faxLog_; }
  void SetFaxLog(TApdFaxLog* log);
  virtual std::string GetFaxFile() const { return faxFile_; }
  virtual void SetFaxFile(const std::string& v) { faxFile_ = cut(v, kPassStringLength); }
  std::string FaxFile() const { return GetFaxFile(); }
  bool AbortNoConnect() const { return abortNoConnect_; }
  void SetAbortNoConnect(bool v) { abortNoConnect_ = v; }
  bool ExitOnError() const { return exitOnError_; }
  void SetExitOnError(bool v) { exitOnError_ = v; }
  bool SoftwareFlow() const { return softwareFlow_; }
  void SetSoftwareFlow(bool v) { softwareFlow_ = v; }
  unsigned StatusInterval() const { return statusInterval_; }
  void SetStatusInterval(unsigned v) { statusInterval_ = v & 0xFFFF; }
  unsigned DesiredBPS() const { return desiredBps_; }
  void SetDesiredBPS(unsigned v) { desiredBps_ = v & 0xFFFF; }
  bool DesiredECM() const { return desiredEcm_; }
  void SetDesiredECM(bool v) { desiredEcm_ = v; }
  const std::string& FaxFileExt() const { return faxFileExt_; }
  void SetFaxFileExt(const std::string& v) { faxFileExt_ = cut(v, kPassStringLength); }

  TFaxStatusEvent OnFaxStatus;
  TFaxLogEvent OnFaxLog;
  TFaxErrorEvent OnFaxError;
  TFaxFinishEvent OnFaxFinish;

  // --- run-time properties ---
  std::string RemoteStation() const { return session_->remoteId; }
  TFaxClassSet ModemClasses();
  int Progress() const { return session_->progress; }
  int LastError() const { return session_->error; }
  int LineRate() const { return session_->lineRate; }
  bool FineResolution() const { return session_->fine; }
  bool WidePage() const { return session_->wide; }
  bool ErrorCorrection() const { return session_->ecm; }
  int HangupResult() const { return session_->hangupCode; }
  virtual int PageCount() const { return session_->pageCount; }
  virtual int PageNumber() const;
  virtual long PageBytesDone() const;
  virtual long PageBytesTotal() const { return static_cast<long>(session_->bytesTotal); }
  bool Running() const { return session_->running; }

  // Stops a running session with "Cancel requested".
  void AbortFax();
  // The text of a progress code 1..43 (at most 80 characters), else empty.
  static std::string ProgressText(int code);

  // What the fax log writes about the current fax.
  virtual FaxLogFacts LogFacts() const;
  // A display or log going away.
  void StatusDisplayRemoved(TApdAbstractFaxStatus* display);
  void LogRemoved(TApdFaxLog* log);

  // The session record (tests read the machine's state and shorten its time-outs).
  FaxSession& Session() { return *session_; }

 protected:
  // --- notification handlers (main thread) ---
  virtual void FaxStatus(bool first, bool last);
  virtual void FaxLog(TFaxLogCode code);
  virtual void FaxError(int errorCode);
  virtual void FaxFinish(int errorCode);

  // Checks the port as at every start; raises the error.
  void CheckPort() const;
  // Copies the properties into the session record.
  virtual void LoadSession();
  // Registers the session with the dispatcher and adds its triggers; false (after a last
  // status and the finish) when a trigger cannot be had.
  bool AddSessionTriggers();
  // Installs the handler and starts the first step and the status timer.
  void InstallHandler(void (*handler)(FaxSession&, unsigned, unsigned, std::uint32_t));
  // Stops the session (handler and triggers gone).
  void StopSession();
  // Ends a run that failed before the machine started: last status, posted finish.
  void EndRunAtOnce(int code);
  // The port closed under a running session (unplugged modem): the fax fails at once.
  virtual void PortClosedWhileRunning();
  virtual TFaxLogCode FailureLogCode() const { return LogTransmitFail; }

  // FaxNotifier: each reaches the main thread.
  void NotifyStatus(bool first, bool last) override;
  void NotifyLog(TFaxLogCode code) override;
  void NotifyError(int code) override;
  bool NotifyNext() override { return false; }
  void NotifyFinish(int code) override;

  // The cancel message for the direction's machine.
  virtual void CancelRun() {}
  // Runs `task` on the main thread with the 1000 ms time-out; false when it did not run.
  bool SendToMainThread(std::function<void()> task);

  std::shared_ptr<FaxSession> session_;
  std::shared_ptr<std::atomic<bool>> alive_;
  std::string faxFile_;

 private:
  std::int32_t initBaud_ = 0, normalBaud_ = 0;
  TFaxClass faxClass_ = fcDetect;
  std::string modemInit_, stationId_;
  serial::TApdCustomComPort* comPort_ = nullptr;
  TApdAbstractFaxStatus* statusDisplay_ = nullptr;
  TApdFaxLog* faxLog_ = nullptr;
  bool abortNoConnect_ = false, exitOnError_ = false, softwareFlow_ = false;
  unsigned statusInterval_ = 1;
  unsigned desiredBps_ = 9600;
  bool desiredEcm_ = false;
  std::string faxFileExt_ = "APF";
  int portUser_ = 0;
  TFaxClassSet modemClasses_;
  bool modemClassesKnown_ = false;
};

class TApdAbstractFax : public TApdCustomAbstractFax {};

}  // namespace quillon::fax
