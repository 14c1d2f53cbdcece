// The Send command end to end through the real windows: the main window renders nothing
// itself here (its createFaxFile hook hands over a prepared fax file), the send dialog and
// the status window run on an emulated Class 2 modem whose line reaches a remote receiver.
// The emulator's headers use a name Qt defines as a macro: they come first.
#include "fax/fax_line_fixture.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTime>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>

#include "app/main_screen.h"
#include "app/modal_answer.h"
#include "compose/apd_meter.h"
#include "qtplatform/qt_main_thread.h"
#include "send/send_fax_form.h"

using namespace quillon;

namespace {

// What the user does in the dialog: press Send (or Cancel in the status window once it
// shows), answer the closing box, then Close.
struct DialogUser {
  bool cancel = false;
  QString shotDir;  // pictures of the dialog and of the status window part-way, when set
  bool statusShot = false;
  bool sendPressed = false, statusShown = false, cancelled = false, closed = false;
  int bestMeter = 0;
  QString statusSeen, boxText;
  QTimer timer;
  DialogUser() {
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, [this] { step(); });
    timer.start();
  }
  void step() {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      boxText = box->text();
      box->done(QMessageBox::Ok);
      return;
    }
    auto* form = qobject_cast<send::TSendFaxForm*>(modal);
    if (!form || !form->isVisible()) return;
    if (!sendPressed) {
      if (!shotDir.isEmpty()) form->grab().save(shotDir + "/send-dialog.png");
      sendPressed = true;
      form->SendFaxButton->click();
      return;
    }
    if (auto* display = form->ApdFaxStatus1.Display(); display && display->isVisible()) {
      statusShown = true;
      bestMeter = std::max(bestMeter, display->PageProgress->Position());
      if (!shotDir.isEmpty() && !statusShot && display->PageProgress->Position() >= 30) {
        statusShot = true;
        display->window()->grab().save(shotDir + "/send-status.png");
      }
      if (display->StatusText->text().startsWith("Busy")) statusSeen = display->StatusText->text();
      if (cancel && !cancelled) {
        cancelled = true;
        display->CancelButton->click();
      }
    }
    if (!boxText.isEmpty() && !form->busy() && !closed) {
      closed = true;
      form->CloseButton->click();
    }
  }
};

class SendCommand : public test::FaxLineTest {
 protected:
  void SetUp() override {
    port.SetComNumber(1);  // the fixture's port stays unused
    dir.write("QLN.INI", "[Modem]\r\nComPort=4\r\nFaxClass=2\r\nMaximumBPS=14400\r\n[Dialing]\r\nRetryWait=1\r\n"
                         "Timeout=20\r\nDialAttempts=3\r\n[User]\r\nFax=+1 555 0100\r\nName=Ann Lee\r\n[Ports]\r\nCOM5=" +
                             deviceName + "\r\n");
    screen = std::make_unique<app::TMainScreen>(dir.path());
    ASSERT_FALSE(screen->creationFailed());
    store::SentEntry entry;
    entry.recipient = "Northwind Traders";
    entry.subject = "Quotation 2291";
    entry.phone = "555";
    ASSERT_TRUE(screen->store().appendSent(entry));
    screen->SetButtons();
    pages = test::writeFaxFile(dir.file("out.APF"), {{40, false}, {30, false}});
    screen->createFaxFile = [this] {
      screen->pageCount = 2;
      return dir.file("out.APF");
    };
  }
  void TearDown() override { screen.reset(); }

  qtplatform::QtPlatformInstallation qt;  // after the fixture's headless loop: Qt delivers
  std::unique_ptr<app::TMainScreen> screen;
  std::vector<std::string> pages;
};

TEST_F(SendCommand, SendsFromTheMainWindowAndMarksTheRecordSent) {
  DialogUser user;
  screen->SendButtonClick();
  EXPECT_TRUE(user.statusShown);
  EXPECT_GT(user.bestMeter, 0);
  EXPECT_EQ(user.boxText, "Fax sent successfully");
  store::Table& t = screen->store().faxTable();
  EXPECT_TRUE(t.getLogical("SENT"));
  EXPECT_EQ(t.getTrimmed("LASTRESULT"), "Sent");
  EXPECT_EQ(QString::fromStdString(t.getTrimmed("PAGES")).trimmed(), "2");
  EXPECT_EQ(t.getTrimmed("TIMESENT").size(), 5u);
  EXPECT_EQ(t.getDate("DATESENT"), xbase::todayLocal());
  EXPECT_FALSE(std::filesystem::exists(dir.file("out.APF")));  // the temporary file is gone
  const auto& got = remote.lastFax();
  ASSERT_EQ(got.pages.size(), 2u);
  for (std::size_t p = 0; p < 2; ++p) EXPECT_TRUE(test::endsWith(got.pages[p].data, pages[p])) << p;
  EXPECT_EQ(screen->settings().comPort, 4);  // written back
}

TEST_F(SendCommand, ABusyRemoteIsRedialledThenTheErrorTextIsStored) {
  line.setNumberFaults("555", [] {
    modem::NumberFaults f;
    f.busyCalls = 10;
    return f;
  }());
  DialogUser user;
  screen->SendButtonClick();
  EXPECT_TRUE(user.statusSeen.startsWith("Busy, waiting until redial...")) << user.statusSeen.toStdString();
  EXPECT_TRUE(user.boxText.startsWith("Fax was not sent.\nError message: ")) << user.boxText.toStdString();
  store::Table& t = screen->store().faxTable();
  EXPECT_FALSE(t.getLogical("SENT"));
  std::string result = t.getTrimmed("LASTRESULT");
  EXPECT_FALSE(result.empty());
  EXPECT_NE(result, "Sent");
  EXPECT_TRUE(user.boxText.contains(QString::fromStdString(result)));
  EXPECT_EQ(remote.calls(), 0);
}

TEST_F(SendCommand, ACancelledSendIsNotMarkedSent) {
  DialogUser user;
  user.cancel = true;
  screen->SendButtonClick();
  EXPECT_TRUE(user.cancelled);
  EXPECT_TRUE(user.boxText.startsWith("Fax was not sent.")) << user.boxText.toStdString();
  store::Table& t = screen->store().faxTable();
  EXPECT_FALSE(t.getLogical("SENT"));
  EXPECT_NE(t.getTrimmed("LASTRESULT"), "Sent");
  EXPECT_NE(t.getTrimmed("LASTRESULT"), "Cancelled");  // a transmission did finish
}

// QUILLON_SCREENSHOTS=<folder> (under a real display) saves the dialog and the status window.
TEST_F(SendCommand, Screenshots) {
  const QString folder = qEnvironmentVariable("QUILLON_SCREENSHOTS");
  if (folder.isEmpty()) GTEST_SKIP() << "set QUILLON_SCREENSHOTS to a folder";
  pages = test::writeFaxFile(dir.file("out.APF"), {{2000, false}, {2000, false}});
  DialogUser user;
  user.shotDir = folder;
  screen->SendButtonClick();
  EXPECT_TRUE(user.statusShot);
}

}  // namespace
