#include "compose_shots.h"

#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTextCursor>
#include <QThread>
#include <QToolButton>

#include <cstdio>
#include <filesystem>

#include "app/main_screen.h"
#include "compose/compose_world.h"
#include "compose/cover_browse.h"
#include "compose/cover_editor.h"
#include "compose/fax_editor.h"
#include "compose/phone_book.h"
#include "compose/phone_book_editor.h"
#include "compose/receive_notes.h"
#include "faximage/fax_unpacker.h"
#include "richtext/rich_text_control.h"

namespace quillon::screenshots {

using test::whenModal;

namespace {
void settle() {
  for (int i = 0; i < 8; ++i) {
    QApplication::processEvents();
    QThread::msleep(15);
  }
}

bool shot(QWidget& window, const QString& out, const char* name) {
  settle();
  bool ok = window.grab().save(out + "/" + name);
  if (!ok) std::fprintf(stderr, "quillon-screenshots: cannot save %s\n", name);
  return ok;
}

void type(richtext::TWPRichText& editor, const QString& text) {
  QTextCursor cursor = editor.textCursor();
  cursor.insertText(text);
  editor.setTextCursor(cursor);
}

void bold(richtext::TWPRichText& editor, bool on) { editor.setBold(on); }
}  // namespace

bool addComposeSamples(app::TMainScreen& window) {
  store::FaxStore& store = window.store();
  if (!store.openPhoneDBF()) return false;
  const char* entries[][2] = {{"Harbour Freight Ltd", "+44 20 7946 0018"}, {"adams, Jonathan", "+1 555 0101"},
                              {"Baker & Sons Solicitors", "+1 555 0177"},  {"City Planning Office", "+1 555 0140"},
                              {"Riverside Clinic", "+1 555 0142"},        {"Kowalski Engineering", "+48 22 555 0190"}};
  for (auto& e : entries) {
    store.phoneTable().appendBlank();
    store.phoneTable().replace(store::phonefield::NAME, e[0]);
    store.phoneTable().replace(store::phonefield::PHONE, e[1]);
    store.phoneTable().commit();
  }
  store.phoneTable().close();

  richtext::TWPRichText cover;
  cover.setPageLayout(richtext::PageLayout{});
  QFont big("DejaVu Sans");
  big.setPointSize(28);
  big.setBold(true);
  cover.setWritingFont(big);
  type(cover, "FAX\n");
  QFont body("DejaVu Sans");
  body.setPointSize(13);
  cover.setWritingFont(body);
  const std::pair<const char*, int> rows[] = {{"To:\t", 1}, {"Fax:\t", 2}, {"Re:\t", 3}, {"Date:\t", 4}, {"Time:\t", 5}};
  for (auto [label, field] : rows) {
    bold(cover, true);
    type(cover, label);
    bold(cover, false);
    cover.insertField(field, field == 1 ? "[RECIPIENT]" : field == 2 ? "[FAX#]" : field == 3 ? "[SUBJECT]"
                                         : field == 4 ? "[DATE]" : "[TIME]");
    type(cover, "\n");
  }
  type(cover, "\nFrom: Quillon Demo Office, +1 555 0100\n\nIf any page is missing or unreadable, please call "
              "us on +1 555 0100 as soon as possible.\n");
  if (!store.openCoverDBF()) return false;
  for (const char* description : {"Standard", "Urgent", "Invoice cover"}) {
    store.coverTable().appendBlank();
    store.coverTable().replace(store::coverfield::DESCRIPT, description);
    store.saveRichText(store.coverTable(), store::coverfield::COVER, cover.saveRtf());
    store.coverTable().commit();
  }
  store.coverTable().close();
  return true;
}

bool composeScreenshots(app::TMainScreen& window, const QString& out) {
  bool ok = true;
  window.TabSet1Click(0);
  auto editorSeen = whenModal<compose::TFaxEditor>([&](compose::TFaxEditor& editor) {
    editor.move(60, 40);
    editor.Subject->setText("Revised delivery schedule");
    ok = shot(editor, out, "fax-editor-recipient-empty.png") && ok;
    whenModal<compose::TPhoneBook>([&](compose::TPhoneBook& book) {
      book.grid()->selectRow(3);
      ok = shot(book, out, "phone-book-pick.png") && ok;
      book.OKButton->click();
    });
    editor.AddressButton->click();
    ok = shot(editor, out, "fax-editor-recipient.png") && ok;

    editor.CoverButton->click();
    whenModal<compose::TCoverBrowse>([&](compose::TCoverBrowse& browser) {
      ok = shot(browser, out, "cover-browse-pick.png") && ok;
      browser.Acceptbutton->click();
    });
    editor.LoadCoverButtonClick();
    ok = shot(editor, out, "fax-editor-cover.png") && ok;

    editor.DocumentButton->click();
    richtext::TWPRichText& doc = *editor.WPDoc;
    QFont heading("DejaVu Sans");
    heading.setPointSize(16);
    heading.setBold(true);
    doc.setWritingFont(heading);
    type(doc, "Revised delivery schedule\n");
    QFont body("DejaVu Serif");
    body.setPointSize(12);
    doc.setWritingFont(body);
    type(doc, "Dear Sir or Madam,\n\nFollowing our call this morning, the delivery of the revised drawings moves to "
              "Thursday, 17 December. The crates leave our yard at 7:00 and should reach your site by noon. "
              "Please make sure somebody can sign for them at the gate.\n\n");
    for (int i = 1; i <= 3; ++i)
      type(doc, QStringLiteral("\t%1.\tCrate %1 of 3: drawings, specifications and the signed order.\n").arg(i));
    type(doc, "\nShould the date not suit you, please reply by fax before Monday.\n\nYours faithfully,\n\n"
              "M. Okafor\nDispatch\n");
    doc.moveCaretToStart();
    ok = shot(editor, out, "fax-editor-document.png") && ok;
    editor.OKButton->click();
  });
  window.Newbutton->click();
  ok = *editorSeen && ok;

  // The phone book and the cover templates from the File menu.
  whenModal<compose::TPhoneBook>([&](compose::TPhoneBook& book) {
    ok = shot(book, out, "phone-book.png") && ok;
    whenModal<compose::TPhoneBookEditor>([&](compose::TPhoneBookEditor& editor) {
      ok = shot(editor, out, "phone-book-editor.png") && ok;
      editor.CancelButton->click();
    });
    book.Modifybutton->click();
    book.Closebutton->click();
  });
  window.mnuPhoneBookClick();
  whenModal<compose::TCoverBrowse>([&](compose::TCoverBrowse& browser) {
    ok = shot(browser, out, "cover-browse.png") && ok;
    whenModal<compose::TCoverEditor>([&](compose::TCoverEditor& editor) {
      editor.resize(900, 700);
      ok = shot(editor, out, "cover-editor.png") && ok;
      editor.CancelButton->click();
    });
    browser.ModifyButton->click();
    browser.CloseButton->click();
  });
  window.mnuCoverClick();

  // The new fax rendered, its pages as images.
  std::string file = window.CreateFaxFile();
  faximage::TApdFaxUnpacker unpacker;
  unpacker.SetInFileName(file);
  const int pages = file.empty() ? 0 : unpacker.FilePageCount();
  for (int page = 1; page <= pages; ++page) {
    faximage::MonoBitmap bitmap;
    unpacker.DecodePageToBitmap(page, bitmap);
    QImage image(bitmap.width, bitmap.height, QImage::Format_Mono);
    image.setColor(0, qRgb(0, 0, 0));
    image.setColor(1, qRgb(255, 255, 255));  // the unpacker's bitmaps: 1 = white
    for (int y = 0; y < bitmap.height; ++y)
      std::copy(bitmap.row(y), bitmap.row(y) + std::min<size_t>(bitmap.stride, image.bytesPerLine()), image.scanLine(y));
    ok = image.save(out + QStringLiteral("/rendered-page-%1.png").arg(page)) && ok;
  }
  std::error_code ec;
  std::filesystem::remove(file, ec);
  ok = pages == 2 && ok;

  window.TabSet1Click(1);
  if (window.store().recTable().queryRecCount() > 0) {
    whenModal<compose::TEditReceiveNotes>([&](compose::TEditReceiveNotes& notes) {
      notes.Notes->setText("Called back on Tuesday; order number 4471");
      ok = shot(notes, out, "received-notes.png") && ok;
      notes.CancelButton->click();
    });
    window.EditButton->click();
  }
  window.TabSet1Click(0);
  return ok;
}

}  // namespace quillon::screenshots
