#include "maint/delete_conditions.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/dialogs.h"
#include "store/fax_store.h"

namespace quillon::maint {

namespace {
// The entry fields hold no more than the table fields they are compared with.
constexpr int kFromWidth = 20, kRecipientWidth = 35, kPhoneWidth = 25;
}  // namespace

TDeleteForConditions::TDeleteForConditions(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("DeleteForConditions"));
  setWindowTitle(QStringLiteral("Delete Faxes Where...."));

  auto option = [this](const char* name, const QString& caption) {
    auto* r = new QRadioButton(caption, this);
    r->setObjectName(QString::fromLatin1(name));
    return r;
  };
  auto edit = [this](const char* name, int width, const QString& hint) {
    auto* e = new QLineEdit(this);
    e->setObjectName(QString::fromLatin1(name));
    e->setMaxLength(width);
    e->setToolTip(hint);
    e->setMinimumWidth(e->fontMetrics().horizontalAdvance(QLatin1Char('M')) * 22);
    return e;
  };
  rFrom = option("rFrom", QStringLiteral("Fax is FROM:"));
  rRecipient = option("rRecipient", QStringLiteral("RECIPIENT is:"));
  rPhone = option("rPhone", QStringLiteral("FAX # is:"));
  FaxFROM = edit("FaxFROM", kFromWidth, QStringLiteral("For received faxes, who was the fax from"));
  FaxRECIPIENT = edit("FaxRECIPIENT", kRecipientWidth, QStringLiteral("For SENT faxes, who is the fax to"));
  FaxPHONE = edit("FaxPHONE", kPhoneWidth, QStringLiteral("For SENT faxes, what fax number is the fax to"));
  // Typing into a field selects its option.
  for (auto [r, e] : {std::pair{rFrom, FaxFROM}, {rRecipient, FaxRECIPIENT}, {rPhone, FaxPHONE}})
    connect(e, &QLineEdit::textEdited, r, [r = r] { r->setChecked(true); });

  ExactMatch = new QCheckBox(QStringLiteral("Text must match exactly"), this);
  ExactMatch->setObjectName(QStringLiteral("ExactMatch"));
  ExactMatch->setChecked(true);
  Note = new QLabel(QStringLiteral("(uncheck to allow  partial matches)"), this);
  Note->setObjectName(QStringLiteral("Note"));

  OkButton = new QPushButton(QStringLiteral("Ok"), this);
  OkButton->setObjectName(QStringLiteral("OkButton"));
  OkButton->setDefault(true);
  CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
  CancelButton->setObjectName(QStringLiteral("CancelButton"));
  CancelButton->setAutoDefault(false);
  connect(OkButton, &QPushButton::clicked, this, &TDeleteForConditions::OkButtonClick);
  connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);

  auto* box = new QGroupBox(QStringLiteral("Delete all faxes where"), this);
  auto* grid = new QGridLayout(box);
  grid->addWidget(rFrom, 0, 0);
  grid->addWidget(FaxFROM, 0, 1);
  grid->addWidget(rRecipient, 1, 0);
  grid->addWidget(FaxRECIPIENT, 1, 1);
  grid->addWidget(rPhone, 2, 0);
  grid->addWidget(FaxPHONE, 2, 1);
  grid->setColumnStretch(1, 1);

  auto* match = new QHBoxLayout;
  match->addWidget(ExactMatch);
  match->addWidget(Note);
  match->addStretch(1);
  auto* answers = new QHBoxLayout;
  answers->addStretch(1);
  answers->addWidget(OkButton);
  answers->addWidget(CancelButton);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(box);
  layout->addLayout(match);
  layout->addSpacing(8);
  layout->addLayout(answers);
}

void TDeleteForConditions::presetOutgoing(const QString& recipient, const QString& phone) {
  rFrom->setEnabled(false);
  FaxFROM->setEnabled(false);
  rRecipient->setChecked(true);
  FaxRECIPIENT->setText(recipient);
  FaxPHONE->setText(phone);
  FaxRECIPIENT->setFocus();
}

void TDeleteForConditions::presetIncoming(const QString& from) {
  for (QWidget* w : std::initializer_list<QWidget*>{rRecipient, FaxRECIPIENT, rPhone, FaxPHONE})
    w->setEnabled(false);
  rFrom->setChecked(true);
  FaxFROM->setText(from.trimmed());
  FaxFROM->setFocus();
}

QLineEdit* TDeleteForConditions::selectedField() const {
  if (rFrom->isChecked()) return FaxFROM;
  if (rPhone->isChecked()) return FaxPHONE;
  if (rRecipient->isChecked()) return FaxRECIPIENT;
  return nullptr;
}

std::string TDeleteForConditions::field() const {
  if (rFrom->isChecked()) return store::recfield::FROM;
  if (rPhone->isChecked()) return store::sentfield::PHONE;
  return store::sentfield::RECIPIENT;
}

QString TDeleteForConditions::value() const {
  QLineEdit* e = selectedField();
  return e ? e->text() : QString();
}

bool TDeleteForConditions::exact() const { return ExactMatch->isChecked(); }

void TDeleteForConditions::OkButtonClick() {
  QLineEdit* e = selectedField();
  if (!e || e->text().trimmed().isEmpty()) {
    app::InfoBox(QStringLiteral("Please enter a value"));
    if (e) e->setFocus();
    return;
  }
  if (app::AskYesNo(QStringLiteral("Are you sure you wish to delete all faxes matching this criteria?"),
                    QStringLiteral("VERIFY DELETE")))
    accept();
}

}  // namespace quillon::maint
