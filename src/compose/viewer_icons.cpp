#include "compose/viewer_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include "qtplatform/drawn_icon.h"

namespace quillon::compose {
namespace {

constexpr int kSize = 22;
const QColor kInk(0x20, 0x2a, 0x38);
const QColor kAccent(0x1f, 0x6f, 0xc8);

// A triangle pointing left or right, at x, with an optional bar before it.
void arrow(QPainter& p, bool right, bool bar) {
  p.setPen(Qt::NoPen);
  p.setBrush(kAccent);
  QPainterPath path;
  double tip = right ? 16 : 6, base = right ? 7 : 15;
  path.moveTo(base, 5);
  path.lineTo(tip, 11);
  path.lineTo(base, 17);
  path.closeSubpath();
  p.drawPath(path);
  if (bar) p.fillRect(right ? QRectF(16.5, 5, 2.5, 12) : QRectF(3, 5, 2.5, 12), kInk);
}

void magnifier(QPainter& p, bool plus) {
  p.setPen(QPen(kInk, 2));
  p.setBrush(Qt::white);
  p.drawEllipse(QPointF(9, 9), 6, 6);
  p.setPen(QPen(kInk, 3, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(13.5, 13.5), QPointF(19, 19));
  p.setPen(QPen(kAccent, 2));
  p.drawLine(QPointF(6, 9), QPointF(12, 9));
  if (plus) p.drawLine(QPointF(9, 6), QPointF(9, 12));
}

void printer(QPainter& p) {
  p.setPen(QPen(kInk, 1.2));
  p.setBrush(Qt::white);
  p.drawRect(QRectF(6, 2.5, 10, 7));  // paper going in
  p.setBrush(QColor(0xd8, 0xdc, 0xe2));
  p.drawRoundedRect(QRectF(2.5, 8.5, 17, 8), 1.5, 1.5);
  p.setBrush(Qt::white);
  p.drawRect(QRectF(6, 13.5, 10, 6));  // paper coming out
  p.setPen(QPen(kAccent, 1));
  p.drawLine(QPointF(7.5, 16), QPointF(14.5, 16));
}

void draw(QPainter& p, ViewerIcon kind) {
  switch (kind) {
    case ViewerIcon::First: arrow(p, false, true); break;
    case ViewerIcon::Prev: arrow(p, false, false); break;
    case ViewerIcon::Next: arrow(p, true, false); break;
    case ViewerIcon::Last: arrow(p, true, true); break;
    case ViewerIcon::ZoomIn: magnifier(p, true); break;
    case ViewerIcon::ZoomOut: magnifier(p, false); break;
    case ViewerIcon::Print: printer(p); break;
    case ViewerIcon::PrinterSetup: {
      printer(p);
      p.setPen(QPen(kAccent, 1.6));
      p.setBrush(Qt::white);
      p.drawEllipse(QPointF(17, 17), 3.5, 3.5);
      p.drawPoint(QPointF(17, 17));
      break;
    }
    case ViewerIcon::PrintPage: {
      printer(p);
      QFont font(QStringLiteral("DejaVu Sans"));
      font.setPixelSize(9);
      font.setBold(true);
      p.setFont(font);
      p.setPen(Qt::white);
      p.setBrush(kAccent);
      p.drawEllipse(QPointF(17, 16.5), 5, 5);
      p.drawText(QRectF(12, 11.5, 10, 10), Qt::AlignCenter, QStringLiteral("1"));
      break;
    }
  }
}

}  // namespace

QIcon viewerIcon(ViewerIcon kind) {
  return qtplatform::drawnIcon(kSize, [kind](QPainter& p) { draw(p, kind); });
}

}  // namespace quillon::compose
