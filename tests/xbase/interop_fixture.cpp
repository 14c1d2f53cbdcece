// Helper for the interop tests with independent xBase readers and writers:
//   interop_fixture write DIR         fax tables with known content (and DIR/rebuilt/ after
//                                     an index rebuild)
//   interop_fixture index FILE KEY    opens a foreign table, builds a tag on KEY, prints the
//                                     record numbers in that tag's order
#include <filesystem>
#include <iostream>

#include "store/fax_store.h"

using namespace quillon::store;
namespace fs = std::filesystem;

namespace {

void fill(FaxStore& store) {
  store.openFaxDBF();
  store.openRecFaxDBF();
  store.openPhoneDBF();
  struct S {
    const char* recipient;
    Date date;
    const char* time;
  } sent[] = {{"Zo\xeb M\xfcller", {2024, 3, 1}, "09:15"}, {"never sent", {}, ""},
              {"Bob", {2023, 12, 31}, "23:59"},           {"deleted one", {2024, 1, 1}, "10:00"},
              {"Carol", {2024, 3, 1}, "18:00"},           {"Dave", {1999, 1, 30}, "08:00"}};
  for (const auto& s : sent) {
    std::string doc = std::string("{\\rtf1 document for ") + s.recipient + "}";
    store.appendSent({s.recipient, std::string("about ") + s.recipient, "555-0100",
                      "{\\rtf1 cover}", doc});
    if (!s.date.empty()) store.writeSendOutcome(2, "Sent", "555-0100", s.date, s.time);
  }
  Table& t = store.faxTable();
  t.go(4);
  store.deleteCurrent(TableKind::Sent);
  store.appendReceived({{2024, 2, 2}, "12:00", "station one", 3, "FAX0001.APF"});
  store.appendReceived({{2024, 2, 3}, "07:30", "station two", 1, "FAX0002.APF"});
  store.appendReceived({{2022, 1, 1}, "00:00", "old", 9, "FAX0003.APF"});
  Table& p = store.phoneTable();
  for (const char* name : {"smith", "Adams", "jones", "Brown"}) {
    p.appendBlank();
    p.replace("NAME", name);
    p.replace("PHONE", "1234");
    p.commit();
  }
  store.closeAll();
}

}  // namespace

int main(int argc, char** argv) {
  std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "write" && argc == 3) {
    std::string dir = std::string(argv[2]) + "/";
    std::string rebuilt = dir + "rebuilt/";
    fs::create_directories(rebuilt);
    {
      quillon::xbase::Environment env;
      FaxStore store(dir, env);
      fill(store);
    }
    quillon::xbase::Environment env;
    FaxStore again(rebuilt, env);
    fill(again);
    again.openFaxDBF();
    again.openRecFaxDBF();
    bool ok = again.rebuildIndexes();
    again.closeAll();
    // A table large enough for interior index nodes.
    Table big(env);
    ok = Table::create(dir + "BIG.DBF", {{"NAME", 'C', 30, 0}, {"N", 'N', 6, 0}}) &&
         big.open(dir + "BIG.DBF") && ok;
    for (int i = 0; i < 5000 && ok; ++i) {
      big.appendBlank();
      big.replace("NAME", "name " + std::to_string(i * 7919 % 5003));
      big.replaceNumber("N", i);
    }
    ok = ok && big.indexTag("", "NAME", "UPPER(NAME)", false, "") &&
         big.indexTag("", "NDESC", "N", true, "");
    return ok ? 0 : 1;
  }
  if (mode == "index" && argc == 4) {
    quillon::xbase::Environment env;
    Table t(env);
    if (!t.open(argv[2]) || !t.indexTag("", "PEERTAG", argv[3], false, "")) {
      std::cerr << t.lastError() << "\n";
      return 1;
    }
    for (t.goTop(); !t.eof(); t.skip(1)) std::cout << t.recNo() << "\n";
    return 0;
  }
  std::cerr << "usage: interop_fixture write DIR | index FILE KEY\n";
  return 2;
}
