#include "richtext/page_layout.h"

#include <QAbstractTextDocumentLayout>
#include <QGuiApplication>
#include <QScreen>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace quillon::richtext {

PageLayout PageLayout::sane() const {
  PageLayout l = *this;
  // A page from one inch to 200 inches; margins never negative and leave an inch of text.
  l.pageWidth = std::clamp(l.pageWidth, 1440, 288000);
  l.pageHeight = std::clamp(l.pageHeight, 1440, 288000);
  for (int* m : {&l.marginLeft, &l.marginRight, &l.marginTop, &l.marginBottom}) *m = std::max(*m, 0);
  if (l.marginLeft + l.marginRight > l.pageWidth - 720) l.marginLeft = l.marginRight = (l.pageWidth - 720) / 2;
  if (l.marginTop + l.marginBottom > l.pageHeight - 720) l.marginTop = l.marginBottom = (l.pageHeight - 720) / 2;
  return l;
}

namespace {
constexpr int kDefaultTabTwips = 720;  // a tab stop every half inch where a paragraph sets none
}  // namespace

double layoutDpi() {
  if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
    if (QScreen* screen = app->primaryScreen()) return screen->logicalDotsPerInchY();
  return 96.0;
}

double twipsToPixels(double twips) { return twips * layoutDpi() / 1440.0; }
int pixelsToTwips(double pixels) { return static_cast<int>(std::lround(pixels * 1440.0 / layoutDpi())); }

void applyPageLayout(QTextDocument& document, const PageLayout& layout, bool wrap) {
  const PageLayout l = layout.sane();
  QTextFrameFormat frame = document.rootFrame()->frameFormat();
  frame.setLeftMargin(twipsToPixels(l.marginLeft));
  frame.setRightMargin(twipsToPixels(l.marginRight));
  frame.setTopMargin(twipsToPixels(l.marginTop));
  frame.setBottomMargin(twipsToPixels(l.marginBottom));
  document.rootFrame()->setFrameFormat(frame);
  QTextOption option = document.defaultTextOption();
  option.setWrapMode(wrap ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap);
  option.setTabStopDistance(twipsToPixels(kDefaultTabTwips));  // Qt's own 80 pixels is no word processor's
  document.setDefaultTextOption(option);
  document.setPageSize(QSizeF(twipsToPixels(l.pageWidth), twipsToPixels(l.pageHeight)));
}

int pageCount(const QTextDocument& document) { return std::max(1, document.pageCount()); }

namespace {

double lineTop(const QTextBlock& block, const QTextLine& line) {
  return block.layout()->position().y() + line.y();
}

double pageHeightOf(const QTextDocument& document) {
  const double h = document.pageSize().height();
  return h > 0 ? h : 1e12;
}

// The first block whose layout reaches below `y` (blocks lie in document order, top down).
QTextBlock firstBlockReaching(const QTextDocument& document, double y) {
  int low = 0, high = document.blockCount() - 1;
  while (low < high) {
    const int mid = (low + high) / 2;
    const QTextBlock block = document.findBlockByNumber(mid);
    const QTextLayout* layout = block.layout();
    if (layout->position().y() + layout->boundingRect().height() <= y) low = mid + 1;
    else high = mid;
  }
  return document.findBlockByNumber(low);
}

}  // namespace

int pageOfPosition(const QTextDocument& document, int position) {
  document.documentLayout()->documentSize();  // makes sure the layout is done
  const QTextBlock block = document.findBlock(std::clamp(position, 0, std::max(0, document.characterCount() - 1)));
  if (!block.isValid() || !block.layout() || block.layout()->lineCount() == 0) return 0;
  QTextLine line = block.layout()->lineForTextPosition(position - block.position());
  if (!line.isValid()) line = block.layout()->lineAt(0);
  return static_cast<int>(std::floor((lineTop(block, line) + 0.5) / pageHeightOf(document)));
}

int firstPositionOfPage(const QTextDocument& document, int page) {
  document.documentLayout()->documentSize();
  const double height = pageHeightOf(document);
  const double top = page * height, bottom = top + height;
  for (QTextBlock block = firstBlockReaching(document, top); block.isValid(); block = block.next()) {
    const QTextLayout* layout = block.layout();
    for (int i = 0; i < layout->lineCount(); ++i) {
      const QTextLine line = layout->lineAt(i);
      const double y = lineTop(block, line) + 0.5;
      if (y >= bottom) return -1;
      if (y >= top) return block.position() + line.textStart();
    }
  }
  return -1;
}

QRectF pageBodyRect(const QTextDocument& document, int page) {
  const QTextFrameFormat frame = document.rootFrame()->frameFormat();
  const QSizeF size = document.pageSize();
  return QRectF(frame.leftMargin(), page * size.height() + frame.topMargin(),
                size.width() - frame.leftMargin() - frame.rightMargin(),
                size.height() - frame.topMargin() - frame.bottomMargin());
}

}  // namespace quillon::richtext
