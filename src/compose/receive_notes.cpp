#include "compose/receive_notes.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace quillon::compose {

TEditReceiveNotes::TEditReceiveNotes(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TEditReceiveNotes"));
  setWindowTitle(QStringLiteral("Received Fax Notes"));
  Descript = new QLabel(this);
  Descript->setObjectName(QStringLiteral("Descript"));
  QFont bold = Descript->font();
  bold.setBold(true);
  Descript->setFont(bold);
  Notes = new QLineEdit(this);
  Notes->setObjectName(QStringLiteral("Notes"));
  Notes->setMaxLength(kNotesLimit);
  Notes->setToolTip(QStringLiteral("A note of your own about this fax"));
  Notes->setMinimumWidth(Notes->fontMetrics().averageCharWidth() * 62);
  auto* buttons = new QDialogButtonBox(this);
  OKButton = buttons->addButton(QStringLiteral("&Accept"), QDialogButtonBox::AcceptRole);
  CancelButton = buttons->addButton(QStringLiteral("Cance&l"), QDialogButtonBox::RejectRole);
  OKButton->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Descript);
  layout->addWidget(new QLabel(QStringLiteral("Notes:"), this));
  layout->addWidget(Notes);
  layout->addSpacing(6);
  layout->addWidget(buttons);
}

}  // namespace quillon::compose
