// The main window's command handlers. The windows behind some commands (send dialog, viewer,
// receive mode, log cleanup, preferences, configuration report) come with later versions;
// until then their commands tell the user. New, Clone, Edit, Delete, Phone Book and Cover
// Sheets are in main_screen_compose.cpp.
#include <QApplication>
#include <QLabel>

#include "app/about_box.h"
#include "app/dialogs.h"
#include "app/help_window.h"
#include "app/hints.h"
#include "app/main_screen.h"

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
  pendingCommand(QStringLiteral("View/Print Fax"));
}

void TMainScreen::FaxlogCleanup1Click() {
  pendingCommand(QStringLiteral("Fax Log Cleanup"));
}

void TMainScreen::mnuRebuildIndexesClick() {
  pendingCommand(QStringLiteral("Rebuild Indexes"));
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
  notAvailableYet(QStringLiteral("Configuration Information"));
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
