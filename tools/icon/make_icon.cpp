// Draws Quillon's icon (resources/icons/quillon.svg, the same shapes) into the PNG files the
// program carries, resources/icons/quillon-SIZE.png. Not part of the build; run by hand after
// changing the icon:
//   g++ -std=c++20 -fPIC make_icon.cpp $(pkg-config --cflags --libs Qt6Gui) -o /tmp/make_icon
//   QT_QPA_PLATFORM=offscreen /tmp/make_icon ../../resources/icons
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

namespace {
void drawIcon(QPainter& p) {
  QPen outline(QColor("#4a5262"), 8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  // The page, its folded corner and its lines of text.
  QPainterPath page;
  page.moveTo(44, 12);
  page.lineTo(170, 12);
  page.lineTo(206, 48);
  page.lineTo(206, 224);
  page.lineTo(44, 224);
  page.closeSubpath();
  p.setPen(outline);
  p.setBrush(Qt::white);
  p.drawPath(page);
  QPainterPath fold;
  fold.moveTo(170, 12);
  fold.lineTo(170, 48);
  fold.lineTo(206, 48);
  fold.closeSubpath();
  p.setBrush(QColor("#c9d1de"));
  p.drawPath(fold);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor("#7d889c"));
  for (auto [y, w] : {std::pair{66, 86}, {92, 110}, {118, 110}, {144, 70}}) p.drawRoundedRect(70, y, w, 12, 4, 4);
  // The handset, with a white rim so that it stands off the page.
  QPainterPath handle;
  handle.moveTo(58, 212);
  handle.quadTo(128, 128, 198, 212);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(Qt::white, 50, Qt::SolidLine, Qt::RoundCap));
  p.drawPath(handle);
  p.setPen(QPen(QColor("#1f3f9f"), 30, Qt::SolidLine, Qt::RoundCap));
  p.drawPath(handle);
  p.setPen(QPen(Qt::white, 10));
  p.setBrush(QColor("#1f3f9f"));
  for (auto [x, angle] : {std::pair{62, -28}, {194, 28}}) {
    p.save();
    p.translate(x, 219);
    p.rotate(angle);
    p.drawRoundedRect(-40, -23, 80, 46, 20, 20);
    p.restore();
  }
}
}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
  for (int size : {16, 24, 32, 48, 64, 128, 256}) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 256.0, size / 256.0);
    drawIcon(p);
    p.end();
    if (!image.save(QStringLiteral("%1/quillon-%2.png").arg(out).arg(size))) return 1;
  }
  return 0;
}
