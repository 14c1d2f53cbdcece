#include "richtext/page_painter.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QTextDocument>

#include "richtext/page_layout.h"

namespace quillon::richtext {

void paintPageNumber(QTextDocument& document, QPainter& painter, const QRectF& target, int page,
                     const PagePaintOptions& options) {
  const QSizeF size = document.pageSize();
  const QRectF area = options.wholePage ? QRectF(0, page * size.height(), size.width(), size.height())
                                        : pageBodyRect(document, page);
  painter.save();
  painter.setClipRect(target, Qt::IntersectClip);
  painter.translate(target.topLeft());
  painter.scale(options.scale, options.scale);
  painter.translate(-area.topLeft());
  QAbstractTextDocumentLayout::PaintContext context;
  context.clip = area;
  context.cursorPosition = options.cursorPosition;
  context.palette.setColor(QPalette::Text, Qt::black);
  document.documentLayout()->draw(&painter, context);
  painter.restore();
}

int paintPage(QTextDocument& document, QPainter& painter, const QRectF& target, int position,
              const PagePaintOptions& options) {
  const int page = pageOfPosition(document, position);
  paintPageNumber(document, painter, target, page, options);
  const int pages = pageCount(document);
  for (int next = page + 1; next < pages; ++next) {
    const int start = firstPositionOfPage(document, next);
    if (start > 0) return start;
  }
  return 0;
}

QImage paintMonochromePage(QTextDocument& document, int position, double scale, const QSize& size,
                           const QRectF& target, int* next) {
  // QPainter cannot draw on a 1-bit image: paint grey levels, then cut at half brightness,
  // so coloured text (fields in red) comes out black too.
  QImage grey(size, QImage::Format_RGB32);
  grey.fill(Qt::white);
  QPainter painter(&grey);
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setRenderHint(QPainter::TextAntialiasing, false);
  PagePaintOptions options;
  options.scale = scale;
  const int following = paintPage(document, painter, target, position, options);
  painter.end();
  if (next) *next = following;
  return grey.convertToFormat(QImage::Format_Mono, Qt::MonoOnly | Qt::ThresholdDither);
}

}  // namespace quillon::richtext
