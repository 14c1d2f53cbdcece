#include "app/fax_list_model.h"

#include <QDate>
#include <QLocale>

#include <climits>

#include "qtplatform/cp1252_text.h"
#include "xbase/date.h"

namespace quillon::app {

namespace {
QString trimmedText(const std::string& bytes) { return qtplatform::fromCp1252(bytes).trimmed(); }

QString dateText(const std::string& stored) {
  xbase::Date d = xbase::Date::fromDtos(stored);
  if (d.empty()) return {};
  return QLocale().toString(QDate(d.year, d.month, d.day), QLocale::ShortFormat);
}
}  // namespace

FaxListModel::FaxListModel(const ListLayout& layout, ListSource& source, QObject* parent)
    : QAbstractTableModel(parent), layout_(layout), source_(source) {
  count_ = source_.count();
  generation_ = source_.generation();
}

int FaxListModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid()) return 0;
  return static_cast<int>(std::min<long>(count_, INT_MAX));
}

int FaxListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(layout_.columns.size());
}

Qt::ItemFlags FaxListModel::flags(const QModelIndex& index) const {
  return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

QVariant FaxListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) return {};
  if (role == Qt::DisplayRole) return QString::fromLatin1(layout_.columns[section].label);
  return {};
}

QVariant FaxListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.column() >= columnCount()) return {};
  const ListColumn& column = layout_.columns[index.column()];
  if (role == Qt::TextAlignmentRole) {
    return column.kind == ListColumn::Kind::Number ? int(Qt::AlignRight | Qt::AlignVCenter)
                                                   : int(Qt::AlignLeft | Qt::AlignVCenter);
  }
  if (role != Qt::DisplayRole) return {};
  return text(index.row(), index.column());
}

QString FaxListModel::text(int row, int column) const {
  const QStringList* values = cachedRow(row);
  if (!values || column < 0 || column >= values->size()) return {};
  return values->at(column);
}

const QStringList* FaxListModel::cachedRow(int row) const {
  auto it = cache_.constFind(row);
  if (it != cache_.constEnd()) return &it.value();
  auto fetched = source_.row(row);
  if (!fetched) return nullptr;
  // Bounded: a long scroll through a big list must not keep every row it passed.
  if (cache_.size() >= kCachedRows) cache_.clear();
  return &cache_.insert(row, format(*fetched)).value();
}

QStringList FaxListModel::format(const ListRow& row) const {
  QStringList out;
  for (const ListColumn& column : layout_.columns) {
    static const std::string none;
    const std::string& raw =
        column.field >= 0 && column.field < static_cast<int>(row.values.size()) ? row.values[column.field] : none;
    switch (column.kind) {
      case ListColumn::Kind::Text:
      case ListColumn::Kind::Number:
        out << trimmedText(raw);
        break;
      case ListColumn::Kind::Date:
        out << dateText(raw);
        break;
      case ListColumn::Kind::YesNo:
        // SentYesNo comes from SENT; ISDELETED from the record's delete flag.
        out << QString::fromLatin1(yesNo(column.field >= 0 ? logicalValue(raw) : row.deleted));
        break;
    }
  }
  return out;
}

bool FaxListModel::refresh() {
  if (source_.generation() == generation_ && source_.count() == count_) return false;
  reload();
  return true;
}

void FaxListModel::reload() {
  beginResetModel();
  cache_.clear();
  count_ = source_.count();
  generation_ = source_.generation();
  endResetModel();
}

}  // namespace quillon::app
