#include "app/main_screen.h"

#include <QApplication>
#include <QCloseEvent>
#include <QItemSelectionModel>
#include <QLabel>
#include <QStackedWidget>
#include <QTabBar>
#include <QTableView>
#include <QToolButton>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include <unistd.h>

#include "app/app_identity.h"
#include "app/dialogs.h"
#include "app/fax_list_model.h"
#include "app/hints.h"
#include "app/list_source.h"
#include "app/receive_mode.h"
#include "app/window_placement_binding.h"
#include "compose/view_fax.h"
#include "preferences/preferences_wizard.h"
#include "probes/check_fax_class_form.h"
#include "probes/find_modem_form.h"
#include "serial/com_port.h"
#include "platform/file_io.h"
#include "platform/message_pump.h"

namespace quillon::app {

namespace {
constexpr char kWindowClass[] = "TMainScreen";
}

TMainScreen::TMainScreen(const std::string& dataFolder, QWidget* parent)
    : QMainWindow(parent), dataFolder_(dataFolder), store_(dataFolder), settingsStore_(dataFolder) {
  setObjectName(QString::fromLatin1(kWindowClass));
  setWindowTitle(QStringLiteral("Quillon"));
  setWindowIcon(applicationIcon());
  setMainWindow(this);
  sentSource_ = std::make_unique<TableListSource>(store_.faxTable(), outgoingListLayout().fields);
  receivedSource_ = std::make_unique<TableListSource>(store_.recTable(), incomingListLayout().fields);
  sentModel_ = new FaxListModel(outgoingListLayout(), *sentSource_, this);
  receivedModel_ = new FaxListModel(incomingListLayout(), *receivedSource_, this);
  hints_ = new HintSwitch(this);
  buildMenus();
  buildButtonBar();
  buildPages();
  resize(defaultSize());

  // View: the viewer window on a received fax file or on the current sent fax, rendered.
  faxViewer = [this](const std::string& faxFile, const QString& description) {
    compose::viewFax(settingsStore_, this, faxFile, description);
  };
  // Preferences: the wizard, whose Find Modem and Check Fax Class buttons run the probe
  // windows on a port of their own; the wizard asks whether to take the proposal.
  preferencesWizard = [this](bool firstRun) {
    preferences::ModemProbes probes;
    probes.findModem = [](QWidget* parent) {
      serial::TApdComPort port;
      probes::TFindModemForm form(port, parent);
      form.exec();
      return form.result();
    };
    probes.checkFaxClass = [](QWidget* parent, int comNumber) {
      serial::TApdComPort port;
      probes::TCheckFaxClassForm form(port, comNumber, parent);
      form.exec();
      return form.result();
    };
    preferences::RunPreferences(this, settings_, settingsStore_, firstRun, probes);
  };
  createFaxFile = [this]() -> std::string {
    try {
      return CreateFaxFile();
    } catch (const std::exception& e) {  // the converter's or joining's own words, then the caller's box
      InfoBox(QString::fromLocal8Bit(e.what()));
      return {};
    }
  };

  // FormCreate
  firstActivation_ = true;
  TabSet1Click(0);
  if (!store_.openFaxDBF()) {
    creationFailed_ = true;
    InfoBox(withReason(QStringLiteral("Unable to open/create the FAX datafile - closing program"), store::TableKind::Sent));
  } else if (!store_.openRecFaxDBF()) {
    creationFailed_ = true;
    InfoBox(withReason(QStringLiteral("Unable to open/create the FAX RECEIVE datafile - closing program"),
                       store::TableKind::Received));
  }
  if (creationFailed_) QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);

  settings::LoadedSettings loaded = settingsStore_.load();
  settings_ = loaded.values;
  firstRun_ = loaded.firstRun;  // the port already reads COM1 then

  receiveMode_ = false;
  faxInProgress_ = false;
  receiveFolder_ = dataFolder_ + store::kReceiveFolder;
  std::error_code ignored;  // an existing folder is fine
  std::filesystem::create_directory(receiveFolder_, ignored);

  // The tick follows the stored setting, so the menu never misstates whether hints show.
  mnuShowHint->setChecked(settings_.hintsOn);
  hints_->setEnabled(settings_.hintsOn);
  sentModel_->reload();
  receivedModel_->reload();
  receiving_ = std::make_unique<ReceiveMode>(*this);
}

QString TMainScreen::withReason(const QString& text, store::TableKind kind) {
  // The engine's own reason goes below the given text, so the user can act on it.
  std::string reason = store_.table(kind).lastError();
  if (reason.empty()) {  // it could not even be created: say what stands in the way
    std::string path = store_.pathOf(store::tableLayout(kind).dbfName);
    std::error_code ec;
    int error = std::filesystem::is_directory(path, ec) ? EISDIR : ::access(dataFolder_.c_str(), W_OK) != 0 ? errno : 0;
    reason = "cannot create " + path + (error ? std::string(": ") + std::strerror(error) : std::string());
  }
  return text + QStringLiteral("\n\n") + QString::fromLocal8Bit(reason.c_str());
}

TMainScreen::~TMainScreen() {
  if (mainWindow() == this) setMainWindow(nullptr);
}

void TMainScreen::FormActivate() {
  if (!firstActivation_ || activating_ || creationFailed_) return;
  activating_ = true;
  try {
    restoreWindowPlacement(this, kWindowClass, settingsStore_);
  } catch (const platform::FileWriteError&) {
    // The placement is saved again, and any failure reported, when the window closes.
  }
  SetButtons();
  if (startMinimized_) {
    showMinimized();
  } else {
    show();
  }
  platform::pumpMessages();
  settleWindowFrame(this);  // the frame is known once the window is shown
  if (firstRun_) {
    firstRun_ = false;  // the wizard takes the first-run mark over
    if (preferencesWizard) {
      preferencesWizard(true);
    } else {
      notAvailableYet(QStringLiteral("The preferences wizard"));
    }
  }
  if (settings_.atStartup) ReceiveButtonClick();
  firstActivation_ = false;
  activating_ = false;
}

void TMainScreen::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (firstActivation_ && !activating_) QMetaObject::invokeMethod(this, &TMainScreen::FormActivate, Qt::QueuedConnection);
}

int TMainScreen::notebookPage() const { return NoteBook->currentIndex(); }

void TMainScreen::TabSet1Click(int index) {
  if (TabSet1->currentIndex() != index) TabSet1->setCurrentIndex(index);  // re-enters here
  NoteBook->setCurrentIndex(index);
  SetButtons();
}

void TMainScreen::setReceiveMode(bool on) {
  receiveMode_ = on;
  SetButtons();
}

void TMainScreen::SetButtons() {
  bool sentEmpty = store_.orderUpkeep(store::TableKind::Sent);
  bool receivedEmpty = store_.orderUpkeep(store::TableKind::Received);
  syncGrid(FaxGrid, sentModel_);
  syncGrid(RecFaxGrid, receivedModel_);
  states_ = app::commandStates(notebookPage() == 1 ? ListPage::Incoming : ListPage::Outgoing,
                               receiveMode_, sentEmpty, receivedEmpty);
  applyStates();
}

void TMainScreen::syncGrid(QTableView* grid, FaxListModel* model) {
  model->refresh();
  long position = model->source().positionOf(model->source().currentRecNo());
  QModelIndex current = grid->currentIndex();
  if (position < 0) return;
  if (current.isValid() && current.row() == position) return;
  QSignalBlocker block(grid->selectionModel());  // the table is already on this record
  grid->setCurrentIndex(model->index(static_cast<int>(position), 0));
  grid->selectRow(static_cast<int>(position));
}

void TMainScreen::applyStates() {
  const CommandStates& s = states_;
  FaxGrid->setEnabled(s.sentGrid);
  RecFaxGrid->setEnabled(s.receivedGrid);
  Newbutton->setEnabled(s.newFax);
  mnuNew->setEnabled(s.newFax);
  CloneButton->setEnabled(s.cloneFax);
  mnuClone->setEnabled(s.cloneFax);
  SendButton->setEnabled(s.sendFax);
  mnuSend->setEnabled(s.sendFax);
  mnuRebuildIndexes->setEnabled(s.rebuildIndexes);
  mnuPreferences->setEnabled(s.preferences);
  EditButton->setEnabled(s.editFax);
  mnuEdit->setEnabled(s.editFax);
  DeleteButton->setEnabled(s.deleteFax);
  mnuDelete->setEnabled(s.deleteFax);
  ViewFaxButton->setEnabled(s.viewFax);
  mnuViewPrint->setEnabled(s.viewFax);
  ReceiveButton->setEnabled(s.receive);
  mnuReceive->setEnabled(s.receive);
}

bool TMainScreen::saveSettings() {
  try {
    settingsStore_.save(settings_);
    return true;
  } catch (const platform::FileWriteError& e) {
    InfoBox(QString::fromLocal8Bit(e.what()));
    return false;
  }
}

void TMainScreen::bringToFront() {
  if (isMinimized()) {
    showNormal();
  } else {
    show();
    raise();
  }
  activateWindow();
}

bool TMainScreen::FormCloseQuery() {
  if (faxInProgress_ && !AskYesNo(QStringLiteral("You are receiving a fax. Exit the program?"), QStringLiteral("Exit")))
    return false;
  platform::pumpMessages();
  store_.faxTable().close();
  store_.recTable().close();
  platform::pumpMessages();
  return true;
}

void TMainScreen::FormClose() {
  if (receiveMode_) {
    if (receiveModeToggle) receiveModeToggle();  // stops it
    receiveMode_ = false;
  }
  SetButtons();
  try {
    saveWindowPlacement(this, kWindowClass, settingsStore_);
  } catch (const platform::FileWriteError& e) {
    InfoBox(QString::fromLocal8Bit(e.what()));
  }
  saveSettings();
}

void TMainScreen::closeEvent(QCloseEvent* event) {
  if (closed_ || creationFailed_) {
    event->accept();
    return;
  }
  if (!FormCloseQuery()) {
    event->ignore();
    return;
  }
  FormClose();
  closed_ = true;
  event->accept();
}

}  // namespace quillon::app
