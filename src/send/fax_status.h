#pragma once
// TApdFaxStatus: the fax status component of the send dialog. It creates its window
// (TStandardFaxDisplay), shows and fills it at the first status update of a session,
// refreshes it at every update, hides it at the last one and frees it with itself.
#include <QDialog>
#include <QPointer>

#include <chrono>
#include <cstdint>
#include <memory>

#include "fax/fax_log.h"
#include "send/fax_status_clocks.h"

class QLabel;
class QPushButton;
class QTimer;

namespace quillon::compose {
class TApdMeter;
}

namespace quillon::send {

class TStandardFaxDisplay : public QDialog {
  Q_OBJECT

 public:
  explicit TStandardFaxDisplay(QWidget* parent = nullptr);

  // The value fields, by their caption's order.
  QLabel *PhoneNumber, *FaxFileName, *CoverFileName, *DialAttempt, *TotalPages, *RemoteID,
      *ConnectBPS, *Resolution, *Width, *ErrorControl, *CurrentPage, *PageLength,
      *BytesTransferred, *ElapsedTime, *StatusText;
  QLabel* PageProgressLabel;
  compose::TApdMeter* PageProgress;
  QPushButton* CancelButton;
  // Ticks while shown, so the clocks run between status updates.
  QTimer* ClockTimer;

 protected:
  void reject() override;  // Escape cancels like the button; the window stays until the end
};

class TApdFaxStatus : public fax::TApdAbstractFaxStatus {
 public:
  // The window becomes a child of `owner` (the send dialog), so it takes input while the
  // dialog is modal.
  explicit TApdFaxStatus(QWidget* owner = nullptr);
  ~TApdFaxStatus() override;

  void UpdateDisplay(bool first, bool last) override;

  TStandardFaxDisplay* Display() const { return display_; }
  // Milliseconds of the clock the window's times use (tests may replace it).
  std::function<std::int64_t()> now;

 protected:
  void CreateDisplay() override;
  void DestroyDisplay() override;
  bool HasDisplay() const override { return display_ != nullptr; }
  void ApplyToDisplay() override;

 private:
  void fill();
  void refreshTimes();
  void cancelClicked();

  // Owned here; a QPointer because the owner window would also delete it as its child.
  QPointer<TStandardFaxDisplay> display_;
  QWidget* owner_;
  ElapsedClock elapsed_;
  RedialCountdown redial_;
  int progress_ = 0;
};

}  // namespace quillon::send
