// The fax log cleanup window on real tables in a scratch folder: bulk deletes by date and by
// recipient, delete-one with the received fax's file, the "(none)" pages, and the index
// rebuild that packs the flagged records out of the .DBF files.
#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QMenu>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "app/modal_answer.h"
#include "maint/date_selector.h"
#include "maint/delete_conditions.h"
#include "maint/dm_form.h"
#include "maint/rebuild_ind.h"
#include "store/fax_store.h"
#include "support/temp_dir.h"

namespace quillon::maint {
namespace {

namespace fs = std::filesystem;
using test::answerNextMessageBox;

// Runs `act` on the next modal window of type W once it is open.
template <typename W>
void onNextModal(std::function<void(W*)> act) {
  auto* timer = new QTimer;
  timer->setInterval(5);
  QObject::connect(timer, &QTimer::timeout, [timer, act] {
    auto* w = qobject_cast<W*>(QApplication::activeModalWidget());
    if (!w) return;
    timer->stop();
    timer->deleteLater();
    act(w);
  });
  timer->start();
}

class CleanupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    env.setToday(store::Date{2024, 6, 15});
    store = std::make_unique<store::FaxStore>(dir.path(), env);
    ASSERT_TRUE(store->openFaxDBF());
    ASSERT_TRUE(store->openRecFaxDBF());
    fs::create_directories(dir.file("receive"));
  }
  void addSent(const std::string& recipient, store::Date date = {}) {
    ASSERT_TRUE(store->appendSent({recipient, "s", "555", "", ""}));
    if (!date.empty()) {
      ASSERT_TRUE(store->writeSendOutcome(1, "Sent", "555", date, "12:00"));
    }
  }
  void addReceived(const std::string& from, store::Date date, const std::string& file) {
    dir.write("receive/" + file, "fax");
    ASSERT_TRUE(store->appendReceived({date, "10:00", from, 1, file}));
  }
  long flagged(store::Table& t) {
    long n = 0;
      for (long r = 1; r <= t.recCount(); ++r) n += t.record(r)->deleted();
    return n;
  }
  void show(TDMForm& form) {
    form.show();
    QApplication::processEvents();
  }
  test::StrayMessageBoxGuard guard;
  test::TempDir dir;
  xbase::Environment env;
  std::unique_ptr<store::FaxStore> store;
};

TEST_F(CleanupTest, BeforeDateNeverDeletesUnsentFaxes) {
  addSent("OLD", {2024, 1, 10});
  addSent("NEW", {2024, 6, 1});
  addSent("UNSENT");
  TDMForm form(*store);
  show(form);
  QString caption;
  onNextModal<TDateSelector>([&](TDateSelector* s) {
    caption = s->windowTitle();
    EXPECT_EQ(s->date(), QDate(2024, 6, 15));  // preset to today
    s->setDate(QDate(2024, 3, 1));
    EXPECT_EQ(s->Panel1->text(), QLocale().toString(QDate(2024, 3, 1), QStringLiteral("dddd, MMMM d, yyyy")));
    emit s->Calendar1->activated(s->Calendar1->selectedDate());  // a double click on the day
    answerNextMessageBox(QMessageBox::Yes);
  });
  auto result = std::make_shared<test::ModalAnswer>();
  // The count box that follows the question.
  QTimer relay;
  relay.setInterval(5);
  QObject::connect(&relay, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box && box->text().endsWith(QStringLiteral(" deleted."))) {
      result->text = box->text();
      box->done(QMessageBox::Ok);
    }
  });
  relay.start();
  form.DeleteSome();
  relay.stop();
  EXPECT_EQ(caption, QStringLiteral("Delete all before..."));
  EXPECT_EQ(result->text, QStringLiteral("1 deleted."));
  EXPECT_TRUE(form.somethingDeleted());
  store::Table& t = store->faxTable();
  EXPECT_TRUE(t.record(1)->deleted());
  EXPECT_FALSE(t.record(2)->deleted());
  EXPECT_FALSE(t.record(3)->deleted());  // never sent: kept
  form.done(QDialog::Accepted);
}

TEST_F(CleanupTest, SmithExactAndPartialThroughTheConditionDialog) {
  addSent("Smith");
  addSent("John Smithers");
  addSent("Jones");
  TDMForm form(*store);
  show(form);
  auto runDialog = [&](const QString& text, bool exact) {
    onNextModal<TDeleteForConditions>([=](TDeleteForConditions* d) {
      EXPECT_FALSE(d->rFrom->isEnabled());  // outgoing page
      EXPECT_TRUE(d->rRecipient->isChecked());
      d->FaxRECIPIENT->setText(text);
      d->ExactMatch->setChecked(exact);
      answerNextMessageBox(QMessageBox::Yes);  // "Are you sure ...?"
      d->OkButtonClick();
      answerNextMessageBox(QMessageBox::Ok);  // the count
    });
    form.DeleteAllFaxesMeetingCertainConditionsClick();
  };
  runDialog(QStringLiteral("smith"), true);
  store::Table& t = store->faxTable();
  EXPECT_EQ(flagged(t), 1);
  EXPECT_TRUE(t.record(1)->deleted());
  runDialog(QStringLiteral(" smith "), false);
  EXPECT_EQ(flagged(t), 2);
  EXPECT_TRUE(t.record(2)->deleted());
  EXPECT_FALSE(t.record(3)->deleted());

  // A blank value is refused and the dialog stays open.
  TDeleteForConditions d;
  d.presetOutgoing(QString(), QString());
  auto notice = answerNextMessageBox(QMessageBox::Ok);
  d.OkButtonClick();
  EXPECT_EQ(notice->text, QStringLiteral("Please enter a value"));
  EXPECT_NE(d.result(), QDialog::Accepted);
  form.done(QDialog::Accepted);
}

TEST_F(CleanupTest, LastRecordDeletedDisablesThePageAndDeletesItsFile) {
  addSent("A");
  addReceived("SENDER", {2024, 5, 1}, "FAX0001.APF");
  TDMForm form(*store);
  show(form);
  EXPECT_TRUE(form.mnuDeleteAllthatHaveBeenSent->isVisible() || form.outgoingPage());
  form.PageControl1->setCurrentIndex(1);
  EXPECT_FALSE(form.mnuDeleteAllthatHaveBeenSent->isVisible());
  EXPECT_EQ(form.PageControl1->tabText(1), QStringLiteral("Incoming Faxes"));
  auto question = answerNextMessageBox(QMessageBox::Yes);
  form.ToggleDeletedStateClick();
  EXPECT_EQ(question->text, QStringLiteral("Delete this fax? (action is permanent)"));
  EXPECT_EQ(question->caption, QStringLiteral("DELETE"));
  EXPECT_EQ(question->defaultButton, QMessageBox::Yes);
  EXPECT_FALSE(fs::exists(dir.file("receive/FAX0001.APF")));
  EXPECT_FALSE(form.RecGrid->isEnabled());
  EXPECT_FALSE(form.mnuActions->menuAction()->isEnabled());
  EXPECT_EQ(form.PageControl1->tabText(1), QStringLiteral("Incoming Faxes (none)"));
  form.PageControl1->setCurrentIndex(0);
  EXPECT_TRUE(form.SendGrid->isEnabled());
  EXPECT_TRUE(form.mnuActions->menuAction()->isEnabled());
  EXPECT_EQ(form.PageControl1->tabText(0), QStringLiteral("Outgoing Faxes"));
  // Delete All Faxes on the outgoing page empties it too.
  auto all = answerNextMessageBox(QMessageBox::Yes);
  QTimer::singleShot(50, [] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) box->done(QMessageBox::Ok);
  });
  form.DeleteAllFaxes1Click();
  EXPECT_EQ(all->text, QStringLiteral("Delete all outgoing faxes ? (action is permanent)"));
  EXPECT_EQ(all->caption, QStringLiteral("DELETE ALL"));
  EXPECT_EQ(form.PageControl1->tabText(0), QStringLiteral("OutGoing Faxes (none)"));
  EXPECT_FALSE(form.SendGrid->isEnabled());
  form.done(QDialog::Accepted);
}

TEST_F(CleanupTest, QueriesAreClearedWhileOpenAndRestoredOnClose) {
  addSent("A");
  ASSERT_EQ(store->faxTable().dbFilter(), store::kNotDeleted);
  {
    TDMForm form(*store);
    show(form);
    EXPECT_EQ(store->faxTable().dbFilter(), "");
    form.done(QDialog::Accepted);
  }
  EXPECT_EQ(store->faxTable().dbFilter(), store::kNotDeleted);
  EXPECT_EQ(store->recTable().dbFilter(), store::kNotDeleted);
}

TEST_F(CleanupTest, FreshRebuildCreatesPhoneAndCoverTablesAndPacksFlaggedRecords) {
  addSent("KEEP", {2024, 1, 1});
  addSent("DROP");
  addReceived("X", {2024, 2, 2}, "FAX0001.APF");
  store->faxTable().go(2);
  ASSERT_TRUE(store->deleteCurrent(store::TableKind::Sent));
  ASSERT_FALSE(fs::exists(dir.file("QLNPB.DBF")));
  ASSERT_FALSE(fs::exists(dir.file("QLNCOV.DBF")));

  TRebuildInd window(*store);
  EXPECT_EQ(window.windowTitle(), QStringLiteral("Rebuild Indexes"));
  EXPECT_EQ(window.Label1->text(), QStringLiteral("Please wait..."));
  window.exec();  // runs when shown and closes itself
  EXPECT_TRUE(window.finished());
  EXPECT_TRUE(window.succeeded());
  EXPECT_EQ(window.linesShown(),
            (std::vector<std::string>{"Removing FAX file records marked for deletion", "Rebuilding FAX file indexes",
                                      "Removing Received FAX records marked for deletion",
                                      "Rebuilding Received FAX indexes",
                                      "Removing PHONE file records marked for deletion", "Rebuilding PHONE file indexes",
                                      "Removing COVER file records marked for deletion",
                                      "Rebuilding COVER file indexes"}));
  EXPECT_TRUE(fs::exists(dir.file("QLNPB.DBF")));
  EXPECT_TRUE(fs::exists(dir.file("QLNCOV.DBF")));
  EXPECT_FALSE(store->phoneTable().isOpen());
  EXPECT_FALSE(store->coverTable().isOpen());
  // The .DBF itself no longer holds the flagged record.
  store->closeAll();
  xbase::Table reread(env);
  ASSERT_TRUE(reread.open(dir.file("QLN.DBF"), xbase::OpenMode::ReadOnly));
  EXPECT_EQ(reread.recCount(), 1);
  EXPECT_EQ(reread.record(1)->getTrimmed("RECIPIENT"), "KEEP");
  auto tags = reread.tags();
  ASSERT_EQ(tags.size(), 1u);
  EXPECT_EQ(tags[0].key, "datesent");
}

TEST_F(CleanupTest, CleanupThatDeletedNothingReportsZero) {
  addSent("A");  // unsent
  TDMForm form(*store);
  show(form);
  QTimer::singleShot(50, [] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) box->done(QMessageBox::Ok);
  });
  long n = form.DeleteFor(".not. EMPTY(DATESENT)");
  EXPECT_EQ(n, 0);
  EXPECT_FALSE(form.somethingDeleted());
  form.done(QDialog::Accepted);
}

}  // namespace
}  // namespace quillon::maint
