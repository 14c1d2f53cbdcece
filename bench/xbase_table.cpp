// The sent table with 100,000 faxes and their memos: append all, build the tag, open with the
// query and count, walk in tag order, edit-and-skip walks, fetch grid rows, pack. Prints rates
// and peak memory, and times independent DBF code on the same file: Python's dbfread reading
// it and python3-dbf's edit-and-skip walk (when installed).
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "store/fax_store.h"

using namespace quillon::store;
namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

long peakKb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

void report(const char* step, long items, double s) {
  std::printf("%-34s %8ld in %7.3f s  %10.0f /s  peak %ld MB\n", step, items, s,
              s > 0 ? items / s : 0.0, peakKb() / 1024);
}

}  // namespace

int main(int argc, char** argv) {
  long count = argc > 1 ? std::atol(argv[1]) : 100000;
  char pattern[] = "/tmp/quillon-bench-xbase-XXXXXX";
  std::string dir = std::string(::mkdtemp(pattern)) + "/";
  quillon::xbase::Environment env;
  std::string cover = "{\\rtf1\\ansi cover sheet " + std::string(300, 'c') + "}";
  std::string doc = "{\\rtf1\\ansi document " + std::string(1200, 'd') + "}";
  {
    FaxStore store(dir, env);
    if (!store.makeFaxDBF()) return 1;
    Table t(env);
    if (!t.open(dir + "QLN.DBF")) return 1;
    auto start = Clock::now();
    for (long i = 0; i < count; ++i) {
      t.appendBlank();
      t.replace("SUBJECT", "subject " + std::to_string(i));
      t.replace("RECIPIENT", "recipient " + std::to_string(i * 7919 % count));
      t.replace("PHONE", "555-" + std::to_string(i));
      if (i % 10 != 0) {
        t.replaceLogical("SENT", true);
        t.replaceDate("DATESENT", Date{2000 + static_cast<int>(i % 25), 1 + static_cast<int>(i % 12),
                                       1 + static_cast<int>(i % 28)});
        t.replace("TIMESENT", "12:" + std::to_string(10 + i % 50));
      }
      t.replaceNumber("PAGES", static_cast<double>(i % 99));
      t.replaceMemo("RTFCOVER", cover);
      t.replaceMemo("RTFDOC", doc);
      t.commit();
    }
    report("append with two memos", count, seconds(start));
    start = Clock::now();
    t.indexTag("", "DATESENT", "DTOS(DATESENT)+TIMESENT", true, ".not. deleted()");
    report("build the DATESENT tag", count, seconds(start));
  }
  FaxStore store(dir, env);
  auto start = Clock::now();
  if (!store.openFaxDBF()) return 1;
  Table& t = store.faxTable();
  long visible = t.queryRecCount();
  report("open (index checked) + query count", visible, seconds(start));
  start = Clock::now();
  long walked = 0;
  std::size_t bytes = 0;
  for (t.goTop(); !t.eof(); t.skip(1), ++walked) bytes += t.getTrimmed("RECIPIENT").size();
  report("walk in tag order", walked, seconds(start));
  // The cleanup windows' walk: change a field of each record and step on (skip commits).
  start = Clock::now();
  long edited = 0;
  for (t.goTop(); !t.eof(); t.skip(1), ++edited) t.replace("LASTRESULT", "walked " + std::to_string(edited));
  report("edit-and-skip walk in tag order", edited, seconds(start));
  start = Clock::now();
  edited = 0;
  t.setOrder(0);
  for (t.goTop(); !t.eof(); t.skip(1), ++edited) t.replace("LASTRESULT", "again " + std::to_string(edited));
  report("edit-and-skip walk, natural order", edited, seconds(start));
  t.setOrder(t.tagArea("DATESENT"));
  start = Clock::now();
  long rows = t.viewCount();
  for (long i = 0; i < 100000; ++i) {
    auto r = t.record(t.viewRecNo((i * 7919) % rows));
    bytes += r ? r->getTrimmed("SUBJECT").size() : 0;
  }
  report("grid rows fetched at random", 100000, seconds(start));
  start = Clock::now();
  long memoBytes = 0;
  for (long n = 1; n <= t.recCount(); ++n) memoBytes += static_cast<long>(t.memoAt(n, "RTFDOC").size());
  report("read every document memo", t.recCount(), seconds(start));
  for (long n = 1; n <= t.recCount(); n += 10) {
    t.go(n);
    t.deleteRecord();
  }
  start = Clock::now();
  t.pack();
  report("pack (10% flagged)", t.recCount(), seconds(start));
  store.closeAll();
  std::printf("files: QLN.DBF %ju bytes, QLN.FPT %ju bytes, QLN.CDX %ju bytes\n",
              static_cast<std::uintmax_t>(fs::file_size(dir + "QLN.DBF")),
              static_cast<std::uintmax_t>(fs::file_size(dir + "QLN.FPT")),
              static_cast<std::uintmax_t>(fs::file_size(dir + "QLN.CDX")));

  // The peer: an independent reader over the same packed file, records and memos.
  std::string peer =
      "python3 -c \"import sys, time\n"
      "try:\n import dbfread\nexcept ImportError:\n print('peer: python3-dbfread not installed'); sys.exit(0)\n"
      "t0 = time.time(); n = 0; m = 0\n"
      "for r in dbfread.DBF(sys.argv[1]):\n n += 1; m += len(r['RTFDOC'] or '')\n"
      "s = time.time() - t0\n"
      "print('%-34s %8d in %7.3f s  %10.0f /s' % ('peer dbfread: records + memos', n, s, n / s))\" " +
      dir + "QLN.DBF";
  start = Clock::now();
  long ours = 0;
  {
    quillon::xbase::Environment e2;
    Table again(e2);
    again.open(dir + "QLN.DBF", quillon::xbase::OpenMode::ReadOnly);
    for (long n = 1; n <= again.recCount(); ++n) {
      auto r = again.record(n);
      ours += static_cast<long>(again.memoAt(n, "RTFDOC").size()) + (r ? 1 : 0);
    }
    report("quillon: open + records + memos", again.recCount(), seconds(start));
  }
  // The peer's edit-and-skip walk: python3-dbf changes the same field of every record.
  std::string peerEdit =
      "python3 -c \"import sys, time\n"
      "try:\n import dbf\nexcept ImportError:\n print('peer: python3-dbf not installed'); sys.exit(0)\n"
      "t = dbf.Table(sys.argv[1]); t.open(dbf.READ_WRITE)\n"
      "t0 = time.time(); n = 0\n"
      "for r in t:\n with r: r.lastresult = 'walked %d' % n\n n += 1\n"
      "s = time.time() - t0; t.close()\n"
      "print('%-34s %8d in %7.3f s  %10.0f /s' % ('peer dbf: edit-and-skip walk', n, s, n / s))\" " +
      dir + "QLN.DBF";
  std::fflush(stdout);
  if (std::system(("PATH=/usr/bin:$PATH " + peer).c_str()) != 0) std::printf("peer failed\n");
  if (std::system(("PATH=/usr/bin:$PATH " + peerEdit).c_str()) != 0) std::printf("peer failed\n");
  fs::remove_all(dir);
  return bytes > 0 && memoBytes > 0 && ours > 0 ? 0 : 1;
}
