#pragma once
// Walks the words of a document for the spelling check: a word is a run of letters and digits
// with apostrophes or hyphens inside it, holding at least one letter. Fields are not words.
// The scan keeps a QTextCursor, so it stays right while the text is edited (a replacement).
#include <QString>
#include <QTextCursor>

#include <optional>

class QTextDocument;

namespace quillon::richtext {

class WordScan {
 public:
  explicit WordScan(QTextDocument* document = nullptr);
  void setDocument(QTextDocument* document);

  // Back to the start of the text; no current word.
  void start();
  // Moves to the next word and returns it, or nothing at the end of the text.
  std::optional<QString> nextWord();
  // The current word as a selection (no selection when there is none).
  QTextCursor current() const { return word_; }
  bool hasWord() const { return word_.hasSelection(); }
  // Replaces the current word in its character format; the scan goes on after the new text.
  bool replaceCurrent(const QString& text);

 private:
  QTextDocument* document_ = nullptr;
  QTextCursor word_;
  int nextPosition_ = 0;
};

// The emptiness test of the rendering: no content; or fewer than 256 characters and each of
// the first 201 paragraphs blank once leading and trailing blanks are removed.
bool isDocumentEmpty(const QTextDocument& document);

}  // namespace quillon::richtext
