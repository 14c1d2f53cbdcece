#pragma once
// One running Quillon per user and data folder: the tables are opened exclusively, so a
// second start must hand over to the first. The first instance holds a lock file and listens
// on a local socket; a second start finds the lock taken, asks the first through the socket
// to come to the front, and ends before it shows any window.
#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>

namespace quillon::qtplatform {

class SingleInstanceGuard : public QObject {
  Q_OBJECT

 public:
  // `key` names the lock and the socket; see keyFor().
  explicit SingleInstanceGuard(const QString& key, QObject* parent = nullptr);
  ~SingleInstanceGuard() override;

  // The key for this user, the executable's file name and the data folder (by its canonical
  // path: every way of naming the same folder gives the same key).
  static QString keyFor(const QString& executableName, const QString& dataFolder);

  // True when this is the first instance (the lock is now held and the socket listens).
  // Otherwise the running instance has been asked to come to the front and the caller ends.
  bool claim();

  bool isFirstInstance() const { return server_ != nullptr; }
  QString lockFilePath() const;

 signals:
  // A later start asked this instance to come to the front.
  void activationRequested();

 private:
  void acceptConnections();
  static bool notifyRunningInstance(const QString& key);

  QString key_;
  std::unique_ptr<QLockFile> lock_;
  QLocalServer* server_ = nullptr;
};

}  // namespace quillon::qtplatform
