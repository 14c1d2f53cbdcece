#pragma once
// TApdCustomReceiveFax / TApdReceiveFax: the receiving component's properties, naming and
// events. The receiving machine that drives them runs on the same session record.
#include <string>

#include "fax/abstract_fax.h"

namespace quillon::fax {

class TApdCustomReceiveFax : public TApdAbstractFax {
 public:
  unsigned AnswerOnRing() const { return answerOnRing_; }
  void SetAnswerOnRing(unsigned v) { answerOnRing_ = v & 0xFFFF; }
  bool FaxAndData() const { return faxAndData_; }
  void SetFaxAndData(bool v) { faxAndData_ = v; }
  bool OneFax() const { return oneFax_; }
  void SetOneFax(bool v) { oneFax_ = v; }
  bool ConstantStatus() const { return constantStatus_; }
  void SetConstantStatus(bool v) { constantStatus_ = v; }
  const std::string& DestinationDir() const { return destinationDir_; }
  void SetDestinationDir(const std::string& v);
  int NamingMode() const { return namingMode_; }
  void SetNamingMode(int v) { namingMode_ = v; }

  TFaxAcceptEvent OnFaxAccept;
  TFaxNameEvent OnFaxName;

  int PageCount() const override { return 0; }
  long PageBytesTotal() const override { return 0; }
  int PageNumber() const override { return session_->currentPage; }
  long PageBytesDone() const override { return static_cast<long>(session_->bytesDone); }

  FaxLogFacts LogFacts() const override;

  // Starts a receive run: it waits for calls until OneFax, ExitOnError or a cancel ends it.
  // Start-up errors are raised and nothing starts.
  void BeginReceive();

  // The handlers the receiving machine's name and accept requests call (main thread).
  virtual void FaxAccept(bool& accept);
  virtual void FaxName(std::string& name);

 protected:
  void LoadSession() override;
  void CancelRun() override;
  void PortClosedWhileRunning() override;

 private:
  unsigned answerOnRing_ = 1;
  bool faxAndData_ = false, oneFax_ = false, constantStatus_ = false;
  std::string destinationDir_;
  int namingMode_ = 1;
};

class TApdReceiveFax : public TApdCustomReceiveFax {};

}  // namespace quillon::fax
