#pragma once
// TDateSelector: a month calendar (weeks start on Sunday) with year and month steps and a
// Today button; the panel above it names the selected day in full. "Ok" or a double click
// on a day accepts. The caller sets the caption.
#include <QDate>
#include <QDialog>

class QCalendarWidget;
class QLabel;
class QPushButton;

namespace quillon::maint {

class TDateSelector : public QDialog {
  Q_OBJECT

 public:
  explicit TDateSelector(QWidget* parent = nullptr);

  QDate date() const;
  void setDate(const QDate& date);

  QCalendarWidget* Calendar1 = nullptr;
  QLabel* Panel1 = nullptr;
  QPushButton *YearMinus = nullptr, *MonthMinus = nullptr, *TodayButton = nullptr,
              *MonthPlus = nullptr, *YearPlus = nullptr, *OkButton = nullptr,
              *CancelButton = nullptr;

 private:
  void showSelected();
};

}  // namespace quillon::maint
