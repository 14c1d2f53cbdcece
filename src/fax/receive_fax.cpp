#include "fax/receive_fax.h"

#include "errors/error_codes.h"
#include "errors/raise_on_error.h"
#include "fax/fax_naming.h"
#include "fax/header_tags.h"
#include "fax/receive_machine.h"
#include "fax/receive_part.h"

namespace quillon::fax {

void TApdCustomReceiveFax::SetDestinationDir(const std::string& v) {
  destinationDir_ = cut(FolderWithSeparator(v), kPassStringLength);
}

FaxLogFacts TApdCustomReceiveFax::LogFacts() const {
  FaxLogFacts f = TApdCustomAbstractFax::LogFacts();
  f.sending = false;
  f.receivedFile = faxFile_;
  return f;
}

void TApdCustomReceiveFax::FaxAccept(bool& accept) {
  if (OnFaxAccept)
    OnFaxAccept(*this, accept);
  else
    accept = true;
}

void TApdCustomReceiveFax::FaxName(std::string& name) {
  if (OnFaxName) {
    OnFaxName(*this, name);
  } else {
    std::tm now = LocalNow();
    name = DefaultFaxName(namingMode_, destinationDir_, FaxFileExt(), now.tm_mon + 1, now.tm_mday);
  }
  faxFile_ = cut(name, kPassStringLength);
}

void TApdCustomReceiveFax::LoadSession() {
  TApdCustomAbstractFax::LoadSession();
  FaxSession& s = *session_;
  if (!s.receive) s.receive = std::make_shared<ReceivePart>();
  ReceivePart& r = *s.receive;
  r.oneFax = oneFax_;
  r.constantStatus = constantStatus_;
  r.answerOnRing = answerOnRing_;
  r.faxAndData = faxAndData_ ? '1' : '0';
  r.startState = 1;
  s.initString = BuiltInInitString(false, true);
  // The questions go to the main thread; one that is not answered in time is a refusal,
  // and a name that is not given in time is the naming mode's.
  r.accept = [this] {
    bool accept = false;
    bool answered = SendToMainThread([this, &accept] {
      accept = true;
      FaxAccept(accept);
    });
    return answered && accept;
  };
  r.name = [this] {
    std::string name;
    if (!SendToMainThread([this, &name] { FaxName(name); })) {
      std::tm now = LocalNow();
      name = DefaultFaxName(namingMode_, destinationDir_, FaxFileExt(), now.tm_mon + 1, now.tm_mday);
    }
    return name;
  };
}

void TApdCustomReceiveFax::BeginReceive() {
  CheckPort();
  if (session_->running) RaiseOnError(ecFaxSessionError);
  LoadSession();
  FaxSession& s = *session_;
  if (!AddSessionTriggers()) return;
  int rc = PrepareReceiveSession(s);
  if (rc < 0) {
    s.error = rc;
    NotifyError(rc);
    StopSession();
    EndRunAtOnce(rc);
    return;
  }
  s.prepared = true;
  InstallHandler(HandleReceiveTrigger);
}

void TApdCustomReceiveFax::CancelRun() { CancelReceive(*session_); }

void TApdCustomReceiveFax::PortClosedWhileRunning() {
  FaxSession& s = *session_;
  bool logFailure;
  {
    std::lock_guard lock(s.mutex);
    if (!s.running || s.state == 37) return;
    s.running = false;
    s.error = ecCommNotOpen;
    logFailure = EndReceiveOnPortLoss(s);
  }
  StopSession();
  FaxError(ecCommNotOpen);
  if (logFailure) FaxLog(LogReceiveFail);
  FaxStatus(false, true);
  NotifyFinish(ecCommNotOpen);
}

}  // namespace quillon::fax
