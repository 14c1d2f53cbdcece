#pragma once
// Paints laid-out pages into any QPainter (a screen, a monochrome fax page, a PNG).
#include <QImage>
#include <QRectF>

class QPainter;
class QTextDocument;

namespace quillon::richtext {

struct PagePaintOptions {
  double scale = 1.0;          // zoom / 100: layout pixels to painter units
  bool wholePage = false;      // true: the page with its margins; false: the text area only
  int cursorPosition = -1;     // a caret to draw, or -1
};

// Paints the page on which document position `position` lies so that its top-left corner
// lands on `target`'s top-left (clipped to `target`), and returns the first position of the
// next page, or 0 when this was the last page.
int paintPage(QTextDocument& document, QPainter& painter, const QRectF& target, int position,
              const PagePaintOptions& options = {});

// Paints page `page` (from 0); the same as above for callers that count pages.
void paintPageNumber(QTextDocument& document, QPainter& painter, const QRectF& target, int page,
                     const PagePaintOptions& options = {});

// A fax page: the page holding `position` painted black on white, without anti-aliasing,
// into `target` of a `size` monochrome bitmap (QImage::Format_Mono). `next` gets the first
// position of the next page, 0 after the last.
QImage paintMonochromePage(QTextDocument& document, int position, double scale, const QSize& size,
                           const QRectF& target, int* next);

}  // namespace quillon::richtext
