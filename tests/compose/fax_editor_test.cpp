// The fax editor: pages and zoom, field limits, cover fields by kind, the phone book pick,
// loading a cover template, the spelling check and the modal results.
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStackedWidget>
#include <QTableView>

#include <gtest/gtest.h>

#include "app/modal_answer.h"
#include "compose/compose_world.h"
#include "compose/cover_browse.h"
#include "compose/cover_fields.h"
#include "compose/fax_editor.h"
#include "compose/phone_book.h"
#include "richtext/field_object.h"
#include "richtext/rich_text_control.h"
#include "richtext/rich_text_toolbar.h"
#include "spell/dialog/spell_check_dialog.h"

using namespace quillon;
using compose::TFaxEditor;
using quillon::test::chooseInNextMenu;
using quillon::test::ComposeWorld;
using quillon::test::whenModal;

namespace {
class FaxEditor : public ::testing::Test {
  quillon::test::StrayMessageBoxGuard guard_;
};

const QDateTime kNow(QDate(2026, 12, 9), QTime(14, 5, 30));

void addPhoneEntry(ComposeWorld& world, const std::string& name, const std::string& phone) {
  ASSERT_TRUE(world.store.openPhoneDBF());
  store::Table& t = world.store.phoneTable();
  ASSERT_TRUE(t.appendBlank());
  t.replace(store::phonefield::NAME, name);
  t.replace(store::phonefield::PHONE, phone);
  ASSERT_TRUE(t.commit());
  t.close();
}

// A template holding every merge field and one of an unknown kind (9).
void addTemplate(ComposeWorld& world, const std::string& description) {
  richtext::TWPRichText editor;
  const std::pair<const char*, std::pair<int, const char*>> parts[] = {
      {"To: ", {1, "[RECIPIENT]"}}, {" Fax: ", {2, "[FAX#]"}}, {" Re: ", {3, "[SUBJECT]"}},
      {" On: ", {4, "[DATE]"}},     {"", {5, "[TIME]"}},       {"", {9, "[OTHER]"}}};
  for (const auto& [text, field] : parts) {
    QTextCursor cursor = editor.textCursor();
    cursor.insertText(text);
    editor.setTextCursor(cursor);
    editor.insertField(field.first, field.second);
  }
  ASSERT_TRUE(world.store.openCoverDBF());
  store::Table& t = world.store.coverTable();
  ASSERT_TRUE(t.appendBlank());
  t.replace(store::coverfield::DESCRIPT, description);
  ASSERT_TRUE(world.store.saveRichText(t, store::coverfield::COVER, editor.saveRtf()));
  ASSERT_TRUE(t.commit());
  t.close();
}
}  // namespace

TEST_F(FaxEditor, PagesZoomAndLimits) {
  ComposeWorld world;
  TFaxEditor editor(world.context);
  editor.show();
  EXPECT_EQ(editor.windowTitle(), "Fax Editor");
  EXPECT_EQ(editor.currentPage(), TFaxEditor::RecipientPage);
  EXPECT_TRUE(editor.RecipientButton->isChecked());
  EXPECT_FALSE(editor.Zoombutton->isVisible());
  EXPECT_EQ(editor.Recipient->maxLength(), 35);
  EXPECT_EQ(editor.FaxNumber->maxLength(), 25);
  EXPECT_EQ(editor.Subject->maxLength(), 50);
  EXPECT_TRUE(editor.OKButton->isDefault());
  for (auto* e : {editor.WPDoc, editor.WPCover}) {
    EXPECT_EQ(e->pageLayout().pageWidth, 12240);
    EXPECT_EQ(e->pageLayout().pageHeight, 15840);
    EXPECT_EQ(e->pageLayout().marginLeft, 720);
    EXPECT_EQ(e->pageLayout().marginBottom, 720);
  }
  EXPECT_EQ(editor.DocPageBreakButton->toolTip(), "Insert Page Break");
  EXPECT_EQ(editor.ParagraphSetupButton->toolTip(), "Paragraph properties");
  EXPECT_EQ(editor.LoadCoverButton->toolTip(), "Load Cover Sheet from Template");
  EXPECT_EQ(editor.LoadCoverButton->text(), "Load Template");
  EXPECT_EQ(editor.DocToolBar->height(), editor.CoverToolBar->height());

  editor.DocumentButton->click();
  EXPECT_EQ(editor.currentPage(), TFaxEditor::DocumentPage);
  EXPECT_TRUE(editor.Zoombutton->isVisible());
  auto chosen = chooseInNextMenu("80%");
  editor.Zoombutton->click();
  EXPECT_TRUE(*chosen);
  EXPECT_EQ(editor.WPDoc->zoom(), 80);
  EXPECT_EQ(editor.WPCover->zoom(), 100);
  EXPECT_EQ(editor.Zoombutton->text(), "80%");
  editor.CoverButton->click();
  EXPECT_EQ(editor.Zoombutton->text(), "100%");
  editor.setZoom(70);
  EXPECT_EQ(editor.WPCover->zoom(), 70);
  EXPECT_EQ(editor.WPDoc->zoom(), 80);
  editor.RecipientButton->click();
  EXPECT_FALSE(editor.Zoombutton->isVisible());
  editor.DocumentButton->click();
  EXPECT_EQ(editor.Zoombutton->text(), "80%");

  editor.Recipient->setText(QString(40, 'R'));
  EXPECT_EQ(editor.Recipient->text().size(), 35);
}

TEST_F(FaxEditor, CoverFieldsByKindAreCutTo100Characters) {
  ComposeWorld world;
  TFaxEditor editor(world.context);
  editor.clock = [] { return kNow; };
  editor.Recipient->setText("Harbour Freight Ltd");
  editor.FaxNumber->setText("+44 20 7946 0018");
  editor.Subject->setText(QString(50, 's'));
  EXPECT_EQ(editor.textToInsert(1), "Harbour Freight Ltd");
  EXPECT_EQ(editor.textToInsert(2), "+44 20 7946 0018");
  EXPECT_EQ(editor.textToInsert(3), QString(50, 's'));
  EXPECT_EQ(editor.textToInsert(4), QLocale::system().toString(kNow.date(), QLocale::ShortFormat));
  EXPECT_EQ(editor.textToInsert(5), QLocale::system().toString(kNow.time(), QLocale::LongFormat));
  EXPECT_EQ(editor.textToInsert(0), std::nullopt);
  EXPECT_EQ(editor.textToInsert(6), std::nullopt);
  compose::CoverFieldValues values{QString(150, 'x'), {}, {}, kNow};
  EXPECT_EQ(compose::coverFieldText(1, values)->size(), 100);
}

TEST_F(FaxEditor, PhoneBookPickFillsRecipientAndNumber) {
  ComposeWorld world;
  TFaxEditor editor(world.context);
  editor.show();
  // An empty phone book: Accept is not offered; Cancel changes nothing.
  editor.Recipient->setText("typed");
  bool acceptEnabled = true;
  auto seen = whenModal<compose::TPhoneBook>([&](compose::TPhoneBook& book) {
    acceptEnabled = book.OKButton->isEnabled();
    EXPECT_FALSE(book.Closebutton->isVisible());
    book.Cancelbutton->click();
  });
  editor.AddressButton->click();
  EXPECT_TRUE(*seen);
  EXPECT_FALSE(acceptEnabled);
  EXPECT_EQ(editor.Recipient->text(), "typed");

  addPhoneEntry(world, "Baker & Sons", "555 0102");
  addPhoneEntry(world, "adams", "555 0101");
  seen = whenModal<compose::TPhoneBook>([](compose::TPhoneBook& book) {
    book.grid()->selectRow(1);
    book.OKButton->click();
  });
  editor.AddressButton->click();
  EXPECT_TRUE(*seen);
  EXPECT_EQ(editor.Recipient->text(), "Baker & Sons");
  EXPECT_EQ(editor.FaxNumber->text(), "555 0102");
  EXPECT_FALSE(world.store.phoneTable().isOpen());
}

TEST_F(FaxEditor, LoadTemplateFillsFieldsAsTheyStandNow) {
  ComposeWorld world;
  addTemplate(world, "Standard");
  TFaxEditor editor(world.context);
  editor.clock = [] { return kNow; };
  editor.show();
  editor.Recipient->setText("Dr. Amelie Laurent");
  editor.FaxNumber->setText("555 0199");
  editor.Subject->setText("Lab results");
  editor.CoverButton->click();
  auto seen = whenModal<compose::TCoverBrowse>([](compose::TCoverBrowse& browser) {
    EXPECT_TRUE(browser.Acceptbutton->isVisible());
    EXPECT_FALSE(browser.CloseButton->isVisible());
    browser.Acceptbutton->click();
  });
  editor.LoadCoverButton->trigger();
  EXPECT_TRUE(*seen);
  const QString date = QLocale::system().toString(kNow.date(), QLocale::ShortFormat);
  const QString time = QLocale::system().toString(kNow.time(), QLocale::LongFormat);
  EXPECT_EQ(editor.WPCover->plainText(),
            "To: Dr. Amelie Laurent Fax: 555 0199 Re: Lab results On: " + date + time + "[OTHER]\n");
  auto fields = richtext::fieldsOf(*editor.WPCover->document());
  ASSERT_EQ(fields.size(), 1u);  // only the unknown kind stays a field
  EXPECT_EQ(fields[0].second, 9);
  EXPECT_FALSE(world.store.coverTable().isOpen());
  editor.Recipient->setText("Someone else");  // the loaded cover keeps its text
  EXPECT_TRUE(editor.WPCover->plainText().startsWith("To: Dr. Amelie Laurent"));
}

TEST_F(FaxEditor, ModalResultsSpellingAndPlacement) {
  ComposeWorld world;
  {
    TFaxEditor editor(world.context);
    QTimer::singleShot(0, &editor, [&] { editor.OKButton->click(); });
    EXPECT_EQ(editor.exec(), 1);
  }
  {
    TFaxEditor editor(world.context);
    QTimer::singleShot(0, &editor, [&] { editor.CancelButton->click(); });
    EXPECT_EQ(editor.exec(), 2);
  }
  {
    TFaxEditor editor(world.context);
    QTimer::singleShot(0, &editor, [&] { editor.close(); });
    EXPECT_EQ(editor.exec(), 2);
  }
  EXPECT_NE(world.dir.read("QLN.INI").find("[TFaxEditor_Placement"), std::string::npos);

  TFaxEditor editor(world.context);
  editor.show();
  editor.DocumentButton->click();
  editor.WPDoc->textCursor().insertText("Helo wrld");
  auto seen = whenModal<spell::TSpellCheckDialog>([](spell::TSpellCheckDialog& dialog) {
    EXPECT_EQ(dialog.windowTitle(), "Spell Check");
    dialog.reject();
  });
  editor.DocToolBar->spellAction()->trigger();
  EXPECT_TRUE(*seen);
}
