#pragma once
// The grid both the main window and the log cleanup window show a fax list in: read-only,
// one row selected at a time, fixed row heights, columns as wide as their display widths,
// the current row followed into the list's table.
class QTableView;
class QWidget;

namespace quillon::app {

class FaxListModel;

QTableView* newFaxListGrid(FaxListModel* model, QWidget* parent);

}  // namespace quillon::app
