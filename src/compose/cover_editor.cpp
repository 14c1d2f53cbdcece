#include "compose/cover_editor.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "app/dialogs.h"
#include "app/help_window.h"
#include "app/window_placement_binding.h"
#include "compose/cover_fields.h"
#include "compose/editor_commands.h"
#include "platform/file_io.h"
#include "richtext/rich_text_control.h"
#include "richtext/rich_text_toolbar.h"
#include "richtext/toolbar_icons.h"

namespace quillon::compose {

using richtext::ToolIcon;
using richtext::toolIcon;

namespace {
constexpr char kWindowClass[] = "TCoverEditor";
}

TCoverEditor::TCoverEditor(ComposeContext& context, QWidget* parent) : QDialog(parent), context_(context) {
  setObjectName(QString::fromLatin1(kWindowClass));
  setWindowTitle(QStringLiteral("Cover Sheet Template Editor"));
  setWindowFlag(Qt::WindowMaximizeButtonHint, true);
  setSizeGripEnabled(true);

  WPCover = new richtext::TWPRichText(this);
  WPCover->setObjectName(QStringLiteral("WPCover"));
  WPCover->OnStartSpellCheck = [this](richtext::TWPRichText& editor) { spellCheck(editor, context_.dataFolder(), this); };
  WPToolBar1 = new richtext::TWPToolBar(WPCover, this);
  WPToolBar1->setObjectName(QStringLiteral("WPToolBar1"));
  ParagraphButton = WPToolBar1->addButton(QStringLiteral("ParagraphButton"), toolIcon(ToolIcon::ParagraphProperties),
                                          QStringLiteral("Paragraph properties"),
                                          [this] { paragraphProperties(*WPCover, this); });
  PageBreakButton = WPToolBar1->addButton(QStringLiteral("PageBreakButton"), toolIcon(ToolIcon::PageBreak),
                                          QStringLiteral("Insert Page Break"), [this] { askPageBreak(*WPCover); });
  WordWrapButton = WPToolBar1->addButton(QStringLiteral("WordWrapButton"), toolIcon(ToolIcon::WordWrap),
                                         wordWrapHint(false), [this] { toggleWordWrap(*WPCover, WordWrapButton); }, true);
  DefFontButton = WPToolBar1->addButton(QStringLiteral("DefFontButton"), toolIcon(ToolIcon::DefaultFont),
                                        QStringLiteral("Set the default font for the editor"),
                                        [this] { chooseDefaultFont(context_, this); });
  showWordWrap(WordWrapButton, WPCover->wordWrap());

  CoverDescription = new QLineEdit(this);
  CoverDescription->setObjectName(QStringLiteral("CoverDescription"));
  CoverDescription->setMaxLength(kCoverDescriptionLimit);
  CoverDescription->setToolTip(QStringLiteral("Enter a description for this cover sheet template here"));
  InsertButton = new QPushButton(toolIcon(ToolIcon::InsertField), QStringLiteral("&Insert"), this);
  InsertButton->setObjectName(QStringLiteral("InsertButton"));
  InsertButton->setToolTip(QStringLiteral("Insert a field that is filled in when the template is used"));
  Zoombutton = new QPushButton(zoomCaption(WPCover->zoom()), this);
  Zoombutton->setObjectName(QStringLiteral("Zoombutton"));
  Zoombutton->setToolTip(QStringLiteral("Zoom"));
  OKbutton = new QPushButton(QStringLiteral("&Accept"), this);
  OKbutton->setObjectName(QStringLiteral("OKbutton"));
  CancelButton = new QPushButton(QStringLiteral("Cance&l"), this);
  CancelButton->setObjectName(QStringLiteral("CancelButton"));
  HelpButton = new QPushButton(QStringLiteral("&Help"), this);
  HelpButton->setObjectName(QStringLiteral("HelpButton"));
  for (QPushButton* b : {InsertButton, Zoombutton, CancelButton, HelpButton}) b->setAutoDefault(false);

  InsertMenu = new QMenu(this);
  InsertMenu->setObjectName(QStringLiteral("InsertMenu"));
  for (const MergeField& field : kMergeFields) {
    QAction* item = InsertMenu->addAction(QString::fromLatin1(field.menuText));
    const int number = field.number;
    connect(item, &QAction::triggered, this, [this, number] { insertMergeField(number); });
  }
  ZoomMenu = makeZoomMenu(this);

  connect(InsertButton, &QPushButton::clicked, this, &TCoverEditor::InsertButtonClick);
  connect(Zoombutton, &QPushButton::clicked, this, &TCoverEditor::ZoombuttonClick);
  connect(OKbutton, &QPushButton::clicked, this, &QDialog::accept);
  connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
  connect(HelpButton, &QPushButton::clicked, this, [] { app::showHelp(kHelpCoverEditor); });

  auto* bottom = new QHBoxLayout;
  bottom->addWidget(new QLabel(QStringLiteral("Description:"), this));
  bottom->addWidget(CoverDescription, 1);
  bottom->addSpacing(12);
  for (QPushButton* b : {InsertButton, Zoombutton, OKbutton, CancelButton, HelpButton}) bottom->addWidget(b);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 6);
  layout->setSpacing(4);
  layout->addWidget(WPToolBar1);
  layout->addWidget(WPCover, 1);
  auto* panel = new QWidget(this);
  panel->setLayout(bottom);
  layout->addWidget(panel);
  resize(860, 640);

  restoreEditorPlacement(this, kWindowClass, context_);
}

TCoverEditor::~TCoverEditor() = default;

void TCoverEditor::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (shown_) return;
  shown_ = true;
  WPCover->setPageLayout(richtext::PageLayout{});  // US Letter, half-inch margins
  WPCover->moveCaretToStart();
  WPCover->setFocus();
  app::settleWindowFrame(this);
}

void TCoverEditor::InsertButtonClick() {
  InsertMenu->exec(InsertButton->mapToGlobal(InsertButton->rect().bottomLeft()));
}

void TCoverEditor::insertMergeField(int number) {
  for (const MergeField& field : kMergeFields)
    if (field.number == number) WPCover->insertField(number, QString::fromLatin1(field.shownText));
  WPCover->viewport()->update();
}

void TCoverEditor::ZoombuttonClick() {
  if (auto percent = popUpZoomMenu(*ZoomMenu, Zoombutton, WPCover->zoom())) setZoom(*percent);
}

void TCoverEditor::setZoom(int percent) {
  WPCover->setZoom(percent);
  Zoombutton->setText(zoomCaption(WPCover->zoom()));
}

void TCoverEditor::done(int result) {
  saveEditorPlacement(this, kWindowClass, context_);
  QDialog::done(result);
}

}  // namespace quillon::compose
