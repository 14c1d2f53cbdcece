#pragma once
// The shared input dialog: one prompt, one line of text, Accept and Cancel. Created once at
// start-up and reused by the windows that ask for a single value.
#include <QDialog>

class QLabel;
class QLineEdit;

namespace quillon::app {

class TInputQueryForm : public QDialog {
  Q_OBJECT

 public:
  explicit TInputQueryForm(QWidget* parent = nullptr);

  // Shows the dialog modally, centred; on Accept `value` takes the text and true is
  // returned. `maxLength` 0 means no limit.
  bool ask(const QString& caption, const QString& prompt, QString& value, int maxLength = 0);

  QLineEdit* edit() const { return edit_; }

 private:
  QLabel* prompt_;
  QLineEdit* edit_;
};

// The program's one instance (nullptr before start-up created it).
TInputQueryForm* inputQueryForm();
void setInputQueryForm(TInputQueryForm* form);

}  // namespace quillon::app
