// A second start of the real program while a first instance runs: it must bring the first
// forward and end before it shows a window.
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QElapsedTimer>
#include <QProcess>

#include <gtest/gtest.h>

#include <filesystem>

#include "qtplatform/single_instance.h"
#include "support/temp_dir.h"

using namespace quillon;

TEST(SecondInstance, BringsTheFirstForwardAndEndsBeforeAnyWindow) {
  test::TempDir dir;
  std::filesystem::create_directory(dir.file("data"));
  std::filesystem::create_directory_symlink(dir.file("data"), dir.file("link"));
  QString folder = QString::fromStdString(dir.file("data") + "/");
  QString executable = QStringLiteral(QUILLON_EXECUTABLE);
  qtplatform::SingleInstanceGuard first(
      qtplatform::SingleInstanceGuard::keyFor(QFileInfo(executable).fileName(), folder));
  ASSERT_TRUE(first.claim());
  int activations = 0;
  QObject::connect(&first, &qtplatform::SingleInstanceGuard::activationRequested, [&] { ++activations; });

  // Started on the same folder, and through a symbolic link to it.
  for (const std::string& path : {dir.file("data"), dir.file("link") + "/"}) {
    QProcess second;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    second.setProcessEnvironment(env);
    second.start(executable, {QStringLiteral("--data-dir"), QString::fromStdString(path)});
    ASSERT_TRUE(second.waitForStarted(10000));
    // Serve the first instance's socket while the second one runs.
    QElapsedTimer timer;
    timer.start();
    while (second.state() != QProcess::NotRunning && timer.elapsed() < 30000) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
      second.waitForFinished(20);
    }
    ASSERT_EQ(second.state(), QProcess::NotRunning) << "the second start did not end: " << path;
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0) << path << ": " << second.readAllStandardError().toStdString();
    QCoreApplication::processEvents();
    // It ended before the main window's start-up: no tables were created.
    EXPECT_FALSE(std::filesystem::exists(dir.file("data/QLN.DBF"))) << path;
  }
  EXPECT_EQ(activations, 2);
}

TEST(StartWithoutDisplay, SaysWhatIsMissingInsteadOfAborting) {
  test::TempDir dir;
  QProcess start;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) env.remove(QString::fromLatin1(name));
  start.setProcessEnvironment(env);
  start.start(QStringLiteral(QUILLON_EXECUTABLE), {QStringLiteral("--data-dir"), QString::fromStdString(dir.path())});
  ASSERT_TRUE(start.waitForFinished(30000));
  EXPECT_EQ(start.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(start.exitCode(), 1);
  EXPECT_TRUE(start.readAllStandardError().contains("no display"));
}

TEST(StartUnderScaling, PlacesTheWindowInTheSectionOfTheScreensPixelsPerInch) {
  test::TempDir dir;
  dir.write("QLN.INI", "[Modem]\r\nComPort=0\r\n");
  QProcess start;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  env.insert(QStringLiteral("QT_SCALE_FACTOR"), QStringLiteral("1.25"));  // 120 screen pixels per inch
  start.setProcessEnvironment(env);
  start.start(QStringLiteral(QUILLON_EXECUTABLE), {QStringLiteral("--data-dir"), QString::fromStdString(dir.path())});
  ASSERT_TRUE(start.waitForStarted(10000));
  // The first activation restores the placement and saves it straight back.
  QElapsedTimer timer;
  timer.start();
  std::string ini;
  while (timer.elapsed() < 20000 && start.state() == QProcess::Running) {
    ini = dir.read("QLN.INI");
    if (ini.find("_Placement") != std::string::npos) break;
    start.waitForFinished(50);
  }
  start.kill();
  start.waitForFinished(5000);
  EXPECT_NE(ini.find("[TMainScreen_Placement120]"), std::string::npos) << ini;
}
