#include "compose/cover_browse.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

#include "app/dialogs.h"
#include "app/help_window.h"
#include "compose/cover_editor.h"
#include "compose/editor_commands.h"
#include "platform/message_pump.h"
#include "qtplatform/cp1252_text.h"
#include "richtext/rich_text_control.h"
#include "richtext/rich_text_store.h"

namespace quillon::compose {

using qtplatform::fromCp1252;
using qtplatform::toCp1252;
using store::coverfield::COVER;
using store::coverfield::DESCRIPT;

const app::ListLayout& coverListLayout() {
  static const app::ListLayout layout{{DESCRIPT}, {{DESCRIPT, "Description", 0, app::ListColumn::Kind::Text, 35}}};
  return layout;
}

TCoverBrowse::TCoverBrowse(ComposeContext& context, QWidget* parent)
    : BrowseWindow(context.store.coverTable(), coverListLayout(), parent), context_(context) {
  setObjectName(QStringLiteral("TCoverBrowse"));
  setWindowTitle(QStringLiteral("Cover Sheet Template Browser"));
  grid()->setObjectName(QStringLiteral("CoverGrid"));
  NewButton = addButton("NewButton", QStringLiteral("&New"), QStringLiteral("Create a new cover sheet template"));
  ModifyButton = addButton("ModifyButton", QStringLiteral("&Edit"), QStringLiteral("Edit the current template"));
  CloneButton = addButton("CloneButton", QStringLiteral("&Clone"), QStringLiteral("Make a new template from the current one"));
  DeleteButton = addButton("DeleteButton", QStringLiteral("&Delete"), QStringLiteral("Delete the current template"));
  addButtonGap();
  Acceptbutton = addButton("Acceptbutton", QStringLiteral("&Accept"), QStringLiteral("Use this cover sheet template"));
  CancelButton = addButton("CancelButton", QStringLiteral("Cance&l"),
                           QStringLiteral("Cancel - do not use any of these templates"));
  CloseButton = addButton("CloseButton", QStringLiteral("C&lose"), QStringLiteral("Close the template browser"));
  HelpButton = addButton("HelpButton", QStringLiteral("&Help"));
  finishButtons();
  Acceptbutton->hide();
  CancelButton->hide();
  connect(NewButton, &QPushButton::clicked, this, &TCoverBrowse::NewButtonClick);
  connect(ModifyButton, &QPushButton::clicked, this, &TCoverBrowse::ModifyButtonClick);
  connect(CloneButton, &QPushButton::clicked, this, &TCoverBrowse::CloneButtonClick);
  connect(DeleteButton, &QPushButton::clicked, this, &TCoverBrowse::DeleteButtonClick);
  connect(Acceptbutton, &QPushButton::clicked, this, [this] {
    if (queryCount() > 0) accept();
  });
  connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
  connect(CloseButton, &QPushButton::clicked, this, &QDialog::reject);
  connect(HelpButton, &QPushButton::clicked, this, [] { app::showHelp(kHelpCoverBrowse); });
  connect(grid(), &QAbstractItemView::doubleClicked, this, [this] {
    if (Acceptbutton->isVisible()) Acceptbutton->click();
    else ModifyButtonClick();
  });
  model().reload();
}

void TCoverBrowse::setPickMode() {
  CloseButton->hide();
  Acceptbutton->show();
  CancelButton->show();
  Acceptbutton->setDefault(true);
}

void TCoverBrowse::updateButtons() {
  bool any = queryCount() > 0;
  ModifyButton->setEnabled(any);
  CloneButton->setEnabled(any);
  DeleteButton->setEnabled(any);
  Acceptbutton->setEnabled(any);
}

bool TCoverBrowse::runEditor(TCoverEditor& editor) {
  app::centreWindow(&editor);
  return editor.exec() == QDialog::Accepted;
}

bool TCoverBrowse::storeTemplate(TCoverEditor& editor) {
  xbase::Table& t = table_;
  bool ok = t.replace(DESCRIPT, toCp1252(editor.CoverDescription->text()));
  ok = richtext::SaveRichText(*editor.WPCover, context_.store, t, COVER) && ok;
  return t.commit() && ok;
}

void TCoverBrowse::NewButtonClick() {
  TCoverEditor editor(context_, this);
  if (cloneRequest && queryCount() > 0) {
    editor.CoverDescription->setText(QStringLiteral("[clone]") + fromCp1252(table_.getTrimmed(DESCRIPT)));
    richtext::LoadRichText(*editor.WPCover, context_.store, table_, COVER);
  } else {
    editor.CoverDescription->setText(QStringLiteral("{description}"));
    applyDefaultFont(*editor.WPCover, context_.settings);
  }
  cloneRequest = false;
  if (runEditor(editor) && table_.appendBlank()) storeTemplate(editor);
  platform::pumpMessages();
  refreshGrid();
}

void TCoverBrowse::ModifyButtonClick() {
  if (beepWhenEmpty()) return;
  TCoverEditor editor(context_, this);
  editor.CoverDescription->setText(fromCp1252(table_.getTrimmed(DESCRIPT)));
  richtext::LoadRichText(*editor.WPCover, context_.store, table_, COVER);
  if (runEditor(editor)) storeTemplate(editor);
  refreshGrid();
}

void TCoverBrowse::CloneButtonClick() {
  if (beepWhenEmpty()) return;
  cloneRequest = true;
  NewButtonClick();
}

void TCoverBrowse::DeleteButtonClick() {
  if (beepWhenEmpty()) return;
  QString question = QStringLiteral("Delete the current cover template?:\n") + fromCp1252(table_.getTrimmed(DESCRIPT));
  deleteCurrentAfterAsking(question);
}

}  // namespace quillon::compose
