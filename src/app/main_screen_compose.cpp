// The main window's commands that compose and keep faxes: New, Clone, Edit (a sent fax in
// the fax editor, a received fax's notes), Delete, the phone book and the cover sheets, and
// the date-and-time text of a record.
#include <QApplication>
#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QTime>

#include "app/dialogs.h"
#include "app/main_screen.h"
#include "compose/compose_context.h"
#include "compose/cover_browse.h"
#include "compose/editor_commands.h"
#include "compose/fax_editor.h"
#include "compose/phone_book.h"
#include "compose/receive_notes.h"
#include "platform/message_pump.h"
#include "qtplatform/cp1252_text.h"
#include "richtext/rich_text_control.h"
#include "richtext/rich_text_store.h"

namespace quillon::app {

using qtplatform::fromCp1252;
using qtplatform::toCp1252;
namespace sentfield = store::sentfield;
namespace recfield = store::recfield;

namespace {
// Commands that need a current record beep on an empty list and do nothing.
bool noRecordBeep(store::Table& table) {
  if (table.isOpen() && table.queryRecCount() > 0) return false;
  QApplication::beep();
  return true;
}

// After a delete the flagged record leaves the list: the next one becomes current (the
// last one when it was at the end), so no command acts on the deleted record.
void leaveDeletedRecord(store::Table& table) {
  if (table.eof() || table.viewPosition(table.recNo()) >= 0) return;
  table.skip(1);
  if (table.eof()) table.goBottom();
}

store::SentEntry entryOf(const compose::TFaxEditor& editor) {
  store::SentEntry entry;
  entry.recipient = toCp1252(editor.Recipient->text());
  entry.subject = toCp1252(editor.Subject->text());
  entry.phone = toCp1252(editor.FaxNumber->text());
  entry.rtfCover = editor.WPCover->saveRtf();
  entry.rtfDoc = editor.WPDoc->saveRtf();
  return entry;
}

QString shortDate(const xbase::Date& date) {
  QDate d(date.year, date.month, date.day);
  return d.isValid() ? QLocale::system().toString(d, QLocale::ShortFormat) : QString();
}

// A stored time ("hh:mm", or with seconds) in the short time format; the raw text when it is
// not a time.
QString shortTime(const std::string& stored) {
  QString raw = fromCp1252(stored).trimmed();
  QTime time = QTime::fromString(raw, QStringLiteral("H:mm"));
  if (!time.isValid()) time = QTime::fromString(raw, QStringLiteral("H:mm:ss"));
  return time.isValid() ? QLocale::system().toString(time, QLocale::ShortFormat) : raw;
}
}  // namespace

compose::ComposeContext& TMainScreen::composeContext() {
  if (!composeContext_)
    composeContext_ = std::make_unique<compose::ComposeContext>(compose::ComposeContext{store_, settingsStore_, settings_});
  return *composeContext_;
}

void TMainScreen::NewbuttonClick() {
  {
    compose::TFaxEditor editor(composeContext(), this);
    store::Table& faxes = store_.faxTable();
    if (cloneRequest) {
      richtext::LoadRichText(*editor.WPCover, store_, faxes, sentfield::RTFCOVER);
      richtext::LoadRichText(*editor.WPDoc, store_, faxes, sentfield::RTFDOC);
      editor.Recipient->setText(fromCp1252(faxes.getTrimmed(sentfield::RECIPIENT)));
      editor.Subject->setText(QStringLiteral("[clone]") + fromCp1252(faxes.getTrimmed(sentfield::SUBJECT)));
      editor.FaxNumber->setText(fromCp1252(faxes.getTrimmed(sentfield::PHONE)));
    } else {
      compose::applyDefaultFont(*editor.WPCover, settings_);
      compose::applyDefaultFont(*editor.WPDoc, settings_);
    }
    if (editor.exec() == compose::TFaxEditor::kAccepted) {
      store::SentEntry entry = entryOf(editor);
      store_.appendSent(entry);
      platform::pumpMessages();
      store_.faxTableCloseAndOpen();
      platform::pumpMessages();
    }
  }
  cloneRequest = false;
  SetButtons();
}

void TMainScreen::CloneButtonClick() {
  if (noRecordBeep(store_.faxTable())) return;
  cloneRequest = true;
  NewbuttonClick();
}

void TMainScreen::EditButtonClick() {
  if (notebookPage() == 0) {
    EditSentFax();
  } else {
    EditReceivedFax();
  }
  SetButtons();
}

void TMainScreen::EditSentFax() {
  store::Table& faxes = store_.faxTable();
  if (noRecordBeep(faxes)) return;
  compose::TFaxEditor editor(composeContext(), this);
  richtext::LoadRichText(*editor.WPCover, store_, faxes, sentfield::RTFCOVER);
  richtext::LoadRichText(*editor.WPDoc, store_, faxes, sentfield::RTFDOC);
  editor.Recipient->setText(fromCp1252(faxes.getTrimmed(sentfield::RECIPIENT)));
  editor.Subject->setText(fromCp1252(faxes.getTrimmed(sentfield::SUBJECT)));
  editor.FaxNumber->setText(fromCp1252(faxes.getTrimmed(sentfield::PHONE)));
  if (editor.exec() == compose::TFaxEditor::kAccepted) store_.editSent(entryOf(editor));
}

void TMainScreen::EditReceivedFax() {
  store::Table& received = store_.recTable();
  if (noRecordBeep(received)) return;
  const long remembered = received.recNo();
  compose::TEditReceiveNotes notes(this);
  notes.Notes->setText(fromCp1252(received.getTrimmed(recfield::NOTES)));
  notes.Descript->setText(QStringLiteral("From: ") + fromCp1252(received.getTrimmed(recfield::FROM)));
  notes.adjustSize();
  centreWindow(&notes);
  if (notes.exec() != QDialog::Accepted) return;
  if (remembered > 0) received.go(remembered);
  store_.setNotes(toCp1252(notes.Notes->text()));
}

void TMainScreen::DeleteButtonClick() {
  const bool incoming = notebookPage() == 1;
  store::Table& table = incoming ? store_.recTable() : store_.faxTable();
  if (noRecordBeep(table)) return;
  const QString question =
      incoming ? QStringLiteral("Delete the current fax?\r\n(from: \"%1\")").arg(fromCp1252(table.getTrimmed(recfield::FROM)))
               : QStringLiteral("Delete the current fax?\r\n(subject: \"%1\")")
                     .arg(fromCp1252(table.getTrimmed(sentfield::SUBJECT)));
  if (AskYesNoDefaultNo(question, QStringLiteral("Delete"))) {
    // A received fax's file goes with its record; a sent fax has none.
    store_.deleteCurrent(incoming ? store::TableKind::Received : store::TableKind::Sent);
    leaveDeletedRecord(table);
  }
  SetButtons();
}

void TMainScreen::mnuPhoneBookClick() {
  {
    compose::TPhoneBook book(composeContext(), this);
    if (book.openPhoneTable()) {
      book.adjustSize();
      centreWindow(&book);
      book.exec();
    }
  }
  SetButtons();
}

void TMainScreen::mnuCoverClick() {
  if (store_.openCoverDBF()) {
    {
      compose::TCoverBrowse browser(composeContext(), this);
      browser.adjustSize();
      centreWindow(&browser);
      browser.exec();
    }
    store_.coverTable().close();
  }
  SetButtons();
}

void TMainScreen::GetDatetimeAsString(bool sentRecord, QString& text) {
  text.clear();
  if (sentRecord) {
    store::Table& faxes = store_.faxTable();
    if (!faxes.getLogical(sentfield::SENT)) {
      text = QStringLiteral("not sent");
      return;
    }
    QString date = shortDate(faxes.getDate(sentfield::DATESENT));
    text = (date.isEmpty() ? QStringLiteral("unknown") : date) + QStringLiteral(" at ") +
           shortTime(faxes.getString(sentfield::TIMESENT));
    return;
  }
  store::Table& received = store_.recTable();
  QString date = shortDate(received.getDate(recfield::DATEREC));
  if (date.isEmpty()) return;  // a date that cannot be formatted leaves the text empty
  text = date + QStringLiteral(" at ") + shortTime(received.getString(recfield::TIMEREC));
}

}  // namespace quillon::app
