// The main window's command handlers. The windows behind some commands (send dialog, viewer,
// receive mode, log cleanup, preferences, configuration report) come with later versions;
// until then their commands tell the user. New, Clone, Edit, Delete, Phone Book and Cover
// Sheets are in main_screen_compose.cpp.
#include <QApplication>
#include <QLabel>
#include <QTableView>

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
#include "qtplatform/busy_guards.h"

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
  pendingCommand(QStringLiteral("Send Fax"));
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
