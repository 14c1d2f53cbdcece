// The main window's command handlers: send, receive mode, view/print, the fax log cleanup and
// index rebuild, preferences and the configuration report. New, Clone, Edit, Delete, Phone
// Book and Cover Sheets are in main_screen_compose.cpp.
#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QLabel>
#include <QTableView>
#include <QLineEdit>
#include <QTime>

#include <filesystem>

#include "app/about_box.h"
#include "app/dialogs.h"
#include "app/fax_description.h"
#include "app/help_window.h"
#include "app/hints.h"
#include "app/main_screen.h"
#include "maint/config_info.h"
#include "maint/dm_form.h"
#include "maint/rebuild_ind.h"
#include "platform/message_pump.h"
#include "ports/port_mapping.h"
#include "qtplatform/busy_guards.h"
#include "qtplatform/cp1252_text.h"
#include "probes/probe_entry.h"
#include "send/send_fax_form.h"

namespace quillon::app {

namespace {
// The query count of a list: records that pass ".not. deleted()".
bool listEmpty(store::Table& table) { return !table.isOpen() || table.queryRecCount() == 0; }
}  // namespace

bool TMainScreen::currentListEmpty() {
  return listEmpty(notebookPage() == 0 ? store_.faxTable() : store_.recTable());
}

// The window behind the command comes with a later version; the user is told so.
void TMainScreen::pendingCommand(const QString& command) {
  notAvailableYet(command);
  SetButtons();
}

namespace {
// A list command on an empty list only beeps.
bool beepWhenEmpty(bool empty) {
  if (empty) QApplication::beep();
  return empty;
}
}  // namespace

void TMainScreen::SendButtonClick() {
  if (beepWhenEmpty(listEmpty(store_.faxTable()))) return;
  if (!createFaxFile) {
    pendingCommand(QStringLiteral("Send Fax"));
    return;
  }
  store::Table& faxes = store_.faxTable();
  const long record = faxes.recNo();
  std::string path;
  {
    qtplatform::BusyCursor busy;
    qtplatform::StatusText statusLine(status, QStringLiteral("Preparing files for viewing..."));
    platform::pumpMessages();
    path = createFaxFile();
  }
  if (path.empty()) {
    InfoBox(QStringLiteral("Error creating fax file"));
    SetButtons();
    return;
  }
  const int pages = pageCount;
  QString result, phone;
  {
    send::TSendFaxForm form(ports::mappedPorts(settingsStore_.read()), this);
    form.setFaxFile(path);
    form.setInitialFaxNumber(qtplatform::fromCp1252(faxes.getTrimmed(store::sentfield::PHONE)));
    form.setWindowTitle("Send Fax: [" + qtplatform::fromCp1252(faxes.getTrimmed(store::sentfield::RECIPIENT)) +
                        " - " + qtplatform::fromCp1252(faxes.getTrimmed(store::sentfield::SUBJECT)) + "]");
    form.loadFromSettings(settings_);
    form.preferencesWizard = [this]() -> std::optional<settings::Settings> {
      if (!preferencesWizard) {
        notAvailableYet(QStringLiteral("Preferences"));
        return std::nullopt;
      }
      const settings::Settings before = settings_;
      preferencesWizard(false);
      if (settings_ == before) return std::nullopt;
      return settings_;
    };
    // Find Modem and Check Fax Class probe with the dialog's own port and set its choices.
    form.findModem = [](send::TSendFaxForm& f) {
      const int n = probes::FindModem(&f, f.ApdComPort1, f.ComPort->checkedId());
      if (QAbstractButton* button = f.ComPort->button(n)) button->setChecked(true);
    };
    form.checkFaxClass = [](send::TSendFaxForm& f) {
      const int index =
          probes::CheckFaxClass(&f, f.ApdComPort1, f.ComPort->checkedId(), f.sfFaxClass->checkedId());
      if (QAbstractButton* button = f.sfFaxClass->button(index)) button->setChecked(true);
    };
    form.adjustSize();
    centreWindow(&form);
    status->clear();
    platform::pumpMessages();
    form.exec();
    result = form.resultText();
    phone = form.sfPhoneNumber->text();
    ButtonBar->setEnabled(true);
    form.storeToSettings(settings_);
  }
  saveSettings();
  std::error_code ignored;
  std::filesystem::remove(path, ignored);
  // The record the send was made from, even if the list moved meanwhile.
  if (record > 0) faxes.go(record);
  store_.writeSendOutcome(pages, qtplatform::toCp1252(result), qtplatform::toCp1252(phone), xbase::todayLocal(),
                          QTime::currentTime().toString(QStringLiteral("hh:mm")).toStdString());
  status->clear();
  SetButtons();
}

void TMainScreen::ReceiveButtonClick() {
  if (receiveModeToggle) {
    receiveModeToggle();
  } else {
    notAvailableYet(QStringLiteral("Receive Faxes"));
  }
  SetButtons();
}

void TMainScreen::mnuViewPrintClick() {
  if (beepWhenEmpty(currentListEmpty())) return;
  if (!faxViewer) {
    pendingCommand(QStringLiteral("View/Print Fax"));
    return;
  }
  bool incoming = notebookPage() == 1;
  std::string path;
  QString description;
  {
    qtplatform::BusyCursor busy;
    qtplatform::StatusText statusLine(status, QStringLiteral("Preparing files for viewing..."));
    if (incoming) {
      store::Table& table = store_.recTable();
      QString date = app::GetDatetimeAsString(table, false);
      path = receiveFolder_ + "/" + table.getTrimmed("FAXFILE");
      std::error_code ec;
      if (table.getTrimmed("FAXFILE").empty() || !std::filesystem::is_regular_file(path, ec)) {
        InfoBox(QStringLiteral("Fax file is missing"));
        SetButtons();
        return;
      }
      description = receivedDescription(table.getTrimmed("FROM"), date, path);
    } else {
      store::Table& table = store_.faxTable();
      QString date = app::GetDatetimeAsString(table, true);
      description = sentDescription(table.getTrimmed("RECIPIENT"), table.getTrimmed("SUBJECT"), date);
      if (!createFaxFile) {  // rendering comes with the fax editor
        pendingCommand(QStringLiteral("Viewing an outgoing fax"));
        return;
      }
      path = createFaxFile();
      if (path.empty()) {
        InfoBox(QStringLiteral("Error creating fax file"));
        SetButtons();
        return;
      }
    }
    statusLine.set(QStringLiteral("Loading viewer..."));
  }
  faxViewer(path, description);
  ButtonBar->setEnabled(true);
  // A rendered outgoing fax is temporary; a received fax file is never deleted by viewing.
  if (!incoming) {
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
  }
  SetButtons();
}

void TMainScreen::FaxlogCleanup1Click() {
  bool deleted = maint::runFaxLogCleanup(store_, this);
  SetButtons();
  // Flagged records leave the tables at once; not while receive mode may append a record.
  if (deleted && !receiveMode_) mnuRebuildIndexesClick();
}

void TMainScreen::mnuRebuildIndexesClick() {
  if (receiveMode_) return;  // the menu item is off then
  FaxGrid->setEnabled(false);
  RecFaxGrid->setEnabled(false);
  maint::runIndexRebuild(store_, this);
  SetButtons();
}

void TMainScreen::mnuPreferencesClick() {
  if (preferencesWizard) {
    preferencesWizard(false);
  } else {
    notAvailableYet(QStringLiteral("Preferences"));
  }
  SetButtons();
}

void TMainScreen::ConfigurationInformation1Click() {
  maint::showConfigurationInformation(settings_, settingsStore_.path(), dataFolder_, this);
}

void TMainScreen::mnuShowHintClick() {
  // The action has already flipped its own tick.
  settings_.hintsOn = mnuShowHint->isChecked();
  saveSettings();
  hints_->setEnabled(settings_.hintsOn);
  status->clear();
}

void TMainScreen::About1Click() {
  TAboutBox about(this);
  about.adjustSize();
  centreWindow(&about);
  about.exec();
}

void TMainScreen::showHelpContext(int context) { showHelp(context); }

}  // namespace quillon::app
