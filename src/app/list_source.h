#pragma once
// What a fax list grid reads: the rows of a table in its current order and query, fetched
// one at a time when the grid needs them, so a list of 100,000 faxes opens at once.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quillon::xbase {
class Table;
}

namespace quillon::app {

struct ListRow {
  long recNo = 0;
  bool deleted = false;
  std::vector<std::string> values;  // code page 1252, in the order of the source's field names
};

class ListSource {
 public:
  virtual ~ListSource() = default;
  virtual long count() = 0;
  // Changes whenever the rows may have changed.
  virtual std::uint64_t generation() = 0;
  virtual std::optional<ListRow> row(long position) = 0;
  virtual long positionOf(long recNo) = 0;  // -1 when not listed
  virtual long currentRecNo() = 0;          // 0 when there is no current record
  virtual void makeCurrent(long position) = 0;
};

// A table's view as a list source; `fields` are the fields each row carries. The table may
// be closed: the list is then empty.
class TableListSource final : public ListSource {
 public:
  static constexpr std::uint64_t kClosedGeneration = ~std::uint64_t{0};
  TableListSource(xbase::Table& table, std::vector<std::string> fields);
  long count() override;
  std::uint64_t generation() override;
  std::optional<ListRow> row(long position) override;
  long positionOf(long recNo) override;
  long currentRecNo() override;
  void makeCurrent(long position) override;

 private:
  xbase::Table& table_;
  std::vector<std::string> fields_;
};

}  // namespace quillon::app
