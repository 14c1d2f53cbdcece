#include "qtplatform/single_instance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QRegularExpression>

#include <unistd.h>

namespace quillon::qtplatform {

namespace {
constexpr char kActivate[] = "activate\n";
constexpr char kAcknowledge[] = "ok\n";
constexpr int kHandOverMilliseconds = 2000;
constexpr qint64 kLongestRequest = 64;

QString lockFolder() {
  // The per-user runtime folder when there is one; the temporary folder otherwise (the key
  // carries the user id, so users never meet there).
  QString dir = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (dir.isEmpty() || !QDir(dir).exists()) dir = QDir::tempPath();
  return dir;
}
}  // namespace

SingleInstanceGuard::SingleInstanceGuard(const QString& key, QObject* parent)
    : QObject(parent), key_(key) {}

SingleInstanceGuard::~SingleInstanceGuard() {
  if (server_) server_->close();
}

QString SingleInstanceGuard::keyFor(const QString& executableName, const QString& dataFolder) {
  // The folder by its canonical path, so that a start through a symbolic link or a relative
  // path meets the instance that opened the same tables; a folder that does not exist yet
  // has none and enters as written.
  QString folder = QFileInfo(dataFolder).canonicalFilePath();
  if (folder.isEmpty()) folder = QDir::cleanPath(QFileInfo(dataFolder).absoluteFilePath());
  // Socket names must be short, so the folder enters as a hash.
  QByteArray folderHash =
      QCryptographicHash::hash(folder.toUtf8(), QCryptographicHash::Sha1).toHex().left(12);
  QString name = executableName;
  name.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9_.-]")), QStringLiteral("_"));
  return QStringLiteral("%1-%2-%3").arg(name).arg(::getuid()).arg(QString::fromLatin1(folderHash));
}

QString SingleInstanceGuard::lockFilePath() const { return lockFolder() + QLatin1Char('/') + key_ + QStringLiteral(".lock"); }

bool SingleInstanceGuard::claim() {
  if (server_) return true;
  lock_ = std::make_unique<QLockFile>(lockFilePath());
  // Held for the whole run: only a lock whose process is gone counts as stale, never an old one.
  lock_->setStaleLockTime(0);
  if (!lock_->tryLock(0)) {
    lock_.reset();
    notifyRunningInstance(key_);
    return false;
  }
  auto* server = new QLocalServer(this);
  server->setSocketOptions(QLocalServer::UserAccessOption);
  // A socket file left behind by a crashed instance: we hold the lock, so it is ours to clear.
  if (!server->listen(key_)) {
    QLocalServer::removeServer(key_);
    server->listen(key_);
  }
  server_ = server;
  connect(server_, &QLocalServer::newConnection, this, &SingleInstanceGuard::acceptConnections);
  return true;
}

void SingleInstanceGuard::acceptConnections() {
  while (QLocalSocket* socket = server_->nextPendingConnection()) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
      while (socket->canReadLine()) {
        if (socket->readLine(kLongestRequest + 1) == kActivate) {
          socket->write(kAcknowledge);
          socket->flush();
          emit activationRequested();
        }
      }
      // Anything else that is not a short request line is not ours: drop the caller
      // rather than buffer without end.
      if (socket->bytesAvailable() > kLongestRequest) socket->abort();
    });
  }
}

bool SingleInstanceGuard::notifyRunningInstance(const QString& key) {
  // A first instance that hangs must not keep the second start alive: every wait is bounded.
  QLocalSocket socket;
  socket.connectToServer(key);
  if (!socket.waitForConnected(kHandOverMilliseconds)) return false;
  socket.write(kActivate);
  if (!socket.waitForBytesWritten(kHandOverMilliseconds)) return false;
  bool acknowledged = socket.waitForReadyRead(kHandOverMilliseconds) && socket.readLine() == kAcknowledge;
  socket.disconnectFromServer();
  return acknowledged;
}

}  // namespace quillon::qtplatform
