#include "store/fax_store.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "xbase/expression.h"
#include "xbase/file_names.h"

namespace quillon::store {

namespace fs = std::filesystem;

namespace {

std::vector<FieldDef> sentFields() {
  return {{"SUBJECT", 'C', 50, 0},  {"SENT", 'L', 1, 0},      {"DATESENT", 'D', 8, 0},
          {"TIMESENT", 'C', 5, 0},  {"RECIPIENT", 'C', 35, 0}, {"PHONE", 'C', 25, 0},
          {"PAGES", 'N', 2, 0},     {"LASTRESULT", 'C', 100, 0}, {"RTFCOVER", 'M', 10, 0},
          {"RTFDOC", 'M', 10, 0}};
}
std::vector<FieldDef> receivedFields() {
  return {{"DATEREC", 'D', 8, 0}, {"TIMEREC", 'C', 5, 0}, {"FROM", 'C', 20, 0},
          {"PAGES", 'N', 2, 0},   {"FAXFILE", 'C', 12, 0}, {"NOTES", 'C', 60, 0}};
}

std::string upper(std::string s) {
  for (auto& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}
std::string trim(const std::string& s) {
  auto b = s.find_first_not_of(' ');
  if (b == std::string::npos) return "";
  auto e = s.find_last_not_of(' ');
  return s.substr(b, e - b + 1);
}

// Texts longer than their field are cut to its width (the entry fields enforce the same
// limits); that is not a failure.
bool putText(Table& t, const char* field, const std::string& text) {
  int i = t.fieldIndex(field);
  if (i < 0) return false;
  return t.replace(field, std::string_view(text).substr(0, t.fields()[i].width));
}

bool fileExists(const std::string& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}

std::optional<std::string> readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

const TableLayout& tableLayout(TableKind kind) {
  static const TableLayout layouts[] = {
      {TableKind::Sent, "QLN.DBF", "QLN.CDX", "DATESENT", "DTOS(DATESENT)+TIMESENT", "datesent",
       true, kNotDeleted, sentFields()},
      {TableKind::Received, "QLNREC.DBF", "QLNREC.CDX", "DATETIME", "DTOS(DATEREC)+TIMEREC",
       "DTOS(DATEREC)+TIMEREC", true, kNotDeleted, receivedFields()},
      {TableKind::Cover, "QLNCOV.DBF", "QLNCOV.CDX", "DESCRIPT", "DESCRIPT", "DESCRIPT", false,
       kNotDeleted, {{"DESCRIPT", 'C', 35, 0}, {"COVER", 'M', 10, 0}}},
      {TableKind::Phone, "QLNPB.DBF", "QLNPB.CDX", "NAME", "UPPER(NAME)", "UPPER(NAME)", false,
       kNotDeleted, {{"NAME", 'C', 35, 0}, {"PHONE", 'C', 25, 0}}},
  };
  return layouts[static_cast<int>(kind)];
}

FaxStore::FaxStore(std::string dataFolder, xbase::Environment& environment)
    : dataFolder_(std::move(dataFolder)), environment_(environment) {
  if (!dataFolder_.empty() && dataFolder_.back() != '/') dataFolder_ += '/';
  environment_.setDeleted(true);
  faxTable_ = std::make_unique<Table>(environment_);
  recTable_ = std::make_unique<Table>(environment_);
  coverTable_ = std::make_unique<Table>(environment_);
  phoneTable_ = std::make_unique<Table>(environment_);
}

FaxStore::~FaxStore() { closeAll(); }

Table& FaxStore::table(TableKind kind) {
  switch (kind) {
    case TableKind::Sent: return *faxTable_;
    case TableKind::Received: return *recTable_;
    case TableKind::Cover: return *coverTable_;
    case TableKind::Phone: break;
  }
  return *phoneTable_;
}

void FaxStore::closeAll() {
  for (auto* t : {faxTable_.get(), recTable_.get(), coverTable_.get(), phoneTable_.get()})
    if (t) t->close();
}

std::string FaxStore::tablePath(TableKind kind) const {
  return xbase::existingPathAnyCase(pathOf(tableLayout(kind).dbfName));
}

bool FaxStore::makeTable(TableKind kind) {
  const auto& layout = tableLayout(kind);
  std::string path = pathOf(layout.dbfName);
  std::string error;
  if (!Table::create(path, layout.fields, &error)) return false;
  return fileExists(path);
}

bool FaxStore::makeFaxDBF() { return makeTable(TableKind::Sent); }
bool FaxStore::makeRecFaxDBF() { return makeTable(TableKind::Received); }
bool FaxStore::makeCoverDBF() { return makeTable(TableKind::Cover); }
bool FaxStore::makePhoneDBF() { return makeTable(TableKind::Phone); }

namespace {

// The tag as this program makes it, at creation or at rebuild.
bool tagUsable(const Table& table, const TableLayout& layout) {
  for (const auto& tag : table.tags()) {
    if (upper(tag.name) != layout.tagName) continue;
    std::string key = upper(tag.key);
    bool keyOk = key == upper(layout.createKey) || key == upper(layout.rebuildKey);
    bool forOk = upper(trim(tag.forExpr)) == upper(layout.forCondition);
    return keyOk && forOk && tag.descending == layout.descending && !tag.unique;
  }
  return false;
}

}  // namespace

bool FaxStore::openTable(TableKind kind, Table& table) {
  const auto& layout = tableLayout(kind);
  std::string dbf = tablePath(kind);
  if (!fileExists(dbf) && !makeTable(kind)) return false;
  table.close();
  if (!table.open(dbf)) return false;
  // A missing .CDX, or one without our tag (foreign, damaged, other key), gets the tag made
  // again from the table before the query is set.
  if (!fileExists(table.indexPath()) || !tagUsable(table, layout)) {
    if (!table.indexTag("", layout.tagName, layout.createKey, layout.descending, layout.forCondition)) {
      table.close();
      return false;
    }
  }
  switch (kind) {
    case TableKind::Sent: table.goTop(); break;
    case TableKind::Cover:
    case TableKind::Phone: table.setOrder(table.tagArea(layout.tagName)); break;
    case TableKind::Received: break;
  }
  if (!table.setQuery(kNotDeleted)) {
    table.close();
    return false;
  }
  if (kind == TableKind::Sent || kind == TableKind::Received) table.goTop();
  return true;
}

bool FaxStore::openFaxDBF() { return openTable(TableKind::Sent, *faxTable_); }
bool FaxStore::openRecFaxDBF() { return openTable(TableKind::Received, *recTable_); }
bool FaxStore::openCoverDBF() { return openTable(TableKind::Cover, *coverTable_); }
bool FaxStore::openPhoneDBF(Table& table) { return openTable(TableKind::Phone, table); }

namespace {

// The list comes back as it was: same index order (so the next SetButtons keeps it rather
// than switching to the tag and going to the first row) and the same current record (after
// New, the new fax).
bool reopenInPlace(FaxStore& store, TableKind kind) {
  Table& table = store.table(kind);
  bool wasOpen = table.isOpen();
  long recNo = wasOpen ? table.recNo() : 0;
  std::string tag;
  if (wasOpen && table.indexOrd() > 0) tag = table.tags()[table.indexOrd() - 1].name;
  table.close();
  if (!store.openTable(kind, table)) return false;
  table.setQuery(kNotDeleted);
  if (wasOpen) table.setOrder(tag.empty() ? 0 : table.tagArea(tag));  // errors ignored
  if (recNo > 0 && recNo <= table.recCount()) table.go(recNo);
  return true;
}

}  // namespace

bool FaxStore::faxTableCloseAndOpen() { return reopenInPlace(*this, TableKind::Sent); }
bool FaxStore::recTableCloseAndOpen() { return reopenInPlace(*this, TableKind::Received); }

bool FaxStore::orderUpkeep(TableKind kind) {
  Table& table = this->table(kind);
  if (!table.isOpen()) return true;
  bool empty = table.recNo() == table.recCount() + 1;
  if (empty) {
    if (table.indexOrd() != 0) table.setOrder(0);
  } else if (table.indexOrd() == 0) {
    table.setOrder(table.tagArea(tableLayout(kind).tagName));
    table.goTop();
  }
  return table.recNo() == table.recCount() + 1;
}

std::optional<std::string> FaxStore::loadRichText(Table& table, const std::string& field) {
  std::string scratch = pathOf(kScratchFile);
  if (!table.memoToFile(field, scratch)) return std::nullopt;
  auto bytes = readFile(scratch);
  std::error_code ec;
  fs::remove(scratch, ec);
  return bytes;
}

bool FaxStore::saveRichText(Table& table, const std::string& field, const std::string& rtf) {
  std::string scratch = pathOf(kScratchFile);
  {
    std::ofstream out(scratch, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(rtf.data(), static_cast<std::streamsize>(rtf.size()));
    if (!out) return false;
  }
  return table.fileToMemo(field, scratch);
}

bool FaxStore::appendSent(const SentEntry& entry) {
  Table& t = *faxTable_;
  if (!t.appendBlank()) return false;
  bool ok = t.replaceLogical(sentfield::SENT, false);
  ok = editSent(entry) && ok;
  return ok;
}

bool FaxStore::editSent(const SentEntry& entry) {
  Table& t = *faxTable_;
  bool ok = putText(t, sentfield::RECIPIENT, entry.recipient);
  ok = putText(t, sentfield::SUBJECT, entry.subject) && ok;
  ok = putText(t, sentfield::PHONE, entry.phone) && ok;
  ok = saveRichText(t, sentfield::RTFCOVER, entry.rtfCover) && ok;
  ok = saveRichText(t, sentfield::RTFDOC, entry.rtfDoc) && ok;
  return t.commit() && ok;
}

bool FaxStore::isSuccessResult(const std::string& result) {
  std::string u = upper(result);
  return u == "SENT" || u == "OK";
}

bool FaxStore::writeSendOutcome(int pages, const std::string& result, const std::string& phone,
                                const Date& date, const std::string& timeHHMM) {
  Table& t = *faxTable_;
  if (t.eof()) return false;
  bool ok = t.replaceNumber(sentfield::PAGES, std::clamp(pages, 0, 99));
  ok = putText(t, sentfield::LASTRESULT, result) && ok;
  ok = putText(t, sentfield::PHONE, phone) && ok;
  if (isSuccessResult(result)) {
    ok = t.replaceLogical(sentfield::SENT, true) && ok;
    ok = t.replaceDate(sentfield::DATESENT, date) && ok;
    ok = putText(t, sentfield::TIMESENT, timeHHMM) && ok;
  }
  return t.commit() && ok;
}

bool FaxStore::appendReceived(const ReceivedEntry& entry) {
  Table& t = *recTable_;
  if (!t.appendBlank()) return false;
  bool ok = t.replaceDate(recfield::DATEREC, entry.date);
  ok = putText(t, recfield::TIMEREC, entry.time) && ok;
  ok = putText(t, recfield::FROM, entry.from) && ok;
  ok = t.replaceNumber(recfield::PAGES, std::clamp(entry.pages, 0, 99)) && ok;
  ok = putText(t, recfield::FAXFILE, entry.faxFile) && ok;
  return t.commit() && ok;
}

bool FaxStore::setNotes(const std::string& notes) {
  Table& t = *recTable_;
  if (t.eof()) return false;
  bool ok = putText(t, recfield::NOTES, notes);
  return t.commit() && ok;
}

std::optional<std::string> FaxStore::receivedFaxPath(const std::string& faxFile) const {
  std::string name = trim(faxFile);
  if (name.empty() || name == "." || name == "..") return std::nullopt;
  for (unsigned char c : name)
    if (c == '/' || c == '\\' || c == ':' || c < 0x20 || c == 0x7F) return std::nullopt;
  return dataFolder_ + kReceiveFolder + "/" + name;
}

bool FaxStore::deleteCurrent(TableKind kind) {
  Table& t = table(kind);
  if (t.eof() || t.recNo() < 1 || t.recNo() > t.recCount()) return false;
  if (kind == TableKind::Received) {
    if (auto path = receivedFaxPath(t.getString(recfield::FAXFILE))) {
      std::error_code ec;
      fs::remove(*path, ec);  // errors ignored (file already gone)
    }
  }
  bool ok = t.deleteRecord();
  return t.commit() && ok;
}

long FaxStore::deleteFor(TableKind kind, const std::string& condition) {
  Table& t = table(kind);
  if (!t.isOpen()) return -1;
  long remembered = t.recNo();
  int order = t.indexOrd();
  t.setOrder(0);
  // Check the condition before touching anything: a parse error deletes nothing.
  environment_.setDeleted(false);
  long count = 0;
  bool parsed = true;
  // With no records the condition is still checked (on the blank record).
  if (t.recCount() > 0) t.go(1);
  t.evalLogical(condition);
  parsed = t.lastError().empty();
  if (parsed) {
    // Natural order with Deleted off walks every record by number; going by record number
    // keeps each step O(1) while records leave the view one by one.
    for (long n = 1; n <= t.recCount(); ++n) {
      if (!t.go(n) || t.deleted()) continue;
      if (t.evalLogical(condition) && deleteCurrent(kind)) ++count;
    }
  }
  environment_.setDeleted(true);
  t.setOrder(order);
  if (remembered >= 1 && remembered <= t.recCount()) t.go(remembered);
  else t.goTop();
  // A remembered record that is now hidden is not shown as current: take the next one in
  // the order, or no current record when the list became empty.
  if (!t.eof() && t.viewPosition(t.recNo()) < 0) t.skip(1);
  return parsed ? count : -1;
}

std::string FaxStore::beforeDateCondition(const std::string& field, const Date& date) const {
  char text[16];
  int yy = date.year % 100;
  if (environment_.expandTwoDigitYear(yy) == date.year)
    std::snprintf(text, sizeof text, "%02d/%02d/%02d", date.month % 100, date.day % 100, yy);
  else
    std::snprintf(text, sizeof text, "%02d/%02d/%04d", date.month % 100, date.day % 100,
                  date.year % 10000);
  return "(" + field + "<CTOD(\"" + text + "\")) .and. (.not. EMPTY(" + field + "))";
}

std::string FaxStore::matchCondition(const std::string& field, const std::string& value,
                                     bool exact) {
  // Upper-cased as UPPER() upper-cases the field (Latin-1 letters too), or a name with an
  // accented letter would never match its own record.
  std::string v = xbase::upperLatin1(trim(value));
  // The typed text must stay one text literal whatever it holds: a double quote inside "..."
  // would end the literal early and let the rest read as conditions (a text such as
  // x" .OR. .T. .OR. "  would then match every record). Runs without a double quote go
  // between double quotes, each double quote itself between single quotes, joined with +.
  std::string literal;
  size_t start = 0;
  while (true) {
    size_t quote = v.find('"', start);
    std::string run = v.substr(start, quote == std::string::npos ? std::string::npos : quote - start);
    if (!run.empty() || literal.empty()) literal += (literal.empty() ? "" : "+") + ("\"" + run + "\"");
    if (quote == std::string::npos) break;
    literal += "+'\"'";
    start = quote + 1;
  }
  if (literal.size() > 2 && literal.compare(0, 3, "\"\"+") == 0) literal.erase(0, 3);
  if (literal.find('+') != std::string::npos) literal = "(" + literal + ")";
  if (exact) return "ALLTRIM(UPPER(" + field + "))==" + literal;
  return literal + "$ALLTRIM(UPPER(" + field + "))";
}

bool FaxStore::rebuildIndexes(const ProgressFn& progress, std::vector<std::string>* problems) {
  struct Step {
    TableKind kind;
    const char* removing;
    const char* rebuilding;
  };
  static const Step steps[] = {
      {TableKind::Sent, "Removing FAX file records marked for deletion",
       "Rebuilding FAX file indexes"},
      {TableKind::Received, "Removing Received FAX records marked for deletion",
       "Rebuilding Received FAX indexes"},
      {TableKind::Phone, "Removing PHONE file records marked for deletion",
       "Rebuilding PHONE file indexes"},
      {TableKind::Cover, "Removing COVER file records marked for deletion",
       "Rebuilding COVER file indexes"},
  };
  bool allOk = true;
  auto problem = [&](const Table& t, TableKind kind, const std::string& what) {
    allOk = false;
    if (!problems) return;
    std::string name = t.path().empty() ? tableLayout(kind).dbfName
                                        : fs::path(t.path()).filename().string();
    problems->push_back(name + ": " + what + (t.lastError().empty() ? "" : ": " + t.lastError()));
  };
  for (const auto& step : steps) {
    Table& t = table(step.kind);
    const auto& layout = tableLayout(step.kind);
    if (step.kind == TableKind::Phone || step.kind == TableKind::Cover || !t.isOpen()) {
      if (!openTable(step.kind, t)) {
        problem(t, step.kind, "cannot be opened");
        if (step.kind == TableKind::Cover) return false;
        continue;
      }
    }
    std::string query = t.dbFilter();
    std::string index = t.indexPath();
    t.closeIndexes();
    std::error_code ec;
    fs::remove(index, ec);
    if (progress) progress(step.removing);
    // A table that cannot be packed (a memo it cannot read) stays as it is: nothing is
    // dropped, the problem is reported, and its tag is rebuilt all the same.
    if (!t.pack() && !t.pack()) problem(t, step.kind, "not packed");
    if (progress) progress(step.rebuilding);
    if (!t.indexTag("", layout.tagName, layout.rebuildKey, layout.descending, layout.forCondition))
      problem(t, step.kind, "index not rebuilt");
    t.setQuery(query);
    t.goTop();
    if (step.kind == TableKind::Phone || step.kind == TableKind::Cover) t.close();
  }
  return allOk;
}

}  // namespace quillon::store
