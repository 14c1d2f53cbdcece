#include "compose/pre_print_form.h"

#include <QApplication>
#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace quillon::compose {

TPrePrintForm::TPrePrintForm(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("PrePrintForm"));
  setWindowTitle(QStringLiteral("Print"));
  FromPage = new QSpinBox(this);
  ToPage = new QSpinBox(this);
  for (QSpinBox* box : {FromPage, ToPage}) box->setRange(1, 1);
  auto* range = new QFormLayout;
  range->addRow(QStringLiteral("From Page:"), FromPage);
  range->addRow(QStringLiteral("To Page:"), ToPage);
  PrintMultiPage = new QCheckBox(QStringLiteral("Print 4 faxes to a page"), this);
  PrintHeader = new QCheckBox(QStringLiteral("Print Header"), this);
  PrintFooter = new QCheckBox(QStringLiteral("Print Footer"), this);
  auto* ok = new QPushButton(QStringLiteral("Ok"), this);
  auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
  ok->setObjectName(QStringLiteral("OkButton"));
  cancel->setObjectName(QStringLiteral("CancelButton"));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &TPrePrintForm::OkClick);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(range);
  layout->addWidget(PrintMultiPage);
  layout->addWidget(PrintHeader);
  layout->addWidget(PrintFooter);
  layout->addLayout(buttons);
}

void TPrePrintForm::OkClick() {
  if (ToPage->isEnabled() && ToPage->value() < FromPage->value()) {
    QApplication::beep();
    return;
  }
  accept();
}

}  // namespace quillon::compose
