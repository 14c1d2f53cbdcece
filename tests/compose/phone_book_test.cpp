// The phone book browser in both modes and its entry editor, over a real phone table.
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

#include <gtest/gtest.h>

#include "app/fax_list_model.h"
#include "app/modal_answer.h"
#include "compose/compose_world.h"
#include "compose/phone_book.h"
#include "compose/phone_book_editor.h"

using namespace quillon;
using compose::TPhoneBook;
using compose::TPhoneBookEditor;
using quillon::test::answerNextMessageBox;
using quillon::test::ComposeWorld;
using quillon::test::whenModal;

namespace {
class PhoneBook : public ::testing::Test {
  quillon::test::StrayMessageBoxGuard guard_;
};

void addEntry(TPhoneBook& book, const QString& name, const QString& number) {
  auto seen = whenModal<TPhoneBookEditor>([=](TPhoneBookEditor& editor) {
    editor.Name->setText(name);
    editor.Number->setText(number);
    editor.OKButton->click();
  });
  book.Addbutton->click();
  EXPECT_TRUE(*seen);
}

QStringList names(TPhoneBook& book) {
  QStringList list;
  for (int r = 0; r < book.model().rowCount(); ++r) list << book.model().text(r, 0);
  return list;
}
}  // namespace

TEST_F(PhoneBook, ManagesEntriesInAlphabeticalOrderIgnoringCase) {
  ComposeWorld world;
  TPhoneBook book(world.context);
  ASSERT_TRUE(book.openPhoneTable());
  book.show();
  EXPECT_EQ(book.windowTitle(), "Phone Book Browser");
  EXPECT_FALSE(book.OKButton->isVisible());
  EXPECT_FALSE(book.Cancelbutton->isVisible());
  EXPECT_TRUE(book.Closebutton->isVisible());
  EXPECT_FALSE(book.Modifybutton->isEnabled());
  EXPECT_FALSE(book.Deletebutton->isEnabled());

  addEntry(book, "Baker", "555 0102");
  addEntry(book, "adams", "555 0101");
  addEntry(book, "Carter & Co", "555 0103");
  EXPECT_EQ(names(book), (QStringList{"adams", "Baker", "Carter & Co"}));
  EXPECT_EQ(book.model().text(1, 1), "555 0102");
  EXPECT_TRUE(book.Modifybutton->isEnabled());

  // Edit the current entry (Baker): the editor comes preset.
  book.grid()->selectRow(1);
  QString presetName, presetNumber;
  auto seen = whenModal<TPhoneBookEditor>([&](TPhoneBookEditor& editor) {
    presetName = editor.Name->text();
    presetNumber = editor.Number->text();
    EXPECT_EQ(editor.windowTitle(), "Phone Book Editor");
    EXPECT_EQ(editor.Name->maxLength(), 35);
    EXPECT_EQ(editor.Number->maxLength(), 25);
    EXPECT_EQ(editor.Name->toolTip(), "Type the recipient's name here");
    editor.Name->setText("Zed Baker");
    editor.OKButton->click();
  });
  book.Modifybutton->click();
  EXPECT_TRUE(*seen);
  EXPECT_EQ(presetName, "Baker");
  EXPECT_EQ(presetNumber, "555 0102");
  EXPECT_EQ(names(book), (QStringList{"adams", "Carter & Co", "Zed Baker"}));

  // Delete asks first, No being the default; No keeps the entry, Yes flags it.
  book.grid()->selectRow(0);
  auto no = answerNextMessageBox(QMessageBox::No);
  book.Deletebutton->click();
  EXPECT_EQ(no->text, "Delete the current phone book entry?:\nadams");
  EXPECT_EQ(no->caption, "Delete");
  EXPECT_EQ(no->defaultButton, QMessageBox::No);
  EXPECT_EQ(names(book).size(), 3);
  answerNextMessageBox(QMessageBox::Yes);
  book.Deletebutton->click();
  EXPECT_EQ(names(book), (QStringList{"Carter & Co", "Zed Baker"}));
  EXPECT_EQ(book.PhoneTable().recCount(), 3);  // flagged, not removed

  // A cancelled editor adds nothing.
  whenModal<TPhoneBookEditor>([](TPhoneBookEditor& editor) {
    editor.Name->setText("Nobody");
    editor.CancelButton->click();
  });
  book.Addbutton->click();
  EXPECT_EQ(names(book).size(), 2);
}

TEST_F(PhoneBook, PickModeReturnsTheChosenEntryAndAnEmptyBookOffersNothing) {
  ComposeWorld world;
  {
    TPhoneBook empty(world.context);
    ASSERT_TRUE(empty.openPhoneTable());
    empty.setPickMode();
    empty.show();
    EXPECT_TRUE(empty.OKButton->isVisible());
    EXPECT_TRUE(empty.Cancelbutton->isVisible());
    EXPECT_FALSE(empty.Closebutton->isVisible());
    EXPECT_FALSE(empty.OKButton->isEnabled());
    empty.ModifybuttonClick();  // beeps, nothing else
    empty.DeletebuttonClick();
    empty.OKButtonClick();
    EXPECT_EQ(empty.result(), 0);
    EXPECT_TRUE(empty.chosenName.isEmpty());
  }
  {
    TPhoneBook book(world.context);
    ASSERT_TRUE(book.openPhoneTable());
    book.show();
    addEntry(book, QString(40, 'N'), QString(30, '5'));  // cut to the field widths
    addEntry(book, "Harbour Freight Ltd", "+44 20 7946 0018");
  }
  TPhoneBook book(world.context);
  ASSERT_TRUE(book.openPhoneTable());
  book.setPickMode();
  book.show();
  EXPECT_EQ(book.model().text(1, 0), QString(35, 'N'));
  EXPECT_EQ(book.model().text(1, 1), QString(25, '5'));
  book.grid()->selectRow(0);
  book.OKButton->click();
  EXPECT_EQ(book.result(), QDialog::Accepted);
  EXPECT_EQ(book.chosenName, "Harbour Freight Ltd");
  EXPECT_EQ(book.chosenNumber, "+44 20 7946 0018");
}
