#include "fax/fax_log.h"

#include <cerrno>
#include <cstdio>

#include "fax/abstract_fax.h"
#include "errors/error_text.h"
#include "errors/raise_on_error.h"
#include "errors/os_error.h"

namespace quillon::fax {

std::string LogDateTime(const std::tm& t) {
  char text[64];
  std::size_t n = std::strftime(text, sizeof text, "%x %X", &t);
  return std::string(text, n);
}

std::string FaxLogText(TFaxLogCode code, const FaxLogFacts& f) {
  const std::string when = LogDateTime(f.now);
  const std::string hangup = " " + std::to_string(f.hangupCode);
  bool transmitCode = code >= LogTransmitStart && code <= LogTransmitFail;
  if (transmitCode != f.sending) return {};
  switch (code) {
    case LogTransmitStart: {
      std::string out;
      for (const auto& file : f.faxFiles)
        out += "Transmit " + file + " to " + f.phoneNumber + " started at " + when + "\r\n";
      return out;
    }
    case LogTransmitOk:
      return "Transmit to " + f.remoteStation + " finished OK at " + when + hangup + "\r\n\r\n";
    case LogTransmitFail:
      return "Transmit failed at " + when + "\r\n  (" + ErrorText(f.errorCode) + ")" + hangup + "\r\n\r\n";
    case LogReceiveStart:
      return "Receive " + f.receivedFile + " from " + f.remoteStation + " started at " + when + "\r\n";
    case LogReceiveOk: return "Receive finished OK at " + when + "\r\n\r\n";
    case LogReceiveSkip: return "Receive skipped at " + when + "\r\n\r\n";
    case LogReceiveFail:
      return "Receive failed at " + when + "\r\n  (" + ErrorText(f.errorCode) + ")\r\n\r\n";
    default: return {};
  }
}

TApdFaxLog::~TApdFaxLog() {
  if (fax_) fax_->LogRemoved(this);
}

void TApdFaxLog::UpdateLog(TFaxLogCode code) {
  if (faxHistoryName_.empty() || !fax_) return;
  std::string text = FaxLogText(code, fax_->LogFacts());
  if (text.empty()) return;
  std::FILE* f = std::fopen(faxHistoryName_.c_str(), "ab");
  if (!f) RaiseOnError(StatusFromErrno(errno));
  bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  int err = errno;
  ok = std::fclose(f) == 0 && ok;
  if (!ok) RaiseOnError(StatusFromErrno(err ? err : EIO));
}

TApdAbstractFaxStatus::TApdAbstractFaxStatus() { CreateDisplay(); }

TApdAbstractFaxStatus::~TApdAbstractFaxStatus() {
  if (fax_) fax_->StatusDisplayRemoved(this);
}

void TApdAbstractFaxStatus::TakeFromDisplay(int position, bool ctl3D, bool visible, const std::string& caption) {
  position_ = position;
  ctl3D_ = ctl3D;
  visible_ = visible;
  caption_ = caption;
  caption_ = "Fax Status";
  ApplyToDisplay();
}

void TApdAbstractFaxStatus::SetPosition(int v) {
  if (v == position_) return;
  position_ = v;
  if (HasDisplay()) ApplyToDisplay();
}
void TApdAbstractFaxStatus::SetCtl3D(bool v) {
  if (v == ctl3D_) return;
  ctl3D_ = v;
  if (HasDisplay()) ApplyToDisplay();
}
void TApdAbstractFaxStatus::SetVisible(bool v) {
  if (v == visible_) return;
  visible_ = v;
  if (HasDisplay()) ApplyToDisplay();
}
void TApdAbstractFaxStatus::SetCaption(const std::string& v) {
  if (v == caption_) return;
  caption_ = v;
  if (HasDisplay()) ApplyToDisplay();
}

}  // namespace quillon::fax
