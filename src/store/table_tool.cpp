#include "store/table_tool.h"

#include <cstdio>
#include <ostream>

#include "platform/json_text.h"
#include "platform/cp1252.h"
#include "store/fax_store.h"
#include "xbase/cdx_file.h"
#include "xbase/dbf_header.h"
#include "xbase/field_codec.h"
#include "xbase/memo_file.h"
#include "xbase/table_io.h"

namespace quillon::store {

namespace {

using xbase::OpenMode;


std::string numberText(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.15g", v);
  return buf;
}

std::string isoDate(const Date& d) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", d.year, d.month, d.day);
  return buf;
}

// One field of a record as JSON and as display text.
void fieldValue(Table& t, const xbase::Record& r, const FieldDef& f, std::string& asJson,
                std::string& asText) {
  switch (f.type) {
    case 'M': case 'G': case 'P': {
      std::string memo = t.memoAt(r.recNo(), f.name);
      asJson = platform::jsonString(memo);
      asText = platform::cp1252ToUtf8(memo);
      return;
    }
    case 'D': {
      Date d = r.getDate(f.name);
      asJson = d.empty() ? "null" : platform::jsonString(isoDate(d));
      asText = d.empty() ? "" : isoDate(d);
      return;
    }
    case 'L': {
      bool on = r.getLogical(f.name);
      asJson = std::string(on ? "true" : "false");
      asText = std::string(1, on ? 'T' : 'F');
      return;
    }
    case 'N': case 'F': case 'I': case 'B': case 'Y': {
      std::string raw = r.getTrimmed(f.name);
      bool blank = (f.type == 'N' || f.type == 'F') && raw.find_first_not_of(' ') == std::string::npos;
      asJson = blank ? "null" : numberText(r.getNumber(f.name));
      asText = blank ? "" : numberText(r.getNumber(f.name));
      return;
    }
    default: {
      std::string s = r.getTrimmed(f.name);
      asJson = platform::jsonString(s);
      asText = platform::cp1252ToUtf8(s);
    }
  }
}

bool openForTool(Table& t, const std::string& path, std::ostream& err) {
  if (t.open(path, OpenMode::ReadOnly)) return true;
  err << "quillon table: " << t.lastError() << "\n";
  return false;
}

// Record numbers in the chosen order; Deleted off with --all.
std::vector<long> walk(Table& t, bool all) {
  t.environment().setDeleted(!all);
  std::vector<long> out;
  long n = t.viewCount();
  for (long i = 0; i < n; ++i) out.push_back(t.viewRecNo(i));
  return out;
}

void printTags(Table& t, bool asJson, std::ostream& out) {
  auto tags = t.tags();
  if (asJson) {
    out << "  \"tags\": [";
    for (size_t i = 0; i < tags.size(); ++i)
      out << (i ? ", " : "") << "{\"name\": " << platform::jsonString(tags[i].name) << ", \"key\": "
          << platform::jsonString(tags[i].key) << ", \"for\": " << platform::jsonString(tags[i].forExpr)
          << ", \"descending\": " << (tags[i].descending ? "true" : "false") << "}";
    out << "],\n";
    return;
  }
  for (const auto& tag : tags)
    out << "tag " << tag.name << ": key " << tag.key
        << (tag.forExpr.empty() ? "" : ", for " + tag.forExpr)
        << (tag.descending ? ", descending" : ", ascending") << "\n";
}

}  // namespace

int dumpTableTool(const std::string& path, const DumpOptions& options, std::ostream& out,
                  std::ostream& err) {
  xbase::Environment env;
  Table t(env);
  if (!openForTool(t, path, err)) return 1;
  if (!options.tag.empty()) {
    int order = t.tagArea(options.tag);
    if (order == 0) {
      err << "quillon table: " << path << " has no tag " << options.tag << "\n";
      return 1;
    }
    t.setOrder(order);
  }
  for (const auto& p : t.indexProblems()) err << "note: " << p << "\n";
  auto records = walk(t, options.all);
  const auto& fields = t.fields();
  if (options.json) {
    char version[8];
    std::snprintf(version, sizeof version, "0x%02X", t.version());
    out << "{\n  \"file\": " << platform::jsonString(path) << ",\n  \"version\": \"" << version
        << "\",\n  \"records_in_file\": " << t.recCount() << ",\n  \"fields\": [";
    for (size_t i = 0; i < fields.size(); ++i)
      out << (i ? ", " : "") << "{\"name\": " << platform::jsonString(fields[i].name) << ", \"type\": \""
          << fields[i].type << "\", \"width\": " << fields[i].width
          << ", \"decimals\": " << fields[i].decimals << "}";
    out << "],\n";
    printTags(t, true, out);
    out << "  \"order\": " << platform::jsonString(options.tag) << ",\n  \"records\": [";
    for (size_t k = 0; k < records.size(); ++k) {
      auto r = t.record(records[k]);
      if (!r) continue;
      out << (k ? "," : "") << "\n    {\"recno\": " << r->recNo()
          << ", \"deleted\": " << (r->deleted() ? "true" : "false");
      for (const auto& f : fields) {
        std::string j, text;
        fieldValue(t, *r, f, j, text);
        out << ", " << platform::jsonString(f.name) << ": " << j;
      }
      out << "}";
    }
    out << "\n  ]\n}\n";
    return 0;
  }
  char version[8];
  std::snprintf(version, sizeof version, "0x%02X", t.version());
  out << path << ": version " << version << ", " << t.recCount() << " records\n";
  for (const auto& f : fields)
    out << "field " << f.name << " " << f.type << " " << f.width << " " << f.decimals << "\n";
  printTags(t, false, out);
  out << "order: " << (options.tag.empty() ? "natural" : "tag " + options.tag) << "\n";
  for (long n : records) {
    auto r = t.record(n);
    if (!r) continue;
    out << "#" << n << (r->deleted() ? " *" : "");
    for (const auto& f : fields) {
      std::string j, text;
      fieldValue(t, *r, f, j, text);
      out << " " << f.name << "=" << text;
    }
    out << "\n";
  }
  return 0;
}

int queryTableTool(const std::string& path, const std::string& expression, bool all,
                   bool asJson, std::ostream& out, std::ostream& err) {
  xbase::Environment env;
  Table t(env);
  if (!openForTool(t, path, err)) return 1;
  if (!t.setQuery(expression)) {
    err << "quillon table: " << t.lastError() << "\n";
    return 1;
  }
  auto records = walk(t, all);
  if (asJson) {
    out << "{\"expression\": " << platform::jsonString(expression) << ", \"records\": [";
    for (size_t i = 0; i < records.size(); ++i) out << (i ? ", " : "") << records[i];
    out << "]}\n";
  } else {
    for (long n : records) out << n << "\n";
  }
  return 0;
}

int checkTableTool(const std::string& path, std::ostream& out, std::ostream& err) {
  int problems = 0;
  auto report = [&](const std::string& what) {
    out << "problem: " << what << "\n";
    ++problems;
  };
  std::string why;
  auto bytes = xbase::readFileBytes(path, &why);
  if (!bytes) {
    err << "quillon table: " << why << "\n";
    return 1;
  }
  auto header = xbase::parseDbfHeader(*bytes, bytes->size(), &why);
  if (!header) {
    report(why);
    out << path << ": " << problems << " problem(s)\n";
    return 1;
  }
  std::uint32_t stated = static_cast<std::uint8_t>((*bytes)[4]) |
                         static_cast<std::uint8_t>((*bytes)[5]) << 8 |
                         static_cast<std::uint8_t>((*bytes)[6]) << 16 |
                         static_cast<std::uint32_t>(static_cast<std::uint8_t>((*bytes)[7])) << 24;
  if (stated != header->recordCount)
    report("the header counts " + std::to_string(stated) + " records, the file holds " +
           std::to_string(header->recordCount));
  std::uint64_t end = header->headerLength + std::uint64_t(header->recordCount) * header->recordLength;
  if (bytes->size() > end + 1)
    out << "note: " << (bytes->size() - end) << " bytes after the last counted record\n";
  xbase::Environment env;
  Table t(env);
  if (!openForTool(t, path, err)) return 1;
  for (const auto& p : t.indexProblems()) report(p);
  // Memo pointers must lead to memos inside the memo file.
  xbase::MemoFile memo;
  bool memoOpen = !header->hasMemo() || memo.open(t.memoPath(), &why);
  if (!memoOpen) report(why);
  for (long n = 1; n <= t.recCount() && memoOpen && header->hasMemo(); ++n) {
    auto r = t.record(n);
    if (!r) continue;
    for (size_t i = 0; i < header->fields.size(); ++i) {
      const auto& f = header->fields[i];
      if (f.type != 'M') continue;
      auto block = xbase::memoBlock(r->getString(f.name), header->visualFox());
      if (!block) {
        report("record " + std::to_string(n) + " field " + f.name + ": memo pointer is not a number");
      } else if (*block && !memo.read(*block, &why)) {
        report("record " + std::to_string(n) + " field " + f.name + ": " + why);
      }
    }
  }
  out << path << ": " << t.fields().size() << " fields, " << t.recCount() << " records, "
      << t.tags().size() << " tag(s), " << problems << " problem(s)\n";
  return problems ? 1 : 0;
}

int rebuildTool(const std::string& dataFolder, std::ostream& out, std::ostream& err) {
  FaxStore store(dataFolder);
  if (!store.openFaxDBF() || !store.openRecFaxDBF()) {
    err << "quillon table: cannot open the fax tables in " << dataFolder << "\n";
    return 1;
  }
  std::vector<std::string> problems;
  bool ok = store.rebuildIndexes([&](const std::string& line) { out << line << "\n"; }, &problems);
  for (const auto& p : problems) err << "quillon table: " << p << "\n";
  if (!ok) err << "quillon table: the rebuild did not complete\n";
  return ok ? 0 : 1;
}

}  // namespace quillon::store
