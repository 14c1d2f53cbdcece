#include "richtext/spelling/rich_text_spelling.h"

#include "spell/dialog/spell_check_dialog.h"

namespace quillon::richtext {

std::optional<QString> RichTextWordScan::nextWord() {
  QString word;
  if (!editor_.NextWord(word)) return std::nullopt;
  return word;
}

int runSpellCheck(TWPRichText& editor, const std::string& dataFolder, QWidget* parent,
                  const std::function<void(const QString&)>& infoNotice) {
  RichTextWordScan scan(editor);
  spell::TSpellCheckDialog dialog(scan, dataFolder, parent ? parent : editor.window());
  if (infoNotice) dialog.InfoNotice = infoNotice;
  return dialog.exec();
}

void connectSpellCheck(TWPRichText& editor, std::function<std::string()> dataFolder,
                       std::function<void(const QString&)> infoNotice) {
  editor.OnStartSpellCheck = [dataFolder = std::move(dataFolder), infoNotice = std::move(infoNotice)](TWPRichText& e) {
    runSpellCheck(e, dataFolder(), nullptr, infoNotice);
  };
}

}  // namespace quillon::richtext
