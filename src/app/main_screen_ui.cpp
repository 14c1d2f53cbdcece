// The main window's menus, button bar, tabs and the two list pages.
#include <QApplication>
#include <QDate>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QMenuBar>
#include <QScreen>
#include <QScrollBar>
#include <QStackedWidget>
#include <QStyle>
#include <QTabBar>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

#include "app/fax_list_grid.h"
#include "app/fax_list_model.h"
#include "app/help_window.h"
#include "app/hints.h"
#include "app/list_source.h"
#include "app/main_screen.h"

namespace quillon::app {

namespace {
QAction* addItem(QMenu* menu, const QString& name, const QString& caption, QObject* receiver,
                 void (TMainScreen::*handler)(), TMainScreen* window) {
  QAction* action = menu->addAction(caption);
  action->setObjectName(name);
  QObject::connect(action, &QAction::triggered, receiver, [window, handler] { (window->*handler)(); });
  return action;
}

QLabel* band(const QString& text, const QString& colour, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setAlignment(Qt::AlignCenter);
  label->setAutoFillBackground(true);
  label->setStyleSheet(QStringLiteral("QLabel { background: %1; color: white; font-weight: bold;"
                                      " font-size: 13pt; padding: 4px; }").arg(colour));
  return label;
}
}  // namespace

void TMainScreen::buildMenus() {
  fileMenu = menuBar()->addMenu(QStringLiteral("&File"));
  fileMenu->setToolTipsVisible(true);
  mnuNew = addItem(fileMenu, "mnuNew", "&New Fax", this, &TMainScreen::NewbuttonClick, this);
  mnuEdit = addItem(fileMenu, "mnuEdit", "&Edit Fax", this, &TMainScreen::EditButtonClick, this);
  mnuClone = addItem(fileMenu, "mnuClone", "Clone Fax", this, &TMainScreen::CloneButtonClick, this);
  mnuDelete = addItem(fileMenu, "mnuDelete", "Delete Fax", this, &TMainScreen::DeleteButtonClick, this);
  fileMenu->addSeparator();
  FaxlogCleanup1 = addItem(fileMenu, "FaxlogCleanup1", "Fax Log Cleanup", this, &TMainScreen::FaxlogCleanup1Click, this);
  fileMenu->addSeparator();
  mnuSend = addItem(fileMenu, "mnuSend", "Send Fax", this, &TMainScreen::SendButtonClick, this);
  mnuSend->setShortcut(QKeySequence(QStringLiteral("Ctrl+S")));
  mnuReceive = addItem(fileMenu, "mnuReceive", "Receive Faxes", this, &TMainScreen::ReceiveButtonClick, this);
  mnuReceive->setShortcut(QKeySequence(QStringLiteral("Ctrl+R")));
  mnuViewPrint = addItem(fileMenu, "mnuViewPrint", "View/Print Fax", this, &TMainScreen::mnuViewPrintClick, this);
  mnuViewPrint->setShortcut(QKeySequence(QStringLiteral("Ctrl+V")));
  fileMenu->addSeparator();
  mnuCover = addItem(fileMenu, "mnuCover", "C&over Sheets", this, &TMainScreen::mnuCoverClick, this);
  mnuPhoneBook = addItem(fileMenu, "mnuPhoneBook", "&Phone Book", this, &TMainScreen::mnuPhoneBookClick, this);
  mnuRebuildIndexes = addItem(fileMenu, "mnuRebuildIndexes", "Rebuild &Indexes", this, &TMainScreen::mnuRebuildIndexesClick, this);
  mnuRebuildIndexes->setToolTip(QStringLiteral("Do this every 2 weeks "));
  mnuPreferences = addItem(fileMenu, "mnuPreferences", "P&references", this, &TMainScreen::mnuPreferencesClick, this);
  fileMenu->addSeparator();
  Exit1 = fileMenu->addAction(QStringLiteral("E&xit"), this, &QWidget::close);
  Exit1->setObjectName(QStringLiteral("Exit1"));
  Exit1->setShortcut(QKeySequence(QStringLiteral("Ctrl+X")));

  helpMenu = menuBar()->addMenu(QStringLiteral("&Help"));
  auto help = [this](const char* name, const char* caption, int context) {
    QAction* action = helpMenu->addAction(QString::fromLatin1(caption));
    action->setObjectName(QString::fromLatin1(name));
    connect(action, &QAction::triggered, this, [this, context] { showHelpContext(context); });
    return action;
  };
  Contents1 = help("Contents1", "Contents", kHelpContents);
  FrequentlyAskedQuestionsFAQ1 = help("FrequentlyAskedQuestionsFAQ1", "Frequently Asked Questions (FAQ)", kHelpFaq);
  TroubleshootingTips1 = help("TroubleshootingTips1", "Troubleshooting Tips", kHelpTroubleshooting);
  TechnicalSupport1 = help("TechnicalSupport1", "Technical Support", kHelpTechnicalSupport);
  helpMenu->addSeparator();
  ConfigurationInformation1 = addItem(helpMenu, "ConfigurationInformation1", "Configuration Information", this,
                                      &TMainScreen::ConfigurationInformation1Click, this);
  mnuShowHint = addItem(helpMenu, "mnuShowHint", "Show Hints", this, &TMainScreen::mnuShowHintClick, this);
  mnuShowHint->setCheckable(true);
  helpMenu->addSeparator();
  About1 = addItem(helpMenu, "About1", "About", this, &TMainScreen::About1Click, this);
}

void TMainScreen::buildButtonBar() {
  ButtonBar = new QWidget(this);
  ButtonBar->setObjectName(QStringLiteral("ButtonBar"));
  auto* row = new QHBoxLayout(ButtonBar);
  row->setContentsMargins(6, 4, 6, 4);
  row->setSpacing(4);
  auto button = [this, row](const char* name, const char* caption, QStyle::StandardPixmap icon,
                            const char* hint, void (TMainScreen::*handler)()) {
    auto* b = new QToolButton(ButtonBar);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(QString::fromLatin1(caption));
    b->setIcon(style()->standardIcon(icon));
    b->setIconSize(QSize(24, 24));
    b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    b->setAutoRaise(true);
    b->setMinimumWidth(64);
    b->setToolTip(QString::fromLatin1(hint));
    b->setToolTipDuration(kHintDisplayMs);
    if (handler) connect(b, &QToolButton::clicked, this, [this, handler] { (this->*handler)(); });
    row->addWidget(b);
    return b;
  };
  Newbutton = button("Newbutton", "&New", QStyle::SP_FileIcon, "Create a new fax", &TMainScreen::NewbuttonClick);
  EditButton = button("EditButton", "&Edit", QStyle::SP_FileDialogDetailedView, "Edit the currently selected fax",
                      &TMainScreen::EditButtonClick);
  CloneButton = button("CloneButton", "&Clone", QStyle::SP_FileLinkIcon, "Clone the currently selected fax",
                       &TMainScreen::CloneButtonClick);
  DeleteButton = button("DeleteButton", "&Delete", QStyle::SP_TrashIcon, "Delete  the currently selected fax",
                        &TMainScreen::DeleteButtonClick);
  row->addSpacing(12);
  SendButton = button("SendButton", "&Send", QStyle::SP_ArrowForward, "Send the currently selected fax",
                      &TMainScreen::SendButtonClick);
  ReceiveButton = button("ReceiveButton", "&Receive", QStyle::SP_ArrowDown, "Start receiving faxes",
                         &TMainScreen::ReceiveButtonClick);
  ViewFaxButton = button("ViewFaxButton", "&View", QStyle::SP_FileDialogContentsView, "",
                         &TMainScreen::mnuViewPrintClick);
  row->addStretch();
  Exitbutton = button("Exitbutton", "E&xit", QStyle::SP_DialogCloseButton, "Exit the program", nullptr);
  connect(Exitbutton, &QToolButton::clicked, this, &QWidget::close);
}

QTableView* TMainScreen::buildGrid(FaxListModel* model) {
  QTableView* grid = newFaxListGrid(model, this);
  connect(grid, &QTableView::doubleClicked, this, [this] { mnuViewPrintClick(); });
  return grid;
}

int TMainScreen::gridWidthNeeded(const QTableView* grid) {
  int width = 2 * grid->frameWidth() + grid->verticalScrollBar()->sizeHint().width();
  for (int c = 0; c < grid->model()->columnCount(); ++c)
    if (!grid->isColumnHidden(c)) width += grid->columnWidth(c);
  return width;
}

QSize TMainScreen::defaultSize() const {
  // Wide enough for every column of either list, as far as the screen allows.
  const int pageMargins = 8;
  int width = std::max({gridWidthNeeded(FaxGrid), gridWidthNeeded(RecFaxGrid), ButtonBar->sizeHint().width()}) + pageMargins;
  QSize size(width, 560);
  if (const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen()) {
    QSize room = s->availableGeometry().size() - QSize(16, 48);  // leave room for the frame
    size = size.boundedTo(room);
  }
  return size;
}

void TMainScreen::buildPages() {
  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(ButtonBar);

  TabSet1 = new QTabBar(central);
  TabSet1->setObjectName(QStringLiteral("TabSet1"));
  TabSet1->addTab(QStringLiteral("Outgoing"));
  TabSet1->addTab(QStringLiteral("Incoming"));
  TabSet1->setExpanding(false);

  NoteBook = new QStackedWidget(central);
  NoteBook->setObjectName(QStringLiteral("NoteBook"));
  FaxGrid = buildGrid(sentModel_);
  FaxGrid->setObjectName(QStringLiteral("FaxGrid"));
  RecFaxGrid = buildGrid(receivedModel_);
  RecFaxGrid->setObjectName(QStringLiteral("RecFaxGrid"));
  auto page = [this](const char* name, QLabel* heading, QTableView* grid) {
    auto* w = new QWidget(NoteBook);
    w->setObjectName(QString::fromLatin1(name));
    auto* v = new QVBoxLayout(w);
    v->setContentsMargins(4, 0, 4, 4);
    v->setSpacing(2);
    heading->setParent(w);
    v->addWidget(heading);
    v->addWidget(grid);
    NoteBook->addWidget(w);
  };
  page("Sent", band(QStringLiteral("Outgoing Faxes"), QStringLiteral("#1f3f9f"), nullptr), FaxGrid);
  page("Received", band(QStringLiteral("Incoming Faxes"), QStringLiteral("#1f7f3f"), nullptr), RecFaxGrid);

  layout->addWidget(TabSet1);
  layout->addWidget(NoteBook, 1);

  status = new QLabel(central);
  status->setObjectName(QStringLiteral("status"));
  status->setAlignment(Qt::AlignCenter);
  status->setStyleSheet(QStringLiteral("QLabel { color: #0000c0; padding: 3px; }"));
  status->setMinimumHeight(status->fontMetrics().height() + 8);
  layout->addWidget(status);
  setCentralWidget(central);
  connect(TabSet1, &QTabBar::currentChanged, this, [this](int index) { TabSet1Click(index); });
}

}  // namespace quillon::app
