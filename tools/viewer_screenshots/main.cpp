// quillon-viewer-screenshots OUTDIR: a received 3-page fine fax in the viewer window at 25 %,
// 75 % and 100 % and turned 90 degrees, and the print status window while it prints.
#include <QApplication>
#include <QToolButton>
#include <QDir>
#include <QPixmap>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>

#include "compose/fax_viewer_window.h"
#include "compose/letter_fax.h"
#include "compose/print_status_display.h"
#include "qtplatform/qt_main_thread.h"

namespace {
void settle() {
  for (int i = 0; i < 10; ++i) {
    QApplication::processEvents();
    QThread::msleep(20);
  }
}

bool save(QWidget* w, const QString& path) {
  settle();
  bool ok = w->grab().save(path);
  std::printf("%s %s\n", ok ? "saved" : "FAILED", qPrintable(path));
  return ok;
}
}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  quillon::qtplatform::QtPlatformInstallation platformLayer;
  if (argc < 2) {
    std::fprintf(stderr, "usage: quillon-viewer-screenshots OUTDIR\n");
    return 2;
  }
  QString out = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(out);
  QTemporaryDir data;
  std::string folder = QDir(data.path()).absolutePath().toStdString() + "/";
  std::string fax = folder + "FAX0003.APF";
  if (quillon::test::writeLetterFax(fax, 3, true) != 0) return 1;
  quillon::settings::SettingsStore settings(folder);

  quillon::compose::TFaxViewer viewer(settings);
  viewer.FileName = fax;
  viewer.HeaderText = "From: ACME SALES             Received: 12/8/26 at 10:15             Fax File: " + fax;
  viewer.resize(980, 760);
  viewer.show();
  settle();
  bool ok = save(&viewer, out + "/viewer-initial.png");
  for (int zoom : {25, 75, 100}) {
    viewer.applyZoom(zoom);
    ok &= save(&viewer, out + QStringLiteral("/viewer-%1.png").arg(zoom));
  }
  viewer.applyZoom(50);
  viewer.setRotation(1);
  viewer.NextButton->click();
  ok &= save(&viewer, out + "/viewer-rotated-90.png");

  // The status window while page 2 prints to a PDF file.
  viewer.setRotation(0);
  viewer.FaxPrinter.SetFileName(fax);
  viewer.FaxPrinter.printer().setOutputFormat(QPrinter::PdfFormat);
  viewer.FaxPrinter.printer().setOutputFileName(QString::fromStdString(folder + "print.pdf"));
  viewer.FaxPrinter.OnFaxPrintStatus = [&](quillon::compose::TApdFaxPrinter& p, int status) {
    if (p.CurrentPage() == 2 && status == quillon::compose::ppRendering) ok &= save(viewer.PrinterStatus, out + "/print-status.png");
  };
  viewer.FaxPrinter.PrintFax();
  return ok ? 0 : 1;
}
