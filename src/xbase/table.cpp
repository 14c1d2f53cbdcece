// Placeholder: the engine is being written; every operation fails cleanly for now.
#include "xbase/table.h"

namespace quillon::xbase {

struct Table::Impl {
  Environment* env;
  std::string path, alias, error = "engine not built yet";
  std::vector<std::string> problems;
  std::vector<FieldDef> fields;
};

bool Record::deleted() const { return !bytes_.empty() && bytes_[0] == '*'; }
int Record::index(std::string_view) const { return -1; }
std::string Record::getString(std::string_view) const { return {}; }
std::string Record::getTrimmed(std::string_view) const { return {}; }
Date Record::getDate(std::string_view) const { return {}; }
double Record::getNumber(std::string_view) const { return 0; }
bool Record::getLogical(std::string_view) const { return false; }

Table::Table(Environment& environment) : impl_(std::make_unique<Impl>()) { impl_->env = &environment; }
Table::~Table() = default;
bool Table::create(const std::string&, const std::vector<FieldDef>&, std::string* error) {
  if (error) *error = "engine not built yet";
  return false;
}
bool Table::open(const std::string&) { return false; }
void Table::close() {}
bool Table::isOpen() const { return false; }
const std::string& Table::path() const { return impl_->path; }
const std::string& Table::alias() const { return impl_->alias; }
const std::string& Table::lastError() const { return impl_->error; }
const std::vector<std::string>& Table::indexProblems() const { return impl_->problems; }
const std::vector<FieldDef>& Table::fields() const { return impl_->fields; }
int Table::fieldIndex(std::string_view) const { return -1; }
int Table::version() const { return 0; }
bool Table::indexTag(const std::string&, const std::string&, const std::string&, bool,
                     const std::string&, bool) { return false; }
std::vector<TagInfo> Table::tags() const { return {}; }
int Table::tagArea(const std::string&) const { return 0; }
bool Table::setOrder(int) { return false; }
int Table::indexOrd() const { return 0; }
void Table::closeIndexes() {}
std::string Table::indexPath() const { return {}; }
bool Table::setQuery(const std::string&) { return false; }
long Table::queryRecCount() { return 0; }
std::string Table::dbFilter() const { return {}; }
bool Table::goTop() { return false; }
bool Table::goBottom() { return false; }
bool Table::skip(long) { return false; }
bool Table::go(long) { return false; }
long Table::recNo() const { return 1; }
long Table::recCount() const { return 0; }
bool Table::eof() const { return true; }
bool Table::bof() const { return true; }
long Table::viewCount() { return 0; }
long Table::viewRecNo(long) { return 0; }
long Table::viewPosition(long) { return -1; }
bool Table::goViewPosition(long) { return false; }
std::uint64_t Table::viewGeneration() { return 0; }
std::optional<Record> Table::record(long) const { return std::nullopt; }
bool Table::deleted() const { return false; }
std::string Table::getString(std::string_view) const { return {}; }
std::string Table::getTrimmed(std::string_view) const { return {}; }
Date Table::getDate(std::string_view) const { return {}; }
double Table::getNumber(std::string_view) const { return 0; }
bool Table::getLogical(std::string_view) const { return false; }
std::string Table::getMemo(std::string_view) const { return {}; }
std::string Table::memoAt(long, std::string_view) const { return {}; }
std::string Table::getRecord() const { return {}; }
bool Table::putRecord(std::string_view) { return false; }
bool Table::appendBlank() { return false; }
bool Table::replace(std::string_view, std::string_view) { return false; }
bool Table::replaceDate(std::string_view, const Date&) { return false; }
bool Table::replaceNumber(std::string_view, double) { return false; }
bool Table::replaceLogical(std::string_view, bool) { return false; }
bool Table::replaceMemo(std::string_view, std::string_view) { return false; }
bool Table::commit() { return false; }
bool Table::rlock() { return false; }
bool Table::unlock() { return false; }
bool Table::deleteRecord() { return false; }
bool Table::recall() { return false; }
bool Table::pack() { return false; }
bool Table::memoToFile(std::string_view, const std::string&) { return false; }
bool Table::fileToMemo(std::string_view, const std::string&) { return false; }
bool Table::evalLogical(const std::string&) { return false; }
Environment& Table::environment() { return *impl_->env; }

}  // namespace quillon::xbase
