#include "compose/browse_window.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "app/dialogs.h"
#include "platform/message_pump.h"
#include "xbase/table.h"

namespace quillon::compose {

BrowseWindow::BrowseWindow(std::unique_ptr<xbase::Table> own, const app::ListLayout& layout, QWidget* parent)
    : BrowseWindow(*own, layout, parent) {
  ownTable_ = std::move(own);
}

BrowseWindow::BrowseWindow(xbase::Table& table, const app::ListLayout& layout, QWidget* parent)
    : QDialog(parent), table_(table) {
  source_ = std::make_unique<app::TableListSource>(table, layout.fields);
  model_ = new app::FaxListModel(layout, *source_, this);
  grid_ = new QTableView(this);
  grid_->setModel(model_);
  grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid_->setSelectionMode(QAbstractItemView::SingleSelection);
  grid_->setAlternatingRowColors(true);
  grid_->setWordWrap(false);
  grid_->verticalHeader()->hide();
  grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  grid_->verticalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + 6);
  grid_->horizontalHeader()->setStretchLastSection(true);
  grid_->horizontalHeader()->setHighlightSections(false);
  // Names are mostly capitals: a column is as wide as its characters in capitals.
  const double capital = grid_->fontMetrics().horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ")) / 26.0;
  int width = 2 * grid_->frameWidth() + 24;
  for (int c = 0; c < static_cast<int>(layout.columns.size()); ++c) {
    int w = int(layout.columns[c].displayWidth * capital) + 12;
    grid_->setColumnWidth(c, w);
    width += w;
  }
  grid_->setMinimumSize(width, 300);
  connect(grid_->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex& current) {
    if (current.isValid()) model_->source().makeCurrent(current.row());
  });

  buttons_ = new QVBoxLayout;
  buttons_->setSpacing(6);
  auto* layoutBox = new QHBoxLayout(this);
  layoutBox->addWidget(grid_, 1);
  layoutBox->addLayout(buttons_);
}

BrowseWindow::~BrowseWindow() = default;

QPushButton* BrowseWindow::addButton(const char* objectName, const QString& caption, const QString& hint) {
  auto* button = new QPushButton(caption, this);
  button->setObjectName(QString::fromLatin1(objectName));
  button->setAutoDefault(false);
  if (!hint.isEmpty()) button->setToolTip(hint);
  buttons_->addWidget(button);
  return button;
}

void BrowseWindow::addButtonGap() { buttons_->addSpacing(14); }

void BrowseWindow::finishButtons() { buttons_->addStretch(1); }

long BrowseWindow::queryCount() { return table_.isOpen() ? table_.queryRecCount() : 0; }

bool BrowseWindow::beepWhenEmpty() {
  if (queryCount() > 0) return false;
  QApplication::beep();
  return true;
}

void BrowseWindow::refreshGrid() {
  model_->refresh();
  long position = model_->source().positionOf(model_->source().currentRecNo());
  if (position < 0 && model_->rowCount() > 0) {  // the current record left the list
    model_->source().makeCurrent(0);
    position = 0;
  }
  if (position >= 0) {
    QSignalBlocker block(grid_->selectionModel());
    grid_->setCurrentIndex(model_->index(int(position), 0));
    grid_->selectRow(int(position));
  }
  updateButtons();
}

void BrowseWindow::deleteCurrentAfterAsking(const QString& question) {
  if (app::AskYesNoDefaultNo(question, QStringLiteral("Delete"))) {
    table_.deleteRecord();
    table_.commit();
  }
  platform::pumpMessages();
  refreshGrid();
}

void BrowseWindow::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  platform::pumpMessages();
  refreshGrid();
}

}  // namespace quillon::compose
