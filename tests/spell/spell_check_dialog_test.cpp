// The spelling dialog offscreen over a QTextEdit: replace, skip, add, cancel, complete.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

#include <gtest/gtest.h>

#include "spell/acrop_spell.h"
#include "spell/dialog/spell_check_dialog.h"
#include "spell_files.h"
#include "text_edit_word_scan.h"

using quillon::spell::TSpellCheckDialog;
using quillon::test::TempDir;

namespace {

struct SpellDialog : ::testing::Test {
  TempDir dir;
  QTextEdit edit;
  quillon::test::TextEditWordScan scan{edit};
  QStringList notices;

  void SetUp() override {
    quillon::test::writeMainDictionary(dir, {"the", "fax", "machine", "is", "ready", "modem", "works", "sent"});
    edit.setPlainText(QStringLiteral("Teh fax machin is redy. The modem werks."));
  }
  std::unique_ptr<TSpellCheckDialog> openDialog() {
    auto dialog = std::make_unique<TSpellCheckDialog>(scan, dir.path());
    dialog->InfoNotice = [this](const QString& text) { notices << text; };
    dialog->show();
    QTest::qWait(1);  // the first activation looks for the first unknown word
    QApplication::processEvents();
    return dialog;
  }
  static void settle() {
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
  }
};

}  // namespace

TEST_F(SpellDialog, ShowsTheFirstUnknownWordWithItsSuggestions) {
  auto dialog = openDialog();
  EXPECT_EQ(dialog->windowTitle(), "Spell Check");
  EXPECT_EQ(dialog->Word->text(), "Teh");
  EXPECT_EQ(dialog->ReplaceAs->text(), "The");
  ASSERT_GT(dialog->WordList->count(), 0);
  EXPECT_EQ(dialog->WordList->item(0)->text(), "The");
  EXPECT_EQ(scan.highlighted, "Teh");
  EXPECT_TRUE(dialog->Addbutton->isEnabled());
  EXPECT_TRUE(std::filesystem::exists(dir.file("qlnu.dct")));  // created on opening
  for (auto* b : {dialog->Replace, dialog->GetNextWordButton, dialog->Addbutton, dialog->Cancelbutton})
    EXPECT_FALSE(b->text().isEmpty());
  EXPECT_EQ(dialog->GetNextWordButton->text(), "&Skip Word");
  EXPECT_EQ(dialog->Replace->text(), "Replace ");
  auto labels = dialog->findChildren<QLabel*>();
  QStringList texts;
  for (auto* l : labels) texts << l->text();
  EXPECT_TRUE(texts.contains("Possible spelling error") && texts.contains("Replace with") &&
              texts.contains("Possible replacements"));
}

TEST_F(SpellDialog, ReplaceSkipAddAndCompleteWalkTheWholeText) {
  auto dialog = openDialog();
  QTest::mouseClick(dialog->Replace, Qt::LeftButton);  // Teh -> The
  EXPECT_EQ(edit.toPlainText(), "The fax machin is redy. The modem werks.");
  EXPECT_EQ(dialog->Word->text(), "machin");
  EXPECT_EQ(dialog->ReplaceAs->text(), "machine");
  QTest::mouseClick(dialog->GetNextWordButton, Qt::LeftButton);  // skip machin
  EXPECT_EQ(dialog->Word->text(), "redy");
  EXPECT_EQ(scan.highlighted, "redy");
  QTest::mouseClick(dialog->Addbutton, Qt::LeftButton);  // redy into qlnu.dct
  EXPECT_EQ(dialog->Word->text(), "werks");
  // A click on a suggestion makes it the replacement.
  auto items = dialog->WordList->findItems("works", Qt::MatchExactly);
  ASSERT_EQ(items.size(), 1);
  dialog->WordList->setCurrentItem(items[0]);
  QTest::mouseClick(dialog->WordList->viewport(), Qt::LeftButton, {}, dialog->WordList->visualItemRect(items[0]).center());
  EXPECT_EQ(dialog->ReplaceAs->text(), "works");
  dialog->ReplaceAs->setText("wurks");  // typed by hand
  QTest::mouseClick(dialog->Replace, Qt::LeftButton);
  settle();
  EXPECT_EQ(edit.toPlainText(), "The fax machin is redy. The modem wurks.");
  EXPECT_EQ(notices, QStringList{"Spell check complete"});
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(dialog->result(), QDialog::Accepted);
  EXPECT_TRUE(edit.extraSelections().isEmpty());

  quillon::spell::TAcropSpell check;  // the added word is in the user dictionary
  ASSERT_GE(check.OpenUserDictionary(dir.file("qlnu.dct")), 0);
  EXPECT_TRUE(check.IsWord("redy"));
}

TEST_F(SpellDialog, CancelLeavesTheTextAndClearsTheHighlight) {
  auto dialog = openDialog();
  EXPECT_EQ(scan.highlighted, "Teh");
  QTest::mouseClick(dialog->Cancelbutton, Qt::LeftButton);
  settle();
  EXPECT_EQ(dialog->result(), QDialog::Rejected);
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_TRUE(scan.highlighted.isEmpty());
  EXPECT_TRUE(edit.extraSelections().isEmpty());
  EXPECT_EQ(edit.toPlainText(), "Teh fax machin is redy. The modem werks.");
  EXPECT_TRUE(notices.isEmpty());
}

TEST_F(SpellDialog, AKnownTextCompletesAtOnceInAModalRun) {
  edit.setPlainText(QStringLiteral("The fax is sent."));
  TSpellCheckDialog dialog(scan, dir.path());
  QString seen;
  QTimer::singleShot(2000, [&] {  // never hang the test on a box nobody answers
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) box->reject();
  });
  dialog.InfoNotice = [&](const QString& text) { seen = text; };
  EXPECT_EQ(dialog.exec(), QDialog::Accepted);
  EXPECT_EQ(seen, "Spell check complete");
}

TEST_F(SpellDialog, WithoutAUsableUserDictionaryAddIsDisabled) {
  dir.write("qlnu.dct", "damaged");
  std::filesystem::remove(dir.file("qln.dct"));  // and no main dictionary either
  auto dialog = openDialog();
  EXPECT_EQ(dialog->userDictionary(), -1);
  EXPECT_FALSE(dialog->Addbutton->isEnabled());
  EXPECT_EQ(dialog->Word->text(), "Teh");  // every word is unknown now
  EXPECT_EQ(dialog->ReplaceAs->text(), "Teh");
  EXPECT_EQ(dir.read("qlnu.dct"), "damaged");
  dialog->reject();
}
