#include "app/list_source.h"

#include "xbase/table.h"

namespace quillon::app {

TableListSource::TableListSource(xbase::Table& table, std::vector<std::string> fields)
    : table_(table), fields_(std::move(fields)) {}

long TableListSource::count() { return table_.isOpen() ? table_.viewCount() : 0; }

std::uint64_t TableListSource::generation() {
  // A closed table shows nothing under a number of its own.
  return table_.isOpen() ? table_.viewGeneration() : kClosedGeneration;
}

std::optional<ListRow> TableListSource::row(long position) {
  if (!table_.isOpen()) return std::nullopt;
  long recNo = table_.viewRecNo(position);
  if (recNo <= 0) return std::nullopt;
  auto record = table_.record(recNo);
  if (!record) return std::nullopt;
  ListRow row;
  row.recNo = recNo;
  row.deleted = record->deleted();
  row.values.reserve(fields_.size());
  for (const auto& field : fields_) row.values.push_back(record->getString(field));
  return row;
}

long TableListSource::positionOf(long recNo) { return table_.isOpen() ? table_.viewPosition(recNo) : -1; }

long TableListSource::currentRecNo() {
  if (!table_.isOpen() || table_.recNo() == table_.recCount() + 1) return 0;
  return table_.recNo();
}

void TableListSource::makeCurrent(long position) {
  if (table_.isOpen()) table_.goViewPosition(position);
}

}  // namespace quillon::app
