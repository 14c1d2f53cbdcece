#include "qtplatform/drawn_icon.h"

#include <QPainter>
#include <QPixmap>

namespace quillon::qtplatform {

QIcon drawnIcon(int size, const std::function<void(QPainter&)>& draw) {
  QIcon icon;
  for (int ratio : {1, 2}) {
    QPixmap pixmap(size * ratio, size * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    draw(p);
    p.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}

}  // namespace quillon::qtplatform
