// The fax editor's controls: the recipient page, the two editor pages with their tool bars
// and the bottom button bar.
#include <QButtonGroup>
#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/help_window.h"
#include "compose/editor_commands.h"
#include "compose/fax_editor.h"
#include "richtext/rich_text_control.h"
#include "richtext/rich_text_toolbar.h"
#include "richtext/toolbar_icons.h"

namespace quillon::compose {

using richtext::ToolIcon;
using richtext::toolIcon;

namespace {
QLineEdit* lineEdit(QWidget* parent, const char* name, int limit, const QString& hint) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(QString::fromLatin1(name));
  edit->setMaxLength(limit);
  edit->setToolTip(hint);
  edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QLatin1Char('M')) * std::min(limit, 30));
  return edit;
}

QPushButton* barButton(QWidget* parent, const char* name, const QString& caption, const QString& hint) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setToolTip(hint);
  button->setAutoDefault(false);
  return button;
}
}  // namespace

QWidget* TFaxEditor::buildRecipientPage() {
  auto* page = new QWidget(this);
  page->setObjectName(QStringLiteral("RecipientPage"));
  Recipient = lineEdit(page, "Recipient", kRecipientLimit, QStringLiteral("Type the recipient's name here"));
  FaxNumber = lineEdit(page, "FaxNumber", kFaxNumberLimit, QStringLiteral("Type the fax number here"));
  Subject = lineEdit(page, "Subject", kSubjectLimit, QStringLiteral("Type the subject of the fax here"));
  AddressButton = barButton(page, "AddressButton", QStringLiteral("&Phonebook"),
                            QStringLiteral("Pick the recipient from the phone book"));

  auto* heading = new QLabel(QStringLiteral("Who is this fax for?"), page);
  QFont headingFont = heading->font();
  headingFont.setPointSizeF(headingFont.pointSizeF() * 1.3);
  headingFont.setBold(true);
  heading->setFont(headingFont);
  auto* note = new QLabel(QStringLiteral("Type the recipient and fax number, or pick them from the phone book. "
                                         "Write the fax on the Fax Document page; a cover sheet is optional."),
                          page);
  note->setWordWrap(true);

  auto* form = new QFormLayout;
  form->setHorizontalSpacing(12);
  form->setVerticalSpacing(10);
  auto* recipientRow = new QHBoxLayout;
  recipientRow->addWidget(Recipient, 1);
  recipientRow->addWidget(AddressButton);
  auto* recipientLabel = new QLabel(QStringLiteral("&Recipient:"), page);
  recipientLabel->setBuddy(Recipient);
  auto* numberLabel = new QLabel(QStringLiteral("Fax &Number:"), page);
  numberLabel->setBuddy(FaxNumber);
  auto* subjectLabel = new QLabel(QStringLiteral("&Subject:"), page);
  subjectLabel->setBuddy(Subject);
  form->addRow(recipientLabel, recipientRow);
  form->addRow(numberLabel, FaxNumber);
  form->addRow(subjectLabel, Subject);

  auto* box = new QFrame(page);
  box->setFrameShape(QFrame::StyledPanel);
  auto* boxLayout = new QVBoxLayout(box);
  boxLayout->setContentsMargins(18, 16, 18, 18);
  boxLayout->setSpacing(12);
  boxLayout->addWidget(heading);
  boxLayout->addWidget(note);
  boxLayout->addSpacing(4);
  boxLayout->addLayout(form);

  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(24, 24, 24, 24);
  layout->addWidget(box);
  layout->addStretch(1);
  return page;
}

QWidget* TFaxEditor::buildEditorPage(richtext::TWPRichText* editor, richtext::TWPToolBar* toolBar) {
  auto* page = new QWidget(this);
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(toolBar);
  layout->addWidget(editor, 1);
  return page;
}

void TFaxEditor::buildDocumentTools() {
  DocToolBar->addSeparator();
  ParagraphSetupButton = DocToolBar->addButton(QStringLiteral("ParagraphSetupButton"),
                                               toolIcon(ToolIcon::ParagraphProperties),
                                               QStringLiteral("Paragraph properties"),
                                               [this] { paragraphProperties(*WPDoc, this); });
  DocPageBreakButton = DocToolBar->addButton(QStringLiteral("DocPageBreakButton"), toolIcon(ToolIcon::PageBreak),
                                             QStringLiteral("Insert Page Break"), [this] { askPageBreak(*WPDoc); });
  DocWordWrapButton = DocToolBar->addButton(QStringLiteral("DocWordWrapButton"), toolIcon(ToolIcon::WordWrap),
                                            wordWrapHint(false),
                                            [this] { toggleWordWrap(*WPDoc, DocWordWrapButton); }, true);
  DocDefFontbutton = DocToolBar->addButton(QStringLiteral("DocDefFontbutton"), toolIcon(ToolIcon::DefaultFont),
                                           QStringLiteral("Set the default font for the editor"),
                                           [this] { chooseDefaultFont(context_, this); });
  showWordWrap(DocWordWrapButton, WPDoc->wordWrap());
}

void TFaxEditor::buildCoverTools() {
  CoverToolBar->addSeparator();
  CoverDocPageBreakButton = CoverToolBar->addButton(QStringLiteral("CoverDocPageBreakButton"),
                                                    toolIcon(ToolIcon::PageBreak), QStringLiteral("Insert Page Break"),
                                                    [this] { askPageBreak(*WPCover); });
  CoverParagraphSetupbutton = CoverToolBar->addButton(QStringLiteral("CoverParagraphSetupbutton"),
                                                      toolIcon(ToolIcon::ParagraphProperties),
                                                      QStringLiteral("Paragraph properties"),
                                                      [this] { paragraphProperties(*WPCover, this); });
  CoverDocWordWrapButton = CoverToolBar->addButton(QStringLiteral("CoverDocWordWrapButton"),
                                                   toolIcon(ToolIcon::WordWrap), wordWrapHint(false),
                                                   [this] { toggleWordWrap(*WPCover, CoverDocWordWrapButton); }, true);
  CoverDefFontbutton = CoverToolBar->addButton(QStringLiteral("CoverDefFontbutton"), toolIcon(ToolIcon::DefaultFont),
                                               QStringLiteral("Set the default font for the editor"),
                                               [this] { chooseDefaultFont(context_, this); });
  CoverToolBar->addSeparator();
  LoadCoverButton = CoverToolBar->addButton(QStringLiteral("LoadCoverButton"), toolIcon(ToolIcon::InsertField),
                                            QStringLiteral("Load Cover Sheet from Template"),
                                            [this] { LoadCoverButtonClick(); });
  LoadCoverButton->setText(QStringLiteral("Load Template"));
  if (auto* button = qobject_cast<QToolButton*>(CoverToolBar->widgetForAction(LoadCoverButton)))
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  showWordWrap(CoverDocWordWrapButton, WPCover->wordWrap());
}

QWidget* TFaxEditor::buildButtonBar() {
  auto* bar = new QWidget(this);
  bar->setObjectName(QStringLiteral("ButtonBar"));
  RecipientButton = barButton(bar, "RecipientButton", QStringLiteral("&Recipient Info"),
                              QStringLiteral("Who the fax is for"));
  DocumentButton = barButton(bar, "DocumentButton", QStringLiteral("&Fax Document"), QStringLiteral("Write the fax"));
  CoverButton = barButton(bar, "CoverButton", QStringLiteral("&Cover Sheet"),
                          QStringLiteral("The cover sheet sent before the fax"));
  pageButtons_ = new QButtonGroup(this);
  pageButtons_->setExclusive(true);
  for (QPushButton* b : {RecipientButton, DocumentButton, CoverButton}) {
    b->setCheckable(true);
    pageButtons_->addButton(b);
  }
  RecipientButton->setChecked(true);
  Helpbutton = barButton(bar, "Helpbutton", QStringLiteral("&Help"), {});
  Zoombutton = barButton(bar, "Zoombutton", zoomCaption(100), QStringLiteral("Zoom"));
  OKButton = barButton(bar, "OKButton", QStringLiteral("&Accept"), QStringLiteral("Keep this fax"));
  OKButton->setDefault(true);
  CancelButton = barButton(bar, "CancelButton", QStringLiteral("Cance&l"), QStringLiteral("Leave without keeping changes"));
  Zoombutton->hide();

  auto* layout = new QHBoxLayout(bar);
  layout->setContentsMargins(8, 6, 8, 8);
  for (QPushButton* b : {RecipientButton, DocumentButton, CoverButton}) layout->addWidget(b);
  layout->addStretch(1);
  for (QPushButton* b : {Zoombutton, Helpbutton, OKButton, CancelButton}) layout->addWidget(b);

  connect(RecipientButton, &QPushButton::clicked, this, &TFaxEditor::RecipientButtonClick);
  connect(DocumentButton, &QPushButton::clicked, this, &TFaxEditor::DocumentButtonClick);
  connect(CoverButton, &QPushButton::clicked, this, &TFaxEditor::CoverButtonClick);
  connect(Zoombutton, &QPushButton::clicked, this, &TFaxEditor::ZoombuttonClick);
  connect(Helpbutton, &QPushButton::clicked, this, [] { app::showHelp(kHelpFaxEditor); });
  connect(OKButton, &QPushButton::clicked, this, &TFaxEditor::accept);
  connect(CancelButton, &QPushButton::clicked, this, &TFaxEditor::reject);
  return bar;
}

}  // namespace quillon::compose
