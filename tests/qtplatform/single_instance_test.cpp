#include "qtplatform/single_instance.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalSocket>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QUuid>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace quillon::qtplatform;

namespace {
QString uniqueKey() { return QStringLiteral("quillon-test-") + QUuid::createUuid().toString(QUuid::Id128).left(16); }

// A second start in its own thread, as it would be in its own process, while this thread keeps
// serving the first instance's socket. True when that start became the first instance.
bool claimFromAnotherThread(const QString& key) {
  bool secondIsFirst = true;
  std::atomic<bool> done{false};
  std::thread second([&] {
    SingleInstanceGuard guard(key);
    secondIsFirst = guard.claim();
    done = true;
  });
  QElapsedTimer timer;
  timer.start();
  while (!done && timer.elapsed() < 10000) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  second.join();
  return secondIsFirst;
}
}  // namespace

TEST(SingleInstance, KeyDependsOnUserProgramAndFolderAndIsSocketSafe) {
  QString a = SingleInstanceGuard::keyFor("quillon", "/data/one/");
  EXPECT_EQ(a, SingleInstanceGuard::keyFor("quillon", "/data/one"));  // trailing slash alike
  EXPECT_NE(a, SingleInstanceGuard::keyFor("quillon", "/data/two/"));
  EXPECT_NE(a, SingleInstanceGuard::keyFor("other", "/data/one/"));
  EXPECT_FALSE(SingleInstanceGuard::keyFor("we ird/name", "/x").contains('/'));
  EXPECT_LT(a.size(), 60);
}

TEST(SingleInstance, KeyNamesTheFolderItselfNotThePathToIt) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  QString real = dir.filePath(QStringLiteral("data"));
  ASSERT_TRUE(QDir().mkpath(real));
  QString link = dir.filePath(QStringLiteral("link"));
  ASSERT_TRUE(QFile::link(real, link));
  QString key = SingleInstanceGuard::keyFor("quillon", real + "/");
  EXPECT_EQ(key, SingleInstanceGuard::keyFor("quillon", link + "/"));
  EXPECT_EQ(key, SingleInstanceGuard::keyFor("quillon", real + "/../data/./"));
  EXPECT_NE(key, SingleInstanceGuard::keyFor("quillon", dir.path()));
}

TEST(SingleInstance, SecondClaimAsksTheFirstToComeForwardAndFails) {
  QString key = uniqueKey();
  SingleInstanceGuard first(key);
  ASSERT_TRUE(first.claim());
  int activations = 0;
  QObject::connect(&first, &SingleInstanceGuard::activationRequested, [&] { ++activations; });

  EXPECT_FALSE(claimFromAnotherThread(key));
  QCoreApplication::processEvents();
  EXPECT_EQ(activations, 1);
}

TEST(SingleInstance, ALockLeftByAGoneProcessDoesNotBlockTheNextStart) {
  QString key = uniqueKey();
  SingleInstanceGuard probe(key);
  {
    // A lock file naming a process that no longer exists, as a crash leaves it.
    QFile file(probe.lockFilePath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("999999999\nquillon\n" + QSysInfo::machineHostName().toUtf8() + "\n");
  }
  EXPECT_TRUE(probe.claim());
  EXPECT_TRUE(probe.isFirstInstance());
}

TEST(SingleInstance, ReleasedGuardLetsTheNextInstanceIn) {
  QString key = uniqueKey();
  {
    SingleInstanceGuard first(key);
    ASSERT_TRUE(first.claim());
  }
  SingleInstanceGuard next(key);
  EXPECT_TRUE(next.claim());
}

TEST(SingleInstance, StrangeRequestsNeitherActivateNorStopTheGuard) {
  QString key = uniqueKey();
  SingleInstanceGuard first(key);
  ASSERT_TRUE(first.claim());
  int activations = 0;
  QObject::connect(&first, &SingleInstanceGuard::activationRequested, [&] { ++activations; });
  for (const QByteArray& request : {QByteArray("hello\n"), QByteArray(100000, 'x'), QByteArray("activate"),
                                    QByteArray("\0\0\n", 3)}) {
    QLocalSocket socket;
    socket.connectToServer(key);
    ASSERT_TRUE(socket.waitForConnected(5000));
    socket.write(request);
    socket.flush();
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 100) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  EXPECT_EQ(activations, 0);
  // Still serving: a real second start is answered.
  EXPECT_FALSE(claimFromAnotherThread(key));
  QCoreApplication::processEvents();
  EXPECT_EQ(activations, 1);
}
