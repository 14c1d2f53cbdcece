#include "richtext/word_scan.h"

#include <QTextBlock>
#include <QTextDocument>

namespace quillon::richtext {
namespace {

bool isWordChar(QChar c) { return c.isLetterOrNumber(); }
bool isJoiner(QChar c) { return c == u'\'' || c == QChar(0x2019) || c == u'-'; }

}  // namespace

WordScan::WordScan(QTextDocument* document) { setDocument(document); }

void WordScan::setDocument(QTextDocument* document) {
  document_ = document;
  start();
}

void WordScan::start() {
  word_ = QTextCursor();
  nextPosition_ = 0;
}

std::optional<QString> WordScan::nextWord() {
  if (!document_) return std::nullopt;
  if (word_.hasSelection()) nextPosition_ = word_.selectionEnd();
  word_ = QTextCursor();
  for (QTextBlock block = document_->findBlock(nextPosition_); block.isValid(); block = block.next()) {
    const QString text = block.text();
    int i = std::max(0, nextPosition_ - block.position());
    while (i < text.size()) {
      if (!isWordChar(text[i])) {
        ++i;
        continue;
      }
      int end = i;
      while (end < text.size() && (isWordChar(text[end]) ||
                                   (isJoiner(text[end]) && end + 1 < text.size() && isWordChar(text[end + 1]))))
        ++end;
      bool hasLetter = false;
      for (int k = i; k < end; ++k) hasLetter = hasLetter || text[k].isLetter();
      if (hasLetter) {
        word_ = QTextCursor(document_);
        word_.setPosition(block.position() + i);
        word_.setPosition(block.position() + end, QTextCursor::KeepAnchor);
        nextPosition_ = block.position() + end;
        return text.mid(i, end - i);
      }
      i = end;
    }
    nextPosition_ = block.position() + block.length();
  }
  nextPosition_ = document_->characterCount();
  return std::nullopt;
}

bool WordScan::replaceCurrent(const QString& text) {
  if (!word_.hasSelection()) return false;
  const int start = word_.selectionStart();
  QTextCursor edit(document_);
  edit.setPosition(start);
  edit.setPosition(word_.selectionEnd(), QTextCursor::KeepAnchor);
  // The format of the word's first character, not of the character before it.
  QTextCursor first(document_);
  first.setPosition(start + 1);
  edit.insertText(text, first.charFormat());
  word_ = QTextCursor(document_);
  word_.setPosition(start);
  word_.setPosition(start + static_cast<int>(text.size()), QTextCursor::KeepAnchor);
  return true;
}

bool isDocumentEmpty(const QTextDocument& document) {
  if (document.isEmpty()) return true;
  if (document.characterCount() - 1 >= 256) return false;
  int paragraphs = 0;
  for (QTextBlock block = document.begin(); block.isValid() && paragraphs < 201; block = block.next(), ++paragraphs)
    if (!block.text().trimmed().isEmpty()) return false;
  return true;
}

}  // namespace quillon::richtext
