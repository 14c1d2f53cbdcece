#include "app/fax_list_grid.h"

#include <QDate>
#include <QFontMetrics>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLocale>
#include <QStyle>
#include <QTableView>

#include <algorithm>
#include <cmath>

#include "app/fax_list_model.h"
#include "app/list_source.h"

namespace quillon::app {

QTableView* newFaxListGrid(FaxListModel* model, QWidget* parent) {
  auto* grid = new QTableView(parent);
  grid->setModel(model);
  grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid->setSelectionMode(QAbstractItemView::SingleSelection);
  grid->setAlternatingRowColors(true);
  grid->setWordWrap(false);
  grid->verticalHeader()->hide();
  // Fixed row heights: the view never measures rows, so 100,000 of them cost nothing.
  grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
  grid->horizontalHeader()->setStretchLastSection(true);
  grid->horizontalHeader()->setHighlightSections(false);
  const QFontMetrics metrics = grid->fontMetrics();
  // A display width counts characters of names and subjects, which are mostly capitals and
  // wide letters where an average character is too narrow: text columns take the width of
  // an average capital, numbers that of a digit.
  const double capitalWidth = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ")) / 26.0;
  const int digitWidth = metrics.horizontalAdvance(QLatin1Char('0'));
  const int padding = 2 * (grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid) + 1) + 8;
  const auto& columns = model->layout().columns;
  for (int c = 0; c < static_cast<int>(columns.size()); ++c) {
    const ListColumn& column = columns[c];
    int labelWidth = grid->horizontalHeader()->fontMetrics().horizontalAdvance(QString::fromLatin1(column.label)) + 12;
    int width = column.kind == ListColumn::Kind::Text ? int(std::ceil(column.displayWidth * capitalWidth))
                                                      : column.displayWidth * digitWidth;
    if (column.kind == ListColumn::Kind::Date)  // as wide as this desktop's short dates
      width = std::max(width, metrics.horizontalAdvance(QLocale().toString(QDate(2026, 12, 28), QLocale::ShortFormat)));
    grid->setColumnWidth(c, std::max(width + padding, labelWidth));
    grid->setColumnHidden(c, !column.visible);
  }
  QObject::connect(grid->selectionModel(), &QItemSelectionModel::currentRowChanged, grid,
                   [model](const QModelIndex& current) {
                     if (current.isValid()) model->source().makeCurrent(current.row());
                   });
  return grid;
}

}  // namespace quillon::app
