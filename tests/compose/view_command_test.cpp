// The main window's View command with the viewer plugged in: which file, which description
// line, a missing received file, and the temporary file of an outgoing fax.
#include <QTimer>
#include <QDate>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QTime>
#include <QTabBar>

#include <gtest/gtest.h>

#include <filesystem>

#include "app/fax_description.h"
#include "app/main_screen.h"
#include "app/modal_answer.h"
#include "compose/letter_fax.h"
#include "support/temp_dir.h"

namespace quillon::compose {
namespace {

using quillon::test::answerNextMessageBox;
namespace fs = std::filesystem;

const QString kGap = QString(13, ' ');

struct ViewCommand : ::testing::Test {
  quillon::test::StrayMessageBoxGuard guard;
  quillon::test::TempDir dir;
  std::string file;
  QString description;
  int views = 0;
  std::unique_ptr<app::TMainScreen> screen;
  void SetUp() override {
    dir.write("QLN.INI", "[Modem]\r\nComPort=1\r\n");
    screen = std::make_unique<app::TMainScreen>(dir.path());
    ASSERT_FALSE(screen->creationFailed());
    screen->faxViewer = [this](const std::string& f, const QString& d) {
      ++views;
      file = f;
      description = d;
      EXPECT_TRUE(fs::exists(f));  // the file is there while the viewer shows it
    };
  }
};

TEST_F(ViewCommand, AReceivedFaxIsViewedFromTheReceiveFolderAndKept) {
  store::ReceivedEntry entry;
  entry.date = xbase::Date{2026, 12, 8};
  entry.time = "10:15";
  entry.from = "ACME SALES   ";
  entry.pages = 3;
  entry.faxFile = "FAX0007.APF";
  ASSERT_TRUE(screen->store().appendReceived(entry));
  screen->TabSet1->setCurrentIndex(1);
  screen->SetButtons();
  // Missing file first.
  auto box = answerNextMessageBox(QMessageBox::Ok);
  screen->mnuViewPrintClick();
  EXPECT_EQ(box->text, "Fax file is missing");
  EXPECT_EQ(views, 0);
  std::string path = screen->receiveFolder() + "/FAX0007.APF";
  ASSERT_EQ(quillon::test::writeLetterFax(path, 3, true), 0);
  screen->mnuViewPrintClick();
  ASSERT_EQ(views, 1);
  EXPECT_EQ(fs::path(file), fs::path(path));
  QString date = app::receivedDatetimeText(entry.date, entry.time);
  EXPECT_TRUE(date.endsWith(" at " + QLocale::system().toString(QTime(10, 15), QLocale::ShortFormat)));
  EXPECT_EQ(description, "From: ACME SALES" + kGap + "Received: " + date + kGap + "Fax File: " + QString::fromStdString(path));
  EXPECT_TRUE(fs::exists(path));  // viewing never deletes a received fax
  EXPECT_TRUE(screen->status->text().isEmpty());
}

TEST_F(ViewCommand, AnOutgoingFaxIsRenderedViewedAndItsTemporaryFileDeleted) {
  store::SentEntry entry;
  entry.recipient = "Northwind Traders";
  entry.subject = "Quotation 2291";
  entry.phone = "555 0100";
  ASSERT_TRUE(screen->store().appendSent(entry));
  screen->SetButtons();
  // The real renderer on a fax with nothing in it: its own message, then the command's.
  auto empty = answerNextMessageBox(QMessageBox::Ok);
  std::shared_ptr<quillon::test::ModalAnswer> error;
  QTimer chain;
  chain.setInterval(5);
  QObject::connect(&chain, &QTimer::timeout, [&] {
    if (!empty->seen || error) return;
    error = answerNextMessageBox(QMessageBox::Ok);
    chain.stop();
  });
  chain.start();
  screen->mnuViewPrintClick();
  EXPECT_EQ(empty->text, "Fax has no contents or cover sheet");
  ASSERT_TRUE(error);
  EXPECT_EQ(error->text, "Error creating fax file");
  EXPECT_EQ(views, 0);
  std::string rendered = dir.file("render.APF");
  screen->createFaxFile = [&] { return quillon::test::writeLetterFax(rendered, 1, true) == 0 ? rendered : std::string(); };
  screen->mnuViewPrintClick();
  ASSERT_EQ(views, 1);
  EXPECT_EQ(file, rendered);
  EXPECT_EQ(description, "To: Northwind Traders" + kGap + "Subject: Quotation 2291" + kGap + "Sent: not sent");
  EXPECT_FALSE(fs::exists(rendered));
  screen->createFaxFile = [] { return std::string(); };
  error = answerNextMessageBox(QMessageBox::Ok);
  screen->mnuViewPrintClick();
  EXPECT_EQ(error->text, "Error creating fax file");
  EXPECT_EQ(views, 1);
}

TEST(FaxDescription, DateTextsOfSentAndReceivedRecords) {
  EXPECT_EQ(app::sentDatetimeText(false, {2026, 1, 2}, "10:00"), "not sent");
  QString d = QLocale::system().toString(QDate(2026, 1, 2), QLocale::ShortFormat);
  EXPECT_EQ(app::sentDatetimeText(true, {}, "10:00").left(11), "unknown at ");
  EXPECT_EQ(app::sentDatetimeText(true, {2026, 1, 2}, "noon"), d + " at noon");  // kept as stored
  EXPECT_EQ(app::receivedDatetimeText({}, "10:00"), "");
}

}  // namespace
}  // namespace quillon::compose
