#pragma once
// TPhoneBook ("Phone Book Browser"): the phone book in alphabetical order of names (case
// ignored). Management mode (File menu): New, Edit, Delete, Close. Pick mode (the fax
// editor's Phonebook button): Accept returns the current entry's name and fax number.
#include <memory>

#include "compose/browse_window.h"
#include "compose/compose_context.h"
#include "xbase/table.h"

class QPushButton;

namespace quillon::compose {

class TPhoneBook : public BrowseWindow {
  Q_OBJECT

 public:
  explicit TPhoneBook(ComposeContext& context, QWidget* parent = nullptr);

  // OpenPhoneDBF into this window's own table (created when missing). False when it cannot
  // be opened; the window is then of no use.
  bool openPhoneTable();
  xbase::Table& PhoneTable() { return table_; }
  // Pick mode: Close hidden, Accept and Cancel shown.
  void setPickMode();

  // The entry chosen with Accept (pick mode).
  QString chosenName, chosenNumber;

  QPushButton *Addbutton, *Modifybutton, *Deletebutton, *Closebutton, *Cancelbutton, *OKButton, *Helpbutton;

  void AddbuttonClick();
  void ModifybuttonClick();
  void DeletebuttonClick();
  void OKButtonClick();

 protected:
  void updateButtons() override;

 private:
  // Opens the entry editor with `name` and `number`; on Accept stores them (appending a
  // record first when `append`).
  void editEntry(bool append, const QString& name, const QString& number);

  ComposeContext& context_;
};

const app::ListLayout& phoneBookListLayout();
inline constexpr int kHelpPhoneBook = 1019;

}  // namespace quillon::compose
