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
  QString folder = QString::fromStdString(dir.path());
  QString executable = QStringLiteral(QUILLON_EXECUTABLE);
  qtplatform::SingleInstanceGuard first(
      qtplatform::SingleInstanceGuard::keyFor(QFileInfo(executable).fileName(), folder));
  ASSERT_TRUE(first.claim());
  int activations = 0;
  QObject::connect(&first, &qtplatform::SingleInstanceGuard::activationRequested, [&] { ++activations; });

  QProcess second;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  second.setProcessEnvironment(env);
  second.start(executable, {QStringLiteral("--data-dir"), folder});
  ASSERT_TRUE(second.waitForStarted(10000));
  // Serve the first instance's socket while the second one runs.
  QElapsedTimer timer;
  timer.start();
  while (second.state() != QProcess::NotRunning && timer.elapsed() < 30000) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    second.waitForFinished(20);
  }
  ASSERT_EQ(second.state(), QProcess::NotRunning) << "the second start did not end";
  EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(second.exitCode(), 0);
  QCoreApplication::processEvents();
  EXPECT_EQ(activations, 1);
  // It ended before the main window's start-up: no tables were created.
  EXPECT_FALSE(std::filesystem::exists(dir.file("QLN.DBF")));
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
