#include "compose/fax_editor.h"

#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QShowEvent>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "app/dialogs.h"
#include "app/window_placement_binding.h"
#include "compose/cover_browse.h"
#include "compose/cover_fields.h"
#include "compose/editor_commands.h"
#include "compose/phone_book.h"
#include "platform/file_io.h"
#include "richtext/rich_text_control.h"
#include "richtext/rich_text_store.h"
#include "richtext/rich_text_toolbar.h"

namespace quillon::compose {

namespace {
constexpr char kWindowClass[] = "TFaxEditor";
}

TFaxEditor::TFaxEditor(ComposeContext& context, QWidget* parent) : QDialog(parent), context_(context) {
  setObjectName(QString::fromLatin1(kWindowClass));
  setWindowTitle(QStringLiteral("Fax Editor"));
  setWindowFlag(Qt::WindowMaximizeButtonHint, true);
  setSizeGripEnabled(true);

  WPDoc = new richtext::TWPRichText(this);
  WPDoc->setObjectName(QStringLiteral("WPDoc"));
  WPCover = new richtext::TWPRichText(this);
  WPCover->setObjectName(QStringLiteral("WPCover"));
  for (richtext::TWPRichText* editor : {WPDoc, WPCover})
    editor->OnStartSpellCheck = [this](richtext::TWPRichText& e) { spellCheck(e, context_.dataFolder(), this); };
  WPCover->OnGetTextToInsert = [this](int kind) { return textToInsert(kind); };
  DocToolBar = new richtext::TWPToolBar(WPDoc, this);
  DocToolBar->setObjectName(QStringLiteral("DocToolBar"));
  CoverToolBar = new richtext::TWPToolBar(WPCover, this);
  CoverToolBar->setObjectName(QStringLiteral("CoverToolBar"));
  buildDocumentTools();
  buildCoverTools();
  // Both tool bars as tall as the taller one.
  const int barHeight = std::max(DocToolBar->sizeHint().height(), CoverToolBar->sizeHint().height());
  DocToolBar->setFixedHeight(barHeight);
  CoverToolBar->setFixedHeight(barHeight);

  NoteBook = new QStackedWidget(this);
  NoteBook->setObjectName(QStringLiteral("NoteBook"));
  NoteBook->addWidget(buildRecipientPage());
  NoteBook->addWidget(buildEditorPage(WPDoc, DocToolBar));
  NoteBook->addWidget(buildEditorPage(WPCover, CoverToolBar));
  ZoomMenu = makeZoomMenu(this);
  connect(AddressButton, &QPushButton::clicked, this, &TFaxEditor::AddressButtonClick);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(NoteBook, 1);
  layout->addWidget(buildButtonBar());
  resize(900, 680);

  restoreEditorPlacement(this, kWindowClass, context_);
}

TFaxEditor::~TFaxEditor() = default;

void TFaxEditor::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (shown_) return;
  shown_ = true;
  for (richtext::TWPRichText* editor : {WPDoc, WPCover}) {
    editor->setPageLayout(richtext::PageLayout{});  // US Letter, 720-twip margins
    editor->moveCaretToStart();
    editor->viewport()->update();
  }
  RecipientButtonClick();
  app::settleWindowFrame(this);
}

void TFaxEditor::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  WPDoc->viewport()->update();
}

int TFaxEditor::currentPage() const { return NoteBook->currentIndex(); }

void TFaxEditor::RecipientButtonClick() {
  RecipientButton->setChecked(true);
  NoteBook->setCurrentIndex(RecipientPage);
  Zoombutton->hide();
  Recipient->setFocus();
}

void TFaxEditor::showEditorPage(Page page, richtext::TWPRichText* editor) {
  (page == DocumentPage ? DocumentButton : CoverButton)->setChecked(true);
  NoteBook->setCurrentIndex(page);
  Zoombutton->setText(zoomCaption(editor->zoom()));
  Zoombutton->show();
  editor->setFocus();
}

void TFaxEditor::DocumentButtonClick() { showEditorPage(DocumentPage, WPDoc); }
void TFaxEditor::CoverButtonClick() { showEditorPage(CoverPage, WPCover); }

void TFaxEditor::ZoombuttonClick() {
  richtext::TWPRichText* editor = DocumentButton->isChecked() ? WPDoc : WPCover;
  if (auto percent = popUpZoomMenu(*ZoomMenu, Zoombutton, editor->zoom())) setZoom(*percent);
}

void TFaxEditor::setZoom(int percent) {
  richtext::TWPRichText* editor = DocumentButton->isChecked() ? WPDoc : WPCover;
  editor->setZoom(percent);
  Zoombutton->setText(zoomCaption(editor->zoom()));
}

void TFaxEditor::AddressButtonClick() {
  TPhoneBook book(context_, this);
  if (!book.openPhoneTable()) return;
  book.setPickMode();
  book.adjustSize();
  app::centreWindow(&book);
  if (book.exec() != QDialog::Accepted) return;
  Recipient->setText(book.chosenName);
  FaxNumber->setText(book.chosenNumber);
}

void TFaxEditor::LoadCoverButtonClick() {
  if (!context_.store.openCoverDBF()) return;
  {
    TCoverBrowse browser(context_, this);
    browser.setPickMode();
    browser.adjustSize();
    app::centreWindow(&browser);
    if (browser.exec() == QDialog::Accepted) {
      WPCover->clear();
      richtext::LoadRichText(*WPCover, context_.store, context_.store.coverTable(), store::coverfield::COVER);
      WPCover->replaceFields();  // through textToInsert: the values as they stand now
      WPCover->moveCaretToStart();
      WPCover->viewport()->update();
    }
  }
  context_.store.coverTable().close();
}

std::optional<QString> TFaxEditor::textToInsert(int kind) const {
  return coverFieldText(kind, CoverFieldValues{Recipient->text(), FaxNumber->text(), Subject->text(), clock()});
}

void TFaxEditor::done(int result) {
  saveEditorPlacement(this, kWindowClass, context_);
  QDialog::done(result == kAccepted ? kAccepted : kCancelled);
}

}  // namespace quillon::compose
