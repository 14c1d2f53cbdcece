#pragma once
// TPhoneBookEditor ("Phone Book Editor"): the name and fax number of one phone book entry.
#include <QDialog>

class QLineEdit;
class QPushButton;

namespace quillon::compose {

class TPhoneBookEditor : public QDialog {
  Q_OBJECT

 public:
  explicit TPhoneBookEditor(QWidget* parent = nullptr);

  QLineEdit* Name;    // at most 35 characters
  QLineEdit* Number;  // at most 25 characters
  QPushButton* OKButton;
  QPushButton* CancelButton;
  QPushButton* HelpButton;
};

inline constexpr int kPhoneNameLimit = 35;
inline constexpr int kPhoneNumberLimit = 25;
inline constexpr int kHelpPhoneBookEditor = 1020;

}  // namespace quillon::compose
