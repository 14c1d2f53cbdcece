// The main window's New, Clone, Edit and Delete, GetDatetimeAsString and CreateFaxFile over
// real tables.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QToolButton>

#include <gtest/gtest.h>

#include <filesystem>

#include "app/main_screen.h"
#include "app/modal_answer.h"
#include "compose/compose_world.h"
#include "compose/cover_browse.h"
#include "compose/fax_editor.h"
#include "compose/phone_book.h"
#include "compose/receive_notes.h"
#include "richtext/rich_text_control.h"

using namespace quillon;
using compose::TFaxEditor;
using quillon::test::answerNextMessageBox;
using quillon::test::TempDir;
using quillon::test::whenModal;
namespace fs = std::filesystem;
namespace sentfield = store::sentfield;

namespace {
class ListCommands : public ::testing::Test {
 protected:
  ListCommands() { dir.write("QLN.INI", "[Modem]\r\nComPort=1\r\n"); }
  TempDir dir;
  quillon::test::StrayMessageBoxGuard guard_;
};

void addSent(app::TMainScreen& w, const std::string& subject, const std::string& doc = "{\\rtf1 Body text\\par}",
             const std::string& cover = "") {
  store::SentEntry entry;
  entry.recipient = "Northwind Traders";
  entry.subject = subject;
  entry.phone = "555 0123";
  entry.rtfDoc = doc;
  entry.rtfCover = cover;
  ASSERT_TRUE(w.store().appendSent(entry));
  w.SetButtons();
}

std::string field(app::TMainScreen& w, const char* name) { return w.store().faxTable().getTrimmed(name); }
}  // namespace

TEST_F(ListCommands, NewStoresWhatTheEditorHoldsAndCancelStoresNothing) {
  app::TMainScreen w(dir.path());
  w.show();
  auto seen = whenModal<TFaxEditor>([](TFaxEditor& editor) { editor.CancelButton->click(); });
  w.Newbutton->click();
  EXPECT_TRUE(*seen);
  EXPECT_EQ(w.store().faxTable().recCount(), 0);

  seen = whenModal<TFaxEditor>([](TFaxEditor& editor) {
    editor.Recipient->setText("Riverside Clinic");
    editor.FaxNumber->setText("555 0142");
    editor.Subject->setText("Appointment");
    editor.WPDoc->textCursor().insertText("Please confirm Tuesday.");
    editor.OKButton->click();
  });
  w.Newbutton->click();
  EXPECT_TRUE(*seen);
  store::Table& t = w.store().faxTable();
  ASSERT_EQ(t.recCount(), 1);
  EXPECT_EQ(field(w, sentfield::RECIPIENT), "Riverside Clinic");
  EXPECT_EQ(field(w, sentfield::PHONE), "555 0142");
  EXPECT_EQ(field(w, sentfield::SUBJECT), "Appointment");
  EXPECT_FALSE(t.getLogical(sentfield::SENT));
  EXPECT_NE(t.getMemo(sentfield::RTFDOC).find("Please confirm Tuesday."), std::string::npos);
  EXPECT_EQ(w.sentModel().rowCount(), 1);
  EXPECT_TRUE(w.EditButton->isEnabled());
}

TEST_F(ListCommands, CloneCopiesTheFaxWithAMarkedSubject) {
  app::TMainScreen w(dir.path());
  w.show();
  w.CloneButtonClick();  // empty list: a beep, no editor
  EXPECT_EQ(w.store().faxTable().recCount(), 0);
  addSent(w, "Weekly report", "{\\rtf1 Figures\\par}", "{\\rtf1 Cover\\par}");
  QString subject, recipient, doc, cover;
  auto seen = whenModal<TFaxEditor>([&](TFaxEditor& editor) {
    subject = editor.Subject->text();
    recipient = editor.Recipient->text();
    doc = editor.WPDoc->plainText();
    cover = editor.WPCover->plainText();
    editor.OKButton->click();
  });
  w.CloneButton->click();
  EXPECT_TRUE(*seen);
  EXPECT_EQ(subject, "[clone]Weekly report");
  EXPECT_EQ(recipient, "Northwind Traders");
  EXPECT_EQ(doc, "Figures\n");
  EXPECT_EQ(cover, "Cover\n");
  EXPECT_FALSE(w.cloneRequest);
  store::Table& t = w.store().faxTable();
  ASSERT_EQ(t.recCount(), 2);
  ASSERT_TRUE(t.go(1));
  EXPECT_EQ(field(w, sentfield::SUBJECT), "Weekly report");
  ASSERT_TRUE(t.go(2));
  EXPECT_EQ(field(w, sentfield::SUBJECT), "[clone]Weekly report");
  EXPECT_EQ(field(w, sentfield::PHONE), "555 0123");

  // A subject of 50 characters: "[clone]" and the subject, cut to 50 when stored.
  const std::string fifty(50, 'w');
  addSent(w, fifty);
  whenModal<TFaxEditor>([](TFaxEditor& editor) { editor.OKButton->click(); });
  w.CloneButtonClick();
  ASSERT_EQ(t.recCount(), 4);
  ASSERT_TRUE(t.go(4));
  EXPECT_EQ(field(w, sentfield::SUBJECT), ("[clone]" + fifty).substr(0, 50));
}

TEST_F(ListCommands, EditStoresChangesAndCancelLeavesTheRecordEvenAfterATemplate) {
  app::TMainScreen w(dir.path());
  w.show();
  addSent(w, "Order confirmation");
  {
    store::FaxStore& s = w.store();
    ASSERT_TRUE(s.openCoverDBF());
    ASSERT_TRUE(s.coverTable().appendBlank());
    s.coverTable().replace(store::coverfield::DESCRIPT, "Standard");
    ASSERT_TRUE(s.saveRichText(s.coverTable(), store::coverfield::COVER, "{\\rtf1 Template text\\par}"));
    s.coverTable().commit();
    s.coverTable().close();
  }
  const std::string before = w.store().faxTable().getRecord();
  auto seen = whenModal<TFaxEditor>([](TFaxEditor& editor) {
    editor.Subject->setText("Changed");
    whenModal<compose::TCoverBrowse>([](compose::TCoverBrowse& b) { b.Acceptbutton->click(); });
    editor.LoadCoverButtonClick();
    EXPECT_EQ(editor.WPCover->plainText(), "Template text\n");
    editor.CancelButton->click();
  });
  w.EditButton->click();
  EXPECT_TRUE(*seen);
  EXPECT_EQ(w.store().faxTable().getRecord(), before);

  whenModal<TFaxEditor>([](TFaxEditor& editor) {
    EXPECT_EQ(editor.Subject->text(), "Order confirmation");
    EXPECT_EQ(editor.WPDoc->plainText(), "Body text\n");
    editor.Subject->setText("Order confirmed");
    editor.OKButton->click();
  });
  w.EditButton->click();
  EXPECT_EQ(field(w, sentfield::SUBJECT), "Order confirmed");
  EXPECT_EQ(w.store().faxTable().recCount(), 1);
}

TEST_F(ListCommands, ReceivedNotesAndDeletingFaxesWithTheirFiles) {
  app::TMainScreen w(dir.path());
  w.show();
  addSent(w, "Quotation 2291");
  store::ReceivedEntry received;
  received.date = xbase::Date{2026, 12, 8};
  received.time = "10:15";
  received.from = "ACME SALES";
  received.pages = 2;
  received.faxFile = "FAX0001.APF";
  ASSERT_TRUE(w.store().appendReceived(received));
  dir.write("receive/FAX0001.APF", "fax");
  dir.write("QLN_1.APF", "not the sent fax's");
  w.TabSet1Click(1);

  auto seen = whenModal<compose::TEditReceiveNotes>([](compose::TEditReceiveNotes& notes) {
    EXPECT_EQ(notes.windowTitle(), "Received Fax Notes");
    EXPECT_EQ(notes.Descript->text(), "From: ACME SALES");
    EXPECT_EQ(notes.Notes->maxLength(), 60);
    notes.Notes->setText(QString(70, 'n'));
    notes.OKButton->click();
  });
  w.EditButton->click();
  EXPECT_TRUE(*seen);
  EXPECT_EQ(w.store().recTable().getTrimmed(store::recfield::NOTES), std::string(60, 'n'));

  QString text;
  w.GetDatetimeAsString(false, text);
  EXPECT_EQ(text, QLocale::system().toString(QDate(2026, 12, 8), QLocale::ShortFormat) + " at " +
                      QLocale::system().toString(QTime(10, 15), QLocale::ShortFormat));

  auto no = answerNextMessageBox(QMessageBox::No);
  w.DeleteButton->click();
  EXPECT_EQ(no->text, "Delete the current fax?\r\n(from: \"ACME SALES\")");
  EXPECT_EQ(no->caption, "Delete");
  EXPECT_EQ(no->defaultButton, QMessageBox::No);
  EXPECT_TRUE(fs::exists(dir.file("receive/FAX0001.APF")));
  answerNextMessageBox(QMessageBox::Yes);
  w.DeleteButton->click();
  EXPECT_FALSE(fs::exists(dir.file("receive/FAX0001.APF")));
  EXPECT_EQ(w.receivedModel().rowCount(), 0);
  EXPECT_FALSE(w.DeleteButton->isEnabled());

  w.TabSet1Click(0);
  auto yes = answerNextMessageBox(QMessageBox::Yes);
  w.DeleteButton->click();
  EXPECT_EQ(yes->text, "Delete the current fax?\r\n(subject: \"Quotation 2291\")");
  EXPECT_EQ(w.sentModel().rowCount(), 0);
  EXPECT_TRUE(fs::exists(dir.file("QLN_1.APF")));  // a sent fax has no file to delete
}

TEST_F(ListCommands, DateTimeTextOfSentRecords) {
  app::TMainScreen w(dir.path());
  addSent(w, "Draft");
  QString text = "x";
  w.GetDatetimeAsString(true, text);
  EXPECT_EQ(text, "not sent");
  ASSERT_TRUE(w.store().writeSendOutcome(3, "Sent", "555 0123", xbase::Date{2026, 11, 30}, "09:07"));
  w.GetDatetimeAsString(true, text);
  EXPECT_EQ(text, QLocale::system().toString(QDate(2026, 11, 30), QLocale::ShortFormat) + " at " +
                      QLocale::system().toString(QTime(9, 7), QLocale::ShortFormat));
}

TEST_F(ListCommands, CreateFaxFileRendersTheCurrentFaxOrSaysItIsEmpty) {
  app::TMainScreen w(dir.path());
  w.show();
  addSent(w, "Empty", "", "");
  auto notice = answerNextMessageBox(QMessageBox::Ok);
  EXPECT_EQ(w.CreateFaxFile(), "");
  EXPECT_EQ(notice->text, "Fax has no contents or cover sheet");
  EXPECT_TRUE(w.ButtonBar->isEnabled());

  addSent(w, "Two pages", "{\\rtf1 One\\par\\page Two\\par}", "{\\rtf1 Cover\\par}");
  std::string file = w.CreateFaxFile();
  EXPECT_EQ(file, dir.file("QLN_1.APF"));
  EXPECT_EQ(w.pageCount, 3);
  EXPECT_EQ(quillon::test::faxPageCount(file), 3);
  EXPECT_TRUE(w.ButtonBar->isEnabled());
  EXPECT_TRUE(w.status->text().isEmpty());
  EXPECT_FALSE(fs::exists(dir.file("_TMP.BMP")));
  EXPECT_FALSE(w.WPDoc->isVisible());

  // A damaged memo renders what could be read and never crashes.
  addSent(w, "Damaged", "{\\rtf1 {\\b bold but never closed \\'zz \\u-99999? text", "");
  file = w.CreateFaxFile();
  EXPECT_EQ(file, dir.file("QLN_2.APF"));
  EXPECT_EQ(quillon::test::faxPageCount(file), 1);
}

TEST_F(ListCommands, PhoneBookAndCoverSheetsOpenInManagementModeAndCloseTheirTables) {
  app::TMainScreen w(dir.path());
  w.show();
  auto seen = whenModal<compose::TPhoneBook>([](compose::TPhoneBook& book) {
    EXPECT_TRUE(book.Closebutton->isVisible());
    EXPECT_FALSE(book.OKButton->isVisible());
    EXPECT_TRUE(book.PhoneTable().isOpen());
    book.Closebutton->click();
  });
  w.mnuPhoneBook->trigger();
  EXPECT_TRUE(*seen);
  EXPECT_TRUE(fs::exists(dir.file("QLNPB.DBF")));
  seen = whenModal<compose::TCoverBrowse>([](compose::TCoverBrowse& browser) {
    EXPECT_TRUE(browser.CloseButton->isVisible());
    EXPECT_FALSE(browser.Acceptbutton->isVisible());
    browser.CloseButton->click();
  });
  w.mnuCover->trigger();
  EXPECT_TRUE(*seen);
  EXPECT_FALSE(w.store().coverTable().isOpen());
  EXPECT_TRUE(fs::exists(dir.file("QLNCOV.DBF")));
}
