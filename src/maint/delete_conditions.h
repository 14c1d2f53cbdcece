#pragma once
// TDeleteForConditions: which faxes a bulk delete takes, by sender, recipient or fax number,
// matched exactly or as a part. On the outgoing page the sender option is off; on the
// incoming page only the sender option is on.
#include <QDialog>

#include <string>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace quillon::maint {

class TDeleteForConditions : public QDialog {
  Q_OBJECT

 public:
  explicit TDeleteForConditions(QWidget* parent = nullptr);

  // Presets for the page the cleanup window shows (texts as the record holds them).
  void presetOutgoing(const QString& recipient, const QString& phone);
  void presetIncoming(const QString& from);

  // After OK: the field the selected option tests ("FROM", "RECIPIENT" or "PHONE"), its
  // typed text and whether it must match exactly.
  std::string field() const;
  QString value() const;
  bool exact() const;

  void OkButtonClick();

  QRadioButton *rFrom = nullptr, *rRecipient = nullptr, *rPhone = nullptr;
  QLineEdit *FaxFROM = nullptr, *FaxRECIPIENT = nullptr, *FaxPHONE = nullptr;
  QCheckBox* ExactMatch = nullptr;
  QLabel* Note = nullptr;
  QPushButton *OkButton = nullptr, *CancelButton = nullptr;

 private:
  QLineEdit* selectedField() const;
};

}  // namespace quillon::maint
