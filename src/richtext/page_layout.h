#pragma once
// Page size and margins in twips (1/1440 inch), and how a QTextDocument is paginated by them.
//
// The document is laid out by Qt's own layout in "layout pixels" at layoutDpi() (the screen's
// logical resolution, as text is laid out on screen). Zoom never changes the layout: it only
// scales painting, so line and page breaks are the same at every zoom and in every rendering.
// Page n (counted from 0) occupies document y from n * pageHeight to (n + 1) * pageHeight; the
// root frame's margins put the text inside the four page margins on every page.
#include <QRectF>

class QTextDocument;

namespace quillon::richtext {

struct PageLayout {
  int pageWidth = 12240;   // twips; US Letter 8.5 x 11 inches
  int pageHeight = 15840;
  int marginLeft = 720, marginRight = 720, marginTop = 720, marginBottom = 720;

  bool operator==(const PageLayout&) const = default;
  // Margins that leave no room for text (or nonsense sizes) are clamped to a usable page.
  PageLayout sane() const;
};

// The screen's logical dots per inch (96 on the offscreen platform).
double layoutDpi();
double twipsToPixels(double twips);
int pixelsToTwips(double pixels);

// Sets the document's page size and root frame margins from `layout`.
// With `wrap` false, lines only end at paragraph ends (no wrapping at the right margin).
void applyPageLayout(QTextDocument& document, const PageLayout& layout, bool wrap);

// Number of laid-out pages (at least 1).
int pageCount(const QTextDocument& document);
// The page (from 0) on which the line holding document position `position` lies.
int pageOfPosition(const QTextDocument& document, int position);
// The first document position on page `page`, or -1 when no text starts on that page.
int firstPositionOfPage(const QTextDocument& document, int page);
// The text area (inside the margins) of page `page` in document coordinates.
QRectF pageBodyRect(const QTextDocument& document, int page);

}  // namespace quillon::richtext
