// The cover template browser and editor: clone, New, delete, merge fields, zoom, word wrap,
// page break and the default font.
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTextBlock>

#include <gtest/gtest.h>

#include "app/fax_list_model.h"
#include "app/modal_answer.h"
#include "compose/compose_world.h"
#include "compose/cover_browse.h"
#include "compose/cover_editor.h"
#include "compose/editor_commands.h"
#include "richtext/field_object.h"
#include "richtext/rich_text_control.h"
#include "richtext/rich_text_toolbar.h"

using namespace quillon;
using compose::TCoverBrowse;
using compose::TCoverEditor;
using quillon::test::answerNextMessageBox;
using quillon::test::chooseInNextMenu;
using quillon::test::ComposeWorld;
using quillon::test::whenModal;

namespace {
class Covers : public ::testing::Test {
  quillon::test::StrayMessageBoxGuard guard_;
};

// Adds a template through New: `text` typed, then the Date field inserted.
void newTemplate(TCoverBrowse& browser, const QString& description, const QString& text) {
  auto seen = whenModal<TCoverEditor>([=](TCoverEditor& editor) {
    editor.CoverDescription->setText(description);
    editor.WPCover->textCursor().insertText(text);
    editor.OKbutton->click();
  });
  browser.NewButton->click();
  EXPECT_TRUE(*seen);
}
}  // namespace

TEST_F(Covers, CloneOfStandardCopiesItAndALaterNewStartsAfresh) {
  ComposeWorld world;
  ASSERT_TRUE(world.store.openCoverDBF());
  TCoverBrowse browser(world.context);
  browser.show();
  EXPECT_EQ(browser.windowTitle(), "Cover Sheet Template Browser");
  EXPECT_FALSE(browser.Acceptbutton->isVisible());
  EXPECT_FALSE(browser.CloneButton->isEnabled());

  QString firstDescription;
  bool firstEmpty = false;
  auto seen = whenModal<TCoverEditor>([&](TCoverEditor& editor) {
    firstDescription = editor.CoverDescription->text();
    firstEmpty = editor.WPCover->isEmpty();
    editor.CoverDescription->setText("Standard");
    editor.WPCover->textCursor().insertText("Our standard cover ");
    editor.WPCover->insertField(4, "[DATE]");
    editor.OKbutton->click();
  });
  browser.NewButton->click();
  ASSERT_TRUE(*seen);
  EXPECT_EQ(firstDescription, "{description}");
  EXPECT_TRUE(firstEmpty);
  EXPECT_EQ(browser.model().text(0, 0), "Standard");

  QString cloneDescription, cloneText;
  int cloneFields = 0;
  whenModal<TCoverEditor>([&](TCoverEditor& editor) {
    cloneDescription = editor.CoverDescription->text();
    cloneText = editor.WPCover->plainText();
    cloneFields = int(richtext::fieldsOf(*editor.WPCover->document()).size());
    editor.OKbutton->click();
  });
  browser.CloneButton->click();
  EXPECT_EQ(cloneDescription, "[clone]Standard");
  EXPECT_EQ(cloneText, "Our standard cover [DATE]\n");
  EXPECT_EQ(cloneFields, 1);
  EXPECT_FALSE(browser.cloneRequest);
  EXPECT_EQ(browser.model().rowCount(), 2);

  whenModal<TCoverEditor>([&](TCoverEditor& editor) {
    firstDescription = editor.CoverDescription->text();
    firstEmpty = editor.WPCover->isEmpty();
    editor.CancelButton->click();
  });
  browser.NewButton->click();
  EXPECT_EQ(firstDescription, "{description}");
  EXPECT_TRUE(firstEmpty);
  EXPECT_EQ(browser.model().rowCount(), 2);

  // A description is cut to 35 characters when stored.
  newTemplate(browser, QString(40, 'D'), "long");
  EXPECT_EQ(browser.model().text(0, 0), QString(35, 'D'));

  auto no = answerNextMessageBox(QMessageBox::No);
  browser.grid()->selectRow(1);
  const QString current = browser.model().text(1, 0);
  browser.DeleteButton->click();
  EXPECT_EQ(no->text, "Delete the current cover template?:\n" + current);
  EXPECT_EQ(no->defaultButton, QMessageBox::No);
  answerNextMessageBox(QMessageBox::Yes);
  browser.DeleteButton->click();
  EXPECT_EQ(browser.model().rowCount(), 2);
}

TEST_F(Covers, EditorInsertsFieldsZoomsWrapsAndBreaksPages) {
  ComposeWorld world;
  TCoverEditor editor(world.context);
  editor.show();
  EXPECT_EQ(editor.windowTitle(), "Cover Sheet Template Editor");
  EXPECT_EQ(editor.WPCover->pageLayout(), richtext::PageLayout{});
  EXPECT_EQ(editor.Zoombutton->text(), "100%");
  EXPECT_EQ(editor.ParagraphButton->toolTip(), "Paragraph properties");
  EXPECT_EQ(editor.PageBreakButton->toolTip(), "Insert Page Break");
  EXPECT_EQ(editor.DefFontButton->toolTip(), "Set the default font for the editor");
  EXPECT_EQ(editor.CoverDescription->toolTip(), "Enter a description for this cover sheet template here");

  QStringList items;
  for (QAction* a : editor.InsertMenu->actions()) items << a->text();
  EXPECT_EQ(items, (QStringList{"Recipient", "Fax Number", "Subject", "Date", "Time"}));
  editor.WPCover->textCursor().insertText("Typed [DATE] ");
  editor.WPCover->moveCaretToStart();
  auto chosen = chooseInNextMenu("Date");
  editor.InsertButton->click();
  EXPECT_TRUE(*chosen);
  auto fields = richtext::fieldsOf(*editor.WPCover->document());
  ASSERT_EQ(fields.size(), 1u);
  EXPECT_EQ(fields[0].second, 4);
  EXPECT_EQ(editor.WPCover->plainText(), "[DATE]Typed [DATE] \n");
  // The inserted field takes the date; the typed characters stay text.
  editor.WPCover->replaceFields([](int n) -> std::optional<QString> {
    return n == 4 ? std::optional<QString>("12/9/26") : std::nullopt;
  });
  EXPECT_EQ(editor.WPCover->plainText(), "12/9/26Typed [DATE] \n");

  chosen = chooseInNextMenu("70%");
  editor.Zoombutton->click();
  EXPECT_TRUE(*chosen);
  EXPECT_EQ(editor.WPCover->zoom(), 70);
  EXPECT_EQ(editor.Zoombutton->text(), "70%");
  bool ticked = false;
  for (QAction* a : editor.ZoomMenu->actions()) ticked |= a->isChecked() && a->data().toInt() == 70;
  EXPECT_TRUE(ticked);

  const bool wrap = editor.WPCover->wordWrap();
  EXPECT_EQ(editor.WordWrapButton->isChecked(), wrap);
  EXPECT_EQ(editor.WordWrapButton->toolTip(), compose::wordWrapHint(wrap));
  editor.WordWrapButton->trigger();
  EXPECT_EQ(editor.WPCover->wordWrap(), !wrap);
  EXPECT_EQ(editor.WordWrapButton->isChecked(), !wrap);
  EXPECT_EQ(editor.WordWrapButton->toolTip(), wrap ? "Toggle word wrap on" : "Toggle word wrap off");

  editor.WPCover->textCursor().insertText("\nSecond page");
  auto no = answerNextMessageBox(QMessageBox::No);
  editor.PageBreakButton->trigger();
  EXPECT_EQ(no->text, "Add a page break here?");
  EXPECT_EQ(no->caption, "Page Break");
  EXPECT_EQ(no->defaultButton, QMessageBox::No);
  EXPECT_FALSE(editor.WPCover->newPageFlag());
  answerNextMessageBox(QMessageBox::Yes);
  editor.PageBreakButton->trigger();
  EXPECT_TRUE(editor.WPCover->newPageFlag());
  EXPECT_EQ(editor.WPCover->pageCount(), 2);
}

TEST_F(Covers, DefaultFontIsStoredInTheSettingsAndLeavesTheTextAlone) {
  ComposeWorld world;
  TCoverEditor editor(world.context);
  editor.show();
  editor.WPCover->textCursor().insertText("Kept");
  const QTextCharFormat before = editor.WPCover->currentCharFormat();
  QFont offered;
  compose::fontChooser() = [&](const QFont& initial, QWidget*) -> std::optional<QFont> {
    offered = initial;
    QFont chosen("DejaVu Serif");
    chosen.setPointSize(14);
    chosen.setBold(true);
    chosen.setItalic(true);
    return chosen;
  };
  editor.DefFontButton->trigger();
  EXPECT_EQ(offered.family(), "Arial");
  EXPECT_EQ(offered.pointSize(), 10);
  settings::Settings stored = world.settingsStore.load().values;
  EXPECT_EQ(stored.fontName, "DejaVu Serif");
  EXPECT_EQ(stored.fontSize, 14);
  EXPECT_TRUE(stored.fontBold);
  EXPECT_TRUE(stored.fontItalic);
  EXPECT_FALSE(stored.fontUnderline);
  EXPECT_EQ(editor.WPCover->currentCharFormat().fontWeight(), before.fontWeight());
  compose::fontChooser() = [](const QFont&, QWidget*) -> std::optional<QFont> { return std::nullopt; };
  editor.DefFontButton->trigger();  // cancelled: nothing changes
  EXPECT_EQ(world.settingsStore.load().values.fontSize, 14);
}

TEST_F(Covers, EditorPlacementIsSavedAndRestored) {
  ComposeWorld world;
  {
    TCoverEditor editor(world.context);
    editor.show();
    editor.resize(700, 500);
    editor.move(40, 30);
    QApplication::processEvents();
    editor.reject();
  }
  const std::string ini = world.dir.read("QLN.INI");
  EXPECT_NE(ini.find("[TCoverEditor_Placement"), std::string::npos) << ini;
  TCoverEditor again(world.context);
  // The stored rectangle holds the frame; offscreen that adds a few pixels at most.
  EXPECT_NEAR(again.width(), 700, 8);
  EXPECT_NEAR(again.height(), 500, 8);
}
