#include "fax/send_fax.h"

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

#include "fax/modem_commands.h"
#include "fax/send_machine.h"
#include "faximage/fax_file_join.h"
#include "errors/error_codes.h"
#include "errors/raise_on_error.h"

namespace quillon::fax {

std::string MakeTemporaryFaxName() {
  std::error_code ec;
  std::filesystem::path dir = std::filesystem::temp_directory_path(ec);
  if (ec) dir = "/tmp";
  std::string pattern = (dir / "~APXXXXXX").string();
  int fd = mkstemp(pattern.data());
  if (fd < 0) return {};
  close(fd);
  return pattern;
}

TApdCustomSendFax::TApdCustomSendFax() = default;

TApdCustomSendFax::~TApdCustomSendFax() {
  StopSession();
  if (!joinedFile_.empty()) std::remove(joinedFile_.c_str());
}

void TApdCustomSendFax::SetFaxFile(const std::string& v) {
  faxFileList_.clear();
  if (!v.empty()) faxFileList_.push_back(cut(v, kPassStringLength));
}

FaxLogFacts TApdCustomSendFax::LogFacts() const {
  FaxLogFacts f = TApdCustomAbstractFax::LogFacts();
  f.sending = true;
  f.faxFiles = faxFileList_;
  f.phoneNumber = phoneNumber_;
  return f;
}

void TApdCustomSendFax::LoadSession() {
  TApdCustomAbstractFax::LoadSession();
  FaxSession& s = *session_;
  s.enhTextEnabled = enhTextEnabled_;
  s.enhHeaderFont = enhHeaderFont_;
  s.enhFont = enhFont_;
  s.blindDial = blindDial_;
  s.detectBusy = detectBusy_;
  s.toneDial = toneDial_;
  s.dialPrefix = dialPrefix_;
  s.dialWait = dialWaitTicks_;
  s.dialAttempts = dialAttempts_;
  s.dialRetryWait = dialRetryWaitTicks_;
  s.maxSendCount = maxSendCount_ ? maxSendCount_ : 1;
  s.bufferMinimum = bufferMinimum_;
  s.headerLine = headerLine_;
  s.headerSender = headerSender_;
  s.headerRecipient = headerRecipient_;
  s.headerTitle = headerTitle_;
  s.initString = BuiltInInitString(blindDial_, detectBusy_);
}

void TApdCustomSendFax::BeginTransmit() {
  CheckPort();
  if (session_->running) RaiseOnError(ecFaxSessionError);
  // Several files for one call become one temporary file.
  if (!joinedFile_.empty()) {
    std::remove(joinedFile_.c_str());
    joinedFile_.clear();
  }
  if (faxFileList_.size() >= 2 && !OnFaxNext) {
    std::string joined = MakeTemporaryFaxName();
    if (joined.empty()) RaiseOnError(ecCantWriteFile);
    int rc = faximage::JoinFaxFiles(faxFileList_, joined);
    if (rc < 0) {
      std::remove(joined.c_str());
      RaiseOnError(rc);
    }
    joinedFile_ = joined;
  }
  firstFaxGiven_ = false;
  LoadSession();
  FaxSession& s = *session_;
  if (!AddSessionTriggers()) return;
  PrepareSendSession(s);
  NotifyStatus(true, false);
  int rc = s.modemInitialised ? 0 : InitialiseModem(s, true, s.class1.localSpeeds.has);
  if (rc < 0) {
    s.error = rc;
    NotifyError(rc);
    StopSession();
    EndRunAtOnce(rc);
    return;
  }
  s.prepared = true;
  InstallHandler(HandleSendTrigger);
}

void TApdCustomSendFax::CancelRun() { CancelSend(*session_); }

void TApdCustomSendFax::FaxNext(std::string& phoneNumber, std::string& faxFile, std::string& coverFile) {
  if (OnFaxNext) {
    phoneNumber.clear();
    faxFile.clear();
    coverFile.clear();
    OnFaxNext(*this, phoneNumber, faxFile, coverFile);
    phoneNumber_ = cut(phoneNumber, kPassStringLength);
    SetFaxFile(faxFile);
    coverFile_ = cut(coverFile, kPassStringLength);
    return;
  }
  if (firstFaxGiven_) {
    phoneNumber.clear();
    faxFile.clear();
    coverFile.clear();
    return;
  }
  firstFaxGiven_ = true;
  phoneNumber = phoneNumber_;
  faxFile = joinedFile_.empty() ? GetFaxFile() : joinedFile_;
  coverFile = coverFile_;
}

bool TApdCustomSendFax::NotifyNext() {
  std::string phone, file, cover;
  bool answered = SendToMainThread([&] { FaxNext(phone, file, cover); });
  if (!answered || phone.empty()) return false;
  FaxSession& s = *session_;
  s.phoneNumber = cut(phone, kModemStringLength);
  // File names keep their case: this file system tells "a.apf" from "A.APF".
  s.faxFile = file;
  s.coverFile = cover;
  return true;
}

void TApdCustomSendFax::FaxFinish(int errorCode) {
  StopSession();
  if (!joinedFile_.empty()) {
    std::remove(joinedFile_.c_str());
    joinedFile_.clear();
  }
  TApdCustomAbstractFax::FaxFinish(errorCode);
}

}  // namespace quillon::fax
