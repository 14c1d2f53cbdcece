#pragma once
// The frame of the two browsers (phone book, cover templates): a read-only grid over one
// table on the left, a column of buttons on the right. Rows are the table's view in its
// order and query; picking a row makes its record current.
#include <QDialog>

#include <memory>

#include "app/fax_list_model.h"
#include "app/list_source.h"

class QPushButton;
class QTableView;
class QVBoxLayout;

namespace quillon::xbase {
class Table;
}

namespace quillon::compose {

class BrowseWindow : public QDialog {
  Q_OBJECT

 public:
  // Over a table someone else owns (the main window's cover table) ...
  BrowseWindow(xbase::Table& table, const app::ListLayout& layout, QWidget* parent);
  // ... or over a table of the window's own (the phone book's).
  BrowseWindow(std::unique_ptr<xbase::Table> own, const app::ListLayout& layout, QWidget* parent);
  ~BrowseWindow() override;

  QTableView* grid() const { return grid_; }
  app::FaxListModel& model() { return *model_; }
  // Records that pass the query (".not. deleted()").
  long queryCount();
  // With no records: the system beep, and true.
  bool beepWhenEmpty();
  // Shows the table as it is now and keeps the current record selected.
  void refreshGrid();
  // Delete: asks `question` (caption "Delete", No the default); Yes flags the current record.
  // The list is shown afresh either way.
  void deleteCurrentAfterAsking(const QString& question);

 protected:
  QPushButton* addButton(const char* objectName, const QString& caption, const QString& hint = {});
  void addButtonGap();
  void finishButtons();
  void showEvent(QShowEvent* event) override;
  // On activation and after commands: which buttons are available.
  virtual void updateButtons() = 0;
  std::unique_ptr<xbase::Table> ownTable_;
  xbase::Table& table_;

 private:
  std::unique_ptr<app::TableListSource> source_;
  app::FaxListModel* model_;
  QTableView* grid_;
  QVBoxLayout* buttons_;
};

}  // namespace quillon::compose
