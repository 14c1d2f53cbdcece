#pragma once
// One open xBase table in its work area: the engine operations (sx_Use, sx_GoTop,
// sx_Skip, sx_Replace, sx_IndexTag, sx_Query, ...) on FoxPro 2.x files: .DBF data, .FPT memo
// file, .CDX compound index of the same base name.
//
// Model
// - The table is opened exclusively: a file lock (flock) on the .DBF makes a second open of
//   the same table, from this or another process, fail cleanly.
// - The current record is read into a record buffer. replace...() edits the buffer; commit()
//   writes it (and moving to another record, pack, close commit a pending edit first).
//   Write order for crash safety: memo blocks first, then the record, then the header's
//   record count, then the .CDX (which is also checked against the table at every open).
// - Record numbers count from 1. With no current record (end of table, empty view) recNo()
//   is recCount() + 1 and eof() is true.
// - The *view* is the ordered list of record numbers that the current order (tag or natural)
//   walks, less records the query rejects and, with the environment's Deleted setting on,
//   less records flagged deleted. It is kept in memory, updated in place when one record
//   changes and built again lazily after anything else changes, so a grid with 100,000 rows
//   fetches row n in O(1): viewCount(), viewRecNo(n), viewPosition(recno),
//   goViewPosition(n), and record(recno) to read a row without moving.
// - Text is code page 1252 bytes as stored (character fields blank-padded to their width).
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "xbase/date.h"
#include "xbase/environment.h"
#include "xbase/field.h"

namespace quillon::xbase {

enum class OpenMode {
  Exclusive,  // read and write; nobody else may open the table meanwhile
  ReadOnly,   // for dump and check tools: shared lock, nothing is written (no index repair)
};

struct TagInfo {
  std::string name;     // upper case, at most 10 characters
  std::string key;      // key expression as stored
  std::string forExpr;  // FOR condition, empty when none
  bool descending = false;
  bool unique = false;
};

// A copy of one record's bytes with typed readers (no memo contents: see Table::memoAt).
class Record {
 public:
  Record() = default;
  long recNo() const { return recNo_; }
  bool deleted() const;
  std::string getString(std::string_view field) const;   // as stored, blank-padded
  std::string getTrimmed(std::string_view field) const;   // trailing blanks removed
  Date getDate(std::string_view field) const;
  double getNumber(std::string_view field) const;          // 0 for blank or bad text
  bool getLogical(std::string_view field) const;           // T/t/Y/y are true
  std::string_view bytes() const { return bytes_; }

 private:
  friend class Table;
  std::shared_ptr<const std::vector<FieldDef>> fields_;
  std::shared_ptr<const std::vector<int>> offsets_;
  std::string bytes_;
  long recNo_ = 0;
  bool visualFox_ = false;
  int index(std::string_view field) const;
};

class Table {
 public:
  explicit Table(Environment& environment = Environment::global());
  ~Table();  // closes (committing a pending edit)
  Table(const Table&) = delete;
  Table& operator=(const Table&) = delete;

  // ---- create, open, close
  // Creates an empty table (and its .FPT when a field is a memo); refuses to overwrite an
  // open table. Version byte 0x03, or 0xF5 with memos; code page mark 0x03.
  static bool create(const std::string& path, const std::vector<FieldDef>& fields,
                     std::string* error = nullptr);
  // Opens exclusively (sx_Use). Reads the .FPT and the production .CDX of the same base
  // name when present. Index tags that cannot be used (foreign expression, damage) are
  // dropped and reported through indexProblems(); the .CDX is then rewritten from the table.
  bool open(const std::string& path, OpenMode mode = OpenMode::Exclusive);
  void close();
  bool isOpen() const;
  const std::string& path() const;
  const std::string& alias() const;
  const std::string& lastError() const;               // text of the last failure
  const std::vector<std::string>& indexProblems() const;

  // ---- fields
  const std::vector<FieldDef>& fields() const;
  int fieldIndex(std::string_view name) const;  // any case; -1 when absent
  int version() const;                          // the .DBF version byte

  // ---- index tags and order
  // Creates (or replaces) a tag in the table's own .CDX (file empty) and makes it the order.
  bool indexTag(const std::string& file, const std::string& tag, const std::string& key,
                bool descending, const std::string& forCondition, bool unique = false);
  std::vector<TagInfo> tags() const;
  int tagArea(const std::string& tag) const;  // 1-based order number; 0 when absent
  bool setOrder(int order);                   // 0 = natural order; keeps the current record
  int indexOrd() const;                       // 0 = natural order
  // Closes the indexes (natural order) so the .CDX file can be deleted (sx_CloseIndexes).
  void closeIndexes();
  std::string indexPath() const;  // the production .CDX path
  std::string memoPath() const;   // the .FPT path (empty for a table without memo fields)

  // ---- query (sx_Query, sx_QueryRecCount, sx_DBFilter)
  bool setQuery(const std::string& condition);  // empty clears; false on a parse error
  long queryRecCount();                         // records passing (Deleted setting applies)
  std::string dbFilter() const;                 // current query text

  // ---- positioning
  bool goTop();
  bool goBottom();
  bool skip(long count = 1);
  bool go(long recNo);  // any record 1..recCount (also hidden ones); else no current record
  long recNo() const;
  long recCount() const;
  bool eof() const;
  bool bof() const;

  // ---- the view (see Model): rows of the current order and query, 0-based positions
  long viewCount();
  long viewRecNo(long position);     // 0 when out of range
  long viewPosition(long recNo);     // -1 when the record is not in the view
  bool goViewPosition(long position);
  std::uint64_t viewGeneration();    // changes whenever the view may have changed
  // How often the view was built whole. An edit of one record updates the view in place
  // (order, query and Deleted setting unchanged), so stepping and editing stays linear.
  std::uint64_t viewBuilds() const;
  std::optional<Record> record(long recNo) const;  // read a record without moving

  // ---- the current record (sx_GetRecord and friends)
  bool deleted() const;
  std::string getString(std::string_view field) const;
  std::string getTrimmed(std::string_view field) const;
  Date getDate(std::string_view field) const;
  double getNumber(std::string_view field) const;
  bool getLogical(std::string_view field) const;
  std::string getMemo(std::string_view field) const;
  std::string memoAt(long recNo, std::string_view field) const;
  std::string getRecord() const;               // the raw record bytes (with delete flag)
  bool putRecord(std::string_view bytes);      // whole record, same length

  // ---- editing
  bool appendBlank();                          // new blank record becomes current
  // Character fields are cut to their width (or padded); numbers are right-aligned with the
  // field's decimals; a number too wide for the field is stored as asterisks and false is
  // returned; a memo field's text goes to the memo file.
  bool replace(std::string_view field, std::string_view text);
  bool replaceDate(std::string_view field, const Date& date);
  bool replaceNumber(std::string_view field, double value);
  bool replaceLogical(std::string_view field, bool value);
  bool replaceMemo(std::string_view field, std::string_view bytes);
  bool commit();
  bool rlock();
  bool unlock();
  bool deleteRecord();   // sets the delete flag of the current record (kept in the file)
  bool recall();         // clears it
  bool pack();           // removes flagged records, compacts the memo file, rebuilds tags

  // ---- memo and files (sx_BlobToFile, sx_Replace from file)
  bool memoToFile(std::string_view field, const std::string& file);
  bool fileToMemo(std::string_view field, const std::string& file);

  // ---- expressions
  // Evaluates a logical expression on the current record; false on any error (lastError()).
  bool evalLogical(const std::string& expression);
  Environment& environment();

 private:
  bool setDeleteMark(char mark);

  struct Impl;
  std::unique_ptr<Impl> impl_;
  bool goEnd(bool top);
};

}  // namespace quillon::xbase
