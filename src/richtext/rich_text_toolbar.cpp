#include "richtext/rich_text_toolbar.h"

#include <QActionGroup>
#include <QComboBox>
#include <QFontComboBox>
#include <QLineEdit>

#include <cmath>

#include "richtext/rich_text_control.h"
#include "richtext/toolbar_icons.h"

namespace quillon::richtext {

QList<int> TWPToolBar::fontSizeList() { return {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72}; }

QAction* TWPToolBar::button(const char* name, const QIcon& icon, const QString& hint, bool checkable) {
  QAction* action = addAction(icon, hint);
  action->setObjectName(QString::fromLatin1(name));
  action->setToolTip(hint);
  action->setCheckable(checkable);
  return action;
}

TWPToolBar::TWPToolBar(TWPRichText* editor, QWidget* parent) : QToolBar(parent), editor_(editor) {
  setObjectName(QStringLiteral("WPToolBar"));
  setIconSize(QSize(20, 20));
  setMovable(false);
  setFloatable(false);

  fontNames_ = new QFontComboBox(this);
  fontNames_->setObjectName(QStringLiteral("FontName"));
  fontNames_->setFontFilters(QFontComboBox::ScalableFonts);
  fontNames_->setToolTip(tr("Font"));
  fontNames_->setMinimumContentsLength(14);
  addWidget(fontNames_);
  fontSizes_ = new QComboBox(this);
  fontSizes_->setObjectName(QStringLiteral("FontSize"));
  fontSizes_->setEditable(true);
  fontSizes_->setToolTip(tr("Font size"));
  for (int size : fontSizeList()) fontSizes_->addItem(QString::number(size));
  fontSizes_->setMinimumContentsLength(3);
  addWidget(fontSizes_);
  addSeparator();

  normal_ = button("NormalButton", toolIcon(ToolIcon::Normal), tr("Normal"), false);
  bold_ = button("BoldButton", toolIcon(ToolIcon::Bold), tr("Bold"), true);
  italic_ = button("ItalicButton", toolIcon(ToolIcon::Italic), tr("Italic"), true);
  underline_ = button("UnderlineButton", toolIcon(ToolIcon::Underline), tr("Underline"), true);
  addSeparator();
  left_ = button("LeftButton", toolIcon(ToolIcon::AlignLeft), tr("Align left"), true);
  right_ = button("RightButton", toolIcon(ToolIcon::AlignRight), tr("Align right"), true);
  justify_ = button("JustifyButton", toolIcon(ToolIcon::AlignJustify), tr("Justify"), true);
  centre_ = button("CentreButton", toolIcon(ToolIcon::AlignCentre), tr("Centre"), true);
  auto* alignments = new QActionGroup(this);
  for (QAction* a : {left_, right_, justify_, centre_}) alignments->addAction(a);
  addSeparator();
  copy_ = button("CopyButton", toolIcon(ToolIcon::Copy), tr("Copy"), false);
  cut_ = button("CutButton", toolIcon(ToolIcon::Cut), tr("Cut"), false);
  paste_ = button("PasteButton", toolIcon(ToolIcon::Paste), tr("Paste"), false);
  addSeparator();
  spell_ = button("SpellButton", toolIcon(ToolIcon::Spell), tr("Check spelling"), false);
  addSeparator();

  connect(fontNames_, &QFontComboBox::currentFontChanged, this, [this](const QFont& font) {
    if (showing_) return;
    editor_->setFontFamily(font.family());
    editor_->setFocus();
  });
  connect(fontSizes_, &QComboBox::textActivated, this, [this](const QString& text) {
    bool ok = false;
    const double size = text.toDouble(&ok);
    if (ok && size >= 1 && size <= 1638) editor_->setFontPointSize(size);
    editor_->setFocus();
  });
  connect(normal_, &QAction::triggered, editor_, [this] { editor_->setNormal(); });
  connect(bold_, &QAction::triggered, editor_, [this](bool on) { editor_->setBold(on); });
  connect(italic_, &QAction::triggered, editor_, [this](bool on) { editor_->setItalic(on); });
  connect(underline_, &QAction::triggered, editor_, [this](bool on) { editor_->setUnderline(on); });
  connect(left_, &QAction::triggered, editor_, [this] { editor_->setAlignment(Qt::AlignLeft); });
  connect(right_, &QAction::triggered, editor_, [this] { editor_->setAlignment(Qt::AlignRight); });
  connect(justify_, &QAction::triggered, editor_, [this] { editor_->setAlignment(Qt::AlignJustify); });
  connect(centre_, &QAction::triggered, editor_, [this] { editor_->setAlignment(Qt::AlignHCenter); });
  connect(copy_, &QAction::triggered, editor_, [this] { editor_->copy(); });
  connect(cut_, &QAction::triggered, editor_, [this] { editor_->cut(); });
  connect(paste_, &QAction::triggered, editor_, [this] { editor_->paste(); });
  connect(spell_, &QAction::triggered, editor_, [this] { editor_->StartSpellCheck(); });
  connect(editor_, &TWPRichText::formatChanged, this, &TWPToolBar::showFormat);
  showFormat();
}

QAction* TWPToolBar::addButton(const QString& objectName, const QIcon& icon, const QString& hint,
                               std::function<void()> onClick, bool checkable) {
  QAction* action = addAction(icon, hint);
  action->setObjectName(objectName);
  action->setToolTip(hint);
  action->setCheckable(checkable);
  if (onClick) connect(action, &QAction::triggered, this, [onClick] { onClick(); });
  return action;
}

void TWPToolBar::showFormat() {
  showing_ = true;
  const QTextCharFormat format = editor_->currentCharFormat();
  const QStringList families = format.fontFamilies().toStringList();
  const QString family = families.isEmpty() ? editor_->document()->defaultFont().family() : families.front();
  if (fontNames_->currentFont().family() != family) fontNames_->setCurrentFont(QFont(family));
  double size = format.fontPointSize();
  if (size <= 0) size = editor_->document()->defaultFont().pointSizeF();
  const QString sizeText = std::fabs(size - std::round(size)) < 0.01 ? QString::number(std::lround(size)) : QString::number(size);
  if (fontSizes_->currentText() != sizeText) fontSizes_->setEditText(sizeText);
  bold_->setChecked(format.fontWeight() >= QFont::DemiBold);
  italic_->setChecked(format.fontItalic());
  underline_->setChecked(format.fontUnderline());
  const Qt::Alignment align = editor_->currentParagraphFormat().alignment() & Qt::AlignHorizontal_Mask;
  (align & Qt::AlignHCenter ? centre_ : align & Qt::AlignRight ? right_ : align & Qt::AlignJustify ? justify_ : left_)
      ->setChecked(true);
  showing_ = false;
}

}  // namespace quillon::richtext
