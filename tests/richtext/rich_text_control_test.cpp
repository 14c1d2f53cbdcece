// The control's operations on an offscreen window: fields, caret and delete around them,
// zoom, word wrap, the new-page flag, page painting, the word scan, the tool bar and the
// paragraph dialog.
#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFontComboBox>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <QTextBlock>

#include <gtest/gtest.h>

#include <algorithm>

#include "richtext/paragraph_prop_dlg.h"
#include "richtext/rich_text_control.h"
#include "richtext/rich_text_toolbar.h"
#include "richtext/sample_documents.h"
#include "richtext/toolbar_icons.h"

namespace quillon::richtext {
namespace {

class Control : public ::testing::Test {
 protected:
  void SetUp() override {
    editor.resize(900, 700);
    editor.setPageLayout(PageLayout{});
    editor.show();
    editor.setFocus();
  }
  void type(const QString& text) { QTest::keyClicks(editor.viewport(), text); }
  void key(Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) { QTest::keyClick(&editor, k, m); }
  int caret() const { return editor.textCursor().position(); }
  QString rawText() const { return editor.document()->toRawText(); }

  TWPRichText editor;
};

const QString kField(QChar::ObjectReplacementCharacter);

TEST_F(Control, TypingFieldsAndReplacingThemByNumber) {
  type("Dear ");
  editor.insertField(1, "[RECIPIENT]");
  type(", on ");
  editor.insertField(4, "[DATE]");
  editor.insertField(9, "[UNKNOWN]");
  EXPECT_EQ(rawText(), "Dear " + kField + ", on " + kField + kField);
  EXPECT_EQ(editor.plainText(), "Dear [RECIPIENT], on [DATE][UNKNOWN]\n");
  EXPECT_FALSE(isField(editor.currentCharFormat())) << "what is typed after a field is ordinary text";

  std::vector<int> asked;
  editor.OnGetTextToInsert = [&](int number) -> std::optional<QString> {
    asked.push_back(number);
    if (number == 1) return QStringLiteral("Mrs Jones");
    if (number == 4) return QStringLiteral("12/09/2026");
    return std::nullopt;  // other kinds supply nothing: the field stays
  };
  EXPECT_EQ(editor.replaceFields(), 2);
  EXPECT_EQ(rawText(), "Dear Mrs Jones, on 12/09/2026" + kField);
  std::sort(asked.begin(), asked.end());
  EXPECT_EQ(asked, (std::vector<int>{1, 4, 9}));
  // The replaced text is ordinary text: a second run finds only the field left.
  EXPECT_EQ(fieldsOf(*editor.document()).size(), 1u);
}

TEST_F(Control, FieldsAreDrawnInTheInsertionPointColour) {
  editor.loadRtf("{\\rtf1 plain {\\field{\\*\\fldinst QUILLONFIELD 2}{\\fldrslt [FAX#]}}}");
  QImage page(600, 200, QImage::Format_RGB32);
  page.fill(Qt::white);
  QPainter painter(&page);
  editor.paintPage(painter, page.rect(), 0);
  painter.end();
  int red = 0, black = 0;
  for (int y = 0; y < page.height(); ++y)
    for (int x = 0; x < page.width(); ++x) {
      const QColor c = page.pixelColor(x, y);
      red += c.red() > 200 && c.green() < 80 && c.blue() < 80;
      black += c.red() < 80 && c.green() < 80 && c.blue() < 80;
    }
  EXPECT_EQ(insertPointColour(), QColor(Qt::red));
  EXPECT_GT(red, 30);    // "[FAX#]"
  EXPECT_GT(black, 30);  // "plain"
}

TEST_F(Control, ReplacedFieldsKeepTheFieldsCharacterFormat) {
  editor.setBold(true);
  editor.insertField(3, "[SUBJECT]");
  editor.replaceFields([](int) { return QStringLiteral("Invoice"); });
  QTextCursor c(editor.document());
  c.setPosition(3);
  EXPECT_EQ(c.charFormat().fontWeight(), QFont::Bold);
  EXPECT_FALSE(isField(c.charFormat()));
}

TEST_F(Control, TheCaretNeverStandsInsideAFieldAndDeleteRemovesItWhole) {
  type("ab");
  editor.insertField(2, "[FAX#]");
  type("cd");
  key(Qt::Key_Home);
  std::vector<int> positions{caret()};
  for (int i = 0; i < 5; ++i) {
    key(Qt::Key_Right);
    positions.push_back(caret());
  }
  EXPECT_EQ(positions, (std::vector<int>{0, 1, 2, 3, 4, 5}));  // the field is one step
  // Clicking anywhere on the field puts the caret before or after it.
  const QRectF sheet = editor.pageRectInView(0);
  for (int x = 0; x < 200; x += 3) {
    QTest::mouseClick(editor.viewport(), Qt::LeftButton, {}, QPoint(int(sheet.left()) + 48 + x, int(sheet.top()) + 55));
    EXPECT_TRUE(caret() <= 2 || caret() >= 3) << caret();
  }
  QTextCursor c = editor.textCursor();
  c.setPosition(3);
  editor.setTextCursor(c);
  key(Qt::Key_Backspace);
  EXPECT_EQ(rawText(), "abcd");
  editor.undo();
  EXPECT_EQ(rawText(), "ab" + kField + "cd");
  c.setPosition(2);
  editor.setTextCursor(c);
  key(Qt::Key_Delete);
  EXPECT_EQ(rawText(), "abcd");
}

TEST_F(Control, FieldsSurviveCopyAndPasteAndTheRtfRoundTrip) {
  type("To: ");
  editor.insertField(1, "[RECIPIENT]");
  editor.selectAll();
  editor.copy();
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "To: [RECIPIENT]");
  key(Qt::Key_End);
  editor.paste();
  EXPECT_EQ(fieldsOf(*editor.document()).size(), 2u);

  TWPRichText other;
  other.loadRtf(editor.saveRtf());
  EXPECT_EQ(other.saveRtf(), editor.saveRtf());
  EXPECT_EQ(fieldsOf(*other.document()), fieldsOf(*editor.document()));
}

TEST_F(Control, ZoomScalesThePaintingButNotTheLayout) {
  editor.loadRtf(test::sampleDocuments()[2].second);
  const int pages = editor.pageCount();
  const int lastStart = editor.document()->lastBlock().position();
  const double width100 = editor.pageRectInView(0).width();
  editor.setZoom(70);
  EXPECT_EQ(editor.zoom(), 70);
  EXPECT_NEAR(editor.pageRectInView(0).width(), width100 * 0.7, 0.01);
  EXPECT_EQ(editor.pageCount(), pages);
  EXPECT_EQ(editor.document()->lastBlock().position(), lastStart);
  editor.setZoom(1000);
  EXPECT_EQ(editor.zoom(), 500);
  // A page painted at 208 % is 208 % the size.
  editor.setZoom(208);
  QImage image(1664, 2156, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  EXPECT_EQ(editor.paintPage(painter, QRectF(49, 49, 1566, 2058), 0), 0);
  painter.end();
  int right = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (qGray(image.pixel(x, y)) < 128) right = std::max(right, x);
  EXPECT_GT(right, 49 + 1400);  // justified text reaches the right margin at about 200 dpi
  EXPECT_LT(right, 49 + 1566);
}

TEST_F(Control, WordWrapOffKeepsEachParagraphOnOneLine) {
  editor.loadRtf(test::sampleDocuments()[2].second);
  const QTextBlock justified = editor.document()->findBlockByNumber(2);
  editor.document()->documentLayout()->documentSize();
  EXPECT_GT(justified.layout()->lineCount(), 1);
  editor.setWordWrap(false);
  EXPECT_FALSE(editor.wordWrap());
  editor.document()->documentLayout()->documentSize();
  EXPECT_EQ(justified.layout()->lineCount(), 1);
  EXPECT_GT(editor.pageRectInView(0).width(), editor.document()->pageSize().width());  // the sheet widens
  editor.setWordWrap(true);
  editor.document()->documentLayout()->documentSize();
  EXPECT_GT(justified.layout()->lineCount(), 1);
}

TEST_F(Control, TheNewPageFlagStartsAPageAndPaintingWalksThePages) {
  type("first");
  key(Qt::Key_Return);
  type("second");
  EXPECT_EQ(editor.pageCount(), 1);
  editor.insertPageBreak();
  EXPECT_TRUE(editor.newPageFlag());
  EXPECT_EQ(editor.pageCount(), 2);
  key(Qt::Key_Return);  // the flag stays with its paragraph
  type("third");
  EXPECT_FALSE(editor.newPageFlag());
  EXPECT_EQ(editor.pageCount(), 2);
  EXPECT_NE(editor.saveRtf().find("\\pard\\pagebb\\plain"), std::string::npos);

  QImage image(400, 500, QImage::Format_RGB32);
  QPainter painter(&image);
  const int second = editor.paintPage(painter, image.rect(), 0);
  EXPECT_EQ(second, 6);  // "first" and its paragraph end
  EXPECT_EQ(editor.paintPage(painter, image.rect(), second), 0);
  editor.setNewPageFlag(false);
  QTextCursor c = editor.textCursor();
  c.setPosition(7);
  editor.setTextCursor(c);
  editor.setNewPageFlag(false);
  EXPECT_EQ(editor.pageCount(), 1);
}

TEST_F(Control, LongTextBreaksIntoPagesThatFitTheTextArea) {
  editor.loadRtf(test::longDocument());
  const int pages = editor.pageCount();
  EXPECT_GT(pages, 190);
  QImage image(10, 10, QImage::Format_RGB32);
  QPainter painter(&image);
  int count = 0, position = 0;
  do {
    const int next = editor.paintPage(painter, image.rect(), position);
    EXPECT_TRUE(next == 0 || next > position);
    position = next;
    ++count;
  } while (position > 0 && count < 1000);
  EXPECT_EQ(count, pages);
}

TEST_F(Control, WordScanHighlightAndReplace) {
  editor.loadRtf("{\\rtf1 Teh quick-witted fox's {\\field{\\*\\fldinst QUILLONFIELD 1}{\\fldrslt [RECIPIENT]}} "
                 "42 jumpd\\par second line}");
  editor.StartWordScan();
  QStringList words;
  QString word;
  while (editor.NextWord(word)) words << word;
  EXPECT_EQ(words, (QStringList{"Teh", "quick-witted", "fox's", "jumpd", "second", "line"}));

  editor.StartWordScan();
  ASSERT_TRUE(editor.NextWord(word));
  editor.HighlightWord();
  EXPECT_EQ(editor.HighlightedWord(), "Teh");
  EXPECT_TRUE(editor.ReplaceHighlightedWord("The"));
  for (int i = 0; i < 3; ++i) editor.NextWord(word);
  EXPECT_EQ(word, "jumpd");
  editor.HighlightWord();
  EXPECT_TRUE(editor.ReplaceHighlightedWord("jumped over"));
  ASSERT_TRUE(editor.NextWord(word));
  EXPECT_EQ(word, "second");  // the scan goes on after the replacement
  editor.ClearHighlight();
  EXPECT_EQ(editor.HighlightedWord(), "");
  EXPECT_FALSE(editor.ReplaceHighlightedWord("x"));
  EXPECT_EQ(editor.plainText(), "The quick-witted fox's [RECIPIENT] 42 jumped over\nsecond line\n");
}

TEST_F(Control, EmptinessTest) {
  EXPECT_TRUE(editor.isEmpty());
  editor.loadRtf("{\\rtf1    \\par   \\par\\tab\\par}");
  EXPECT_TRUE(editor.isEmpty());
  editor.loadRtf("{\\rtf1 " + std::string(300, ' ') + "}");
  EXPECT_FALSE(editor.isEmpty()) << "256 characters or more, even blanks, are content";
  editor.loadRtf("{\\rtf1 \\par {\\field{\\*\\fldinst QUILLONFIELD 4}{\\fldrslt [DATE]}}}");
  EXPECT_FALSE(editor.isEmpty());
  std::string late = "{\\rtf1 ";
  for (int i = 0; i < 210; ++i) late += "\\par";
  editor.loadRtf(late + " x}");
  EXPECT_TRUE(editor.isEmpty()) << "only the first 201 paragraphs are looked at";
}

TEST_F(Control, ToolBarFormatsAndRaisesStartSpellCheck) {
  TWPToolBar bar(&editor);
  int spellChecks = 0;
  editor.OnStartSpellCheck = [&](TWPRichText& e) {
    EXPECT_EQ(&e, &editor);
    ++spellChecks;
  };
  type("hello world");
  editor.selectAll();
  bar.boldAction()->trigger();
  bar.underlineAction()->trigger();
  bar.alignCentreAction()->trigger();
  bar.fontSizes()->setCurrentText("18");
  emit bar.fontSizes()->textActivated("18");
  QTextCursor c(editor.document());
  c.setPosition(3);
  EXPECT_EQ(c.charFormat().fontWeight(), QFont::Bold);
  EXPECT_TRUE(c.charFormat().fontUnderline());
  EXPECT_EQ(c.charFormat().fontPointSize(), 18.0);
  EXPECT_EQ(c.blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
  EXPECT_TRUE(bar.boldAction()->isChecked());
  EXPECT_TRUE(bar.alignCentreAction()->isChecked());
  bar.normalAction()->trigger();
  c.setPosition(3);
  EXPECT_EQ(c.charFormat().fontWeight(), QFont::Normal);
  EXPECT_FALSE(c.charFormat().fontUnderline());
  EXPECT_FALSE(bar.boldAction()->isChecked());
  bar.spellAction()->trigger();
  EXPECT_EQ(spellChecks, 1);
  editor.selectAll();
  bar.cutAction()->trigger();
  EXPECT_EQ(editor.plainText(), "\n");
  bar.pasteAction()->trigger();
  bar.pasteAction()->trigger();
  EXPECT_EQ(editor.plainText(), "hello worldhello world\n");
  editor.selectAll();
  bar.copyAction()->trigger();
  EXPECT_EQ(QApplication::clipboard()->text(), "hello worldhello world");
  EXPECT_EQ(TWPToolBar::fontSizeList().front(), 8);
  EXPECT_GT(bar.fontNames()->count(), 0);

  bool clicked = false;
  QAction* wrap = bar.addButton("DocWordWrapButton", toolIcon(ToolIcon::WordWrap), "Toggle word wrap on",
                                [&] { clicked = true; }, true);
  wrap->trigger();
  EXPECT_TRUE(clicked);
  EXPECT_TRUE(wrap->isChecked());
  EXPECT_EQ(wrap->toolTip(), "Toggle word wrap on");
}

TEST_F(Control, ParagraphDialogAppliesToTheCurrentParagraph) {
  editor.loadRtf("{\\rtf1 one\\par\\pard\\li720\\sa120 two\\par\\pard three}");
  QTextCursor c = editor.textCursor();
  c.setPosition(5);  // in "two"
  editor.setTextCursor(c);
  TParagraphPropDlg dialog(editor);
  EXPECT_EQ(dialog.windowTitle(), "Paragraph Properties");
  EXPECT_DOUBLE_EQ(dialog.leftIndent()->value(), 0.5);
  EXPECT_DOUBLE_EQ(dialog.spaceAfter()->value(), 6.0);
  dialog.firstLineIndent()->setValue(0.25);
  dialog.spaceBefore()->setValue(12);
  dialog.lineSpacing()->setValue(1.5);
  dialog.alignment()->setCurrentIndex(2);  // right
  dialog.accept();
  const QTextBlockFormat two = editor.document()->findBlockByNumber(1).blockFormat();
  EXPECT_EQ(pixelsToTwips(two.leftMargin()), 720);  // untouched values keep their exact size
  EXPECT_EQ(pixelsToTwips(two.textIndent()), 360);
  EXPECT_EQ(pixelsToTwips(two.topMargin()), 240);
  EXPECT_EQ(pixelsToTwips(two.bottomMargin()), 120);
  EXPECT_DOUBLE_EQ(two.lineHeight(), 150.0);
  EXPECT_EQ(two.alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
  for (int other : {0, 2}) {
    const QTextBlockFormat f = editor.document()->findBlockByNumber(other).blockFormat();
    EXPECT_EQ(f.textIndent(), 0);
    EXPECT_EQ(f.alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
  }
}

TEST_F(Control, ParagraphDialogOverASelectionSetsOnlyWhatWasChanged) {
  editor.loadRtf("{\\rtf1\\pard\\qc one\\par\\pard\\qr\\li360 two\\par\\pard\\qj three}");
  QTextCursor c = editor.textCursor();
  c.setPosition(1);
  c.setPosition(editor.document()->characterCount() - 2, QTextCursor::KeepAnchor);
  editor.setTextCursor(c);
  TParagraphPropDlg dialog(editor);
  EXPECT_EQ(dialog.alignment()->currentIndex(), 3);  // the values of the caret's paragraph are shown
  dialog.spaceAfter()->setValue(6);
  dialog.accept();
  const Qt::Alignment kept[] = {Qt::AlignHCenter, Qt::AlignRight, Qt::AlignJustify};
  for (int n = 0; n < 3; ++n) {
    const QTextBlockFormat f = editor.document()->findBlockByNumber(n).blockFormat();
    EXPECT_EQ(pixelsToTwips(f.bottomMargin()), 120) << n;
    EXPECT_EQ(f.alignment() & Qt::AlignHorizontal_Mask, kept[n]) << n;
  }
  EXPECT_EQ(pixelsToTwips(editor.document()->findBlockByNumber(1).blockFormat().leftMargin()), 360);
}

TEST_F(Control, WritingFontAppliesToWhatIsTyped) {
  QFont font("DejaVu Serif", 14);
  font.setItalic(true);
  editor.setWritingFont(font);
  type("text");
  QTextCursor c(editor.document());
  c.setPosition(2);
  EXPECT_EQ(c.charFormat().fontFamilies().toStringList(), QStringList{"DejaVu Serif"});
  EXPECT_EQ(c.charFormat().fontPointSize(), 14.0);
  EXPECT_TRUE(c.charFormat().fontItalic());
}

}  // namespace
}  // namespace quillon::richtext
