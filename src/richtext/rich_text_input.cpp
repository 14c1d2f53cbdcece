// TWPRichText input: keys, mouse, clipboard and undo, all through the control's one cursor.
#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QTextBlock>
#include <QTextDocumentFragment>
#include <QTextLayout>

#include <iterator>

#include "richtext/rich_text_control.h"
#include "richtext/rtf_writer.h"

namespace quillon::richtext {
namespace {

constexpr const char* kRtfMime = "text/rtf";

struct MoveKey {
  QKeySequence::StandardKey key;
  QTextCursor::MoveOperation move;
  QTextCursor::MoveMode mode;
};

const MoveKey kMoveKeys[] = {
    {QKeySequence::MoveToNextChar, QTextCursor::Right, QTextCursor::MoveAnchor},
    {QKeySequence::MoveToPreviousChar, QTextCursor::Left, QTextCursor::MoveAnchor},
    {QKeySequence::MoveToNextWord, QTextCursor::WordRight, QTextCursor::MoveAnchor},
    {QKeySequence::MoveToPreviousWord, QTextCursor::WordLeft, QTextCursor::MoveAnchor},
    {QKeySequence::MoveToNextLine, QTextCursor::Down, QTextCursor::MoveAnchor},
    {QKeySequence::MoveToPreviousLine, QTextCursor::Up, QTextCursor::MoveAnchor},
    {QKeySequence::MoveToStartOfLine, QTextCursor::StartOfLine, QTextCursor::MoveAnchor},
    {QKeySequence::MoveToEndOfLine, QTextCursor::EndOfLine, QTextCursor::MoveAnchor},
    {QKeySequence::MoveToStartOfDocument, QTextCursor::Start, QTextCursor::MoveAnchor},
    {QKeySequence::MoveToEndOfDocument, QTextCursor::End, QTextCursor::MoveAnchor},
    {QKeySequence::SelectNextChar, QTextCursor::Right, QTextCursor::KeepAnchor},
    {QKeySequence::SelectPreviousChar, QTextCursor::Left, QTextCursor::KeepAnchor},
    {QKeySequence::SelectNextWord, QTextCursor::WordRight, QTextCursor::KeepAnchor},
    {QKeySequence::SelectPreviousWord, QTextCursor::WordLeft, QTextCursor::KeepAnchor},
    {QKeySequence::SelectNextLine, QTextCursor::Down, QTextCursor::KeepAnchor},
    {QKeySequence::SelectPreviousLine, QTextCursor::Up, QTextCursor::KeepAnchor},
    {QKeySequence::SelectStartOfLine, QTextCursor::StartOfLine, QTextCursor::KeepAnchor},
    {QKeySequence::SelectEndOfLine, QTextCursor::EndOfLine, QTextCursor::KeepAnchor},
    {QKeySequence::SelectStartOfDocument, QTextCursor::Start, QTextCursor::KeepAnchor},
    {QKeySequence::SelectEndOfDocument, QTextCursor::End, QTextCursor::KeepAnchor},
};

}  // namespace

bool TWPRichText::handleMoveKey(QKeyEvent* event) {
  for (const MoveKey& k : kMoveKeys) {
    if (!event->matches(k.key)) continue;
    cursor_.movePosition(k.move, k.mode);
    cursorMoved();
    return true;
  }
  if (event->matches(QKeySequence::MoveToNextPage) || event->matches(QKeySequence::MoveToPreviousPage) ||
      event->matches(QKeySequence::SelectNextPage) || event->matches(QKeySequence::SelectPreviousPage)) {
    const bool down = event->matches(QKeySequence::MoveToNextPage) || event->matches(QKeySequence::SelectNextPage);
    const bool select = event->matches(QKeySequence::SelectNextPage) || event->matches(QKeySequence::SelectPreviousPage);
    const QTextBlock block = cursor_.block();
    const QTextLine line = block.layout()->lineForTextPosition(cursor_.position() - block.position());
    if (!line.isValid()) return true;
    const QPointF origin = block.layout()->position();
    QPointF at(origin.x() + line.cursorToX(cursor_.position() - block.position()), origin.y() + line.y() + line.height() / 2);
    at.ry() += (down ? 1 : -1) * viewport()->height() / scale();
    const int position = document_.documentLayout()->hitTest(at, Qt::FuzzyHit);
    if (position >= 0) cursor_.setPosition(position, select ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor);
    cursorMoved();
    return true;
  }
  return false;
}

void TWPRichText::insertTypedText(const QString& text) {
  cursor_.insertText(text, typingFormat());
  cursorMoved();
}

void TWPRichText::keyPressEvent(QKeyEvent* event) {
  if (handleMoveKey(event)) return;
  if (event->matches(QKeySequence::Copy)) return copy();
  if (event->matches(QKeySequence::Cut)) return cut();
  if (event->matches(QKeySequence::Paste)) return paste();
  if (event->matches(QKeySequence::Undo)) return undo();
  if (event->matches(QKeySequence::Redo)) return redo();
  if (event->matches(QKeySequence::SelectAll)) return selectAll();
  if (event->matches(QKeySequence::DeleteStartOfWord)) {
    if (!cursor_.hasSelection()) cursor_.movePosition(QTextCursor::PreviousWord, QTextCursor::KeepAnchor);
    cursor_.removeSelectedText();
    return cursorMoved();
  }
  if (event->matches(QKeySequence::DeleteEndOfWord)) {
    if (!cursor_.hasSelection()) cursor_.movePosition(QTextCursor::NextWord, QTextCursor::KeepAnchor);
    cursor_.removeSelectedText();
    return cursorMoved();
  }
  switch (event->key()) {
    case Qt::Key_Backspace:
      cursor_.deletePreviousChar();
      return cursorMoved();
    case Qt::Key_Delete:
      cursor_.deleteChar();
      return cursorMoved();
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (event->modifiers() & Qt::ShiftModifier) {
        insertTypedText(QString(QChar::LineSeparator));
      } else {
        QTextBlockFormat next = cursor_.blockFormat();
        next.clearProperty(QTextFormat::PageBreakPolicy);  // the new-page flag stays with its paragraph
        cursor_.insertBlock(next, typingFormat());
        cursorMoved();
      }
      return;
    case Qt::Key_Tab:
      return insertTypedText(QStringLiteral("\t"));
    default: break;
  }
  const QString text = event->text();
  if (!text.isEmpty() && text.at(0).isPrint() && !(event->modifiers() & Qt::ControlModifier)) {
    insertTypedText(text);
    return;
  }
  QAbstractScrollArea::keyPressEvent(event);
}

void TWPRichText::inputMethodEvent(QInputMethodEvent* event) {
  if (!event->commitString().isEmpty()) insertTypedText(event->commitString());
  event->accept();
}

int TWPRichText::hitPosition(const QPoint& viewPoint) const {
  const int position = document_.documentLayout()->hitTest(viewToDocument(viewPoint), Qt::FuzzyHit);
  return position < 0 ? cursor_.position() : position;
}

void TWPRichText::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QAbstractScrollArea::mousePressEvent(event);
  const bool extend = event->modifiers() & Qt::ShiftModifier;
  cursor_.setPosition(hitPosition(event->position().toPoint()), extend ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor);
  cursorMoved();
}

void TWPRichText::mouseMoveEvent(QMouseEvent* event) {
  if (!(event->buttons() & Qt::LeftButton)) return;
  cursor_.setPosition(hitPosition(event->position().toPoint()), QTextCursor::KeepAnchor);
  cursorMoved();
}

void TWPRichText::mouseReleaseEvent(QMouseEvent* event) { event->accept(); }

void TWPRichText::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  cursor_.setPosition(hitPosition(event->position().toPoint()));
  cursor_.select(QTextCursor::WordUnderCursor);
  cursorMoved();
}

// ---- clipboard: RTF for our own controls (fields survive), plain text for everyone

void TWPRichText::copy() {
  if (!cursor_.hasSelection()) return;
  QTextDocument part;
  installFieldHandler(part);
  part.setDefaultFont(document_.defaultFont());
  QTextCursor(&part).insertFragment(cursor_.selection());
  auto* mime = new QMimeData;
  const std::string rtf = writeRtf(part, layout_);
  mime->setData(kRtfMime, QByteArray(rtf.data(), static_cast<qsizetype>(rtf.size())));
  QString text;
  for (QTextBlock block = part.begin(); block.isValid(); block = block.next()) {
    if (block != part.begin()) text += u'\n';
    for (auto it = block.begin(); !it.atEnd(); ++it)
      text += isField(it.fragment().charFormat()) ? fieldText(it.fragment().charFormat()) : it.fragment().text();
  }
  mime->setText(text.replace(QChar::LineSeparator, u'\n'));
  QGuiApplication::clipboard()->setMimeData(mime);
}

void TWPRichText::cut() {
  if (!cursor_.hasSelection()) return;
  copy();
  cursor_.removeSelectedText();
  cursorMoved();
}

void TWPRichText::paste() {
  const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
  if (!mime) return;
  if (mime->hasFormat(kRtfMime)) {
    const QByteArray bytes = mime->data(kRtfMime);
    QTextDocument part;
    readRtf(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), part);
    cursor_.insertFragment(QTextDocumentFragment(&part));
  } else if (mime->hasText()) {
    QString text = mime->text();
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QStringList lines = text.split(u'\n');
    cursor_.beginEditBlock();
    for (qsizetype i = 0; i < lines.size(); ++i) {
      if (i > 0) cursor_.insertBlock();
      cursor_.insertText(lines[i], typingFormat());
    }
    cursor_.endEditBlock();
  }
  cursorMoved();
}

void TWPRichText::undo() {
  document_.undo(&cursor_);
  cursorMoved();
}

void TWPRichText::redo() {
  document_.redo(&cursor_);
  cursorMoved();
}

void TWPRichText::selectAll() {
  cursor_.select(QTextCursor::Document);
  cursorMoved();
}

}  // namespace quillon::richtext
