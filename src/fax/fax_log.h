#pragma once
// TApdFaxLog: appends a line (or two) to a text history file for every start and end of a
// transmitted or received fax. TApdAbstractFaxStatus: the base of status displays.
#include <ctime>
#include <string>
#include <vector>

#include "fax/fax_types.h"
#include "serial/com_port.h"

namespace quillon::fax {

// What a log entry is made of.
struct FaxLogFacts {
  bool sending = true;
  std::vector<std::string> faxFiles;  // send: the FaxFileList
  std::string phoneNumber;
  std::string remoteStation;
  std::string receivedFile;
  int hangupCode = 0;
  int errorCode = 0;
  std::tm now{};
};

// The text written for `code` (lines end with CR LF); empty for the other direction's codes.
std::string FaxLogText(TFaxLogCode code, const FaxLogFacts& facts);
// Date and time as the log writes them.
std::string LogDateTime(const std::tm& t);

class TApdFaxLog : public serial::TApdBaseComponent {
 public:
  TApdFaxLog() = default;
  virtual ~TApdFaxLog();

  const std::string& FaxHistoryName() const { return faxHistoryName_; }
  void SetFaxHistoryName(const std::string& v) { faxHistoryName_ = cut(v, kPassStringLength); }
  TApdCustomAbstractFax* Fax() const { return fax_; }
  void SetFax(TApdCustomAbstractFax* fax) { fax_ = fax; }

  // Writes the lines for `code`; nothing when FaxHistoryName is empty. A missing file is
  // created; other open and write errors throw EInOutError.
  virtual void UpdateLog(TFaxLogCode code);

 private:
  std::string faxHistoryName_ = "VELDFAX.HIS";
  TApdCustomAbstractFax* fax_ = nullptr;
};

// The base of status windows: a display that the fax component updates on every status
// notification. Concrete displays supply the form.
class TApdAbstractFaxStatus : public serial::TApdBaseComponent {
 public:
  TApdAbstractFaxStatus();
  virtual ~TApdAbstractFaxStatus();

  int Position() const { return position_; }
  void SetPosition(int v);
  bool Ctl3D() const { return ctl3D_; }
  void SetCtl3D(bool v);
  bool Visible() const { return visible_; }
  void SetVisible(bool v);
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& v);
  TApdCustomAbstractFax* Fax() const { return fax_; }
  void SetFax(TApdCustomAbstractFax* fax) { fax_ = fax; }

  // Called by the fax component on every status notification.
  virtual void UpdateDisplay(bool first, bool last) = 0;

 protected:
  // The display form; the base has none. A concrete display applies the values in Apply*.
  virtual void CreateDisplay() {}
  virtual void DestroyDisplay() {}
  virtual bool HasDisplay() const { return false; }
  virtual void ApplyToDisplay() {}
  // Call from a concrete constructor once its form exists: copies the form's values.
  void TakeFromDisplay(int position, bool ctl3D, bool visible, const std::string& caption);

 private:
  int position_ = 0;
  bool ctl3D_ = true;
  bool visible_ = false;
  std::string caption_ = "Fax Status";
  TApdCustomAbstractFax* fax_ = nullptr;
};

}  // namespace quillon::fax
