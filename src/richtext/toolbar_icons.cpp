#include "richtext/toolbar_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include "qtplatform/drawn_icon.h"

namespace quillon::richtext {
namespace {

constexpr int kSize = 20;
const QColor kInk(0x20, 0x2a, 0x38);
const QColor kAccent(0x1f, 0x6f, 0xc8);

void letter(QPainter& p, const QString& text, bool bold, bool italic, bool underline) {
  QFont font(QStringLiteral("DejaVu Serif"));
  font.setPixelSize(15);
  font.setBold(bold);
  font.setItalic(italic);
  font.setUnderline(underline);
  p.setFont(font);
  p.setPen(kInk);
  p.drawText(QRect(0, 0, kSize, kSize), Qt::AlignCenter, text);
}

// Four lines of text set left, right, centred or justified.
void lines(QPainter& p, Qt::Alignment align) {
  p.setPen(QPen(kInk, 1.6, Qt::SolidLine, Qt::FlatCap));
  const int widths[] = {14, 9, 14, 10};
  for (int i = 0; i < 4; ++i) {
    int w = align == Qt::AlignJustify ? 14 : widths[i];
    int x = align == Qt::AlignRight ? 17 - w : align == Qt::AlignHCenter ? (kSize - w) / 2 : 3;
    const double y = 4.5 + i * 4;
    p.drawLine(QPointF(x, y), QPointF(x + w, y));
  }
}

void sheet(QPainter& p, const QRectF& r, bool lined) {
  p.setPen(QPen(kInk, 1));
  p.setBrush(Qt::white);
  p.drawRect(r);
  if (!lined) return;
  p.setPen(QPen(QColor(0x80, 0x88, 0x94), 1));
  for (double y = r.top() + 3; y < r.bottom() - 1; y += 2.5) p.drawLine(QPointF(r.left() + 2, y), QPointF(r.right() - 2, y));
}

void draw(QPainter& p, ToolIcon kind) {
  switch (kind) {
    case ToolIcon::Normal: letter(p, QStringLiteral("A"), false, false, false); break;
    case ToolIcon::Bold: letter(p, QStringLiteral("B"), true, false, false); break;
    case ToolIcon::Italic: letter(p, QStringLiteral("I"), false, true, false); break;
    case ToolIcon::Underline: letter(p, QStringLiteral("U"), false, false, true); break;
    case ToolIcon::AlignLeft: lines(p, Qt::AlignLeft); break;
    case ToolIcon::AlignRight: lines(p, Qt::AlignRight); break;
    case ToolIcon::AlignJustify: lines(p, Qt::AlignJustify); break;
    case ToolIcon::AlignCentre: lines(p, Qt::AlignHCenter); break;
    case ToolIcon::Copy:
      sheet(p, QRectF(3.5, 2.5, 9, 11), true);
      sheet(p, QRectF(7.5, 6.5, 9, 11), true);
      break;
    case ToolIcon::Cut: {
      p.setPen(QPen(kInk, 1.5));
      p.drawLine(QPointF(6, 3), QPointF(12.5, 13));
      p.drawLine(QPointF(14, 3), QPointF(7.5, 13));
      p.setBrush(Qt::NoBrush);
      p.setPen(QPen(kAccent, 1.6));
      p.drawEllipse(QPointF(6, 15.5), 2.6, 2.6);
      p.drawEllipse(QPointF(14, 15.5), 2.6, 2.6);
      break;
    }
    case ToolIcon::Paste:
      p.setPen(QPen(kInk, 1));
      p.setBrush(QColor(0xc8, 0x96, 0x50));
      p.drawRoundedRect(QRectF(3.5, 3.5, 11, 14), 1.5, 1.5);
      p.setBrush(QColor(0x90, 0x98, 0xa4));
      p.drawRect(QRectF(6.5, 2.5, 5, 3));
      sheet(p, QRectF(9.5, 8.5, 8, 9), true);
      break;
    case ToolIcon::Spell: {
      QFont font(QStringLiteral("DejaVu Sans"));
      font.setPixelSize(8);
      font.setBold(true);
      p.setFont(font);
      p.setPen(kInk);
      p.drawText(QRect(0, 1, kSize, 9), Qt::AlignCenter, QStringLiteral("ABC"));
      p.setPen(QPen(QColor(0x20, 0x98, 0x40), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
      QPainterPath tick;
      tick.moveTo(5, 13.5);
      tick.lineTo(8.5, 17);
      tick.lineTo(15.5, 10.5);
      p.setBrush(Qt::NoBrush);
      p.drawPath(tick);
      break;
    }
    case ToolIcon::ParagraphProperties: letter(p, QString(QChar(0x00B6)), true, false, false); break;
    case ToolIcon::PageBreak:
      sheet(p, QRectF(4.5, 1.5, 11, 7), true);
      sheet(p, QRectF(4.5, 11.5, 11, 7), true);
      p.setPen(QPen(kAccent, 1, Qt::DashLine));
      p.drawLine(QPointF(1, 10), QPointF(19, 10));
      break;
    case ToolIcon::WordWrap: {
      p.setPen(QPen(kInk, 1.6, Qt::SolidLine, Qt::FlatCap));
      p.drawLine(QPointF(3, 4.5), QPointF(17, 4.5));
      p.drawLine(QPointF(3, 15.5), QPointF(9, 15.5));
      p.setPen(QPen(kAccent, 1.6));
      QPainterPath arrow;
      arrow.moveTo(3, 10);
      arrow.lineTo(14, 10);
      arrow.arcTo(QRectF(11, 10, 6, 5.5), 90, -180);
      arrow.lineTo(12, 15.5);
      p.setBrush(Qt::NoBrush);
      p.drawPath(arrow);
      p.drawLine(QPointF(12, 15.5), QPointF(14.5, 13.5));
      p.drawLine(QPointF(12, 15.5), QPointF(14.5, 17.5));
      break;
    }
    case ToolIcon::DefaultFont:
      letter(p, QStringLiteral("F"), true, false, false);
      p.setPen(QPen(kAccent, 1.5));
      p.drawLine(QPointF(12, 16), QPointF(18, 16));
      break;
    case ToolIcon::InsertField:
      p.setPen(QPen(Qt::red, 1.4));
      p.setBrush(Qt::NoBrush);
      p.drawText(QRect(0, 0, kSize, kSize), Qt::AlignCenter, QStringLiteral("[ ]"));
      break;
  }
}

}  // namespace

QIcon toolIcon(ToolIcon kind) {
  return qtplatform::drawnIcon(kSize, [kind](QPainter& p) { draw(p, kind); });
}

}  // namespace quillon::richtext
