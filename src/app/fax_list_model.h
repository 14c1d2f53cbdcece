#pragma once
// A read-only grid model over a fax list. Rows are read from the source only when the view
// paints them and a bounded number are kept, so the model's cost does not grow with the
// length of the list.
#include <QAbstractTableModel>
#include <QHash>
#include <QStringList>

#include <cstdint>

#include "app/list_columns.h"
#include "app/list_source.h"

namespace quillon::app {

class FaxListModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  FaxListModel(const ListLayout& layout, ListSource& source, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  const ListLayout& layout() const { return layout_; }
  ListSource& source() { return source_; }

  // Re-reads the list when it changed since the last look; returns true when it did.
  bool refresh();
  void reload();  // unconditionally

  // The display text of one cell (empty when the row cannot be read).
  QString text(int row, int column) const;
  static constexpr int kCachedRows = 2048;

 private:
  const QStringList* cachedRow(int row) const;
  QStringList format(const ListRow& row) const;

  const ListLayout& layout_;
  ListSource& source_;
  long count_ = 0;
  std::uint64_t generation_ = 0;
  mutable QHash<int, QStringList> cache_;
};

}  // namespace quillon::app
