// Pictures of the control with its tool bar and a formatted cover letter, of the tool bar and of
// the paragraph dialog, offscreen or under Xvfb. They go to $QUILLON_SCREENSHOT_DIR when that is
// set (for looking at them), else to a temporary folder.
#include <QApplication>
#include <QDoubleSpinBox>
#include <QImage>
#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

#include <cstdlib>

#include "richtext/paragraph_prop_dlg.h"
#include "richtext/rich_text_control.h"
#include "richtext/rich_text_toolbar.h"
#include "richtext/sample_documents.h"
#include "richtext/toolbar_icons.h"
#include "support/temp_dir.h"

namespace quillon::richtext {
namespace {

TEST(RichTextScreenshot, ControlWithToolBarAndAFormattedDocument) {
  test::TempDir temp;
  const char* folder = std::getenv("QUILLON_SCREENSHOT_DIR");
  const std::string out = folder ? std::string(folder) + "/" : temp.path();

  QWidget window;
  window.setWindowTitle("Cover Sheet Template Editor");
  auto* layout = new QVBoxLayout(&window);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  auto* editor = new TWPRichText;
  auto* bar = new TWPToolBar(editor);
  bar->addButton("ParagraphSetupButton", toolIcon(ToolIcon::ParagraphProperties), "Paragraph properties", {});
  bar->addButton("DocPageBreakButton", toolIcon(ToolIcon::PageBreak), "Insert Page Break", {});
  bar->addButton("DocWordWrapButton", toolIcon(ToolIcon::WordWrap), "Toggle word wrap off", {}, true)->setChecked(true);
  bar->addButton("DocDefFontbutton", toolIcon(ToolIcon::DefaultFont), "Set the default font for the editor", {});
  layout->addWidget(bar);
  layout->addWidget(editor);
  editor->loadRtf(test::richTextData("cover_letter.rtf"));
  window.resize(1040, 800);
  window.show();
  editor->setFocus();
  QTextCursor c = editor->textCursor();
  const int at = editor->document()->toPlainText().indexOf("treatment plan");
  c.setPosition(at);
  c.setPosition(at + 14, QTextCursor::KeepAnchor);
  editor->setTextCursor(c);
  QApplication::processEvents();

  const QImage full = window.grab().toImage();
  EXPECT_TRUE(full.save(QString::fromStdString(out + "richtext_editor.png")));
  editor->setZoom(70);
  QApplication::processEvents();
  const QImage zoomed = window.grab().toImage();
  EXPECT_TRUE(zoomed.save(QString::fromStdString(out + "richtext_editor_70.png")));
  EXPECT_NE(full, zoomed);
  EXPECT_TRUE(bar->boldAction()->isChecked());  // the selection is bold
  EXPECT_TRUE(bar->grab().toImage().save(QString::fromStdString(out + "richtext_toolbar.png")));

  // The paragraph dialog over the indented list of the letter.
  editor->setZoom(100);
  c.setPosition(editor->document()->toPlainText().indexOf("1.\t") + 1);
  editor->setTextCursor(c);
  TParagraphPropDlg dialog(*editor, &window);
  dialog.show();
  QApplication::processEvents();
  EXPECT_GT(dialog.leftIndent()->value(), 0);
  EXPECT_TRUE(dialog.grab().toImage().save(QString::fromStdString(out + "paragraph_properties.png")));
}

}  // namespace
}  // namespace quillon::richtext
