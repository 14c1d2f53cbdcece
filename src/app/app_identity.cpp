#include "app/app_identity.h"

#include <QApplication>

#include "platform/version.h"

namespace quillon::app {

QIcon applicationIcon() {
  static const QIcon icon = [] {
    QIcon i;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) i.addFile(QStringLiteral(":/icons/quillon-%1.png").arg(size), QSize(size, size));
    return i;
  }();
  return icon;
}

void setApplicationIdentity() {
  QApplication::setApplicationName(QString::fromLatin1(kApplicationTitle));
  QApplication::setApplicationVersion(QString::fromLatin1(kVersion));
  QApplication::setWindowIcon(applicationIcon());
}

}  // namespace quillon::app
