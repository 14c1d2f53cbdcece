#include "compose/phone_book_editor.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/help_window.h"

namespace quillon::compose {

TPhoneBookEditor::TPhoneBookEditor(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TPhoneBookEditor"));
  setWindowTitle(QStringLiteral("Phone Book Editor"));
  Name = new QLineEdit(this);
  Name->setObjectName(QStringLiteral("Name"));
  Name->setMaxLength(kPhoneNameLimit);
  Name->setToolTip(QStringLiteral("Type the recipient's name here"));
  Name->setMinimumWidth(Name->fontMetrics().horizontalAdvance(QLatin1Char('M')) * 24);
  Number = new QLineEdit(this);
  Number->setObjectName(QStringLiteral("Number"));
  Number->setMaxLength(kPhoneNumberLimit);
  Number->setToolTip(QStringLiteral("Type the fax number here"));

  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("Name"), Name);
  form->addRow(QStringLiteral("Fax Number"), Number);

  auto* buttons = new QDialogButtonBox(this);
  OKButton = buttons->addButton(QStringLiteral("&Accept"), QDialogButtonBox::AcceptRole);
  CancelButton = buttons->addButton(QStringLiteral("Cance&l"), QDialogButtonBox::RejectRole);
  HelpButton = buttons->addButton(QStringLiteral("&Help"), QDialogButtonBox::HelpRole);
  OKButton->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(HelpButton, &QPushButton::clicked, this, [] { app::showHelp(kHelpPhoneBookEditor); });

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addSpacing(6);
  layout->addWidget(buttons);
}

}  // namespace quillon::compose
