#pragma once
// TMainScreen: the main window. It owns the fax store's tables, shows the outgoing and
// incoming lists and offers every user command; which command is available when is decided
// by SetButtons after every change.
#include <QMainWindow>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "app/command_states.h"
#include "compose/compose_context.h"
#include "settings/settings.h"
#include "settings/settings_store.h"
#include "store/fax_store.h"

class QAction;
class QLabel;
class QStackedWidget;
class QTabBar;
class QTableView;
class QToolButton;

namespace quillon::richtext {
class TWPRichText;
}

namespace quillon::app {

class FaxListModel;
class HintSwitch;
class ReceiveMode;
class TableListSource;
class TStartingFaxForm;

class TMainScreen : public QMainWindow {
  Q_OBJECT

 public:
  // FormCreate: opens (or creates) the sent and received tables in `dataFolder`, loads the
  // settings and creates the receive folder. When a table can be neither opened nor
  // created the user is told and creationFailed() is true; the window then closes.
  explicit TMainScreen(const std::string& dataFolder, QWidget* parent = nullptr);
  ~TMainScreen() override;

  bool creationFailed() const { return creationFailed_; }

  // The first activation: placement, SetButtons, showing, the first-run wizard and receive
  // mode at start-up. Later calls do nothing.
  void FormActivate();
  // Recomputes which commands are available (and keeps each list's index order).
  void SetButtons();

  // The page of the lists: 0 outgoing, 1 incoming (TabSet1Click).
  int notebookPage() const;
  void TabSet1Click(int index);

  // Window state other windows use.
  bool receiveMode() const { return receiveMode_; }
  void setReceiveMode(bool on);  // receive mode itself sets this when it starts and stops
  bool faxInProgress() const { return faxInProgress_; }
  void setFaxInProgress(bool on) { faxInProgress_ = on; }
  bool isFirstRun() const { return firstRun_; }
  bool firstActivation() const { return firstActivation_; }
  const CommandStates& commandStates() const { return states_; }
  // State of receive mode and of the list commands, kept here for them.
  int lastReceiveError = 0;
  std::uint16_t receivedPages = 0;
  std::string receivedFile;
  bool cloneRequest = false;
  int pageCount = 0;

  store::FaxStore& store() { return store_; }
  settings::Settings& settings() { return settings_; }
  const settings::SettingsStore& settingsStore() const { return settingsStore_; }
  const std::string& receiveFolder() const { return receiveFolder_; }
  // Writes QLN.INI; a failure is reported in the information box.
  bool saveSettings();

  FaxListModel& sentModel() { return *sentModel_; }
  FaxListModel& receivedModel() { return *receivedModel_; }

  // The size the window opens with when no placement is stored: every column of both lists
  // fits without scrolling sideways (as far as the screen allows).
  QSize defaultSize() const;

  // A later start of the program asked this one to come to the front.
  void bringToFront();

  // Started minimised (the desktop asked for it); read at the first activation.
  void setStartMinimized(bool on) { startMinimized_ = on; }
  void setStartingFaxForm(TStartingFaxForm* form) { startingFaxForm_ = form; }
  TStartingFaxForm* startingFaxForm() const { return startingFaxForm_; }
  // Receive mode's port, receive component and fax printer (receive_mode.h).
  ReceiveMode& receiving() { return *receiving_; }

  // Windows that come with later versions plug in here; until then their commands say so.
  std::function<void(bool firstRun)> preferencesWizard;
  std::function<void()> receiveModeToggle;
  // View: opens the viewer window modally on a fax file with its one-line description.
  std::function<void(const std::string& faxFile, const QString& description)> faxViewer;
  // Renders the current outgoing fax into a temporary fax file (the caller deletes it);
  // empty when it cannot. Set by the fax editor's library.
  std::function<std::string()> createFaxFile;

  // ---- commands (menu and button handlers)
  void NewbuttonClick();
  void EditButtonClick();
  void CloneButtonClick();
  void DeleteButtonClick();
  void SendButtonClick();
  void ReceiveButtonClick();
  void mnuViewPrintClick();
  void FaxlogCleanup1Click();
  void mnuCoverClick();
  void mnuPhoneBookClick();
  void mnuRebuildIndexesClick();
  void mnuPreferencesClick();
  void mnuShowHintClick();
  void About1Click();
  void ConfigurationInformation1Click();
  void showHelpContext(int context);

  // ---- composing (main_screen_compose.cpp, main_screen_fax_file.cpp)
  void EditSentFax();
  void EditReceivedFax();
  // The current sent (true) or received (false) record's date and time as the user reads
  // them: "<date> at <time>", "not sent" for a sent record that was not sent.
  void GetDatetimeAsString(bool sentRecord, QString& text);
  // Renders the current sent fax into a fax file in the data folder and returns its path;
  // pageCount gets its pages. "" when the fax has no content (the user is told). Failures of
  // the converter or of joining throw; no page file is left behind then.
  std::string CreateFaxFile();
  // The rendering's two editors, never shown (made on first use).
  richtext::TWPRichText* WPCover = nullptr;
  richtext::TWPRichText* WPDoc = nullptr;
  compose::ComposeContext& composeContext();

  // ---- components other windows refer to
  QMenu* fileMenu = nullptr;
  QMenu* helpMenu = nullptr;
  QAction *mnuNew = nullptr, *mnuEdit = nullptr, *mnuClone = nullptr, *mnuDelete = nullptr,
          *FaxlogCleanup1 = nullptr, *mnuSend = nullptr, *mnuReceive = nullptr,
          *mnuViewPrint = nullptr, *mnuCover = nullptr, *mnuPhoneBook = nullptr,
          *mnuRebuildIndexes = nullptr, *mnuPreferences = nullptr, *Exit1 = nullptr;
  QAction *Contents1 = nullptr, *FrequentlyAskedQuestionsFAQ1 = nullptr,
          *ConfigurationInformation1 = nullptr, *TechnicalSupport1 = nullptr, *About1 = nullptr,
          *TroubleshootingTips1 = nullptr, *mnuShowHint = nullptr;
  QWidget* ButtonBar = nullptr;
  QToolButton *Newbutton = nullptr, *EditButton = nullptr, *CloneButton = nullptr,
              *DeleteButton = nullptr, *SendButton = nullptr, *ReceiveButton = nullptr,
              *ViewFaxButton = nullptr, *Exitbutton = nullptr;
  QTabBar* TabSet1 = nullptr;
  QStackedWidget* NoteBook = nullptr;
  QTableView* FaxGrid = nullptr;
  QTableView* RecFaxGrid = nullptr;
  QLabel* status = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void buildMenus();
  void buildButtonBar();
  void buildPages();
  QTableView* buildGrid(FaxListModel* model);
  static int gridWidthNeeded(const QTableView* grid);
  void applyStates();
  void syncGrid(QTableView* grid, FaxListModel* model);
  bool currentListEmpty();
  void pendingCommand(const QString& command);
  bool FormCloseQuery();
  void FormClose();
  QString withReason(const QString& text, store::TableKind kind);

  std::string dataFolder_;
  store::FaxStore store_;
  settings::SettingsStore settingsStore_;
  settings::Settings settings_;
  std::string receiveFolder_;
  std::unique_ptr<TableListSource> sentSource_, receivedSource_;
  std::unique_ptr<compose::ComposeContext> composeContext_;
  FaxListModel* sentModel_ = nullptr;
  FaxListModel* receivedModel_ = nullptr;
  HintSwitch* hints_ = nullptr;
  TStartingFaxForm* startingFaxForm_ = nullptr;
  CommandStates states_;

  bool creationFailed_ = false;
  bool firstActivation_ = true;
  bool activating_ = false;
  bool firstRun_ = false;
  bool receiveMode_ = false;
  bool faxInProgress_ = false;
  bool startMinimized_ = false;
  bool closed_ = false;
  std::unique_ptr<ReceiveMode> receiving_;  // last: it goes first, while the window is whole
};

}  // namespace quillon::app
