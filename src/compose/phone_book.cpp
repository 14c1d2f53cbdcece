#include "compose/phone_book.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

#include "app/dialogs.h"
#include "app/help_window.h"
#include "compose/phone_book_editor.h"
#include "platform/message_pump.h"
#include "qtplatform/cp1252_text.h"

namespace quillon::compose {

using qtplatform::fromCp1252;
using qtplatform::toCp1252;
using store::phonefield::NAME;
using store::phonefield::PHONE;

const app::ListLayout& phoneBookListLayout() {
  static const app::ListLayout layout{
      {NAME, PHONE},
      {{NAME, "Name", 0, app::ListColumn::Kind::Text, 24}, {PHONE, "Fax #", 1, app::ListColumn::Kind::Text, 16}}};
  return layout;
}

TPhoneBook::TPhoneBook(ComposeContext& context, QWidget* parent)
    : BrowseWindow(std::make_unique<xbase::Table>(context.store.environment()), phoneBookListLayout(), parent), context_(context) {
  setObjectName(QStringLiteral("TPhoneBook"));
  setWindowTitle(QStringLiteral("Phone Book Browser"));
  grid()->setObjectName(QStringLiteral("PhoneGrid"));
  Addbutton = addButton("Addbutton", QStringLiteral("&New"), QStringLiteral("Add a new phone book entry"));
  Modifybutton = addButton("Modifybutton", QStringLiteral("&Edit"), QStringLiteral("Edit the current entry"));
  Deletebutton = addButton("Deletebutton", QStringLiteral("&Delete"), QStringLiteral("Delete the current entry"));
  addButtonGap();
  OKButton = addButton("OKButton", QStringLiteral("&Accept"), QStringLiteral("Use this entry"));
  Cancelbutton = addButton("Cancelbutton", QStringLiteral("Cance&l"), QStringLiteral("Do not use any entry"));
  Closebutton = addButton("Closebutton", QStringLiteral("C&lose"), QStringLiteral("Close the phone book"));
  Helpbutton = addButton("Helpbutton", QStringLiteral("&Help"));
  finishButtons();
  OKButton->hide();
  Cancelbutton->hide();
  connect(Addbutton, &QPushButton::clicked, this, &TPhoneBook::AddbuttonClick);
  connect(Modifybutton, &QPushButton::clicked, this, &TPhoneBook::ModifybuttonClick);
  connect(Deletebutton, &QPushButton::clicked, this, &TPhoneBook::DeletebuttonClick);
  connect(OKButton, &QPushButton::clicked, this, &TPhoneBook::OKButtonClick);
  connect(Cancelbutton, &QPushButton::clicked, this, &QDialog::reject);
  connect(Closebutton, &QPushButton::clicked, this, &QDialog::reject);
  connect(Helpbutton, &QPushButton::clicked, this, [] { app::showHelp(kHelpPhoneBook); });
  connect(grid(), &QAbstractItemView::doubleClicked, this, [this] {
    if (OKButton->isVisible()) OKButtonClick();
    else ModifybuttonClick();
  });
}

bool TPhoneBook::openPhoneTable() {
  bool open = context_.store.openPhoneDBF(table_);
  model().reload();
  return open;
}

void TPhoneBook::setPickMode() {
  Closebutton->hide();
  OKButton->show();
  Cancelbutton->show();
  OKButton->setDefault(true);
}

void TPhoneBook::updateButtons() {
  bool any = queryCount() > 0;
  Modifybutton->setEnabled(any);
  Deletebutton->setEnabled(any);
  OKButton->setEnabled(any);  // Accept follows Edit
}

void TPhoneBook::editEntry(bool append, const QString& name, const QString& number) {
  TPhoneBookEditor editor(this);
  editor.Name->setText(name);
  editor.Number->setText(number);
  editor.adjustSize();
  app::centreWindow(&editor);
  if (editor.exec() != QDialog::Accepted) return;
  xbase::Table& t = table_;
  if (append && !t.appendBlank()) return;
  t.replace(NAME, toCp1252(editor.Name->text()));
  t.replace(PHONE, toCp1252(editor.Number->text()));
  t.commit();
}

void TPhoneBook::AddbuttonClick() {
  editEntry(true, {}, {});
  platform::pumpMessages();
  refreshGrid();
}

void TPhoneBook::ModifybuttonClick() {
  if (beepWhenEmpty()) return;
  editEntry(false, fromCp1252(table_.getTrimmed(NAME)), fromCp1252(table_.getTrimmed(PHONE)));
  refreshGrid();
}

void TPhoneBook::DeletebuttonClick() {
  if (beepWhenEmpty()) return;
  QString question = QStringLiteral("Delete the current phone book entry?:\n") + fromCp1252(table_.getTrimmed(NAME));
  deleteCurrentAfterAsking(question);
}

void TPhoneBook::OKButtonClick() {
  if (queryCount() == 0) return;
  chosenName = fromCp1252(table_.getTrimmed(NAME));
  chosenNumber = fromCp1252(table_.getTrimmed(PHONE));
  accept();
}

}  // namespace quillon::compose
