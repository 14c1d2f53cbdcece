#include "app/receive_mode.h"

#include <QDateTime>
#include <QLabel>
#include <QPrinterInfo>
#include <QStyle>
#include <QToolButton>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

#include "app/dialogs.h"
#include "app/main_screen.h"
#include "app/port_opening.h"
#include "app/receive_mode_texts.h"
#include "app/starting_fax_form.h"
#include "compose/fax_printer.h"
#include "compose/print_status_display.h"
#include "preferences/wav_sound.h"
#include "errors/error_text.h"
#include "faximage/fax_file.h"
#include "xbase/date.h"
#include "platform/message_pump.h"
#include "platform/ticks.h"
#include "qtplatform/busy_guards.h"
#include "qtplatform/cp1252_text.h"

namespace quillon::app {

namespace {
constexpr char kDefaultPrinter[] = "Default Windows Printer";

// Waits `ticks` clock ticks while the window goes on working.
void waitTicks(platform::Ticks ticks) {
  platform::TickTimer timer = platform::startTimer(ticks);
  while (!platform::timerExpired(timer)) {
    platform::pumpMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

// Waits (the window working) until `done` or about `ticks` ticks have passed.
template <typename Done>
void waitUntil(Done done, platform::Ticks ticks) {
  platform::TickTimer timer = platform::startTimer(ticks);
  while (!done() && !platform::timerExpired(timer)) {
    platform::pumpMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

std::string fileNamePart(const std::string& path) { return std::filesystem::path(path).filename().string(); }
}  // namespace

ReceiveMode::ReceiveMode(TMainScreen& screen) : screen_(screen) {
  app::SetUpFaxPort(ApdComPort1);

  ApdReceiveFax1.SetFaxFileExt("APF");
  ApdReceiveFax1.SetConstantStatus(true);
  ApdReceiveFax1.SetComPort(&ApdComPort1);
  ApdReceiveFax1.SetDestinationDir(screen.receiveFolder());
  ApdReceiveFax1.SetNamingMode(1);  // FAX0001.APF, FAX0002.APF, ...: the first free number

  ApdReceiveFax1.OnFaxAccept = [this](fax::TApdCustomAbstractFax&, bool& accept) { ApdReceiveFax1FaxAccept(accept); };
  ApdReceiveFax1.OnFaxStatus = [this](fax::TApdCustomAbstractFax&, bool starting, bool ending) {
    ApdReceiveFax1FaxStatus(starting, ending);
  };
  ApdReceiveFax1.OnFaxError = [this](fax::TApdCustomAbstractFax&, int code) { ApdReceiveFax1FaxError(code); };
  ApdReceiveFax1.OnFaxLog = [this](fax::TApdCustomAbstractFax&, fax::TFaxLogCode code) { ApdReceiveFax1FaxLog(code); };
  ApdReceiveFax1.OnFaxFinish = [this](fax::TApdCustomAbstractFax&, int code) { ApdReceiveFax1FaxFinish(code); };

  screen.receiveModeToggle = [this] { Toggle(); };
}

ReceiveMode::~ReceiveMode() {
  screen_.receiveModeToggle = nullptr;
  // The window goes while still receiving: no questions, no messages, just a closed port.
  stopping_ = true;
  ApdReceiveFax1.OnFaxLog = nullptr;
  ApdReceiveFax1.OnFaxStatus = nullptr;
  ApdReceiveFax1.AbortFax();
  closePort();
}

compose::TApdFaxPrinter& ReceiveMode::apdFaxPrinter1() {
  if (!printer_) {  // made on first use: a printer object asks the print system for its defaults
    printer_ = std::make_unique<compose::TApdFaxPrinter>();
    printer_->FaxHeader.Caption = "FILE: $F";
    printer_->FaxHeader.Enabled = false;
    printer_->FaxFooter.Caption = "Page: $P of $N";
    printer_->FaxFooter.Enabled = false;
    printer_->MultiPage = false;
    printStatus_ = std::make_unique<compose::TStandardFaxPrinterStatusDisplay>(&screen_);
    printer_->StatusDisplay = printStatus_.get();
  }
  return *printer_;
}

void ReceiveMode::Toggle() {
  if (busy_) return;  // a click while the last one is still starting or stopping
  if (screen_.receiveMode())
    StopReceiveMode();
  else
    StartReceiveMode();
}

void ReceiveMode::StartReceiveMode() {
  busy_ = true;
  stopping_ = false;
  qtplatform::BusyCursor busy;
  screen_.lastReceiveError = 0;
  screen_.TabSet1Click(1);
  TStartingFaxForm* notice = screen_.startingFaxForm();
  if (notice) notice->showStarting();

  screen_.setReceiveMode(true);
  platform::pumpMessages();
  screen_.status->setText(QStringLiteral("Starting receive mode..."));
  bool started = false;
  try {
    configure();
    QString failure = OpenCommPort(ApdComPort1, screen_.settings().comPort + 1);
    if (!failure.isEmpty()) {
      if (notice) notice->hide();  // the box must not stand behind the notice
      InfoBox(failure);
    } else {
      probeModem();
      const std::string& reset = screen_.settings().resetString;
      if (!reset.empty()) {
        screen_.status->setText(QStringLiteral("Sending reset string..."));
        platform::pumpMessages();
        sendModemString(reset, 36);
      }
      ApdReceiveFax1.BeginReceive();
      screen_.ReceiveButton->setText(QStringLiteral("STOP"));
      screen_.ReceiveButton->setToolTip(QStringLiteral("Stop receiving faxes"));
      screen_.ReceiveButton->setIcon(screen_.style()->standardIcon(QStyle::SP_BrowserStop));
      if (notice) notice->showReady();
      started = true;
    }
  } catch (const std::exception&) {
    // Receive mode stays off; the start says nothing more than the port's own message.
  }
  if (!started) {
    if (notice) notice->hide();
    closePort();  // a port that opened stays open for no one otherwise
    screen_.setReceiveMode(false);
    setButtonToStart();
    screen_.status->clear();
  }
  busy_ = false;
  screen_.SetButtons();
}

void ReceiveMode::StopReceiveMode() {
  busy_ = true;
  stopping_ = true;
  {
    qtplatform::BusyCursor busy;
    screen_.lastReceiveError = 0;
    if (TStartingFaxForm* notice = screen_.startingFaxForm()) notice->hide();
    try {
      ApdReceiveFax1.AbortFax();
      platform::pumpMessages();
      // The machine hangs up and lets go of the port before anything else is sent on it.
      waitUntil([this] { return !ApdReceiveFax1.Running(); }, platform::secondsToTicks(5));
      const std::string& after = screen_.settings().resetAfterString;
      if (!after.empty()) {
        screen_.status->setText(QStringLiteral("Sending AFTER reset string..."));
        platform::pumpMessages();
        sendModemString(after, 36);
      }
      closePort();
      platform::pumpMessages();
    } catch (const std::exception&) {
      // Receive mode ends all the same.
    }
    screen_.setReceiveMode(false);
    screen_.setFaxInProgress(false);
  }
  setButtonToStart();
  screen_.status->clear();
  busy_ = false;
  screen_.SetButtons();
}

void ReceiveMode::configure() {
  const settings::Settings& s = screen_.settings();
  ApdReceiveFax1.SetFaxClass(static_cast<fax::TFaxClass>(std::clamp(s.faxClassReceive, 0, 3) + 1));
  ApdReceiveFax1.SetStationID(s.userFax);
  ApdReceiveFax1.SetAnswerOnRing(static_cast<unsigned>(std::max(1, s.answerOnRing)));
  ApdReceiveFax1.SetDesiredBPS(static_cast<unsigned>(std::max(0, s.maximumBpsReceive)));
  ApdReceiveFax1.SetDesiredECM(s.ecmReceive);
  // An emptied setting leaves no earlier string behind in the component.
  ApdReceiveFax1.SetModemInit(s.initStringReceive.empty() ? std::string() : withAtPrefix(s.initStringReceive));
  ApdReceiveFax1.SetDestinationDir(screen_.receiveFolder());
}

void ReceiveMode::probeModem() {
  // The modem gets a moment after the port opens; whether it answers does not matter here.
  waitTicks(12);
  ApdComPort1.PutString("AT\r");
  ApdComPort1.AwaitString("OK", 18, true, true);
}

void ReceiveMode::sendModemString(const std::string& command, int ticks) {
  ApdComPort1.PutString(withAtPrefix(command) + "\r");
  ApdComPort1.AwaitString("OK", ticks, true, true);
}

void ReceiveMode::setButtonToStart() {
  screen_.ReceiveButton->setText(QStringLiteral("&Receive"));
  screen_.ReceiveButton->setToolTip(QStringLiteral("Start receiving faxes"));
  screen_.ReceiveButton->setIcon(screen_.style()->standardIcon(QStyle::SP_ArrowDown));
}

void ReceiveMode::closePort() {
  try {
    if (ApdComPort1.State() == serial::TPortState::psClosed && !ApdComPort1.HasDispatcher()) return;
    ApdComPort1.SetOpen(false);
  } catch (const std::exception&) {
    // Closing a port that failed half way has nothing more to undo.
  }
  waitUntil([this] { return ApdComPort1.State() == serial::TPortState::psClosed; }, platform::secondsToTicks(5));
}

// ---- events of the receive component

void ReceiveMode::ApdReceiveFax1FaxAccept(bool& accept) {
  screen_.setFaxInProgress(true);
  screen_.lastReceiveError = 0;
  accept = true;
}

void ReceiveMode::ApdReceiveFax1FaxStatus(bool starting, bool ending) {
  UpdateValues();
  if (starting) screen_.receivedPages = 0;
  if (ending) screen_.setFaxInProgress(false);
}

void ReceiveMode::UpdateValues() {
  fax::TApdReceiveFax& f = ApdReceiveFax1;
  screen_.receivedPages = static_cast<std::uint16_t>(f.PageNumber());
  std::string line = receiveStatusLine(fax::TApdCustomAbstractFax::ProgressText(f.Progress()), f.RemoteStation(),
                                       f.PageNumber(), f.PageBytesDone());
  screen_.status->setText(qtplatform::fromCp1252(line));
}

void ReceiveMode::ApdReceiveFax1FaxError(int errorCode) { screen_.lastReceiveError = errorCode; }

void ReceiveMode::ApdReceiveFax1FaxLog(fax::TFaxLogCode logCode) {
  switch (logCode) {
    case fax::LogReceiveStart:
      screen_.receivedFile = ApdReceiveFax1.FaxFile();
      break;
    case fax::LogReceiveOk:
      storeReceivedFax();
      break;
    case fax::LogReceiveFail:
      failedFax();
      break;
    default:
      break;
  }
}

void ReceiveMode::storeReceivedFax() {
  screen_.setFaxInProgress(false);
  const std::string file = ApdReceiveFax1.FaxFile();
  store::ReceivedEntry entry;
  entry.date = xbase::todayLocal();
  entry.time = QTime::currentTime().toString(QStringLiteral("hh:mm")).toStdString();
  entry.from = ApdReceiveFax1.RemoteStation();
  // The pages the file holds: the last status can come before the last page was counted.
  faximage::FaxHeader header;
  bool readable = faximage::ReadFaxHeader(file, header) == 0;
  entry.pages = readable && header.pageCount > 0 ? header.pageCount : screen_.receivedPages;
  entry.faxFile = fileNamePart(file);
  screen_.store().appendReceived(entry);
  platform::pumpMessages();
  screen_.store().recTableCloseAndOpen();
  platform::pumpMessages();
  // The sound and the print start once this handler has returned, so the receive machine
  // is not held up by them.
  QMetaObject::invokeMethod(this, &ReceiveMode::playSound, Qt::QueuedConnection);
  screen_.SetButtons();
  if (screen_.settings().printOnReceipt) {
    std::string printed = screen_.receivedFile.empty() ? file : screen_.receivedFile;
    QMetaObject::invokeMethod(this, [this, printed] { printOnReceipt(printed); }, Qt::QueuedConnection);
  }
}

void ReceiveMode::failedFax() {
  screen_.setFaxInProgress(false);
  QString reason;
  if (screen_.lastReceiveError != 0) reason = qtplatform::fromCp1252(ErrorText(screen_.lastReceiveError));
  if (reason.isEmpty()) reason = QStringLiteral("Unknown error");
  screen_.lastReceiveError = 0;
  // A partial fax leaves no file (and it never got a record).
  std::error_code ignored;
  const std::string file = ApdReceiveFax1.FaxFile();
  if (!file.empty() && std::filesystem::is_regular_file(file, ignored)) std::filesystem::remove(file, ignored);
  // The box waits for the user; the receive machine must not wait with it.
  QMetaObject::invokeMethod(
      this, [reason] { InfoBox(QStringLiteral("Failed to receive incoming fax:\n\n") + reason); }, Qt::QueuedConnection);
}

void ReceiveMode::ApdReceiveFax1FaxFinish(int) {
  // The run ended by itself (the modem went away): receive mode ends with it rather than
  // claim to wait for calls that nothing answers.
  if (stopping_ || !screen_.receiveMode()) return;
  QMetaObject::invokeMethod(
      this,
      [this] {
        if (screen_.receiveMode() && !ApdReceiveFax1.Running() && !busy_) StopReceiveMode();
      },
      Qt::QueuedConnection);
}

void ReceiveMode::playSound() {
  const std::string& wav = screen_.settings().wav;
  if (!wav.empty() && preferences::playWavAsync(QString::fromLocal8Bit(wav.c_str()))) ++soundsStarted_;
}

void ReceiveMode::printOnReceipt(const std::string& file) {
  compose::TApdFaxPrinter& printer = apdFaxPrinter1();
  const std::string& name = screen_.settings().printOnReceiptPrinter;
  if (name != kDefaultPrinter) {
    QString wanted = qtplatform::fromCp1252(name);
    if (QPrinterInfo::availablePrinterNames().contains(wanted)) printer.printer().setPrinterName(wanted);
  }
  if (beforePrint) beforePrint(printer.printer());
  printer.SetFileName(file);
  printer.PrintFax();
  ++printed_;
}

}  // namespace quillon::app
