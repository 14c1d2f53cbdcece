#include "compose/editor_commands.h"

#include <QAction>
#include <QFontDialog>
#include <QMenu>
#include <QWidget>

#include "app/dialogs.h"
#include "app/window_placement_binding.h"
#include "platform/file_io.h"
#include "qtplatform/cp1252_text.h"
#include "richtext/paragraph_prop_dlg.h"
#include "richtext/rich_text_control.h"
#include "richtext/spelling/rich_text_spelling.h"

namespace quillon::compose {

QMenu* makeZoomMenu(QWidget* parent) {
  auto* menu = new QMenu(parent);
  menu->setObjectName(QStringLiteral("ZoomMenu"));
  for (int percent : {70, 80, 100}) {
    QAction* item = menu->addAction(zoomCaption(percent));
    item->setData(percent);
    item->setCheckable(true);
  }
  return menu;
}

QString zoomCaption(int percent) { return QString::number(percent) + QLatin1Char('%'); }

std::optional<int> popUpZoomMenu(QMenu& menu, QWidget* button, int current) {
  for (QAction* item : menu.actions()) item->setChecked(item->data().toInt() == current);
  QAction* chosen = menu.exec(button->mapToGlobal(button->rect().bottomLeft()));
  if (!chosen) return std::nullopt;
  return chosen->data().toInt();
}

QString wordWrapHint(bool wrapOn) {
  return wrapOn ? QStringLiteral("Toggle word wrap off") : QStringLiteral("Toggle word wrap on");
}

void showWordWrap(QAction* button, bool wrapOn) {
  button->setChecked(wrapOn);
  button->setToolTip(wordWrapHint(wrapOn));
}

void toggleWordWrap(TWPRichText& editor, QAction* button) {
  editor.setWordWrap(!editor.wordWrap());
  showWordWrap(button, editor.wordWrap());
  editor.viewport()->update();
}

bool askPageBreak(TWPRichText& editor) {
  if (!app::AskYesNoDefaultNo(QStringLiteral("Add a page break here?"), QStringLiteral("Page Break"))) return false;
  editor.insertPageBreak();
  editor.viewport()->update();
  return true;
}

void paragraphProperties(TWPRichText& editor, QWidget* parent) {
  richtext::TParagraphPropDlg dialog(editor, parent);
  app::centreWindow(&dialog);
  dialog.exec();
}

QFont defaultFont(const settings::Settings& settings) {
  QFont font(qtplatform::fromCp1252(settings.fontName));
  font.setPointSize(settings.fontSize > 0 ? settings.fontSize : 10);
  font.setBold(settings.fontBold);
  font.setItalic(settings.fontItalic);
  font.setUnderline(settings.fontUnderline);
  return font;
}

void applyDefaultFont(TWPRichText& editor, const settings::Settings& settings) {
  editor.setWritingFont(defaultFont(settings));
}

FontChooser& fontChooser() {
  static FontChooser chooser = [](const QFont& initial, QWidget* parent) -> std::optional<QFont> {
    bool ok = false;
    QFont font = QFontDialog::getFont(&ok, initial, parent, QStringLiteral("Default Font"));
    if (!ok) return std::nullopt;
    return font;
  };
  return chooser;
}

bool chooseDefaultFont(ComposeContext& context, QWidget* parent) {
  context.settings = context.settingsStore.load().values;
  std::optional<QFont> font = fontChooser()(defaultFont(context.settings), parent);
  if (!font) return false;
  context.settings.fontName = qtplatform::toCp1252(font->family());
  context.settings.fontSize = font->pointSize() > 0 ? font->pointSize() : context.settings.fontSize;
  context.settings.fontBold = font->bold();
  context.settings.fontItalic = font->italic();
  context.settings.fontUnderline = font->underline();
  try {
    context.settingsStore.save(context.settings);
  } catch (const platform::FileWriteError& e) {
    app::InfoBox(QString::fromLocal8Bit(e.what()));
  }
  return true;
}

void restoreEditorPlacement(QWidget* window, const char* windowClass, const ComposeContext& context) {
  try {
    app::restoreWindowPlacement(window, windowClass, context.settingsStore);
  } catch (const platform::FileWriteError&) {
    // saved again, and a failure reported, when the window closes
  }
}

void saveEditorPlacement(QWidget* window, const char* windowClass, const ComposeContext& context) {
  try {
    app::saveWindowPlacement(window, windowClass, context.settingsStore);
  } catch (const platform::FileWriteError& e) {
    app::InfoBox(QString::fromLocal8Bit(e.what()));
  }
}

void spellCheck(TWPRichText& editor, const std::string& dataFolder, QWidget* parent) {
  richtext::runSpellCheck(editor, dataFolder, parent, [](const QString& text) { app::InfoBox(text); });
}

}  // namespace quillon::compose
