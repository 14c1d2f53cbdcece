#pragma once
// TApdCustomSendFax / TApdSendFax: sends one or more faxes in a run. Without an OnFaxNext
// handler a run sends one fax: the FaxFileList (joined into one temporary file when it holds
// several), the cover and the phone number.
#include <string>
#include <vector>

#include "fax/abstract_fax.h"
#include "faximage/font_rasteriser.h"

namespace quillon::fax {

class TApdCustomSendFax : public TApdAbstractFax {
 public:
  TApdCustomSendFax();
  ~TApdCustomSendFax() override;

  bool EnhTextEnabled() const { return enhTextEnabled_; }
  void SetEnhTextEnabled(bool v) { enhTextEnabled_ = v; }
  const faximage::FontChoice& EnhHeaderFont() const { return enhHeaderFont_; }
  void SetEnhHeaderFont(const faximage::FontChoice& v) { enhHeaderFont_ = v; }
  const faximage::FontChoice& EnhFont() const { return enhFont_; }
  void SetEnhFont(const faximage::FontChoice& v) { enhFont_ = v; }
  std::vector<std::string>& FaxFileList() { return faxFileList_; }
  const std::vector<std::string>& FaxFileList() const { return faxFileList_; }
  // FaxFile is the first entry of FaxFileList; setting it replaces the list.
  std::string GetFaxFile() const override { return faxFileList_.empty() ? std::string() : faxFileList_.front(); }
  void SetFaxFile(const std::string& v) override;
  bool BlindDial() const { return blindDial_; }
  void SetBlindDial(bool v) { blindDial_ = v; }
  bool DetectBusy() const { return detectBusy_; }
  void SetDetectBusy(bool v) { detectBusy_ = v; }
  bool ToneDial() const { return toneDial_; }
  void SetToneDial(bool v) { toneDial_ = v; }
  const std::string& DialPrefix() const { return dialPrefix_; }
  void SetDialPrefix(const std::string& v) { dialPrefix_ = cut(v, kModemStringLength); }
  // Seconds; held in ticks.
  unsigned DialWait() const { return static_cast<unsigned>(platform::ticksToSeconds(dialWaitTicks_)); }
  void SetDialWait(unsigned seconds) { dialWaitTicks_ = platform::secondsToTicks(seconds & 0xFFFF); }
  unsigned DialAttempts() const { return dialAttempts_; }
  void SetDialAttempts(unsigned v) { dialAttempts_ = v & 0xFFFF; }
  unsigned DialRetryWait() const { return static_cast<unsigned>(platform::ticksToSeconds(dialRetryWaitTicks_)); }
  void SetDialRetryWait(unsigned seconds) { dialRetryWaitTicks_ = platform::secondsToTicks(seconds & 0xFFFF); }
  unsigned MaxSendCount() const { return maxSendCount_; }
  void SetMaxSendCount(unsigned v) { maxSendCount_ = v & 0xFFFF; }
  unsigned BufferMinimum() const { return bufferMinimum_; }
  void SetBufferMinimum(unsigned v) { bufferMinimum_ = v & 0xFFFF; }
  const std::string& HeaderLine() const { return headerLine_; }
  void SetHeaderLine(const std::string& v) { headerLine_ = cut(v, kPassStringLength); }
  const std::string& CoverFile() const { return coverFile_; }
  void SetCoverFile(const std::string& v) { coverFile_ = cut(v, kPassStringLength); }
  const std::string& PhoneNumber() const { return phoneNumber_; }
  void SetPhoneNumber(const std::string& v) { phoneNumber_ = cut(v, kPassStringLength); }
  bool SafeMode() const { return safeMode_; }
  void SetSafeMode(bool v) { safeMode_ = v; }
  unsigned DialAttempt() const { return session_->dialAttempt + 1; }
  const std::string& HeaderSender() const { return headerSender_; }
  void SetHeaderSender(const std::string& v) { headerSender_ = cut(v, kPassStringLength); }
  const std::string& HeaderRecipient() const { return headerRecipient_; }
  void SetHeaderRecipient(const std::string& v) { headerRecipient_ = cut(v, kPassStringLength); }
  const std::string& HeaderTitle() const { return headerTitle_; }
  void SetHeaderTitle(const std::string& v) { headerTitle_ = cut(v, kPassStringLength); }

  TFaxNextEvent OnFaxNext;

  // Starts a send run. Start-up errors are raised and nothing starts.
  void BeginTransmit();
  // The joined temporary file of this run ("" when none was made).
  const std::string& JoinedFile() const { return joinedFile_; }

  FaxLogFacts LogFacts() const override;

 protected:
  virtual void FaxNext(std::string& phoneNumber, std::string& faxFile, std::string& coverFile);
  void FaxFinish(int errorCode) override;
  void LoadSession() override;
  bool NotifyNext() override;
  void CancelRun() override;

 private:
  bool enhTextEnabled_ = false;
  faximage::FontChoice enhHeaderFont_, enhFont_;
  std::vector<std::string> faxFileList_;
  bool blindDial_ = false, detectBusy_ = true, toneDial_ = true;
  std::string dialPrefix_;
  platform::Ticks dialWaitTicks_ = 1092;
  unsigned dialAttempts_ = 3;
  platform::Ticks dialRetryWaitTicks_ = 1092;
  unsigned maxSendCount_ = 50, bufferMinimum_ = 1000;
  std::string headerLine_, coverFile_, phoneNumber_;
  bool safeMode_ = true;
  std::string headerSender_, headerRecipient_, headerTitle_;
  std::string joinedFile_;
  bool firstFaxGiven_ = false;
};

class TApdSendFax : public TApdCustomSendFax {};

// A unique temporary file name with the "~AP" prefix in the system's temporary folder
// (the file is created empty). Empty on failure.
std::string MakeTemporaryFaxName();

}  // namespace quillon::fax
