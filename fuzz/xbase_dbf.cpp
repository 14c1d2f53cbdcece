// Any bytes as a .DBF table: open it read-only, walk it in natural order, read every field,
// run a query and a logical expression.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "xbase/table.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace quillon::xbase;
  static const std::string dir = [] {
    char pattern[] = "/tmp/quillon-fuzz-dbf-XXXXXX";
    return std::string(::mkdtemp(pattern)) + "/";
  }();
  {
    std::ofstream out(dir + "T.DBF", std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  Environment env;
  Table t(env);
  if (!t.open(dir + "T.DBF", OpenMode::ReadOnly)) return 0;
  long walked = 0;
  for (t.goTop(); !t.eof() && walked <= t.recCount(); t.skip(1), ++walked) {
    for (const auto& f : t.fields()) {
      t.getString(f.name);
      t.getNumber(f.name);
      t.getDate(f.name);
      t.getLogical(f.name);
    }
    t.deleted();
  }
  if (walked > t.recCount()) __builtin_trap();  // a walk never runs past the records
  if (!t.fields().empty()) {
    t.setQuery(".not. deleted() .and. .not. EMPTY(" + t.fields()[0].name + ")");
    t.queryRecCount();
    t.goTop();
    t.evalLogical("EMPTY(" + t.fields()[0].name + ")");
  }
  return 0;
}
