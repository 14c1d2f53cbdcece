#pragma once
// TDMForm: the fax log cleanup window. Two pages over the main window's sent and received
// tables; faxes are deleted one at a time or in bulk by date, sent state, sender, recipient
// or fax number. Deleting flags the record (and removes a received fax's file); the flagged
// records leave the tables at the index rebuild that follows a cleanup which deleted
// anything. While the window is open the lists show every unflagged record, without the
// main window's query; closing puts the queries back.
#include <QDialog>

#include <memory>
#include <string>

#include "store/fax_store.h"

class QMenu;
class QMenuBar;
class QPushButton;
class QTabWidget;
class QTableView;

namespace quillon::app {
class FaxListModel;
class TableListSource;
}  // namespace quillon::app

namespace quillon::maint {

class TDMForm : public QDialog {
  Q_OBJECT

 public:
  explicit TDMForm(store::FaxStore& store, QWidget* parent = nullptr);
  ~TDMForm() override;

  bool somethingDeleted() const { return somethingDeleted_; }
  bool outgoingPage() const;

  // The first activation (also run by showing the window; later calls do nothing).
  void FormActivate();
  void UpdateMenu();
  // Closing puts the main window's queries back.
  void done(int result) override;

  // ---- Actions
  void ToggleDeletedStateClick();  // Delete Current Fax
  void DeleteSome();               // Delete All Before A Particular Date
  void DeleteAllThatHaveBeenSentClick();
  void DeleteAllThatHaveNOTBeenSentClick();
  void DeleteAllFaxesMeetingCertainConditionsClick();
  void DeleteAllFaxes1Click();
  // Deletes every matching record of the active table and reports the count.
  long DeleteFor(const std::string& condition);

  QMenuBar* MainMenu1 = nullptr;
  QMenu* mnuActions = nullptr;
  QMenu* PopupMenu1 = nullptr;
  QAction *mnuToggleDeletedState = nullptr, *mnuAllBeforeDate = nullptr,
          *mnuDeleteAllthatHaveBeenSent = nullptr, *mnuDeleteAllThatHaveNOTBeenSent = nullptr,
          *mnuDeleteAllFaxesMeetingCertainConditions = nullptr, *DeleteAllFaxes1 = nullptr,
          *ToggleDeletedState1 = nullptr;
  QTabWidget* PageControl1 = nullptr;
  QTableView* SendGrid = nullptr;
  QTableView* RecGrid = nullptr;
  QPushButton *HelpButton = nullptr, *CloseButton = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QTableView* buildGrid(app::FaxListModel* model);
  void buildMenus();
  store::TableKind activeKind() const;
  store::Table& activeTable();
  QTableView* activeGrid() const;
  app::FaxListModel* activeModel() const;
  QString kindWord() const;  // "outgoing" or "received"
  void refreshGrid(QTableView* grid, app::FaxListModel* model);
  void restoreQueries();

  store::FaxStore& store_;
  std::unique_ptr<app::TableListSource> sentSource_, recSource_;
  app::FaxListModel* sentModel_ = nullptr;
  app::FaxListModel* recModel_ = nullptr;
  bool firstActivation_ = true;
  bool somethingDeleted_ = false;
  bool queriesRestored_ = true;
  std::string sentQuery_, recQuery_;
};

// FaxlogCleanup1Click's window: shows it modally over `parent`. True when anything was
// deleted (the caller then rebuilds the indexes).
bool runFaxLogCleanup(store::FaxStore& store, QWidget* parent);

}  // namespace quillon::maint
