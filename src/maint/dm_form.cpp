#include "maint/dm_form.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QToolTip>
#include <QVBoxLayout>

#include "app/dialogs.h"
#include "app/fax_list_grid.h"
#include "app/fax_list_model.h"
#include "app/help_window.h"
#include "app/list_source.h"
#include "maint/date_selector.h"
#include "maint/delete_conditions.h"
#include "qtplatform/busy_guards.h"
#include "qtplatform/cp1252_text.h"

namespace quillon::maint {

namespace {

using Kind = app::ListColumn::Kind;
namespace sf = store::sentfield;
namespace rf = store::recfield;

constexpr int kHelpCleanup = 21071;

// The cleanup grids start with the record's delete flag; the other labels are the main
// window's.
const app::ListLayout& sendGridLayout() {
  static const app::ListLayout layout{
      {sf::DATESENT, sf::TIMESENT, sf::RECIPIENT, sf::SUBJECT, sf::PHONE, sf::LASTRESULT},
      {
          {"ISDELETED", "Deleted?", -1, Kind::YesNo, 8},
          {sf::DATESENT, "Date Sent", 0, Kind::Date, 10},
          {sf::TIMESENT, "Time Sent", 1, Kind::Text, 6},
          {sf::RECIPIENT, "Recipient", 2, Kind::Text, 20},
          {sf::SUBJECT, "Subject", 3, Kind::Text, 20},
          {sf::PHONE, "Phone", 4, Kind::Text, 14},
          {sf::LASTRESULT, "Last Attempt", 5, Kind::Text, 30},
      }};
  return layout;
}

const app::ListLayout& recGridLayout() {
  static const app::ListLayout layout{
      {rf::DATEREC, rf::TIMEREC, rf::FROM, rf::PAGES, rf::FAXFILE, rf::NOTES},
      {
          {"ISDELETED", "Deleted?", -1, Kind::YesNo, 8},
          {rf::DATEREC, "Date Rec'd", 0, Kind::Date, 10},
          {rf::TIMEREC, "Time Rec'd", 1, Kind::Text, 6},
          {rf::FROM, "From", 2, Kind::Text, 20},
          {rf::PAGES, "Pages", 3, Kind::Number, 5},
          {rf::FAXFILE, "Fax File", 4, Kind::Text, 12},
          {rf::NOTES, "Notes", 5, Kind::Text, 30},
      }};
  return layout;
}

bool hasRecords(store::Table& table) { return table.isOpen() && table.viewCount() > 0; }

}  // namespace

TDMForm::TDMForm(store::FaxStore& store, QWidget* parent) : QDialog(parent), store_(store) {
  setObjectName(QStringLiteral("DMForm"));
  setWindowTitle(QStringLiteral("Fax Log Cleanup Utility"));
  sentSource_ = std::make_unique<app::TableListSource>(store_.faxTable(), sendGridLayout().fields);
  recSource_ = std::make_unique<app::TableListSource>(store_.recTable(), recGridLayout().fields);
  sentModel_ = new app::FaxListModel(sendGridLayout(), *sentSource_, this);
  recModel_ = new app::FaxListModel(recGridLayout(), *recSource_, this);

  buildMenus();
  SendGrid = buildGrid(sentModel_);
  SendGrid->setObjectName(QStringLiteral("SendGrid"));
  RecGrid = buildGrid(recModel_);
  RecGrid->setObjectName(QStringLiteral("RecGrid"));

  PageControl1 = new QTabWidget(this);
  PageControl1->setObjectName(QStringLiteral("PageControl1"));
  auto page = [this](const char* name, QTableView* grid, const QString& caption) {
    auto* w = new QWidget(PageControl1);
    w->setObjectName(QString::fromLatin1(name));
    auto* v = new QVBoxLayout(w);
    v->setContentsMargins(4, 4, 4, 4);
    v->addWidget(grid);
    PageControl1->addTab(w, caption);
  };
  page("outgoing", SendGrid, QStringLiteral("Outgoing Faxes"));
  page("incoming", RecGrid, QStringLiteral("Incoming Faxes"));
  connect(PageControl1, &QTabWidget::currentChanged, this, [this] { UpdateMenu(); });

  HelpButton = new QPushButton(QStringLiteral("Help"), this);
  HelpButton->setObjectName(QStringLiteral("HelpButton"));
  HelpButton->setAutoDefault(false);
  CloseButton = new QPushButton(QStringLiteral("Close"), this);
  CloseButton->setObjectName(QStringLiteral("CloseButton"));
  CloseButton->setAutoDefault(false);
  connect(HelpButton, &QPushButton::clicked, this, [] { app::showHelp(kHelpCleanup); });
  connect(CloseButton, &QPushButton::clicked, this, &QDialog::accept);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(HelpButton);
  buttons->addWidget(CloseButton);
  auto* layout = new QVBoxLayout(this);
  layout->setMenuBar(MainMenu1);
  layout->addWidget(PageControl1, 1);
  layout->addLayout(buttons);
  resize(1000, 480);  // every column of the outgoing page in view
}

TDMForm::~TDMForm() { restoreQueries(); }

void TDMForm::buildMenus() {
  MainMenu1 = new QMenuBar(this);
  mnuActions = MainMenu1->addMenu(QStringLiteral("&Actions"));
  mnuActions->setObjectName(QStringLiteral("mnuActions"));
  auto item = [this](const char* name, const QString& caption, void (TDMForm::*handler)()) {
    auto* a = new QAction(caption, this);
    a->setObjectName(QString::fromLatin1(name));
    connect(a, &QAction::triggered, this, handler);
    return a;
  };
  mnuToggleDeletedState = item("mnuToggleDeletedState", QStringLiteral("Delete Current Fax"),
                               &TDMForm::ToggleDeletedStateClick);
  mnuToggleDeletedState->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_X));
  mnuAllBeforeDate = item("mnuAllBeforeDate", QStringLiteral("Delete All Before A Particular Date"), &TDMForm::DeleteSome);
  mnuDeleteAllthatHaveBeenSent = item("mnuDeleteAllthatHaveBeenSent", QStringLiteral("Delete All that Have Been Sent"),
                                      &TDMForm::DeleteAllThatHaveBeenSentClick);
  mnuDeleteAllThatHaveNOTBeenSent = item("mnuDeleteAllThatHaveNOTBeenSent",
                                         QStringLiteral("Delete All That Have NOT Been Sent"),
                                         &TDMForm::DeleteAllThatHaveNOTBeenSentClick);
  mnuDeleteAllFaxesMeetingCertainConditions =
      item("mnuDeleteAllFaxesMeetingCertainConditions", QStringLiteral("Delete All Faxes Meeting Certain Conditions..."),
           &TDMForm::DeleteAllFaxesMeetingCertainConditionsClick);
  DeleteAllFaxes1 = item("DeleteAllFaxes1", QStringLiteral("Delete All Faxes"), &TDMForm::DeleteAllFaxes1Click);
  ToggleDeletedState1 = item("ToggleDeletedState1", QStringLiteral("Delete"), &TDMForm::ToggleDeletedStateClick);

  mnuActions->addAction(mnuToggleDeletedState);
  mnuActions->addSeparator();
  for (QAction* a : {mnuAllBeforeDate, mnuDeleteAllthatHaveBeenSent, mnuDeleteAllThatHaveNOTBeenSent,
                     mnuDeleteAllFaxesMeetingCertainConditions, DeleteAllFaxes1})
    mnuActions->addAction(a);

  PopupMenu1 = new QMenu(this);
  PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
  PopupMenu1->addAction(ToggleDeletedState1);
  PopupMenu1->addSeparator();
  for (QAction* a : {mnuAllBeforeDate, mnuDeleteAllthatHaveBeenSent, mnuDeleteAllThatHaveNOTBeenSent,
                     mnuDeleteAllFaxesMeetingCertainConditions, DeleteAllFaxes1})
    PopupMenu1->addAction(a);
}

QTableView* TDMForm::buildGrid(app::FaxListModel* model) {
  QTableView* grid = app::newFaxListGrid(model, this);
  grid->setAlternatingRowColors(false);
  // Light yellow: the desktop's tooltip colour.
  QPalette palette = grid->palette();
  palette.setColor(QPalette::Base, QToolTip::palette().color(QPalette::ToolTipBase));
  palette.setColor(QPalette::Text, QToolTip::palette().color(QPalette::ToolTipText));
  grid->setPalette(palette);
  grid->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(grid, &QWidget::customContextMenuRequested, this, [this, grid](const QPoint& at) {
    PopupMenu1->popup(grid->viewport()->mapToGlobal(at));
  });
  // A double click on the "Deleted?" column deletes the fax.
  connect(grid, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
    if (index.column() == 0) ToggleDeletedStateClick();
  });
  return grid;
}

void TDMForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  FormActivate();
}

void TDMForm::FormActivate() {
  if (!firstActivation_) return;
  firstActivation_ = false;
  store::Table& sent = store_.faxTable();
  store::Table& rec = store_.recTable();
  sentQuery_ = sent.isOpen() ? sent.dbFilter() : std::string();
  recQuery_ = rec.isOpen() ? rec.dbFilter() : std::string();
  queriesRestored_ = false;
  if (sent.isOpen()) sent.setQuery("");
  if (rec.isOpen()) rec.setQuery("");
  PageControl1->setCurrentIndex(0);
  refreshGrid(SendGrid, sentModel_);
  refreshGrid(RecGrid, recModel_);
  UpdateMenu();
}

void TDMForm::restoreQueries() {
  if (queriesRestored_) return;
  queriesRestored_ = true;
  if (store_.faxTable().isOpen()) store_.faxTable().setQuery(sentQuery_);
  if (store_.recTable().isOpen()) store_.recTable().setQuery(recQuery_);
}

void TDMForm::done(int result) {
  restoreQueries();
  QDialog::done(result);
}

bool TDMForm::outgoingPage() const { return PageControl1->currentIndex() == 0; }

store::TableKind TDMForm::activeKind() const {
  return outgoingPage() ? store::TableKind::Sent : store::TableKind::Received;
}

store::Table& TDMForm::activeTable() { return store_.table(activeKind()); }

QTableView* TDMForm::activeGrid() const { return outgoingPage() ? SendGrid : RecGrid; }

app::FaxListModel* TDMForm::activeModel() const { return outgoingPage() ? sentModel_ : recModel_; }

QString TDMForm::kindWord() const {
  return outgoingPage() ? QStringLiteral("outgoing") : QStringLiteral("received");
}

void TDMForm::UpdateMenu() {
  const bool outgoing = outgoingPage();
  mnuDeleteAllthatHaveBeenSent->setVisible(outgoing);
  mnuDeleteAllThatHaveNOTBeenSent->setVisible(outgoing);
  const bool sentAny = hasRecords(store_.faxTable());
  const bool recAny = hasRecords(store_.recTable());
  SendGrid->setEnabled(sentAny);
  RecGrid->setEnabled(recAny);
  SendGrid->setContextMenuPolicy(sentAny ? Qt::CustomContextMenu : Qt::NoContextMenu);
  RecGrid->setContextMenuPolicy(recAny ? Qt::CustomContextMenu : Qt::NoContextMenu);
  const bool activeAny = outgoing ? sentAny : recAny;
  mnuActions->menuAction()->setEnabled(activeAny);
  // The shortcut and the popup work through the same actions: off with the menu.
  for (QAction* a : mnuActions->actions()) a->setEnabled(activeAny);
  ToggleDeletedState1->setEnabled(activeAny);
  PageControl1->setTabText(0, sentAny ? QStringLiteral("Outgoing Faxes") : QStringLiteral("OutGoing Faxes (none)"));
  PageControl1->setTabText(1, recAny ? QStringLiteral("Incoming Faxes") : QStringLiteral("Incoming Faxes (none)"));
}

void TDMForm::refreshGrid(QTableView* grid, app::FaxListModel* model) {
  model->reload();
  app::ListSource& source = model->source();
  long position = source.positionOf(source.currentRecNo());
  if (position < 0 && model->rowCount() > 0) {  // no current record: the first row
    position = 0;
    source.makeCurrent(0);
  }
  QSignalBlocker block(grid->selectionModel());
  if (position >= 0) {
    grid->setCurrentIndex(model->index(int(position), 0));
    grid->selectRow(int(position));
    grid->scrollTo(model->index(int(position), 0));
  } else {
    grid->clearSelection();
  }
}

void TDMForm::ToggleDeletedStateClick() {
  store::Table& t = activeTable();
  if (!t.isOpen() || t.eof() || t.viewPosition(t.recNo()) < 0) {
    QApplication::beep();
    return;
  }
  if (!app::AskYesNo(QStringLiteral("Delete this fax? (action is permanent)"), QStringLiteral("DELETE"))) return;
  const long a = t.recNo();
  t.skip(1);
  const bool nextExists = !t.eof();
  const long b = t.recNo();
  t.go(a);
  if (store_.deleteCurrent(activeKind())) somethingDeleted_ = true;
  // The next record becomes current; after the last one the new last one does.
  if (!nextExists || !t.go(b) || t.viewPosition(t.recNo()) < 0) t.goBottom();
  refreshGrid(activeGrid(), activeModel());
  UpdateMenu();
}

long TDMForm::DeleteFor(const std::string& condition) {
  QTableView* grid = activeGrid();
  long count = 0;
  {
    qtplatform::BusyCursor busy;
    grid->setEnabled(false);
    count = store_.deleteFor(activeKind(), condition);
    grid->setEnabled(true);
    refreshGrid(grid, activeModel());
  }
  if (count > 0) somethingDeleted_ = true;
  if (count < 0) app::InfoBox(QStringLiteral("The condition could not be evaluated; nothing was deleted."));
  else app::InfoBox(QString::number(count) + QStringLiteral(" deleted."));
  UpdateMenu();
  return count;
}

void TDMForm::DeleteSome() {
  TDateSelector selector(this);
  selector.setWindowTitle(QStringLiteral("Delete all before..."));
  const store::Date today = store_.environment().today();
  selector.setDate(QDate(today.year, today.month, today.day));
  selector.adjustSize();
  app::centreWindow(&selector);
  if (selector.exec() != QDialog::Accepted) return;
  const QDate picked = selector.date();
  const QString question = QStringLiteral("Delete all ") + kindWord() + QStringLiteral(" faxes prior to ") +
                           QLocale().toString(picked, QLocale::LongFormat) +
                           QStringLiteral(" (action is permanent)?");
  if (!app::AskYesNo(question, QStringLiteral("DELETE"))) return;
  const char* field = outgoingPage() ? sf::DATESENT : rf::DATEREC;
  DeleteFor(store_.beforeDateCondition(field, store::Date{picked.year(), picked.month(), picked.day()}));
}

void TDMForm::DeleteAllThatHaveBeenSentClick() {
  if (!outgoingPage()) return;
  if (app::AskYesNo(QStringLiteral("Delete all outgoing faxes which have been sent? (action is permanent)"),
                    QStringLiteral("DELETE")))
    DeleteFor(".not. EMPTY(DATESENT)");
}

void TDMForm::DeleteAllThatHaveNOTBeenSentClick() {
  if (!outgoingPage()) return;
  if (app::AskYesNo(QStringLiteral("Delete all outgoing faxes which have NOT been sent? (action is permanent)"),
                    QStringLiteral("DELETE")))
    DeleteFor("EMPTY(DATESENT)");
}

void TDMForm::DeleteAllFaxes1Click() {
  if (app::AskYesNo(QStringLiteral("Delete all ") + kindWord() + QStringLiteral(" faxes ? (action is permanent)"),
                    QStringLiteral("DELETE ALL")))
    DeleteFor(".true.");
}

void TDMForm::DeleteAllFaxesMeetingCertainConditionsClick() {
  TDeleteForConditions conditions(this);
  store::Table& t = activeTable();
  const bool current = t.isOpen() && !t.eof();
  if (outgoingPage())
    conditions.presetOutgoing(current ? qtplatform::fromCp1252(t.getTrimmed(sf::RECIPIENT)) : QString(),
                              current ? qtplatform::fromCp1252(t.getTrimmed(sf::PHONE)) : QString());
  else
    conditions.presetIncoming(current ? qtplatform::fromCp1252(t.getTrimmed(rf::FROM)) : QString());
  conditions.adjustSize();
  app::centreWindow(&conditions);
  if (conditions.exec() != QDialog::Accepted) return;
  DeleteFor(store::FaxStore::matchCondition(conditions.field(), qtplatform::toCp1252(conditions.value()),
                                            conditions.exact()));
}

bool runFaxLogCleanup(store::FaxStore& store, QWidget* parent) {
  TDMForm form(store, parent);
  app::centreWindow(&form);
  form.exec();
  return form.somethingDeleted();
}

}  // namespace quillon::maint
