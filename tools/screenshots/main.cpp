// quillon-screenshots OUTDIR [--sent N] [--received N] [--size WxH]: opens the main window on a
// fresh data folder filled with sample faxes and saves main-outgoing.png, main-incoming.png, a
// help page, the composing windows while a fax is made through them, and the rendered pages.
// Without --size the window keeps the size it opens with.
#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTabBar>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>
#include <fstream>

#include "app/help_window.h"
#include "compose_shots.h"
#include "app/main_screen.h"
#include "app/sample_faxes.h"
#include "qtplatform/qt_main_thread.h"

namespace {
void settle() {
  for (int i = 0; i < 10; ++i) {
    QApplication::processEvents();
    QThread::msleep(20);
  }
}
}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  quillon::qtplatform::QtPlatformInstallation platformLayer;
  QStringList args = application.arguments().mid(1);
  if (args.isEmpty()) {
    std::fprintf(stderr, "usage: quillon-screenshots OUTDIR [--sent N] [--received N] [--size WxH]\n");
    return 2;
  }
  QString out = args.takeFirst();
  int sent = 24, received = 12;
  QSize size;
  for (int i = 0; i + 1 < args.size(); i += 2) {
    if (args[i] == "--sent") sent = args[i + 1].toInt();
    if (args[i] == "--received") received = args[i + 1].toInt();
    if (args[i] == "--size") {
      QStringList wh = args[i + 1].split(QLatin1Char('x'));
      if (wh.size() == 2) size = QSize(wh[0].toInt(), wh[1].toInt());
    }
  }
  QDir().mkpath(out);
  QTemporaryDir data;
  std::string folder = QDir(data.path()).absolutePath().toStdString() + "/";
  std::ofstream(folder + "QLN.INI") << "[Modem]\r\nComPort=0\r\n";  // configured: no first-run wizard

  {
    quillon::store::FaxStore store(folder);
    if (!store.openFaxDBF() || !store.openRecFaxDBF() || !quillon::test::addSampleFaxes(store, sent, received)) {
      std::fprintf(stderr, "quillon-screenshots: cannot create the sample faxes\n");
      return 1;
    }
  }
  // Started as a user would start it, on the folder that now holds the faxes.
  quillon::app::TMainScreen window(folder);
  if (window.creationFailed()) return 1;
  window.FormActivate();
  if (size.isValid()) window.resize(size);
  window.move(20, 20);
  window.SetButtons();
  settle();
  bool ok = window.grab().save(out + "/main-outgoing.png");
  window.TabSet1->setCurrentIndex(1);
  settle();
  ok = window.grab().save(out + "/main-incoming.png") && ok;
  quillon::app::HelpWindow* help = quillon::app::showHelp(quillon::app::kHelpTroubleshooting);
  settle();
  ok = help->grab().save(out + "/help-troubleshooting.png") && ok;
  help->close();
  ok = quillon::screenshots::addComposeSamples(window) && quillon::screenshots::composeScreenshots(window, out) && ok;
  window.close();
  std::printf("%s\n", ok ? "saved the main window, help, composing windows and rendered pages"
                          : "saving failed");
  return ok ? 0 : 1;
}
