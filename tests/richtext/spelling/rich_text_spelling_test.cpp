// The spelling dialog over a real rich-text control: formatted text with a field, the tool
// bar's spelling button opening the dialog, replacements keeping the formatting, the closing
// notice through the caller's hook, and a picture of the dialog over the control.
#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTimer>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>

#include "richtext/rich_text_control.h"
#include "richtext/rich_text_toolbar.h"
#include "richtext/spelling/rich_text_spelling.h"
#include "spell/acrop_spell.h"
#include "spell/dialog/spell_check_dialog.h"
#include "richtext/sample_documents.h"
#include "spell/spell_files.h"

namespace quillon::richtext {
namespace {

// Bold "Teh", a field, an italic misspelling and a second paragraph.
constexpr const char* kLetter =
    "{\\rtf1\\ansi{\\fonttbl{\\f0 DejaVu Sans;}}\\f0\\fs24 Dear {\\field{\\*\\fldinst QUILLONFIELD 1}"
    "{\\fldrslt [RECIPIENT]}},\\par {\\b Teh} fax machine is {\\i redy} to send.\\par Kind regards\\par}";

struct RichTextSpelling : ::testing::Test {
  test::TempDir dir;
  QWidget window;
  TWPRichText* editor = new TWPRichText;
  TWPToolBar* bar = new TWPToolBar(editor);
  QStringList notices;

  void SetUp() override {
    test::writeMainDictionary(dir, {"dear", "the", "fax", "machine", "is", "ready", "to", "send", "kind", "regards"});
    auto* layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(bar);
    layout->addWidget(editor);
    window.resize(900, 640);
    window.show();
    editor->loadRtf(kLetter);
    connectSpellCheck(*editor, [this] { return dir.path(); }, [this](const QString& text) { notices << text; });
  }

  // Presses the tool bar's spelling button; `step` runs once the modal dialog shows its first word.
  int spellCheck(const std::function<void(spell::TSpellCheckDialog&)>& step) {
    bool stepped = false;
    QTimer poll;  // local timers: none outlives this call
    QObject::connect(&poll, &QTimer::timeout, [&] {
      auto* dialog = qobject_cast<spell::TSpellCheckDialog*>(QApplication::activeModalWidget());
      if (stepped || !dialog || dialog->Word->text().isEmpty()) return;
      stepped = true;
      step(*dialog);
    });
    poll.start(5);
    QTimer guard;  // never hang on a window nobody answers
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] {
      if (auto* w = qobject_cast<QDialog*>(QApplication::activeModalWidget())) w->reject();
    });
    guard.start(5000);
    int result = -1;
    editor->OnStartSpellCheck = [this, &result](TWPRichText& e) {
      RichTextWordScan scan(e);
      spell::TSpellCheckDialog dialog(scan, dir.path(), &window);
      dialog.InfoNotice = [this](const QString& text) { notices << text; };
      result = dialog.exec();
    };
    bar->spellAction()->trigger();
    return result;
  }
  QTextCharFormat formatAt(int position) const {
    QTextCursor c(editor->document());
    c.setPosition(position + 1);
    return c.charFormat();
  }
};

TEST_F(RichTextSpelling, TheToolBarButtonOpensTheDialogAndItCorrectsTheControlsText) {
  bool opened = false;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<spell::TSpellCheckDialog*>(QApplication::activeModalWidget());
    opened = dialog != nullptr;
    if (dialog) dialog->reject();
  });
  bar->spellAction()->trigger();  // through connectSpellCheck
  EXPECT_TRUE(opened);

  int result = spellCheck([&](spell::TSpellCheckDialog& dialog) {
    EXPECT_EQ(dialog.Word->text(), "Teh");  // the field's [RECIPIENT] is not a word
    EXPECT_EQ(editor->HighlightedWord(), "Teh");
    EXPECT_EQ(dialog.ReplaceAs->text(), "The");
    QTest::mouseClick(dialog.Replace, Qt::LeftButton);
    EXPECT_EQ(dialog.Word->text(), "redy");
    EXPECT_EQ(editor->HighlightedWord(), "redy");
    QTest::mouseClick(dialog.Replace, Qt::LeftButton);
  });
  EXPECT_EQ(result, QDialog::Accepted);
  EXPECT_EQ(notices, QStringList{"Spell check complete"});
  EXPECT_EQ(editor->plainText(), "Dear [RECIPIENT],\nThe fax machine is ready to send.\nKind regards\n");
  EXPECT_EQ(editor->HighlightedWord(), "");  // cleared on closing
  const QString text = editor->document()->toPlainText();
  EXPECT_EQ(formatAt(text.indexOf("The")).fontWeight(), QFont::Bold);  // replacements keep the format
  EXPECT_TRUE(formatAt(text.indexOf("ready")).fontItalic());
  EXPECT_FALSE(formatAt(text.indexOf(" to")).fontItalic());
  EXPECT_TRUE(QString::fromStdString(editor->saveRtf()).contains("QUILLONFIELD 1"));  // the field stays
}

TEST_F(RichTextSpelling, AddAndCancel) {
  int result = spellCheck([&](spell::TSpellCheckDialog& dialog) {
    QTest::mouseClick(dialog.Addbutton, Qt::LeftButton);  // "Teh" into qlnu.dct
    EXPECT_EQ(dialog.Word->text(), "redy");
    QTest::mouseClick(dialog.Cancelbutton, Qt::LeftButton);
  });
  EXPECT_EQ(result, QDialog::Rejected);
  EXPECT_TRUE(notices.isEmpty());
  EXPECT_EQ(editor->HighlightedWord(), "");
  EXPECT_EQ(editor->plainText(), "Dear [RECIPIENT],\nTeh fax machine is redy to send.\nKind regards\n");
  spell::TAcropSpell check;
  ASSERT_GE(check.OpenUserDictionary(dir.file("qlnu.dct")), 0);
  EXPECT_TRUE(check.IsWord("Teh"));
}

TEST_F(RichTextSpelling, ScreenshotOfTheDialogOverTheControl) {
  // The program's own dictionary on the sample cover letter with one misspelling typed in.
  if (!std::filesystem::exists(QUILLON_MAIN_DICTIONARY)) GTEST_SKIP() << "qln.dct was not built (no word list)";
  std::filesystem::copy_file(QUILLON_MAIN_DICTIONARY, dir.file("qln.dct"),
                             std::filesystem::copy_options::overwrite_existing);
  std::string letter = test::richTextData("cover_letter.rtf");
  const auto at = letter.find("grateful");
  ASSERT_NE(at, std::string::npos);
  letter.replace(at, 8, "greatful");
  const char* folder = std::getenv("QUILLON_SCREENSHOT_DIR");
  const std::string out = folder ? std::string(folder) + "/" : dir.path();
  window.setWindowTitle("Fax Editor");
  window.resize(1040, 800);
  editor->loadRtf(letter);
  bool saved = false;
  spellCheck([&](spell::TSpellCheckDialog& dialog) {
    for (int skips = 0; skips < 50 && dialog.Word->text() != "greatful"; ++skips)
      QTest::mouseClick(dialog.GetNextWordButton, Qt::LeftButton);
    EXPECT_EQ(dialog.Word->text(), "greatful");
    EXPECT_EQ(dialog.ReplaceAs->text(), "grateful");
    dialog.move(window.geometry().topLeft() + QPoint(window.width() - dialog.width() - 40, 300));
    QApplication::processEvents();
    QImage picture = window.grab().toImage();
    {  // the dialog is a window of its own: draw it over the editor where it stands
      QPainter painter(&picture);
      painter.drawImage(dialog.geometry().topLeft() - window.geometry().topLeft(), dialog.grab().toImage());
    }
    saved = picture.save(QString::fromStdString(out + "spell_check_dialog.png"));
    dialog.reject();
  });
  EXPECT_TRUE(saved);
}

}  // namespace
}  // namespace quillon::richtext
