// Start-up to a shown main window with 100,000 sent faxes, and the memory it takes.
// Each side runs in a child process of its own so their memory figures do not mix:
//   quillon  the real TMainScreen (grids fetch rows on demand);
//   peer     the same rows read whole into a QStandardItemModel under a QTableView, the usual
//            way of filling a grid.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardItemModel>
#include <QTableView>
#include <QTemporaryDir>

#include <cstdio>
#include <fstream>
#include <string>

#include "app/fax_list_model.h"
#include "app/list_columns.h"
#include "app/main_screen.h"
#include "app/sample_faxes.h"
#include "store/fax_store.h"

namespace {
constexpr int kRecords = 100000;

long statusKb(const char* key) {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line))
    if (line.rfind(key, 0) == 0) return std::stol(line.substr(std::string(key).size()));
  return -1;
}

void waitPainted(QWidget& w) {
  w.show();
  for (int i = 0; i < 5; ++i) QApplication::processEvents();
  w.grab();  // forces a full paint of the window as it is now
}

int runQuillon(const std::string& folder) {
  long before = statusKb("VmRSS:");
  QElapsedTimer timer;
  timer.start();
  quillon::app::TMainScreen window(folder);
  if (window.creationFailed()) return 1;
  window.FormActivate();
  waitPainted(window);
  qint64 ms = timer.elapsed();
  std::printf("quillon  start-up %6lld ms  rows %6d  memory +%ld KiB (peak %ld KiB)\n", static_cast<long long>(ms),
              window.sentModel().rowCount(), statusKb("VmRSS:") - before, statusKb("VmHWM:"));
  window.close();
  return 0;
}

int runPeer(const std::string& folder) {
  long before = statusKb("VmRSS:");
  QElapsedTimer timer;
  timer.start();
  quillon::store::FaxStore store(folder);
  if (!store.openFaxDBF()) return 1;
  quillon::store::Table& table = store.faxTable();
  table.setOrder(table.tagArea("DATESENT"));
  const auto& fields = quillon::app::outgoingListLayout().fields;
  QStandardItemModel model(0, static_cast<int>(fields.size()));
  for (long i = 0, n = table.viewCount(); i < n; ++i) {
    auto record = table.record(table.viewRecNo(i));
    if (!record) continue;
    QList<QStandardItem*> row;
    for (const auto& field : fields)
      row << new QStandardItem(QString::fromLatin1(record->getString(field)).trimmed());
    model.appendRow(row);
  }
  QTableView view;
  view.setModel(&model);
  view.resize(820, 520);
  waitPainted(view);
  qint64 ms = timer.elapsed();
  std::printf("peer     start-up %6lld ms  rows %6d  memory +%ld KiB (peak %ld KiB)\n", static_cast<long long>(ms),
              model.rowCount(), statusKb("VmRSS:") - before, statusKb("VmHWM:"));
  return 0;
}
}  // namespace

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  if (argc == 3) {  // a child: quillon|peer FOLDER
    QApplication application(argc, argv);
    std::string side = argv[1];
    return side == "peer" ? runPeer(argv[2]) : runQuillon(argv[2]);
  }
  QApplication application(argc, argv);
  QTemporaryDir data;
  std::string folder = QDir(data.path()).absolutePath().toStdString() + "/";
  std::ofstream(folder + "QLN.INI") << "[Modem]\r\nComPort=0\r\n";
  QElapsedTimer fill;
  fill.start();
  {
    quillon::store::FaxStore store(folder);
    if (!store.openFaxDBF() || !store.openRecFaxDBF() || !quillon::test::addSampleFaxes(store, kRecords, 100)) {
      std::fprintf(stderr, "cannot create the sample tables\n");
      return 1;
    }
  }
  std::printf("%d sent faxes written in %lld ms\n", kRecords, static_cast<long long>(fill.elapsed()));
  std::fflush(stdout);
  int status = 0;
  for (const char* side : {"quillon", "peer"}) {
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(side), QString::fromStdString(folder)});
    if (!child.waitForFinished(600000) || child.exitCode() != 0) status = 1;
  }
  return status;
}
