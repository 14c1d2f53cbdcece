// The main window's command handlers. The windows behind most commands (fax editor, send
// dialog, viewer, receive mode, phone book, cover sheets, log cleanup, preferences,
// configuration report) come with later versions; until then their commands tell the user.
#include <QApplication>
#include <QLabel>

#include "app/about_box.h"
#include "app/dialogs.h"
#include "app/help_window.h"
#include "app/hints.h"
#include "app/main_screen.h"

namespace quillon::app {

bool TMainScreen::currentListEmpty() {
  store::Table& table = notebookPage() == 0 ? store_.faxTable() : store_.recTable();
  return !table.isOpen() || table.queryRecCount() == 0;
}

namespace {
// A list command on an empty list only beeps.
bool beepWhenEmpty(bool empty) {
  if (empty) QApplication::beep();
  return empty;
}
}  // namespace

void TMainScreen::NewbuttonClick() {
  notAvailableYet(cloneRequest ? QStringLiteral("Clone Fax") : QStringLiteral("New Fax"));
  cloneRequest = false;
  SetButtons();
}

void TMainScreen::CloneButtonClick() {
  if (beepWhenEmpty(store_.faxTable().isOpen() ? store_.faxTable().queryRecCount() == 0 : true)) return;
  cloneRequest = true;
  NewbuttonClick();
}

void TMainScreen::EditButtonClick() {
  if (beepWhenEmpty(currentListEmpty())) return;
  notAvailableYet(notebookPage() == 0 ? QStringLiteral("Edit Fax") : QStringLiteral("Received Fax Notes"));
  SetButtons();
}

void TMainScreen::DeleteButtonClick() {
  if (beepWhenEmpty(currentListEmpty())) return;
  notAvailableYet(QStringLiteral("Delete Fax"));
  SetButtons();
}

void TMainScreen::SendButtonClick() {
  if (beepWhenEmpty(store_.faxTable().isOpen() ? store_.faxTable().queryRecCount() == 0 : true)) return;
  notAvailableYet(QStringLiteral("Send Fax"));
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
  notAvailableYet(QStringLiteral("View/Print Fax"));
  SetButtons();
}

void TMainScreen::FaxlogCleanup1Click() {
  notAvailableYet(QStringLiteral("Fax Log Cleanup"));
  SetButtons();
}

void TMainScreen::mnuCoverClick() {
  notAvailableYet(QStringLiteral("Cover Sheets"));
  SetButtons();
}

void TMainScreen::mnuPhoneBookClick() {
  notAvailableYet(QStringLiteral("Phone Book"));
  SetButtons();
}

void TMainScreen::mnuRebuildIndexesClick() {
  notAvailableYet(QStringLiteral("Rebuild Indexes"));
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
