#include "app/application.h"

#include <QApplication>
#include <QFileInfo>

#include <iostream>

#include "app/app_identity.h"
#include "app/hints.h"
#include "app/input_query_form.h"
#include "app/main_screen.h"
#include "app/starting_fax_form.h"
#include "platform/data_folder.h"
#include "platform/message_pump.h"
#include "platform/version.h"
#include "qtplatform/qt_main_thread.h"
#include "qtplatform/single_instance.h"

namespace quillon::app {

namespace {
// Without any display Qt would abort; say what is missing instead.
bool displayAvailable() {
  // An empty variable names no display either.
  return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || !qEnvironmentVariableIsEmpty("DISPLAY") ||
         !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}
}  // namespace

int runApplication(int argc, char** argv, const std::optional<std::string>& dataDir, const MainScreenSetup& setUp) {
  if (!displayAvailable()) {
    std::cerr << "quillon: no display to open the window on (DISPLAY is not set); "
                 "commands run without one, see quillon --help\n";
    return 1;
  }
  QApplication application(argc, argv);
  qtplatform::QtPlatformInstallation platformLayer;
  application.setStyle(new HintTimingStyle(application.style()->name()));

  auto folder = platform::chooseDataFolder(dataDir);
  if (!folder.notice.empty()) std::cerr << folder.notice << "\n";
  platform::setDataFolder(folder.path);

  // 1. One instance per user and data folder: a second start hands over and ends here,
  // before any window exists.
  QString executable = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
  if (executable.endsWith(QStringLiteral("-gui"))) executable.chop(4);  // quillon-gui runs the windows of quillon
  qtplatform::SingleInstanceGuard guard(
      qtplatform::SingleInstanceGuard::keyFor(executable, QString::fromStdString(folder.path)));
  if (!guard.claim()) return 0;

  // 2. The version ("2.8i") is kVersion, written to QLN.INI with every save.
  // 4. Pending events first, then the title.
  platform::pumpMessages();
  setApplicationIdentity();

  // 5. The main window, then the shared input dialog, then the receive-mode notice.
  TMainScreen mainScreen(folder.path);
  if (mainScreen.creationFailed()) return 1;
  if (setUp) setUp(mainScreen);
  QObject::connect(&guard, &qtplatform::SingleInstanceGuard::activationRequested, &mainScreen,
                   &TMainScreen::bringToFront);
  TInputQueryForm inputQuery(&mainScreen);
  setInputQueryForm(&inputQuery);
  TStartingFaxForm startingFax(&mainScreen);
  mainScreen.setStartingFaxForm(&startingFax);

  mainScreen.FormActivate();
  return application.exec();
}

}  // namespace quillon::app
