#pragma once
// TWPToolBar: the formatting tool bar of a TWPRichText: font name and size lists, normal,
// bold, italic, underline, the four alignments, copy, cut, paste and the spelling button
// (which raises the control's StartSpellCheck). Windows add their own buttons after these.
#include <QToolBar>

#include <functional>

class QComboBox;
class QFontComboBox;
class QActionGroup;

namespace quillon::richtext {

class TWPRichText;

class TWPToolBar : public QToolBar {
  Q_OBJECT

 public:
  explicit TWPToolBar(TWPRichText* editor, QWidget* parent = nullptr);

  TWPRichText* editor() const { return editor_; }
  QFontComboBox* fontNames() const { return fontNames_; }
  QComboBox* fontSizes() const { return fontSizes_; }
  QAction* normalAction() const { return normal_; }
  QAction* boldAction() const { return bold_; }
  QAction* italicAction() const { return italic_; }
  QAction* underlineAction() const { return underline_; }
  QAction* alignLeftAction() const { return left_; }
  QAction* alignRightAction() const { return right_; }
  QAction* alignJustifyAction() const { return justify_; }
  QAction* alignCentreAction() const { return centre_; }
  QAction* copyAction() const { return copy_; }
  QAction* cutAction() const { return cut_; }
  QAction* pasteAction() const { return paste_; }
  QAction* spellAction() const { return spell_; }

  // A window's own button at the end of the bar; `hint` is its tool tip.
  QAction* addButton(const QString& objectName, const QIcon& icon, const QString& hint,
                     std::function<void()> onClick, bool checkable = false);

  // The sizes offered: 8 and up.
  static QList<int> fontSizeList();

 private:
  void showFormat();
  QAction* button(const char* name, const QIcon& icon, const QString& hint, bool checkable);

  TWPRichText* editor_;
  QFontComboBox* fontNames_;
  QComboBox* fontSizes_;
  QAction *normal_, *bold_, *italic_, *underline_;
  QAction *left_, *right_, *justify_, *centre_;
  QAction *copy_, *cut_, *paste_, *spell_;
  bool showing_ = false;
};

}  // namespace quillon::richtext
