#pragma once
// TEditReceiveNotes ("Received Fax Notes"): the user's note on a received fax.
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace quillon::compose {

class TEditReceiveNotes : public QDialog {
  Q_OBJECT

 public:
  explicit TEditReceiveNotes(QWidget* parent = nullptr);

  QLabel* Descript;  // "From: " + the sender
  QLineEdit* Notes;  // at most 60 characters
  QPushButton* OKButton;
  QPushButton* CancelButton;
};

inline constexpr int kNotesLimit = 60;

}  // namespace quillon::compose
