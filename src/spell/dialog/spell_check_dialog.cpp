#include "spell/dialog/spell_check_dialog.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "platform/data_folder.h"
#include "qtplatform/cp1252_text.h"
#include "spell/standard_dictionaries.h"

namespace quillon::spell {

namespace {

QLabel* labelFor(const QString& text, QWidget* buddy) {
  auto* label = new QLabel(text);
  label->setBuddy(buddy);
  return label;
}

void informationBox(const QString& text) {
  QMessageBox box(QMessageBox::Information, QStringLiteral("Information"), text, QMessageBox::Ok);
  box.exec();
}

}  // namespace

TSpellCheckDialog::TSpellCheckDialog(SpellWordScan& editor, const std::string& dataFolder, QWidget* parent)
    : QDialog(parent), InfoNotice(informationBox), editor_(&editor) {
  setWindowTitle(QStringLiteral("Spell Check"));
  Word = new QLineEdit;
  Word->setReadOnly(true);
  ReplaceAs = new QLineEdit;
  WordList = new QListWidget;
  Replace = new QPushButton(QStringLiteral("Replace "));
  GetNextWordButton = new QPushButton(QStringLiteral("&Skip Word"));
  Addbutton = new QPushButton(QStringLiteral("&Add Word"));
  Cancelbutton = new QPushButton(QStringLiteral("Cancel"));
  Replace->setDefault(true);

  auto* grid = new QGridLayout(this);
  grid->addWidget(labelFor(QStringLiteral("Possible spelling error"), Word), 0, 0);
  grid->addWidget(Word, 1, 0);
  grid->addWidget(labelFor(QStringLiteral("Replace with"), ReplaceAs), 2, 0);
  grid->addWidget(ReplaceAs, 3, 0);
  grid->addWidget(labelFor(QStringLiteral("Possible replacements"), WordList), 4, 0);
  grid->addWidget(WordList, 5, 0);
  auto* buttons = new QVBoxLayout;
  for (QPushButton* b : {Replace, GetNextWordButton, Addbutton, Cancelbutton}) buttons->addWidget(b);
  buttons->addStretch();
  grid->addLayout(buttons, 1, 1, 5, 1);

  connect(Replace, &QPushButton::clicked, this, &TSpellCheckDialog::ReplaceClick);
  connect(GetNextWordButton, &QPushButton::clicked, this, &TSpellCheckDialog::GetNextWordButtonClick);
  connect(Addbutton, &QPushButton::clicked, this, &TSpellCheckDialog::AddbuttonClick);
  connect(Cancelbutton, &QPushButton::clicked, this, &QDialog::reject);
  connect(WordList, &QListWidget::itemClicked, this, &TSpellCheckDialog::WordListClick);
  connect(WordList, &QListWidget::itemDoubleClicked, this, &TSpellCheckDialog::WordListClick);

  auto opened = openStandardDictionaries(spell_, mainDictionaryPath(dataFolder, platform::executableFolder()),
                                         dataFolder + kUserDictionaryFile);
  userDictionary_ = opened.user;
  Addbutton->setEnabled(userDictionary_ != -1);
}

TSpellCheckDialog::~TSpellCheckDialog() { CloseDictionaries(); }

void TSpellCheckDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (activated_) return;
  activated_ = true;
  // After the dialog is on the screen, as a first activation would be.
  QTimer::singleShot(0, this, &TSpellCheckDialog::FormActivate);
}

void TSpellCheckDialog::FormActivate() {
  if (!editor_) return;
  editor_->startWordScan();
  NextUnknownWord();
}

void TSpellCheckDialog::NextUnknownWord() {
  if (!editor_) return;
  while (auto word = editor_->nextWord()) {
    std::string latin1 = qtplatform::toCp1252(*word);
    if (spell_.IsWord(latin1)) continue;
    WordList->clear();
    auto suggestions = spell_.Suggest(latin1);
    for (const auto& s : suggestions) WordList->addItem(qtplatform::fromCp1252(s));
    editor_->highlightWord();
    Word->setText(*word);
    ReplaceAs->setText(suggestions.empty() ? *word : WordList->item(0)->text());
    return;
  }
  setResult(QDialog::Accepted);  // a modal run ends when the dialog hides; it ended well
  hide();
  InfoNotice(QStringLiteral("Spell check complete"));
  QMetaObject::invokeMethod(this, &QDialog::accept, Qt::QueuedConnection);
}

void TSpellCheckDialog::ReplaceClick() {
  if (editor_) editor_->replaceHighlightedWord(ReplaceAs->text());
  NextUnknownWord();
}

void TSpellCheckDialog::GetNextWordButtonClick() { NextUnknownWord(); }

void TSpellCheckDialog::AddbuttonClick() {
  if (!Word->text().isEmpty()) spell_.AddWord(qtplatform::toCp1252(Word->text()), userDictionary_);
  NextUnknownWord();
}

void TSpellCheckDialog::WordListClick(QListWidgetItem* item) {
  if (item) ReplaceAs->setText(item->text());
}

void TSpellCheckDialog::CloseDictionaries() {
  if (editor_) editor_->clearHighlight();
  editor_ = nullptr;
  spell_.CloseDictionaries();
}

void TSpellCheckDialog::done(int result) {
  CloseDictionaries();
  QDialog::done(result);
}

}  // namespace quillon::spell
