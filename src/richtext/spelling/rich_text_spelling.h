#pragma once
// The spelling dialog over a rich-text control. The control has the word scan; the dialog
// knows editors only as SpellWordScan; this joins the two, so neither includes the other and
// the windows that own editors connect the tool bar's spelling button in one call.
#include <QString>

#include <functional>
#include <string>

#include "richtext/rich_text_control.h"
#include "spell/dialog/spell_word_scan.h"

class QWidget;

namespace quillon::richtext {

// SpellWordScan on a TWPRichText: its words, its highlight, its replacement.
class RichTextWordScan : public spell::SpellWordScan {
 public:
  explicit RichTextWordScan(TWPRichText& editor) : editor_(editor) {}
  void startWordScan() override { editor_.StartWordScan(); }
  std::optional<QString> nextWord() override;
  void highlightWord() override { editor_.HighlightWord(); }
  void replaceHighlightedWord(const QString& text) override { editor_.ReplaceHighlightedWord(text); }
  void clearHighlight() override { editor_.ClearHighlight(); }

 private:
  TWPRichText& editor_;
};

// Shows "Spell Check" modally for `editor` with the dictionaries of `dataFolder` (ending in
// '/'); `infoNotice` shows "Spell check complete" (the product's information box), empty for
// the dialog's own box. Returns the dialog's result.
int runSpellCheck(TWPRichText& editor, const std::string& dataFolder, QWidget* parent = nullptr,
                  const std::function<void(const QString&)>& infoNotice = {});

// Makes the editor's StartSpellCheck (its tool bar's spelling button) open the dialog; the data
// folder is asked for each time, as settings may move it.
void connectSpellCheck(TWPRichText& editor, std::function<std::string()> dataFolder,
                       std::function<void(const QString&)> infoNotice = {});

}  // namespace quillon::richtext
