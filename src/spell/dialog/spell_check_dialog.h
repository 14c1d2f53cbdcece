#pragma once
// TSpellCheckDialog ("Spell Check"): walks an editor's words, stops at each unknown one with
// its suggestions, and replaces, skips or adds it to the user dictionary.
#include <QDialog>

#include <functional>
#include <string>

#include "spell/acrop_spell.h"
#include "spell/dialog/spell_word_scan.h"

class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace quillon::spell {

class TSpellCheckDialog : public QDialog {
  Q_OBJECT

 public:
  // Opens `dataFolder` + qln.dct (else the one beside the program) and qlnu.dct (created when
  // missing); `dataFolder` ends in '/'.
  TSpellCheckDialog(SpellWordScan& editor, const std::string& dataFolder, QWidget* parent = nullptr);
  ~TSpellCheckDialog() override;

  // Shows the closing notice "Spell check complete"; an "Information" box unless replaced
  // (the application puts its InfoBox here).
  std::function<void(const QString&)> InfoNotice;

  QLineEdit* Word;
  QLineEdit* ReplaceAs;
  QListWidget* WordList;
  QPushButton* Replace;
  QPushButton* GetNextWordButton;
  QPushButton* Addbutton;
  QPushButton* Cancelbutton;

  int userDictionary() const { return userDictionary_; }
  void done(int result) override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void FormActivate();
  void NextUnknownWord();
  void ReplaceClick();
  void GetNextWordButtonClick();
  void AddbuttonClick();
  void WordListClick(QListWidgetItem* item);
  void CloseDictionaries();

  SpellWordScan* editor_;
  TAcropSpell spell_;
  int userDictionary_ = -1;
  bool activated_ = false;
};

}  // namespace quillon::spell
