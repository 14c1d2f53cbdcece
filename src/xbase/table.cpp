#include "xbase/table.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include "xbase/cdx_file.h"
#include "xbase/dbf_header.h"
#include "xbase/expression.h"
#include "xbase/field_codec.h"
#include "xbase/file_names.h"
#include "xbase/index_key.h"
#include "xbase/memo_file.h"
#include "xbase/table_io.h"

namespace quillon::xbase {

namespace fs = std::filesystem;

namespace {

std::string upperAscii(std::string_view s) { return upperLatin1(s); }

struct EntryLess {
  bool operator()(const CdxKey& a, const CdxKey& b) const {
    int c = std::memcmp(a.key.data(), b.key.data(), std::min(a.key.size(), b.key.size()));
    if (c != 0) return c < 0;
    if (a.key.size() != b.key.size()) return a.key.size() < b.key.size();
    return a.recNo < b.recNo;
  }
};

}  // namespace

// One index tag held in memory: all keys of the records that pass the FOR condition.
struct Tag {
  TagInfo info;
  std::unique_ptr<Expression> key;
  std::unique_ptr<Expression> condition;
  ValueType keyType = ValueType::Character;
  int keyLength = 1;
  std::set<CdxKey, EntryLess> entries;
};

struct Table::Impl {
  Environment* env = nullptr;
  std::string path, alias, error, cdxPath, fptPath;
  std::vector<std::string> problems;
  OpenMode mode = OpenMode::Exclusive;
  int fd = -1;
  DbfHeader header;
  std::shared_ptr<std::vector<FieldDef>> fields = std::make_shared<std::vector<FieldDef>>();
  std::shared_ptr<std::vector<int>> offsets = std::make_shared<std::vector<int>>();
  MemoFile memo;
  bool headerDirty = false;  // count or data changed: header date/count to write at close
  bool cdxDirty = false;     // in-memory tags differ from the .CDX file

  // Current record.
  long recNo = 1;  // recCount + 1 = no current record
  bool eof = true, bof = true;
  std::string buffer, original;
  bool dirty = false;

  // Per record: bit 0 deleted, bit 1 passes the query.
  std::vector<std::uint8_t> state;
  std::vector<std::unique_ptr<Tag>> tags;
  int order = 0;
  std::unique_ptr<Expression> query;
  std::string queryText;

  // The view (see table.h) and its bookkeeping.
  std::vector<std::uint32_t> view;
  std::vector<std::int32_t> positionOf;  // by record number - 1; -1 = not in the view
  bool viewDirty = true;
  std::uint64_t viewEnvGeneration = 0;
  std::uint64_t generation = 1;
  std::uint64_t viewBuilds = 0;

  std::string lastEvalText;
  std::unique_ptr<Expression> lastEval;

  // ------------------------------------------------------------ basics
  bool fail(std::string why) {
    error = std::move(why);
    return false;
  }
  long count() const { return static_cast<long>(header.recordCount); }
  bool writable() const { return mode == OpenMode::Exclusive; }
  std::uint64_t recordOffset(long n) const {
    return header.headerLength + std::uint64_t(n - 1) * header.recordLength;
  }
  int field(std::string_view name) const {
    std::string u = upperAscii(name);
    for (size_t i = 0; i < fields->size(); ++i)
      if ((*fields)[i].name == u) return static_cast<int>(i);
    return -1;
  }
  void touchView() {
    viewDirty = true;
    ++generation;
  }
  // The index of a field to change on the current record, or -1 with the reason set.
  int editableField(std::string_view name, bool open) {
    int i = field(name);
    if (i < 0)
      fail("no field " + std::string(name));
    else if (!open || eof)
      fail("no current record");
    else if (!writable())
      fail("the table is open read-only");
    else
      return i;
    return -1;
  }

  std::string blankRecord() const {
    std::string r(header.recordLength, ' ');
    for (size_t i = 0; i < fields->size(); ++i) {
      const auto& f = (*fields)[i];
      char* p = &r[(*offsets)[i]];
      if (f.type == 'L') *p = 'F';
      if (binaryField(f, header.visualFox())) std::memset(p, 0, f.width);
    }
    return r;
  }

  bool readRecord(long n, std::string& out) const {
    out.resize(header.recordLength);
    return preadAll(fd, out.data(), out.size(), recordOffset(n));
  }

  // ------------------------------------------------------------ evaluation
  struct Context : EvalContext {
    const Impl& t;
    std::string_view bytes;
    long rec;
    Context(const Impl& impl, std::string_view b, long r) : t(impl), bytes(b), rec(r) {}
    Value field(int i) const override { return t.fieldValue(bytes, i); }
    bool deleted() const override { return !bytes.empty() && bytes[0] == '*'; }
    long recNo() const override { return rec; }
    const Environment& environment() const override { return *t.env; }
  };

  Value fieldValue(std::string_view bytes, int i) const {
    const auto& f = (*fields)[i];
    std::string_view raw = bytes.substr((*offsets)[i], f.width);
    if (f.type == 'M' || f.type == 'G' || f.type == 'P') {
      std::string text;
      if (auto block = memoBlock(raw, header.visualFox()); block && memo.isOpen())
        if (auto data = memo.read(*block, nullptr)) text = *data;
      return Value::ofText(text);
    }
    return decodeField(f, raw, header.visualFox());
  }

  std::string keyFor(const Tag& tag, std::string_view bytes, long n, bool* included) const {
    Context c(*this, bytes, n);
    *included = true;
    try {
      if (tag.condition) *included = tag.condition->evaluate(c).logical;
      if (!*included) return {};
      return encodeKey(tag.key->evaluate(c), tag.keyType, tag.keyLength);
    } catch (const ExpressionError&) {
      *included = false;
      return {};
    }
  }

  bool passesQuery(std::string_view bytes, long n) const {
    if (!query) return true;
    try {
      return query->evaluate(Context(*this, bytes, n)).logical;
    } catch (const ExpressionError&) {
      return false;
    }
  }

  // Recomputes the per-record state and every tag from the file in one pass.
  bool rebuildAll() {
    state.assign(count(), 0);
    for (auto& tag : tags) tag->entries.clear();
    bool ok = scanRecords(fd, header, 1, count(), [&](long n, std::string_view bytes) {
      std::uint8_t s = bytes[0] == '*' ? 1 : 0;
      if (passesQuery(bytes, n)) s |= 2;
      state[n - 1] = s;
      for (auto& tag : tags) addKey(*tag, bytes, n);
    });
    touchView();
    if (!ok) return fail("cannot read " + path + ": " + std::strerror(errno));
    return true;
  }

  void addKey(Tag& tag, std::string_view bytes, long n) {
    bool included = false;
    std::string key = keyFor(tag, bytes, n, &included);
    if (!included) return;
    if (tag.info.unique) {
      auto it = tag.entries.lower_bound(CdxKey{key, 0});
      if (it != tag.entries.end() && it->key == key) return;
    }
    tag.entries.insert(CdxKey{std::move(key), static_cast<std::uint32_t>(n)});
  }

  // ------------------------------------------------------------ the view
  bool visible(long n) const {
    std::uint8_t s = state[n - 1];
    if (env->deleted() && (s & 1)) return false;
    return !query || (s & 2);
  }

  void refreshView() {
    if (!viewDirty && viewEnvGeneration == env->generation()) return;
    view.clear();
    if (order == 0) {
      for (long n = 1; n <= count(); ++n)
        if (visible(n)) view.push_back(static_cast<std::uint32_t>(n));
    } else {
      const Tag& tag = *tags[order - 1];
      auto add = [&](const CdxKey& k) {
        if (k.recNo >= 1 && k.recNo <= static_cast<std::uint32_t>(count()) && visible(k.recNo))
          view.push_back(k.recNo);
      };
      if (tag.info.descending) std::for_each(tag.entries.rbegin(), tag.entries.rend(), add);
      else std::for_each(tag.entries.begin(), tag.entries.end(), add);
    }
    positionOf.assign(count(), -1);
    for (size_t i = 0; i < view.size(); ++i) positionOf[view[i] - 1] = static_cast<std::int32_t>(i);
    viewDirty = false;
    ++viewBuilds;
    if (viewEnvGeneration != env->generation()) ++generation;
    viewEnvGeneration = env->generation();
  }

  // Row of the first visible record after `n` in the current order (view.size() if none);
  // `n` itself may be outside the view (hidden, or not in the tag).
  size_t positionAfter(long n) {
    refreshView();
    if (n >= 1 && n <= count() && positionOf[n - 1] >= 0) return positionOf[n - 1] + 1;
    if (order == 0)
      return std::upper_bound(view.begin(), view.end(), static_cast<std::uint32_t>(n)) - view.begin();
    // Tag order: compare by the record's key (read from the file for each probe).
    const Tag& tag = *tags[order - 1];
    std::string bytes;
    if (n < 1 || n > count() || !readRecord(n, bytes)) return view.size();
    Context c(*this, bytes, n);
    std::string key;
    try {
      key = encodeKey(tag.key->evaluate(c), tag.keyType, tag.keyLength);
    } catch (const ExpressionError&) {
      return view.size();
    }
    return insertionPoint(CdxKey{key, static_cast<std::uint32_t>(n)}).value_or(view.size());
  }

  // Where an entry of the current order would stand among the rows: by record number in
  // natural order, by key (of each probed row, read from the file) in tag order. Nothing
  // when a probed row cannot be read.
  std::optional<size_t> insertionPoint(const CdxKey& self) const {
    if (order == 0)
      return std::upper_bound(view.begin(), view.end(), self.recNo) - view.begin();
    const Tag& tag = *tags[order - 1];
    EntryLess less;
    size_t lo = 0, hi = view.size();
    std::string other;
    while (lo < hi) {
      size_t mid = (lo + hi) / 2;
      CdxKey probe{"", view[mid]};
      if (!readRecord(view[mid], other)) return std::nullopt;
      try {
        probe.key = encodeKey(tag.key->evaluate(Context(*this, other, view[mid])), tag.keyType,
                              tag.keyLength);
      } catch (const ExpressionError&) {
        return std::nullopt;
      }
      bool after = tag.info.descending ? less(probe, self) : less(self, probe);
      if (after) hi = mid;
      else lo = mid + 1;
    }
    return lo;
  }

  // A change of one record's row, applied to a view that is up to date instead of building
  // the view again: an edit-and-skip walk over 100,000 records then stays linear.
  // `shown` says whether the record belongs in the view now, `moved` whether its key in
  // the current order changed.
  void updateViewFor(long n, bool shown, bool moved, const std::string& key) {
    ++generation;  // the row's contents changed in any case
    if (viewDirty || viewEnvGeneration != env->generation()) {
      viewDirty = true;
      return;
    }
    if (static_cast<long>(positionOf.size()) < n) positionOf.resize(n, -1);
    std::int32_t at = positionOf[n - 1];
    bool wasShown = at >= 0;
    if (wasShown == shown && !(shown && moved)) return;
    if (wasShown) {
      view.erase(view.begin() + at);
      positionOf[n - 1] = -1;
      renumberFrom(static_cast<size_t>(at));
    }
    if (!shown) return;
    auto point = insertionPoint(CdxKey{key, static_cast<std::uint32_t>(n)});
    if (!point) {
      viewDirty = true;
      return;
    }
    view.insert(view.begin() + static_cast<std::ptrdiff_t>(*point), static_cast<std::uint32_t>(n));
    renumberFrom(*point);
  }
  void renumberFrom(size_t first) {
    for (size_t i = first; i < view.size(); ++i) positionOf[view[i] - 1] = static_cast<std::int32_t>(i);
  }

  // ------------------------------------------------------------ moving
  void setNoRecord() {
    recNo = count() + 1;
    eof = true;
    buffer = blankRecord();
    original = buffer;
    dirty = false;
  }
  bool load(long n) {
    if (n < 1 || n > count()) {
      setNoRecord();
      return true;
    }
    if (!readRecord(n, buffer)) {
      setNoRecord();
      return fail("cannot read record " + std::to_string(n));
    }
    original = buffer;
    recNo = n;
    eof = false;
    dirty = false;
    return true;
  }

  // ------------------------------------------------------------ writing
  bool writeRecord(long n, const std::string& bytes, bool appended) {
    std::string out = bytes;
    if (appended) out += '\x1A';
    if (!pwriteAll(fd, out.data(), out.size(), recordOffset(n)))
      return fail(std::string("cannot write ") + path + ": " + std::strerror(errno));
    return true;
  }
  bool writeCount() {
    std::string b = dbfUpdateBytes(header.recordCount);
    if (!pwriteAll(fd, b.data(), b.size(), 1))
      return fail(std::string("cannot write ") + path + ": " + std::strerror(errno));
    return true;
  }

  bool commit() {
    if (!dirty || eof) {
      dirty = false;
      return true;
    }
    if (!writeRecord(recNo, buffer, false)) return false;
    headerDirty = true;
    bool inOrder = true, moved = false;
    std::string orderKey;
    for (size_t i = 0; i < tags.size(); ++i) {
      Tag& tag = *tags[i];
      bool before = false, after = false;
      std::string oldKey = keyFor(tag, original, recNo, &before);
      std::string newKey = keyFor(tag, buffer, recNo, &after);
      if (static_cast<int>(i) + 1 == order) {
        inOrder = after;
        orderKey = newKey;
      }
      if (before == after && oldKey == newKey) continue;  // the tag is as it was
      if (before) tag.entries.erase(CdxKey{std::move(oldKey), static_cast<std::uint32_t>(recNo)});
      addKey(tag, buffer, recNo);
      cdxDirty = true;
      if (static_cast<int>(i) + 1 == order) moved = true;
    }
    std::uint8_t s = buffer[0] == '*' ? 1 : 0;
    if (passesQuery(buffer, recNo)) s |= 2;
    state[recNo - 1] = s;
    original = buffer;
    dirty = false;
    updateViewFor(recNo, inOrder && visible(recNo), moved, orderKey);
    return true;
  }

  bool writeCdxFile() {
    if (!writable()) return true;
    if (tags.empty()) {
      cdxDirty = false;
      return true;
    }
    std::vector<CdxTag> out;
    for (const auto& tag : tags) {
      CdxTag c;
      c.name = tag->info.name;
      c.keyExpr = tag->info.key;
      c.forExpr = tag->info.forExpr;
      c.descending = tag->info.descending;
      c.unique = tag->info.unique;
      c.characterKey = tag->keyType == ValueType::Character;
      c.keyLength = tag->keyLength;
      c.keys.assign(tag->entries.begin(), tag->entries.end());
      out.push_back(std::move(c));
    }
    std::string err;
    if (!writeFileReplacing(cdxPath, writeCdx(out), &err)) return fail(err);
    cdxDirty = false;
    if (!(header.flags & kDbfHasCdx)) {
      header.flags |= kDbfHasCdx;
      char f = static_cast<char>(header.flags);
      pwriteAll(fd, &f, 1, 28);
    }
    return true;
  }

  // Makes a tag object from its definition; nothing (with `error`) when it cannot be used.
  std::unique_ptr<Tag> makeTag(const TagInfo& info) {
    auto tag = std::make_unique<Tag>();
    tag->info = info;
    tag->info.name = upperAscii(info.name).substr(0, 10);
    try {
      tag->key = Expression::compile(info.key, *fields);
      if (!info.forExpr.empty()) {
        tag->condition = Expression::compile(info.forExpr, *fields);
        if (tag->condition->type() != ValueType::Logical) {
          fail("FOR condition '" + info.forExpr + "' is not logical");
          return nullptr;
        }
      }
    } catch (const ExpressionError& e) {
      fail(e.what());
      return nullptr;
    }
    tag->keyType = tag->key->type();
    if (tag->keyType == ValueType::Character) {
      std::string blank = blankRecord();
      try {
        tag->keyLength = static_cast<int>(tag->key->evaluate(Context(*this, blank, 0)).text.size());
      } catch (const ExpressionError& e) {
        fail(e.what());
        return nullptr;
      }
      if (tag->keyLength > 240) {
        fail("key '" + info.key + "' is longer than 240 bytes");
        return nullptr;
      }
      tag->keyLength = std::max(tag->keyLength, 1);
    } else {
      tag->keyLength = keyLengthOf(tag->keyType);
    }
    return tag;
  }

  void loadIndex() {
    std::error_code ec;
    if (!fs::exists(cdxPath, ec)) return;
    std::string readError;
    auto bytes = readFileBytes(cdxPath, &readError);
    std::optional<std::vector<CdxTag>> onDisk;
    std::string parseError;
    if (bytes) onDisk = readCdx(*bytes, &parseError);
    if (!onDisk) {
      problems.push_back(cdxPath + ": " + (bytes ? parseError : readError) +
                         " (the index is not used)");
      return;
    }
    for (const auto& c : *onDisk) {
      TagInfo info{c.name, c.keyExpr, c.forExpr, c.descending, c.unique};
      std::string saved = error;
      auto tag = makeTag(info);
      if (!tag) {
        problems.push_back("tag " + c.name + ": " + error + " (the tag is dropped)");
        error = saved;
        cdxDirty = true;
        continue;
      }
      tags.push_back(std::move(tag));
    }
    rebuildAll();
    // Never trust the file blindly: the keys read must be the keys the table gives.
    size_t t = 0;
    for (const auto& c : *onDisk) {
      if (t >= tags.size() || tags[t]->info.name != upperAscii(c.name).substr(0, 10)) continue;
      const Tag& tag = *tags[t++];
      bool same = c.keyLength == tag.keyLength && c.keys.size() == tag.entries.size();
      if (same) {
        auto it = tag.entries.begin();
        for (const auto& k : c.keys) {
          std::string expected = it->key;
          if (tag.keyType == ValueType::Character || k.key == expected) {
          } else {
            // Binary keys: a foreign writer may have left out trailing zero bytes.
            std::string trimmed = expected;
            while (!trimmed.empty() && trimmed.back() == '\0') trimmed.pop_back();
            std::string theirs = k.key;
            while (!theirs.empty() && (theirs.back() == ' ' || theirs.back() == '\0')) theirs.pop_back();
            if (theirs == trimmed) expected = k.key;
          }
          if (k.key != expected || k.recNo != it->recNo) {
            same = false;
            break;
          }
          ++it;
        }
      }
      if (!same) {
        problems.push_back("tag " + tag.info.name + " did not match the table (rebuilt)");
        cdxDirty = true;
      }
    }
    if (cdxDirty) writeCdxFile();
  }

  void closeFiles() {
    if (fd >= 0) {
      if (writable()) {
        commit();
        if (cdxDirty) writeCdxFile();
        if (headerDirty) writeCount();
      }
      ::flock(fd, LOCK_UN);
      ::close(fd);
    }
    fd = -1;
    memo.close();
    tags.clear();
    state.clear();
    view.clear();
    positionOf.clear();
    query.reset();
    queryText.clear();
    lastEval.reset();  // parsed against this table's fields
    lastEvalText.clear();
    order = 0;
    headerDirty = cdxDirty = dirty = false;
    header = DbfHeader{};
    fields = std::make_shared<std::vector<FieldDef>>();
    offsets = std::make_shared<std::vector<int>>();
    recNo = 1;
    eof = bof = true;
    touchView();
  }
};

// ================================================================ Record

int Record::index(std::string_view field) const {
  if (!fields_) return -1;
  std::string u = upperLatin1(field);
  for (size_t i = 0; i < fields_->size(); ++i)
    if ((*fields_)[i].name == u) return static_cast<int>(i);
  return -1;
}
bool Record::deleted() const { return !bytes_.empty() && bytes_[0] == '*'; }
std::string Record::getString(std::string_view field) const {
  int i = index(field);
  if (i < 0) return {};
  return bytes_.substr((*offsets_)[i], (*fields_)[i].width);
}
std::string Record::getTrimmed(std::string_view field) const {
  std::string s = getString(field);
  s.erase(s.find_last_not_of(' ') + 1);
  return s;
}
Date Record::getDate(std::string_view field) const {
  int i = index(field);
  if (i < 0) return {};
  return decodeField((*fields_)[i], std::string_view(bytes_).substr((*offsets_)[i], (*fields_)[i].width), false).date;
}
double Record::getNumber(std::string_view field) const {
  int i = index(field);
  if (i < 0) return 0;
  return decodeField((*fields_)[i], std::string_view(bytes_).substr((*offsets_)[i], (*fields_)[i].width), visualFox_).number;
}
bool Record::getLogical(std::string_view field) const {
  int i = index(field);
  if (i < 0) return false;
  return decodeField((*fields_)[i], std::string_view(bytes_).substr((*offsets_)[i], (*fields_)[i].width), false).logical;
}

// ================================================================ Table

Table::Table(Environment& environment) : impl_(std::make_unique<Impl>()) {
  impl_->env = &environment;
}

Table::~Table() { close(); }

bool Table::create(const std::string& path, const std::vector<FieldDef>& fields,
                   std::string* error) {
  auto fail = [&](const std::string& why) {
    if (error) *error = why;
    return false;
  };
  std::string problem = checkFieldDefs(fields);
  if (!problem.empty()) return fail(problem);
  // Refuse to overwrite a table that is open (its lock is held).
  int probe = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
  if (probe >= 0) {
    bool locked = ::flock(probe, LOCK_EX | LOCK_NB) != 0;
    ::close(probe);
    if (locked) return fail(path + " is in use");
  }
  DbfHeader header = makeDbfHeader(fields);
  std::string bytes = serializeDbfHeader(header) + '\x1A';
  std::string err;
  if (header.hasMemo()) {
    if (!writeFileReplacing(companionPath(path, ".FPT"), MemoFile::emptyFileBytes(), &err))
      return fail(err);
  }
  // A new table has no index: an old .CDX of the same name would describe other data.
  std::error_code ec;
  fs::remove(companionPath(path, ".CDX"), ec);
  if (!writeFileReplacing(path, bytes, &err)) return fail(err);
  return true;
}

bool Table::open(const std::string& path, OpenMode mode) {
  close();
  Impl& t = *impl_;
  t.error.clear();
  t.problems.clear();
  t.mode = mode;
  t.path = path;
  int flags = (mode == OpenMode::Exclusive ? O_RDWR : O_RDONLY) | O_CLOEXEC;
  t.fd = ::open(path.c_str(), flags);
  if (t.fd < 0) return t.fail("cannot open " + path + ": " + std::strerror(errno));
  if (::flock(t.fd, (mode == OpenMode::Exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
    ::close(t.fd);
    t.fd = -1;
    return t.fail(path + " is in use by another program or window");
  }
  // A pack that was stopped between its renames is finished first (we hold the lock now).
  std::string packError;
  if (::access(packMarkerPath(path).c_str(), F_OK) == 0) {
    std::string why = mode == OpenMode::ReadOnly
                          ? path + ": an interrupted pack is not finished yet (open the table "
                                   "for writing to finish it)"
                          : "";
    if (why.empty() && finishInterruptedPack(path, &packError)) {
      ::flock(t.fd, LOCK_UN);
      ::close(t.fd);
      t.fd = -1;
      return open(path, mode);
    }
    if (why.empty()) why = path + ": " + packError;
    close();
    return t.fail(why);
  }
  struct stat st {};
  ::fstat(t.fd, &st);
  std::string head(std::min<std::uint64_t>(static_cast<std::uint64_t>(st.st_size), 65536), '\0');
  std::string err;
  std::optional<DbfHeader> header;
  if (preadAll(t.fd, head.data(), head.size(), 0))
    header = parseDbfHeader(head, static_cast<std::uint64_t>(st.st_size), &err);
  else
    err = "cannot read the header";
  if (!header) {
    std::string why = path + ": " + err;
    close();
    return t.fail(why);
  }
  if (std::string shifted = recordShiftProblem(t.fd, *header); !shifted.empty()) {
    close();
    return t.fail(path + ": " + shifted);
  }
  t.header = *header;
  *t.fields = t.header.fields;
  *t.offsets = t.header.offsets;
  t.fptPath.clear();
  if (t.header.hasMemo()) {
    t.fptPath = companionPath(path, ".FPT");
    if (!t.memo.open(t.fptPath, &err))
      t.problems.push_back(err + " (memo fields read as empty)");
  }
  t.cdxPath = companionPath(path, ".CDX");
  t.alias = t.env->claimAlias(path, this);
  t.state.assign(t.count(), 0);
  t.loadIndex();
  if (t.tags.empty() && !t.rebuildAll()) {
    std::string why = t.error;
    close();
    return t.fail(why);
  }
  t.order = 0;
  goTop();
  return true;
}

void Table::close() {
  Impl& t = *impl_;
  if (!t.alias.empty()) t.env->releaseAlias(t.alias);
  t.alias.clear();
  t.closeFiles();
}

bool Table::isOpen() const { return impl_->fd >= 0; }
const std::string& Table::path() const { return impl_->path; }
const std::string& Table::alias() const { return impl_->alias; }
const std::string& Table::lastError() const { return impl_->error; }
const std::vector<std::string>& Table::indexProblems() const { return impl_->problems; }
const std::vector<FieldDef>& Table::fields() const { return *impl_->fields; }
int Table::fieldIndex(std::string_view name) const { return impl_->field(name); }
int Table::version() const { return impl_->header.version; }

// ---------------------------------------------------------------- tags and order

bool Table::indexTag(const std::string& file, const std::string& tagName, const std::string& key,
                     bool descending, const std::string& forCondition, bool unique) {
  Impl& t = *impl_;
  if (!isOpen()) return t.fail("no table is open");
  if (!t.writable()) return t.fail("the table is open read-only");
  if (!file.empty() && fs::path(file).stem() != fs::path(t.cdxPath).stem())
    return t.fail("only the table's own index file can hold tags");
  if (tagName.empty() || tagName.size() > 10) return t.fail("a tag name has 1 to 10 characters");
  if (!t.commit()) return false;
  auto tag = t.makeTag(TagInfo{tagName, key, forCondition, descending, unique});
  if (!tag) return false;
  for (auto it = t.tags.begin(); it != t.tags.end(); ++it)
    if ((*it)->info.name == tag->info.name) {
      t.tags.erase(it);
      break;
    }
  Tag& added = *tag;
  t.tags.push_back(std::move(tag));
  bool ok = scanRecords(t.fd, t.header, 1, t.count(),
                        [&](long n, std::string_view bytes) { t.addKey(added, bytes, n); });
  if (!ok) return t.fail("cannot read " + t.path);
  if (!t.writeCdxFile()) return false;
  t.order = static_cast<int>(t.tags.size());
  t.touchView();
  return goTop();
}

std::vector<TagInfo> Table::tags() const {
  std::vector<TagInfo> out;
  for (const auto& tag : impl_->tags) out.push_back(tag->info);
  return out;
}

int Table::tagArea(const std::string& tag) const {
  std::string u = upperLatin1(tag);
  for (size_t i = 0; i < impl_->tags.size(); ++i)
    if (impl_->tags[i]->info.name == u) return static_cast<int>(i + 1);
  return 0;
}

bool Table::setOrder(int order) {
  Impl& t = *impl_;
  if (order < 0 || order > static_cast<int>(t.tags.size())) return t.fail("no such order");
  t.commit();
  if (t.order != order) {
    t.order = order;
    t.touchView();
  }
  return true;
}

int Table::indexOrd() const { return impl_->order; }

void Table::closeIndexes() {
  Impl& t = *impl_;
  t.commit();
  t.tags.clear();
  t.order = 0;
  t.cdxDirty = false;
  t.touchView();
  if (t.fd >= 0 && t.writable() && (t.header.flags & kDbfHasCdx)) {
    t.header.flags &= static_cast<std::uint8_t>(~kDbfHasCdx);
    char f = static_cast<char>(t.header.flags);
    pwriteAll(t.fd, &f, 1, 28);
  }
}

std::string Table::indexPath() const { return impl_->cdxPath; }
std::string Table::memoPath() const { return impl_->fptPath; }

// ---------------------------------------------------------------- query

bool Table::setQuery(const std::string& condition) {
  Impl& t = *impl_;
  if (!isOpen()) return t.fail("no table is open");
  t.commit();
  std::unique_ptr<Expression> compiled;
  if (condition.find_first_not_of(' ') != std::string::npos) {
    try {
      compiled = Expression::compile(condition, *t.fields);
    } catch (const ExpressionError& e) {
      return t.fail(e.what());
    }
    if (compiled->type() != ValueType::Logical) return t.fail("a query must be a logical expression");
  }
  t.query = std::move(compiled);
  t.queryText = t.query ? condition : "";
  bool ok = scanRecords(t.fd, t.header, 1, t.count(), [&](long n, std::string_view bytes) {
    std::uint8_t s = t.state[n - 1] & 1;
    if (t.passesQuery(bytes, n)) s |= 2;
    t.state[n - 1] = s;
  });
  t.touchView();
  if (!ok) return t.fail("cannot read " + t.path);
  return true;
}

long Table::queryRecCount() {
  impl_->refreshView();
  return static_cast<long>(impl_->view.size());
}

std::string Table::dbFilter() const { return impl_->queryText; }

// ---------------------------------------------------------------- positioning

bool Table::goTop() { return goEnd(true); }
bool Table::goBottom() { return goEnd(false); }

bool Table::goEnd(bool top) {
  Impl& t = *impl_;
  if (!isOpen()) return t.fail("no table is open");
  if (!t.commit()) return false;
  t.refreshView();
  t.bof = false;
  if (t.view.empty()) {
    t.setNoRecord();
    t.bof = true;
    return true;
  }
  return t.load(top ? t.view.front() : t.view.back());
}

bool Table::skip(long count) {
  Impl& t = *impl_;
  if (!isOpen()) return t.fail("no table is open");
  if (!t.commit()) return false;
  t.refreshView();
  if (t.view.empty()) {
    t.setNoRecord();
    t.bof = true;
    return true;
  }
  long size = static_cast<long>(t.view.size());
  long position;
  if (t.eof) {
    if (count >= 0) return true;
    position = size + count;  // from the end: skip -1 gives the last row
  } else {
    long here = t.positionOf[t.recNo - 1];
    if (here >= 0) {
      position = here + count;
    } else {
      long next = static_cast<long>(t.positionAfter(t.recNo));
      position = count > 0 ? next + count - 1 : next + count;
    }
  }
  t.bof = false;
  if (position >= size) {
    t.setNoRecord();
    return true;
  }
  if (position < 0) {
    t.bof = true;
    return t.load(t.view.front());
  }
  return t.load(t.view[position]);
}

bool Table::go(long recNo) {
  Impl& t = *impl_;
  if (!isOpen()) return t.fail("no table is open");
  if (!t.commit()) return false;
  t.bof = false;
  if (recNo < 1 || recNo > t.count()) {
    t.setNoRecord();
    return t.fail("record " + std::to_string(recNo) + " does not exist");
  }
  return t.load(recNo);
}

long Table::recNo() const { return isOpen() ? impl_->recNo : 0; }
long Table::recCount() const { return impl_->count(); }
bool Table::eof() const { return impl_->eof; }
bool Table::bof() const { return impl_->bof; }

long Table::viewCount() {
  if (!isOpen()) return 0;
  impl_->refreshView();
  return static_cast<long>(impl_->view.size());
}

long Table::viewRecNo(long position) {
  if (!isOpen()) return 0;
  impl_->refreshView();
  if (position < 0 || position >= static_cast<long>(impl_->view.size())) return 0;
  return impl_->view[position];
}

long Table::viewPosition(long recNo) {
  if (!isOpen() || recNo < 1 || recNo > impl_->count()) return -1;
  impl_->refreshView();
  return impl_->positionOf[recNo - 1];
}

bool Table::goViewPosition(long position) {
  long n = viewRecNo(position);
  if (n == 0) {
    impl_->commit();
    impl_->setNoRecord();
    return false;
  }
  return go(n);
}

std::uint64_t Table::viewGeneration() {
  if (isOpen()) impl_->refreshView();
  return impl_->generation;
}

std::uint64_t Table::viewBuilds() const { return impl_->viewBuilds; }

std::optional<Record> Table::record(long recNo) const {
  const Impl& t = *impl_;
  if (!isOpen() || recNo < 1 || recNo > t.count()) return std::nullopt;
  Record r;
  r.fields_ = t.fields;
  r.offsets_ = t.offsets;
  r.recNo_ = recNo;
  r.visualFox_ = t.header.visualFox();
  if (recNo == t.recNo && !t.eof) r.bytes_ = t.buffer;
  else if (!t.readRecord(recNo, r.bytes_)) return std::nullopt;
  return r;
}

// ---------------------------------------------------------------- current record

bool Table::deleted() const { return !impl_->eof && impl_->buffer[0] == '*'; }

std::string Table::getString(std::string_view field) const {
  const Impl& t = *impl_;
  int i = t.field(field);
  if (i < 0 || !isOpen()) return {};
  return t.buffer.substr((*t.offsets)[i], (*t.fields)[i].width);
}

std::string Table::getTrimmed(std::string_view field) const {
  std::string s = getString(field);
  s.erase(s.find_last_not_of(' ') + 1);
  return s;
}

Date Table::getDate(std::string_view field) const {
  int i = impl_->field(field);
  if (i < 0 || !isOpen()) return {};
  return impl_->fieldValue(impl_->buffer, i).date;
}

double Table::getNumber(std::string_view field) const {
  int i = impl_->field(field);
  if (i < 0 || !isOpen()) return 0;
  return impl_->fieldValue(impl_->buffer, i).number;
}

bool Table::getLogical(std::string_view field) const {
  int i = impl_->field(field);
  if (i < 0 || !isOpen()) return false;
  return impl_->fieldValue(impl_->buffer, i).logical;
}

std::string Table::getMemo(std::string_view field) const {
  int i = impl_->field(field);
  if (i < 0 || !isOpen()) return {};
  return impl_->fieldValue(impl_->buffer, i).text;
}

std::string Table::memoAt(long recNo, std::string_view field) const {
  const Impl& t = *impl_;
  int i = t.field(field);
  if (i < 0 || !isOpen() || recNo < 1 || recNo > t.count()) return {};
  std::string bytes;
  if (recNo == t.recNo && !t.eof) bytes = t.buffer;
  else if (!t.readRecord(recNo, bytes)) return {};
  return t.fieldValue(bytes, i).text;
}

std::string Table::getRecord() const { return isOpen() && !impl_->eof ? impl_->buffer : ""; }

bool Table::putRecord(std::string_view bytes) {
  Impl& t = *impl_;
  if (!isOpen() || t.eof) return t.fail("no current record");
  if (bytes.size() != t.buffer.size()) return t.fail("record length differs");
  if (!t.writable()) return t.fail("the table is open read-only");
  t.buffer.assign(bytes);
  t.dirty = true;
  return true;
}

// ---------------------------------------------------------------- editing

bool Table::appendBlank() {
  Impl& t = *impl_;
  if (!isOpen()) return t.fail("no table is open");
  if (!t.writable()) return t.fail("the table is open read-only");
  if (!t.commit()) return false;
  if (t.header.recordCount == 0xFFFFFFFFu) return t.fail("table full");
  long n = t.count() + 1;
  std::string blank = t.blankRecord();
  // The record is on disk before the header counts it.
  if (!t.writeRecord(n, blank, true)) return false;
  t.header.recordCount = static_cast<std::uint32_t>(n);
  if (!t.writeCount()) {
    t.header.recordCount = static_cast<std::uint32_t>(n - 1);
    return false;
  }
  t.state.push_back(t.passesQuery(blank, n) ? 2 : 0);
  bool inOrder = true;
  std::string orderKey;
  for (size_t i = 0; i < t.tags.size(); ++i) {
    t.addKey(*t.tags[i], blank, n);
    if (static_cast<int>(i) + 1 == t.order) orderKey = t.keyFor(*t.tags[i], blank, n, &inOrder);
  }
  if (!t.tags.empty()) t.cdxDirty = true;
  t.updateViewFor(n, inOrder && t.visible(n), false, orderKey);
  t.bof = false;
  return t.load(n);
}

bool Table::replace(std::string_view field, std::string_view text) {
  Impl& t = *impl_;
  int i = t.editableField(field, isOpen());
  if (i < 0) return false;
  const FieldDef& f = (*t.fields)[i];
  if (f.type == 'M') return replaceMemo(field, text);
  std::string stored;
  bool ok = encodeFieldText(f, text, t.header.visualFox(), stored);
  t.buffer.replace((*t.offsets)[i], f.width, stored);
  t.dirty = true;
  if (!ok) return t.fail("value does not fit field " + f.name);
  return true;
}

bool Table::replaceDate(std::string_view field, const Date& date) {
  // A date that is not on the calendar is stored as the empty date, and said so.
  if (!replace(field, date.dtos())) return false;
  if (!date.empty() && !date.valid()) return impl_->fail("not a valid date");
  return true;
}

bool Table::replaceNumber(std::string_view field, double value) {
  Impl& t = *impl_;
  int i = t.editableField(field, isOpen());
  if (i < 0) return false;
  const FieldDef& f = (*t.fields)[i];
  std::string stored;
  bool ok = encodeFieldNumber(f, value, t.header.visualFox(), stored);
  if (stored.empty()) return t.fail("field " + f.name + " is not numeric");
  t.buffer.replace((*t.offsets)[i], f.width, stored);
  t.dirty = true;
  if (!ok) return t.fail("value does not fit field " + f.name);
  return true;
}

bool Table::replaceLogical(std::string_view field, bool value) {
  return replace(field, value ? "T" : "F");
}

bool Table::replaceMemo(std::string_view field, std::string_view bytes) {
  Impl& t = *impl_;
  int i = t.editableField(field, isOpen());
  if (i < 0) return false;
  const FieldDef& f = (*t.fields)[i];
  if (f.type != 'M') return t.fail("field " + f.name + " is not a memo field");
  if (!t.memo.isOpen()) {
    // A memo table whose .FPT is missing gets a fresh one.
    std::string err;
    if (t.fptPath.empty()) t.fptPath = companionPath(t.path, ".FPT");
    std::error_code ec;
    if (fs::exists(t.fptPath, ec)) return t.fail("the memo file cannot be used");
    if (!MemoFile::create(t.fptPath, &err) || !t.memo.open(t.fptPath, &err)) return t.fail(err);
  }
  std::string err;
  auto block = t.memo.write(bytes, &err);
  if (!block) return t.fail(err);
  t.buffer.replace((*t.offsets)[i], f.width, encodeMemoBlock(*block, f.width, t.header.visualFox()));
  t.dirty = true;
  return true;
}

bool Table::commit() {
  if (!isOpen()) return impl_->fail("no table is open");
  return impl_->commit();
}

bool Table::rlock() { return isOpen() && !impl_->eof; }
bool Table::unlock() { return isOpen(); }

// The delete flag is the first byte of the record: '*' flagged, ' ' not.
bool Table::deleteRecord() { return setDeleteMark('*'); }
bool Table::recall() { return setDeleteMark(' '); }

bool Table::setDeleteMark(char mark) {
  Impl& t = *impl_;
  if (!isOpen() || t.eof) return t.fail("no current record");
  if (!t.writable()) return t.fail("the table is open read-only");
  t.buffer[0] = mark;
  t.dirty = true;
  return t.commit();
}

bool Table::pack() {
  Impl& t = *impl_;
  if (!isOpen()) return t.fail("no table is open");
  if (!t.writable()) return t.fail("the table is open read-only");
  if (!t.commit()) return false;
  std::string err;
  PackResult packed;
  if (!packTable(t.fd, t.header, t.memo.isOpen() ? &t.memo : nullptr, t.path,
                 t.memo.isOpen() ? t.fptPath : std::string(), packed, &err))
    return t.fail(err);
  // The packed files replaced the old ones; work on the new table file from here.
  ::flock(t.fd, LOCK_UN);
  ::close(t.fd);
  t.fd = packed.fd;
  t.header.recordCount = packed.recordCount;
  if (t.memo.isOpen()) {
    t.memo.close();
    t.memo.open(t.fptPath, &err);
  }
  bool ok = t.rebuildAll();
  if (!t.tags.empty()) {
    t.cdxDirty = true;
    ok = t.writeCdxFile() && ok;
  }
  t.headerDirty = true;
  goTop();
  return ok;
}

// ---------------------------------------------------------------- memo and files

bool Table::memoToFile(std::string_view field, const std::string& file) {
  Impl& t = *impl_;
  int i = t.field(field);
  if (i < 0 || !isOpen()) return t.fail("no field " + std::string(field));
  const FieldDef& f = (*t.fields)[i];
  if (f.type != 'M') return t.fail("field " + f.name + " is not a memo field");
  if (t.eof) return t.fail("no current record");
  std::string data;
  if (auto block = memoBlock(std::string_view(t.buffer).substr((*t.offsets)[i], f.width),
                             t.header.visualFox());
      block && *block) {
    if (!t.memo.isOpen()) return t.fail("the memo file cannot be used");
    std::string err;
    auto bytes = t.memo.read(*block, &err);
    if (!bytes) return t.fail(err);
    data = std::move(*bytes);
  }
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(data.data(), static_cast<std::streamsize>(data.size()));
  out.close();
  if (!out) return t.fail("cannot write " + file);
  return true;
}

bool Table::fileToMemo(std::string_view field, const std::string& file) {
  Impl& t = *impl_;
  std::string err;
  auto bytes = readFileBytes(file, &err);
  if (!bytes) return t.fail(err.empty() ? "cannot read " + file : err);
  if (!replaceMemo(field, *bytes)) return false;
  return t.commit();
}

// ---------------------------------------------------------------- expressions

bool Table::evalLogical(const std::string& expression) {
  Impl& t = *impl_;
  if (!isOpen()) return t.fail("no table is open");
  try {
    if (!t.lastEval || t.lastEvalText != expression) {
      t.lastEval = Expression::compile(expression, *t.fields);
      t.lastEvalText = expression;
    }
    if (t.lastEval->type() != ValueType::Logical) {
      t.lastEval.reset();
      return t.fail("'" + expression + "' is not a logical expression");
    }
    bool result = t.lastEval->evaluate(Impl::Context(t, t.buffer, t.recNo)).logical;
    t.error.clear();
    return result;
  } catch (const ExpressionError& e) {
    t.lastEval.reset();
    return t.fail(e.what());
  }
}

Environment& Table::environment() { return *impl_->env; }

}  // namespace quillon::xbase
