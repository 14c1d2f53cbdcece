// Between the settings record and the wizard's controls: filling them when the wizard opens
// and taking them back when it is finished.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPrinterInfo>

#include <algorithm>

#include "ports/port_mapping.h"
#include "preferences/preferences_values.h"
#include "preferences/preferences_wizard.h"
#include "preferences/radio_group.h"
#include "settings/ini_values.h"
#include "settings/settings_store.h"

namespace quillon::preferences {

namespace {
QString text(const std::string& s) { return QString::fromStdString(s); }
std::string text(const QLineEdit* edit) { return edit->text().toStdString(); }

// Out-of-list stored values show as the list's default.
int classIndex(int value) { return value >= 0 && value < kFaxClasses ? value : 1; }
}  // namespace

QStringList printerChoices() {
  QStringList names = QPrinterInfo::availablePrinterNames();
  names.removeAll(QString::fromLatin1(kDefaultPrinter));
  names.prepend(QString::fromLatin1(kDefaultPrinter));
  return names;
}

std::vector<int> offeredPortsOf(const settings::SettingsStore& store) {
  std::vector<int> ports{1, 2, 3, 4, 5, 6};
  for (int n : ports::mappedPorts(store.read())) {
    if (n > 6) ports.push_back(n);
  }
  return ports;
}

int TPreferences::portPosition(int comPort) const {
  auto it = std::find(offeredPorts_.begin(), offeredPorts_.end(), comPort + 1);
  return it == offeredPorts_.end() ? -1 : static_cast<int>(it - offeredPorts_.begin());
}

void TPreferences::fillControls() {
  const settings::Settings& s = opened_;
  int port = portPosition(s.comPort);
  ComPort->setItemIndex(port < 0 ? 0 : port);
  ToneOrPulse->setItemIndex(s.toneOrPulse == 1 ? 1 : 0);
  ResetString->setText(text(s.resetString));
  ResetAfterString->setText(text(s.resetAfterString));

  FaxClass->setItemIndex(classIndex(s.faxClass));
  TransferRate->setCurrentIndex(rateIndex(s.maximumBps));
  ModemInit->setText(text(s.initString));

  FaxNumber->setText(text(s.userFax));
  Name->setText(text(s.userName));
  UseECM->setChecked(s.ecm);
  DialPrefix->setText(text(s.dialPrefix));
  DialSuffix->setText(text(s.dialSuffix));

  TimeOut->setText(QString::number(s.timeout));
  DialAttempts->setText(QString::number(s.dialAttempts));
  RetryWait->setText(QString::number(s.retryWait));
  CheckBlindDial->setChecked(s.blindDial);
  CheckIgnoreBusy->setChecked(s.ignoreBusy);

  FaxClassReceive->setItemIndex(classIndex(s.faxClassReceive));
  TransferRateReceive->setCurrentIndex(rateIndex(s.maximumBpsReceive));
  ModemInitReceive->setText(text(s.initStringReceive));

  AnswerOnRing->setItemIndex(s.answerOnRing >= 1 && s.answerOnRing <= kRings ? s.answerOnRing - 1 : 0);
  ReceiveAtStartup->setChecked(s.atStartup);
  UseECMReceive->setChecked(s.ecmReceive);

  WaveFileEdit->setText(text(s.wav));
  PrintFaxOnReceipt->setChecked(s.printOnReceipt);
  PrintFaxOnReceiptPrinter->clear();
  PrintFaxOnReceiptPrinter->addItems(printerChoices());
  // A printer that is no longer installed shows (and is saved) as the default printer.
  int printer = PrintFaxOnReceiptPrinter->findText(text(s.printOnReceiptPrinter));
  PrintFaxOnReceiptPrinter->setCurrentIndex(printer < 0 ? 0 : printer);

  notes_ = unusableStoredValues(s, offeredPorts_);
  if (notes_.isEmpty()) {
    StoredValuesNotice->hide();
  } else {
    QString items;
    for (const QString& note : notes_) items += QStringLiteral("<li>%1</li>").arg(note.toHtmlEscaped());
    StoredValuesNotice->setText(
        QStringLiteral("<b>Some stored settings cannot be used as they are.</b> Please check them before you "
                       "finish:<ul style=\"margin-left:-20px\">%1</ul>")
            .arg(items));
    StoredValuesNotice->show();
  }
}

namespace {
// An integer field: false with the message when the text is no integer or out of range.
bool numberOf(const QLineEdit* edit, const NumberField& field, int& value, QString& message) {
  QString t = edit->text().trimmed();
  std::optional<int> parsed = settings::parseInteger(t.toStdString());
  if (!parsed) {
    message = notAnIntegerMessage(edit->text());
    return false;
  }
  if (!inRange(field, *parsed)) {
    message = outOfRangeMessage(field, *parsed);
    return false;
  }
  value = *parsed;
  return true;
}
}  // namespace

bool TPreferences::takeOver(settings::Settings& out, QString& message, int& page, QWidget*& field) const {
  settings::Settings s = opened_;
  auto fail = [&](int onPage, QWidget* where) {
    page = onPage;
    field = where;
    return false;
  };

  int port = ComPort->itemIndex();
  s.comPort = offeredPorts_[port < 0 ? 0 : port] - 1;
  s.toneOrPulse = ToneOrPulse->itemIndex() == 1 ? 1 : 0;
  s.resetString = text(ResetString);
  s.resetAfterString = text(ResetAfterString);

  s.faxClass = FaxClass->itemIndex() < 0 ? 1 : FaxClass->itemIndex();
  s.maximumBps = rateOfIndex(TransferRate->currentIndex());
  s.initString = text(ModemInit);
  if (!initStringFits(s.initString)) {
    message = initTooLongMessage(QStringLiteral("sending"), modemInitLength(s.initString));
    return fail(Sending1, ModemInit);
  }

  s.userFax = text(FaxNumber);
  s.userName = text(Name);
  s.ecm = UseECM->isChecked();
  s.dialPrefix = text(DialPrefix);
  s.dialSuffix = text(DialSuffix);

  // A timeout that is no integer keeps the value it had; one out of range is refused.
  std::optional<int> timeout = settings::parseInteger(TimeOut->text().trimmed().toStdString());
  if (timeout) {
    if (!inRange(kTimeoutField, *timeout)) {
      message = outOfRangeMessage(kTimeoutField, *timeout);
      return fail(Sending3, TimeOut);
    }
    s.timeout = *timeout;
  }
  if (!numberOf(DialAttempts, kDialAttemptsField, s.dialAttempts, message)) return fail(Sending3, DialAttempts);
  if (!numberOf(RetryWait, kRetryWaitField, s.retryWait, message)) return fail(Sending3, RetryWait);
  s.blindDial = CheckBlindDial->isChecked();
  s.ignoreBusy = CheckIgnoreBusy->isChecked();

  s.faxClassReceive = FaxClassReceive->itemIndex() < 0 ? 1 : FaxClassReceive->itemIndex();
  s.maximumBpsReceive = rateOfIndex(TransferRateReceive->currentIndex());
  s.initStringReceive = text(ModemInitReceive);
  if (!initStringFits(s.initStringReceive)) {
    message = initTooLongMessage(QStringLiteral("receiving"), modemInitLength(s.initStringReceive));
    return fail(Receiving1, ModemInitReceive);
  }

  s.answerOnRing = AnswerOnRing->itemIndex() + 1;
  if (s.answerOnRing < 1) s.answerOnRing = 1;
  s.atStartup = ReceiveAtStartup->isChecked();
  s.ecmReceive = UseECMReceive->isChecked();

  s.wav = text(WaveFileEdit);
  s.printOnReceipt = PrintFaxOnReceipt->isChecked();
  s.printOnReceiptPrinter = PrintFaxOnReceiptPrinter->currentIndex() < 0
                                ? std::string(kDefaultPrinter)
                                : PrintFaxOnReceiptPrinter->currentText().toStdString();
  out = s;
  return true;
}

}  // namespace quillon::preferences
