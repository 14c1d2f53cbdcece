#include "send/fax_status.h"

#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include "compose/apd_meter.h"
#include "fax/abstract_fax.h"
#include "fax/send_fax.h"
#include "qtplatform/cp1252_text.h"

namespace quillon::send {

using qtplatform::fromCp1252;

namespace {
constexpr int kMeterLeft = 99, kMeterTop = 7, kMeterWidth = 406, kMeterHeight = 20;

QLabel* valueLabel(QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  label->setMinimumWidth(150);
  return label;
}

std::int64_t steadyMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}
}  // namespace

TStandardFaxDisplay::TStandardFaxDisplay(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TStandardFaxDisplay"));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  auto* outer = new QVBoxLayout(this);

  auto* fields = new QFrame(this);
  fields->setFrameShape(QFrame::StyledPanel);
  auto* grid = new QGridLayout(fields);
  grid->setHorizontalSpacing(10);
  grid->setColumnMinimumWidth(2, 24);
  struct Field {
    const char* caption;
    QLabel** value;
  };
  const Field left[] = {{"Phone number:", &PhoneNumber},   {"Fax file name:", &FaxFileName},
                        {"Cover file name:", &CoverFileName}, {"Dial attempt:", &DialAttempt},
                        {"Total pages:", &TotalPages},     {"Remote ID:", &RemoteID},
                        {"Connect BPS:", &ConnectBPS}};
  const Field right[] = {{"Resolution:", &Resolution},       {"Width:", &Width},
                         {"Error control:", &ErrorControl},  {"Current page:", &CurrentPage},
                         {"Page length:", &PageLength},      {"Bytes transferred:", &BytesTransferred},
                         {"Elapsed time:", &ElapsedTime}};
  for (int row = 0; row < 7; ++row) {
    grid->addWidget(new QLabel(QString::fromLatin1(left[row].caption), fields), row, 0);
    *left[row].value = valueLabel(fields);
    grid->addWidget(*left[row].value, row, 1);
    grid->addWidget(new QLabel(QString::fromLatin1(right[row].caption), fields), row, 3);
    *right[row].value = valueLabel(fields);
    grid->addWidget(*right[row].value, row, 4);
  }
  ElapsedTime->setFont(QFont(QStringLiteral("monospace")));
  grid->addWidget(new QLabel(QStringLiteral("Status:"), fields), 7, 0);
  StatusText = valueLabel(fields);
  StatusText->setMinimumWidth(380);
  grid->addWidget(StatusText, 7, 1, 1, 4);
  outer->addWidget(fields);

  // The meter's panel: the meter sits at a fixed place beside its caption.
  auto* meterPanel = new QFrame(this);
  meterPanel->setFrameShape(QFrame::StyledPanel);
  meterPanel->setFixedHeight(kMeterTop * 2 + kMeterHeight);
  meterPanel->setMinimumWidth(kMeterLeft + kMeterWidth + 8);
  PageProgressLabel = new QLabel(QStringLiteral("Page progress:"), meterPanel);
  PageProgressLabel->move(6, kMeterTop + 2);
  PageProgressLabel->adjustSize();
  PageProgress = new compose::TApdMeter(meterPanel);
  PageProgress->setObjectName(QStringLiteral("PageProgress"));
  PageProgress->setGeometry(kMeterLeft, kMeterTop, kMeterWidth, kMeterHeight);
  PageProgress->SetMin(0);
  PageProgress->SetMax(100);
  PageProgress->SetStep(10);
  outer->addWidget(meterPanel);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
  CancelButton->setObjectName(QStringLiteral("CancelButton"));
  CancelButton->setMinimumWidth(90);
  buttons->addWidget(CancelButton);
  buttons->addStretch();
  outer->addLayout(buttons);

  ClockTimer = new QTimer(this);
  ClockTimer->setInterval(250);
  layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void TStandardFaxDisplay::reject() { CancelButton->click(); }

TApdFaxStatus::TApdFaxStatus(QWidget* owner) : owner_(owner) {
  now = steadyMs;
  CreateDisplay();
  TakeFromDisplay(Position(), Ctl3D(), false, Caption());
}

TApdFaxStatus::~TApdFaxStatus() { DestroyDisplay(); }

void TApdFaxStatus::CreateDisplay() {
  if (display_) return;
  display_ = new TStandardFaxDisplay(owner_);
  QObject::connect(display_->CancelButton, &QPushButton::clicked, [this] { cancelClicked(); });
  QObject::connect(display_->ClockTimer, &QTimer::timeout, [this] { refreshTimes(); });
}

void TApdFaxStatus::DestroyDisplay() { delete display_.data(); }

void TApdFaxStatus::ApplyToDisplay() {
  if (!display_) return;
  display_->setWindowTitle(fromCp1252(Caption()));
  if (Visible() && !display_->isVisible()) {
    display_->adjustSize();
    // Centred on the screen.
    QScreen* screen = owner_ ? owner_->screen() : QGuiApplication::primaryScreen();
    if (screen) {
      QRect area = screen->availableGeometry();
      display_->move(area.center() - QPoint(display_->width() / 2, display_->height() / 2));
    }
    display_->show();
    display_->raise();
    display_->ClockTimer->start();
  } else if (!Visible() && display_->isVisible()) {
    display_->ClockTimer->stop();
    display_->hide();
  }
}

void TApdFaxStatus::cancelClicked() {
  if (Fax()) Fax()->AbortFax();
}

void TApdFaxStatus::UpdateDisplay(bool first, bool last) {
  if (!display_ || !Fax()) return;
  if (first) {
    elapsed_.reset();
    redial_.reset();
  }
  fill();
  if (first) SetVisible(true);
  if (last) SetVisible(false);
}

void TApdFaxStatus::fill() {
  TStandardFaxDisplay& d = *display_;
  fax::TApdCustomAbstractFax& f = *Fax();
  auto* sending = dynamic_cast<fax::TApdCustomSendFax*>(&f);
  progress_ = f.Progress();
  std::int64_t t = now();
  elapsed_.onProgress(progress_, t);
  redial_.onProgress(progress_, sending ? sending->DialRetryWait() : 0, t);

  d.PhoneNumber->setText(sending ? fromCp1252(sending->PhoneNumber()) : QString());
  d.FaxFileName->setText(shortFileName(fromCp1252(f.FaxFile())));
  d.CoverFileName->setText(sending ? shortFileName(fromCp1252(sending->CoverFile())) : QString());
  d.DialAttempt->setText(sending ? QString::number(sending->DialAttempt()) : QStringLiteral("1"));
  d.TotalPages->setText(QString::number(f.PageCount()));
  d.RemoteID->setText(fromCp1252(f.RemoteStation()));
  d.ConnectBPS->setText(QString::number(f.LineRate()));
  d.Resolution->setText(f.FineResolution() ? QStringLiteral("high") : QStringLiteral("standard"));
  d.Width->setText(f.WidePage() ? QStringLiteral("2048") : QStringLiteral("1728"));
  d.ErrorControl->setText(f.ErrorCorrection() ? QStringLiteral("on") : QStringLiteral("off"));
  int page = f.PageNumber();
  d.CurrentPage->setText(page == 0 ? QStringLiteral("<cover page>") : QString::number(page));
  long total = f.PageBytesTotal(), done = f.PageBytesDone();
  d.PageLength->setText(QString::number(total));
  d.BytesTransferred->setText(QString::number(done));
  if (sending) {
    d.PageProgress->show();
    d.PageProgressLabel->setText(QStringLiteral("Page progress:"));
    d.PageProgress->SetPosition(pagePercent(done, total));
  } else {
    d.PageProgress->hide();
    d.PageProgressLabel->setText(QStringLiteral("Page progress: N/A"));
  }
  d.PageProgressLabel->adjustSize();
  refreshTimes();
}

void TApdFaxStatus::refreshTimes() {
  if (!display_) return;
  std::int64_t t = now();
  display_->ElapsedTime->setText(elapsed_.text(t));
  QString status = fromCp1252(fax::TApdCustomAbstractFax::ProgressText(progress_));
  if (progress_ == fax::fpBusyWait) status += minutesAndSeconds(redial_.secondsLeft(t));
  display_->StatusText->setText(status);
}

}  // namespace quillon::send
