#pragma once
// What the spelling dialog needs from the editor it checks: a walk over the editor's words
// with the current word highlighted and replaceable. The rich-text control implements it.
#include <QString>

#include <optional>

namespace quillon::spell {

class SpellWordScan {
 public:
  virtual ~SpellWordScan() = default;

  // Puts the scan before the first word of the text.
  virtual void startWordScan() = 0;
  // The next word after the current one (which it then becomes), or nothing at the end.
  virtual std::optional<QString> nextWord() = 0;
  // Marks the current word in the editor.
  virtual void highlightWord() = 0;
  // Replaces the highlighted word; the scan goes on after the replacement.
  virtual void replaceHighlightedWord(const QString& text) = 0;
  virtual void clearHighlight() = 0;
};

}  // namespace quillon::spell
