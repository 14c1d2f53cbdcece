#include "app/starting_fax_form.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/dialogs.h"
#include "platform/message_pump.h"

namespace quillon::app {

namespace {
QLabel* centredLabel(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setAlignment(Qt::AlignCenter);
  return label;
}
}  // namespace

TStartingFaxForm::TStartingFaxForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      startingPanel_(new QWidget(this)),
      readyPanel_(new QWidget(this)) {
  setWindowTitle(QStringLiteral("Starting Receive mode..."));
  setModal(false);
  auto* starting = new QVBoxLayout(startingPanel_);
  starting->addWidget(centredLabel(QStringLiteral("Please wait while fax receive mode is started....."), startingPanel_));

  auto* ready = new QVBoxLayout(readyPanel_);
  ready->addWidget(centredLabel(QStringLiteral("Quillon is in receive mode now"), readyPanel_));
  ready->addWidget(centredLabel(QStringLiteral("To end receive mode, press the STOP button"), readyPanel_));
  ready->addWidget(centredLabel(QStringLiteral("While in receive mode, sending faxes is not possible"), readyPanel_));
  auto* ok = new QPushButton(QStringLiteral("Ok"), readyPanel_);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QWidget::hide);
  ready->addWidget(ok, 0, Qt::AlignHCenter);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(startingPanel_);
  layout->addWidget(readyPanel_);
  readyPanel_->hide();
  setMinimumWidth(360);
}

void TStartingFaxForm::showStarting() {
  readyPanel_->hide();
  startingPanel_->show();
  adjustSize();
  centreWindow(this);
  show();
  platform::pumpMessages();
}

void TStartingFaxForm::showReady() {
  startingPanel_->hide();
  readyPanel_->show();
  adjustSize();
}

bool TStartingFaxForm::isReady() const { return !readyPanel_->isHidden(); }

}  // namespace quillon::app
