#pragma once
// Paints laid-out pages into any QPainter (a screen, a monochrome fax page, a PNG).
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

}  // namespace quillon::richtext
