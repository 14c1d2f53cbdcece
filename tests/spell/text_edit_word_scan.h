#pragma once
// The spelling dialog's word scan over a plain QTextEdit, for tests: the words are those the
// checker's own text splitter finds in the editor's plain text.
#include <QTextCursor>
#include <QTextEdit>

#include "spell/dialog/spell_word_scan.h"
#include "spell/text_words.h"

namespace quillon::test {

class TextEditWordScan : public spell::SpellWordScan {
 public:
  explicit TextEditWordScan(QTextEdit& edit) : edit_(edit) {}

  void startWordScan() override { next_ = 0, length_ = 0; }

  std::optional<QString> nextWord() override {
    // Latin-1 keeps one byte per UTF-16 unit, so offsets are the editor's positions.
    QString text = edit_.toPlainText();
    for (const auto& w : spell::splitWords(text.toLatin1().toStdString())) {
      if (static_cast<int>(w.offset) < next_) continue;
      start_ = static_cast<int>(w.offset);
      length_ = static_cast<int>(w.text.size());
      next_ = start_ + length_;
      return text.mid(start_, length_);
    }
    length_ = 0;
    return std::nullopt;
  }

  void highlightWord() override {
    QTextEdit::ExtraSelection marked;
    marked.cursor = cursorOverWord();
    marked.format.setBackground(Qt::yellow);
    edit_.setExtraSelections({marked});
    highlighted = marked.cursor.selectedText();
  }

  void replaceHighlightedWord(const QString& text) override {
    if (highlighted.isEmpty()) return;
    cursorOverWord().insertText(text);
    next_ = start_ + static_cast<int>(text.size());
    clearHighlight();
  }

  void clearHighlight() override {
    edit_.setExtraSelections({});
    highlighted.clear();
  }

  QString highlighted;

 private:
  QTextCursor cursorOverWord() {
    QTextCursor cursor(edit_.document());
    cursor.setPosition(start_);
    cursor.setPosition(start_ + length_, QTextCursor::KeepAnchor);
    return cursor;
  }

  QTextEdit& edit_;
  int next_ = 0, start_ = 0, length_ = 0;
};

}  // namespace quillon::test
