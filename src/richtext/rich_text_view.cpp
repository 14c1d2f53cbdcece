// TWPRichText on screen: pages as white sheets with a shadow on a grey desk, scrolling, the
// caret, the selection and the spelling highlight.
#include <QAbstractTextDocumentLayout>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

#include "richtext/rich_text_control.h"

namespace quillon::richtext {
namespace {

constexpr int kDeskGap = 18;  // screen pixels around and between the sheets
const QColor kDeskColour(0x9a, 0xa0, 0xa8);

}  // namespace

QSizeF TWPRichText::sheetSize() const {
  QSizeF size = document_.pageSize();
  if (!wordWrap_) {
    const QTextFrameFormat frame = document_.rootFrame()->frameFormat();
    size.setWidth(std::max(size.width(), document_.documentLayout()->documentSize().width() + frame.rightMargin()));
  }
  return size;
}

QRectF TWPRichText::pageRectInView(int page) const {
  const QSizeF sheet = sheetSize() * scale();
  const double contentWidth = sheet.width() + 2 * kDeskGap;
  const double left = std::max<double>(kDeskGap, (viewport()->width() - sheet.width()) / 2.0);
  const double x = (contentWidth <= viewport()->width() ? left : kDeskGap) - horizontalScrollBar()->value();
  const double y = kDeskGap + page * (sheet.height() + kDeskGap) - verticalScrollBar()->value();
  return QRectF(x, y, sheet.width(), sheet.height());
}

QPointF TWPRichText::viewToDocument(const QPointF& point) const {
  const double s = scale();
  const double pageStep = sheetSize().height() * s + kDeskGap;
  const double fromTop = point.y() + verticalScrollBar()->value() - kDeskGap;
  const int page = std::clamp(static_cast<int>(std::floor(fromTop / pageStep)), 0, pageCount() - 1);
  const QRectF sheet = pageRectInView(page);
  const double y = std::clamp((point.y() - sheet.top()) / s, 0.0, document_.pageSize().height() - 1);
  return QPointF((point.x() - sheet.left()) / s, page * document_.pageSize().height() + y);
}

QPointF TWPRichText::documentToView(const QPointF& point) const {
  const double pageHeight = document_.pageSize().height();
  const int page = static_cast<int>(std::floor(point.y() / pageHeight));
  const QRectF sheet = pageRectInView(page);
  return QPointF(sheet.left() + point.x() * scale(), sheet.top() + (point.y() - page * pageHeight) * scale());
}

void TWPRichText::updateScrollBars() {
  const QSizeF sheet = sheetSize() * scale();
  const int pages = pageCount();
  const int height = static_cast<int>(std::ceil(kDeskGap + pages * (sheet.height() + kDeskGap)));
  const int width = static_cast<int>(std::ceil(sheet.width() + 2 * kDeskGap));
  verticalScrollBar()->setRange(0, std::max(0, height - viewport()->height()));
  verticalScrollBar()->setPageStep(viewport()->height());
  verticalScrollBar()->setSingleStep(20);
  horizontalScrollBar()->setRange(0, std::max(0, width - viewport()->width()));
  horizontalScrollBar()->setPageStep(viewport()->width());
  horizontalScrollBar()->setSingleStep(20);
}

void TWPRichText::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  updateScrollBars();
}

void TWPRichText::scrollContentsBy(int, int) { viewport()->update(); }

void TWPRichText::paintEvent(QPaintEvent* event) {
  QPainter painter(viewport());
  painter.fillRect(event->rect(), kDeskColour);
  const double s = scale();
  const QSizeF sheet = sheetSize();
  const double pageHeight = document_.pageSize().height();
  const int pages = pageCount();
  const double pageStep = sheet.height() * s + kDeskGap;
  const int first = std::max(0, static_cast<int>((verticalScrollBar()->value() - kDeskGap) / pageStep));

  QAbstractTextDocumentLayout::PaintContext context;
  context.palette = palette();
  context.palette.setColor(QPalette::Text, Qt::black);
  if (hasFocus() && caretShown_) context.cursorPosition = cursor_.position();
  if (cursor_.hasSelection()) {
    QAbstractTextDocumentLayout::Selection selection;
    selection.cursor = cursor_;
    selection.format.setBackground(palette().brush(QPalette::Highlight));
    selection.format.setForeground(palette().brush(QPalette::HighlightedText));
    context.selections.append(selection);
  }
  if (highlight_.hasSelection()) {
    QAbstractTextDocumentLayout::Selection selection;
    selection.cursor = highlight_;
    selection.format.setBackground(QColor(0xff, 0xe0, 0x40));
    selection.format.setForeground(Qt::black);
    context.selections.append(selection);
  }

  for (int page = first; page < pages; ++page) {
    const QRectF rect = pageRectInView(page);
    if (rect.top() > event->rect().bottom()) break;
    painter.fillRect(rect.translated(3, 3), QColor(0x60, 0x64, 0x6a));  // shadow
    painter.fillRect(rect, Qt::white);
    painter.setPen(QColor(0x70, 0x74, 0x7a));
    painter.drawRect(rect.adjusted(-0.5, -0.5, 0.5, 0.5));
    // Corner marks of the text area, as a word processor shows the margins.
    painter.setPen(QColor(0xc0, 0xc4, 0xca));
    const QRectF body = pageBodyRect(document_, page).translated(0, -page * pageHeight);
    const QRectF b(rect.left() + body.left() * s, rect.top() + body.top() * s, body.width() * s, body.height() * s);
    const double m = 8;
    for (const QPointF& c : {b.topLeft(), b.topRight(), b.bottomLeft(), b.bottomRight()}) {
      const double dx = c.x() == b.left() ? -m : m, dy = c.y() == b.top() ? -m : m;
      painter.drawLine(c, c + QPointF(dx, 0));
      painter.drawLine(c, c + QPointF(0, dy));
    }
    painter.save();
    painter.setClipRect(rect);
    painter.translate(rect.topLeft());
    painter.scale(s, s);
    painter.translate(0, -page * pageHeight);
    context.clip = QRectF(0, page * pageHeight, sheet.width(), pageHeight);
    document_.documentLayout()->draw(&painter, context);
    painter.restore();
  }
}

void TWPRichText::ensureCaretVisible() {
  const QTextBlock block = cursor_.block();
  if (!block.isValid() || !block.layout()) return;
  document_.documentLayout()->blockBoundingRect(block);  // lays the block out
  const QTextLine line = block.layout()->lineForTextPosition(cursor_.position() - block.position());
  if (!line.isValid()) return;
  const QPointF origin = block.layout()->position();
  const double x = origin.x() + line.cursorToX(cursor_.position() - block.position());
  const QPointF top = documentToView(QPointF(x, origin.y() + line.y()));
  const double height = line.height() * scale();
  QScrollBar* v = verticalScrollBar();
  if (top.y() < 0) v->setValue(v->value() + static_cast<int>(std::floor(top.y())) - kDeskGap);
  else if (top.y() + height > viewport()->height())
    v->setValue(v->value() + static_cast<int>(std::ceil(top.y() + height - viewport()->height())) + kDeskGap);
  QScrollBar* h = horizontalScrollBar();
  if (top.x() < 0) h->setValue(h->value() + static_cast<int>(std::floor(top.x())) - kDeskGap);
  else if (top.x() > viewport()->width()) h->setValue(h->value() + static_cast<int>(std::ceil(top.x() - viewport()->width())) + kDeskGap);
}

void TWPRichText::cursorMoved() {
  restartCaretBlink();
  ensureCaretVisible();
  viewport()->update();
  emit formatChanged();
}

void TWPRichText::restartCaretBlink() {
  caretShown_ = true;
  if (hasFocus()) caretTimer_.start(500, this);
}

void TWPRichText::timerEvent(QTimerEvent* event) {
  if (event->timerId() != caretTimer_.timerId()) return QAbstractScrollArea::timerEvent(event);
  caretShown_ = !caretShown_;
  viewport()->update();
}

void TWPRichText::focusInEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusInEvent(event);
  restartCaretBlink();
  viewport()->update();
}

void TWPRichText::focusOutEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusOutEvent(event);
  caretTimer_.stop();
  viewport()->update();
}

}  // namespace quillon::richtext
