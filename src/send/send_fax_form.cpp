#include "send/send_fax_form.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "app/dialogs.h"
#include "app/help_window.h"
#include "app/port_opening.h"
#include "errors/error_text.h"
#include "platform/message_pump.h"
#include "qtplatform/busy_guards.h"
#include "qtplatform/cp1252_text.h"
#include "send/modem_command.h"
#include "send/send_rules.h"

namespace quillon::send {

using qtplatform::fromCp1252;
using qtplatform::toCp1252;

namespace {
constexpr int kSendHelpContext = 1016;
constexpr int kTroubleshootingContext = 1026;
constexpr int kPortColumns = 2;
}  // namespace

TSendFaxForm::TSendFaxForm(const std::vector<int>& mappedPorts, QWidget* parent)
    : QDialog(parent), mappedPorts_(mappedPorts), resultText_(kResultCancelled) {
  setObjectName(QStringLiteral("TSendFaxForm"));
  setWindowTitle(QStringLiteral("Send Fax"));
  // No close box: the dialog is left through Close (or Escape), which refuses while busy.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  buildControls();
  selectPort(1);

  app::SetUpFaxPort(ApdComPort1);

  ApdSendFax1.SetComPort(&ApdComPort1);
  ApdSendFax1.SetStatusDisplay(&ApdFaxStatus1);
  ApdFaxStatus1.SetFax(&ApdSendFax1);
  ApdFaxStatus1.SetCaption("Fax Status");
  ApdSendFax1.SetFaxFileExt("APF");
  ApdSendFax1.SetEnhTextEnabled(true);
  ApdSendFax1.OnFaxFinish = [this](fax::TApdCustomAbstractFax&, int code) { ApdSendFax1FaxFinish(code); };
}

TSendFaxForm::~TSendFaxForm() {
  // A session still running (the dialog destroyed from outside) ends before its port goes.
  ApdSendFax1.OnFaxFinish = nullptr;
  if (ApdSendFax1.Running()) ApdSendFax1.AbortFax();
  closePort();
}

// ---- ports

int TSendFaxForm::selectedPort() const { return ComPort->checkedId() > 0 ? ComPort->checkedId() : 0; }

void TSendFaxForm::selectPort(int comNumber) {
  if (ports_.empty() || std::find(ports_.begin(), ports_.end(), comNumber) == ports_.end()) {
    // Rebuild the buttons so the list holds the chosen port (a port the settings name).
    for (QAbstractButton* b : ComPort->buttons()) {
      ComPort->removeButton(b);
      delete b;
    }
    ports_ = portChoices(mappedPorts_, comNumber);
    for (std::size_t i = 0; i < ports_.size(); ++i) {
      auto* radio = new QRadioButton(QStringLiteral("Com%1").arg(ports_[i]), ComPortBox);
      radio->setObjectName(QStringLiteral("Com%1").arg(ports_[i]));
      ComPort->addButton(radio, ports_[i]);
      portGrid_->addWidget(radio, static_cast<int>(i) / kPortColumns, static_cast<int>(i) % kPortColumns);
    }
  }
  if (QAbstractButton* b = ComPort->button(comNumber)) {
    b->setChecked(true);
  } else if (QAbstractButton* checked = ComPort->checkedButton()) {
    // A number no port can have: nothing stays chosen, and Send says so.
    ComPort->setExclusive(false);
    checked->setChecked(false);
    ComPort->setExclusive(true);
  }
}

// ---- settings

void TSendFaxForm::loadFromSettings(const settings::Settings& s) {
  selectPort(s.comPort + 1);
  ApdComPort1.SetComNumber(std::max(0, s.comPort + 1));
  if (QAbstractButton* b = sfFaxClass->button(s.faxClass)) b->setChecked(true);
  TransferRate->setCurrentIndex(rateToIndex(s.maximumBps));
  sfModemInit->setText(fromCp1252(s.initString));
  sfStationID->setText(fromCp1252(s.userFax));
  sfusername->setText(fromCp1252(s.userName));
  sfDialPrefix->setText(fromCp1252(s.dialPrefix));
  DisablePrefix->setChecked(s.prefixDisable);
  sfDialsuffix->setText(fromCp1252(s.dialSuffix));
  DisableSuffix->setChecked(s.suffixDisable);
  sfDialAttempts->setText(QString::number(s.dialAttempts));
  sfRetryWait->setText(QString::number(s.retryWait));
  sfTimeOut->setText(QString::number(s.timeout));
  if (QAbstractButton* b = sfToneOrPulse->button(s.toneOrPulse == 1 ? 1 : 0)) b->setChecked(true);
  CheckBlindDial->setChecked(s.blindDial);
  CheckIgnoreBusy->setChecked(s.ignoreBusy);
  UseECM->setChecked(s.ecm);
  resetString_ = fromCp1252(s.resetString);
  afterResetString_ = fromCp1252(s.resetAfterString);
}

std::optional<int> TSendFaxForm::numberIn(const QLineEdit* field) const {
  bool ok = false;
  int v = field->text().trimmed().toInt(&ok);
  if (!ok) return std::nullopt;
  return v;
}

void TSendFaxForm::storeToSettings(settings::Settings& s) const {
  if (selectedPort() > 0) s.comPort = selectedPort() - 1;
  if (sfFaxClass->checkedId() >= 0) s.faxClass = sfFaxClass->checkedId();
  s.maximumBps = indexToRate(TransferRate->currentIndex());
  s.initString = toCp1252(sfModemInit->text());
  s.userFax = toCp1252(sfStationID->text());
  s.userName = toCp1252(sfusername->text());
  s.dialPrefix = toCp1252(sfDialPrefix->text());
  s.prefixDisable = DisablePrefix->isChecked();
  s.dialSuffix = toCp1252(sfDialsuffix->text());
  s.suffixDisable = DisableSuffix->isChecked();
  auto keep = [this](const QLineEdit* field, int& value) {
    std::optional<int> v = numberIn(field);
    if (v && *v >= 0 && *v <= kHighestDialNumber) value = *v;
  };
  keep(sfDialAttempts, s.dialAttempts);
  keep(sfRetryWait, s.retryWait);
  keep(sfTimeOut, s.timeout);
  s.toneOrPulse = sfToneOrPulse->checkedId() == 1 ? 1 : 0;
  s.blindDial = CheckBlindDial->isChecked();
  s.ignoreBusy = CheckIgnoreBusy->isChecked();
  s.ecm = UseECM->isChecked();
}

QString TSendFaxForm::settingsProblem() const {
  if (selectedPort() == 0)
    return QStringLiteral("Please choose the communications port of your fax modem (Com1 to Com255).");
  struct Field {
    const QLineEdit* edit;
    const char* name;
  };
  for (const Field& f : {Field{sfDialAttempts, "Dial Attempts"}, Field{sfRetryWait, "Retry after"},
                         Field{sfTimeOut, "Timeout after"}}) {
    std::optional<int> v = numberIn(f.edit);
    // Text that is no number at all keeps the previous value; a number out of range would be
    // cut to 16 bits by the fax component (-1 attempts would become 65535).
    if (v && (*v < 0 || *v > kHighestDialNumber))
      return QStringLiteral("\"%1\" must be a whole number from 0 to %2 (it reads %3).")
          .arg(QString::fromLatin1(f.name))
          .arg(kHighestDialNumber)
          .arg(*v);
  }
  return {};
}

// ---- sending

void TSendFaxForm::setStatus(const QString& text) { StatusLine->setText(text); }

void TSendFaxForm::closePort() {
  if (ApdComPort1.Open()) {
    try {
      ApdComPort1.SetOpen(false);
    } catch (const std::exception&) {
      // Closing a port that went away has nothing left to undo.
    }
  }
}

void TSendFaxForm::endSendAttempt() {
  busy_ = false;
  closePort();
  setStatus({});
}

void TSendFaxForm::SendFaxButtonClick() {
  if (busy_) {
    QApplication::beep();
    return;
  }
  if (QString problem = settingsProblem(); !problem.isEmpty()) {
    app::InfoBox(problem);
    return;
  }
  busy_ = true;
  setStatus(QStringLiteral("Opening communications port..."));
  platform::pumpMessages();
  const int comNumber = selectedPort();
  if (QString failure = app::OpenCommPort(ApdComPort1, comNumber); !failure.isEmpty()) {
    closePort();
    app::InfoBox(failure);
    busy_ = false;
    setStatus({});
    return;
  }
  probeModemPresent(ApdComPort1);  // what it finds is not used
  if (!resetString_.isEmpty()) {
    setStatus(QStringLiteral("Sending reset string..."));
    sendModemCommand(ApdComPort1, resetString_);
  }
  try {
    ConfigureSendFax();
    setStatus({});
    platform::pumpMessages();
    ApdSendFax1.BeginTransmit();
  } catch (const std::exception&) {
    endSendAttempt();  // silently, back to idle
  }
}

void TSendFaxForm::ConfigureSendFax() {
  fax::TApdSendFax& f = ApdSendFax1;
  f.SetDesiredBPS(static_cast<unsigned>(indexToRate(TransferRate->currentIndex())));
  f.SetDesiredECM(UseECM->isChecked());
  f.SetBlindDial(CheckBlindDial->isChecked());
  f.SetDetectBusy(!CheckIgnoreBusy->isChecked());
  f.SetFaxFile(faxFileName_);
  f.SetCoverFile(coverFileName_);
  QString number = sfPhoneNumber->text();
  if (!DisableSuffix->isChecked()) number += sfDialsuffix->text();
  f.SetPhoneNumber(toCp1252(number));
  f.SetToneDial(sfToneOrPulse->checkedId() != 1);
  int classIndex = std::clamp(sfFaxClass->checkedId(), 0, 3);
  f.SetFaxClass(static_cast<fax::TFaxClass>(classIndex + 1));
  // A field that is not a number leaves it and the ones after it as they were.
  if (std::optional<int> attempts = numberIn(sfDialAttempts)) {
    f.SetDialAttempts(static_cast<unsigned>(*attempts));
    if (std::optional<int> retry = numberIn(sfRetryWait)) {
      f.SetDialRetryWait(static_cast<unsigned>(*retry));
      if (std::optional<int> wait = numberIn(sfTimeOut)) f.SetDialWait(static_cast<unsigned>(*wait));
    }
  }
  if (!numberIn(sfDialAttempts) || !numberIn(sfRetryWait) || !numberIn(sfTimeOut)) setStatus({});
  f.SetStationID(toCp1252(sfStationID->text()));
  f.SetDialPrefix(DisablePrefix->isChecked() ? std::string() : toCp1252(sfDialPrefix->text()));
  if (!sfModemInit->text().isEmpty()) f.SetModemInit(toCp1252(modemCommandString(sfModemInit->text())));
  headerLine_ = headerLineNow(sfusername->text(), sfStationID->text());
  f.SetHeaderLine(toCp1252(headerLine_));
}

void TSendFaxForm::ApdSendFax1FaxFinish(int code) {
  resultText_ = resultTextFor(code);
  const QString message = fromCp1252(ErrorText(code));
  platform::pumpMessages();
  if (!afterResetString_.isEmpty() && ApdComPort1.Open()) {
    setStatus(QStringLiteral("Sending AFTER reset string..."));
    sendModemCommand(ApdComPort1, afterResetString_);
  }
  closePort();
  platform::pumpMessages();
  busy_ = false;
  setStatus({});
  if (resultText_ != kResultSent)
    app::InfoBox(notSentMessage(message));
  else
    app::InfoBox(QStringLiteral("Fax sent successfully"));
}

// ---- the other buttons

void TSendFaxForm::CloseButtonClick() {
  if (busy_) {
    QApplication::beep();
    return;
  }
  if (ApdComPort1.Open()) {
    qtplatform::BusyCursor hourglass;
    closePort();
  }
  closing_ = true;
  done(QDialog::Accepted);
}

void TSendFaxForm::reject() { CloseButtonClick(); }

void TSendFaxForm::closeEvent(QCloseEvent* event) {
  if (closing_) {
    event->accept();
    return;
  }
  event->ignore();
  CloseButtonClick();
}

void TSendFaxForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!firstActivation_) return;
  firstActivation_ = false;
  sfPhoneNumber->setText(initialFaxNumber_);
  QApplication::restoreOverrideCursor();
  closing_ = false;
}

void TSendFaxForm::HelpbuttonClick() { app::showHelp(kSendHelpContext); }
void TSendFaxForm::ExplorerButton1Click() { app::showHelp(kTroubleshootingContext); }

void TSendFaxForm::BitBtn1Click() {
  if (busy_) {
    QApplication::beep();
    return;
  }
  if (!preferencesWizard) {
    app::notAvailableYet(QStringLiteral("Preferences"));
    return;
  }
  std::optional<settings::Settings> saved = preferencesWizard();
  if (!saved) return;
  const QString number = sfPhoneNumber->text();  // the number is the fax's, not a setting
  loadFromSettings(*saved);
  sfPhoneNumber->setText(number);
}

void TSendFaxForm::FindModemButtonClick() {
  // The probes open the port themselves: not while a send holds it.
  if (busy_) {
    QApplication::beep();
    return;
  }
  if (findModem)
    findModem(*this);
  else
    app::notAvailableYet(QStringLiteral("Find Modem"));
}

void TSendFaxForm::CheckFaxClassButtonClick() {
  if (busy_) {
    QApplication::beep();
    return;
  }
  if (checkFaxClass)
    checkFaxClass(*this);
  else
    app::notAvailableYet(QStringLiteral("Check Fax Class"));
}

}  // namespace quillon::send
