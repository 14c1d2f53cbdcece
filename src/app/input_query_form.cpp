#include "app/input_query_form.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/dialogs.h"

namespace quillon::app {

namespace {
QPointer<TInputQueryForm> theForm;
}

TInputQueryForm* inputQueryForm() { return theForm.data(); }
void setInputQueryForm(TInputQueryForm* form) { theForm = form; }

TInputQueryForm::TInputQueryForm(QWidget* parent)
    : QDialog(parent), prompt_(new QLabel(this)), edit_(new QLineEdit(this)) {
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(QStringLiteral("&Accept"), QDialogButtonBox::AcceptRole)->setDefault(true);
  buttons->addButton(QStringLiteral("Cance&l"), QDialogButtonBox::RejectRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  prompt_->setBuddy(edit_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(prompt_);
  layout->addWidget(edit_);
  layout->addWidget(buttons);
  setMinimumWidth(320);
}

bool TInputQueryForm::ask(const QString& caption, const QString& prompt, QString& value, int maxLength) {
  setWindowTitle(caption);
  prompt_->setText(prompt);
  edit_->setMaxLength(maxLength > 0 ? maxLength : 32767);
  edit_->setText(value);
  edit_->selectAll();
  edit_->setFocus();
  adjustSize();
  centreWindow(this);
  if (exec() != QDialog::Accepted) return false;
  value = edit_->text();
  return true;
}

}  // namespace quillon::app
