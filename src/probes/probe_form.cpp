#include "probes/probe_form.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "app/dialogs.h"
#include "qtplatform/busy_guards.h"

namespace quillon::probes {

TProbeForm::TProbeForm(QWidget* parent, const QString& caption, const QString& heading,
                       const QStringList& lineNames, const QStringList& lineTexts, const QString& messageName,
                       const QString& message)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      message_(new QLabel(message, this)),
      progress_(new QProgressBar(this)),
      okButton_(new QPushButton(QStringLiteral("Ok"), this)) {
  setWindowTitle(caption);
  setModal(true);

  auto* headingLabel = new QLabel(heading, this);
  QFont bold = headingLabel->font();
  bold.setBold(true);
  headingLabel->setFont(bold);

  // The lines sit in a sunken panel, one row each, in a fixed-pitch font so that the
  // aligned colons of the texts line up.
  auto* panel = new QFrame(this);
  panel->setFrameShape(QFrame::StyledPanel);
  panel->setFrameShadow(QFrame::Sunken);
  panel->setBackgroundRole(QPalette::Base);
  panel->setAutoFillBackground(true);
  auto* panelLayout = new QVBoxLayout(panel);
  panelLayout->setSpacing(4);
  QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  for (int i = 0; i < lineNames.size(); ++i) {
    auto* label = new QLabel(lineTexts.value(i), panel);
    label->setObjectName(lineNames[i]);
    label->setFont(fixed);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    panelLayout->addWidget(label);
    lines_.append(label);
  }

  message_->setObjectName(messageName);
  message_->setWordWrap(true);
  message_->setMinimumHeight(message_->fontMetrics().lineSpacing() * 5);
  message_->setAlignment(Qt::AlignLeft | Qt::AlignTop);

  progress_->setTextVisible(false);
  progress_->setRange(0, 0);

  okButton_->setObjectName(QStringLiteral("OkButton"));
  okButton_->setDefault(true);
  okButton_->setMinimumWidth(90);
  okButton_->hide();
  connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(okButton_);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(16, 14, 16, 14);
  layout->setSpacing(8);
  layout->addWidget(headingLabel);
  layout->addWidget(panel);
  layout->addWidget(message_);
  layout->addWidget(progress_);
  layout->addLayout(buttons);
  setMinimumWidth(460);
}

void TProbeForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (started_) return;
  started_ = true;
  app::centreWindow(this);
  // The probe starts once the window has painted.
  QTimer::singleShot(0, this, &TProbeForm::run);
}

void TProbeForm::reject() {
  if (!probing_) QDialog::reject();
}

void TProbeForm::run() {
  probing_ = true;
  okButton_->hide();
  {
    qtplatform::BusyCursor busy;
    runProbe();
  }
  progress_->hide();
  okButton_->show();
  adjustSize();  // room for the final message, however many lines it wraps to
  okButton_->setFocus();
  setWindowTitle(doneCaption());
  QApplication::beep();
  probing_ = false;
  probed_ = true;
}

}  // namespace quillon::probes
