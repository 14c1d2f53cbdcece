// Receive mode of the main window: its texts, and whole receptions from remote callers on an
// emulated Class 2 modem, with the stored files and records they leave.
#include "app/receive_line.h"

#include <QTabBar>
#include <QToolButton>

#include <dirent.h>

#include "app/fax_list_model.h"
#include "app/receive_mode_texts.h"
#include "store/fax_store.h"
#include "xbase/date.h"

using namespace quillon;

namespace {

TEST(ReceiveModeTexts, AtIsPutInFrontOnlyWhenMissing) {
  EXPECT_EQ(app::withAtPrefix("M0"), "ATM0");
  EXPECT_EQ(app::withAtPrefix("atm0"), "atm0");
  EXPECT_EQ(app::withAtPrefix("&F S0=0"), "AT&F S0=0");
  EXPECT_EQ(app::withAtPrefix("M0 AT&F"), "M0 AT&F");  // "AT" anywhere counts
}

TEST(ReceiveModeTexts, StatusLineNamesTheCallerPageAndBytes) {
  EXPECT_EQ(app::receiveStatusLine("Getting page data", "555 1234", 2, 10240),
            "Receiving fax from: 555 1234, page 2 (10240 bytes)");
  EXPECT_EQ(app::receiveStatusLine("Getting page data", "555 1234", 0, 0), "Receiving fax from: 555 1234");
  EXPECT_EQ(app::receiveStatusLine("Getting page data", "   ", 3, 99), "Receiving fax");  // blanks: no ID
  EXPECT_EQ(app::receiveStatusLine("Got Class 2 FHNG code", "", 0, 0), "Hangup successful");
  EXPECT_EQ(app::receiveStatusLine("  Waiting for incoming call  ", "", 0, 0), "Waiting for incoming call");
  EXPECT_EQ(app::receiveStatusLine("Fax aborted", "CALLER", 1, 5), "");
}

class ReceiveMode : public test::ReceiveWindowTest {
 protected:
  // Opens the window and starts receive mode; true once the machine waits for calls.
  bool start() {
    app::TMainScreen& w = open();
    if (w.creationFailed()) return false;
    w.show();
    w.ReceiveButtonClick();
    return w.receiveMode() && waitingForCalls();
  }
  struct Record {
    xbase::Date date;
    std::string time, from, file;
    int pages = 0;
  };
  std::vector<Record> records() {
    std::vector<Record> result;
    store::Table& t = window->store().recTable();
    for (long r = 1; r <= t.recCount(); ++r) {
      if (!t.go(r) || t.deleted()) continue;
      result.push_back({t.getDate("DATEREC"), t.getTrimmed("TIMEREC"), t.getTrimmed("FROM"), t.getTrimmed("FAXFILE"),
                        static_cast<int>(t.getNumber("PAGES"))});
    }
    return result;
  }
  bool portClosed() { return receiving().ApdComPort1.State() == serial::TPortState::psClosed; }
};

TEST_F(ReceiveMode, ReceivesAFaxAndStoresItsRecordThenStopsAndClosesThePort) {
  dir.write("QLN.INI", "[Modem]\r\nComPort=4\r\nFaxClassReceive=2\r\nMaximumBPSReceive=14400\r\nInitStringReceive=M0\r\n"
                       "[Resetting]\r\nString=atm1\r\n[User]\r\nFax=QUILLON RX\r\n[Ports]\r\nCOM5=" +
                           deviceName + "\r\n");
  ASSERT_TRUE(start());
  EXPECT_TRUE(commandSent("ATM0")) << "the init string";
  EXPECT_TRUE(commandSent("atm1")) << "the reset string as written";
  EXPECT_EQ(window->TabSet1->currentIndex(), 1);  // the incoming list
  EXPECT_EQ(window->ReceiveButton->text(), "STOP");
  EXPECT_FALSE(portClosed());
  EXPECT_TRUE(commandSent("AT+FCLASS=2")) << "class 2 set up";

  auto sent = pages(2);
  auto& sender = call(sent, "555 1234");
  ASSERT_TRUE(callHandled(sender));
  ASSERT_TRUE(runUntil([this] { return !records().empty(); }, std::chrono::seconds(3)));

  auto got = records();
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].date, xbase::todayLocal());
  EXPECT_EQ(got[0].time.size(), 5u);
  EXPECT_EQ(got[0].time[2], ':');
  EXPECT_EQ(got[0].from, "555 1234");
  EXPECT_EQ(got[0].pages, 2);
  EXPECT_EQ(got[0].file, "FAX0001.APF");
  EXPECT_EQ(receiveFolder(), std::vector<std::string>{"FAX0001.APF"});
  expectPages(dir.file("receive/FAX0001.APF"), sent);
  EXPECT_EQ(window->receivedModel().rowCount(), 1);
  EXPECT_TRUE(window->receiveMode());  // still waiting for the next call
  if (const char* keep = std::getenv("QUILLON_SCREENSHOT_DIR")) {
    runUntil([] { return false; }, std::chrono::milliseconds(200));
    window->grab().toImage().save(QString::fromLocal8Bit(keep) + "/main-receive-mode.png");
  }

  window->ReceiveButtonClick();
  EXPECT_FALSE(window->receiveMode());
  EXPECT_EQ(window->ReceiveButton->text(), "&Receive");
  EXPECT_TRUE(runUntil([this] { return portClosed(); }, std::chrono::seconds(3)));
  EXPECT_FALSE(receiving().ApdReceiveFax1.Running());
}

TEST_F(ReceiveMode, ThreeCallsInARowAreNumberedAndACallerWithoutIdLeavesFromEmpty) {
  ASSERT_TRUE(start());
  const char* ids[] = {"FIRST", "", "THIRD"};
  for (int n = 0; n < 3; ++n) {
    auto& sender = call(pages(n + 1, 10 * n), ids[n]);
    ASSERT_TRUE(callHandled(sender)) << n;
    ASSERT_TRUE(runUntil([&] { return records().size() == static_cast<std::size_t>(n + 1); }, std::chrono::seconds(3)))
        << n;
  }
  auto got = records();
  ASSERT_EQ(got.size(), 3u);
  for (int n = 0; n < 3; ++n) {
    EXPECT_EQ(got[n].file, "FAX000" + std::to_string(n + 1) + ".APF");
    EXPECT_EQ(got[n].from, ids[n]);
    EXPECT_EQ(got[n].pages, n + 1);
    expectPages(dir.file("receive/" + got[n].file), pages(n + 1, 10 * n));
  }
  EXPECT_EQ(receiveFolder(), (std::vector<std::string>{"FAX0001.APF", "FAX0002.APF", "FAX0003.APF"}));
}

TEST_F(ReceiveMode, ACallBrokenOffMidPageLeavesNoFileNorRecordAndSaysSo) {
  ASSERT_TRUE(start());
  auto box = test::answerNextMessageBox(QMessageBox::Ok);
  modem::RemoteFaults faults;
  faults.dropDuringPage = 3;
  auto& sender = call(pages(4), "BREAKER", faults);
  ASSERT_TRUE(callFinished(sender));
  ASSERT_TRUE(runUntil([&] { return box->seen; }, std::chrono::seconds(10)));
  EXPECT_TRUE(box->text.startsWith("Failed to receive incoming fax:")) << box->text.toStdString();
  EXPECT_TRUE(records().empty());
  EXPECT_TRUE(receiveFolder().empty());
  // Receive mode goes on: the next caller's fax gets the first number.
  ASSERT_TRUE(waitingForCalls());
  auto& next = call(pages(1), "NEXT");
  ASSERT_TRUE(callHandled(next));
  ASSERT_TRUE(runUntil([this] { return records().size() == 1; }, std::chrono::seconds(3)));
  EXPECT_EQ(records()[0].file, "FAX0001.APF");
}

int openDescriptors() {
  int n = 0;
  if (DIR* d = opendir("/proc/self/fd")) {
    while (readdir(d)) ++n;
    closedir(d);
  }
  return n;
}

TEST_F(ReceiveMode, ManyCallsSomeBrokenOffStoreEveryGoodFaxWithoutLeakingDescriptors) {
  ASSERT_TRUE(start());
  int baseline = -1;
  int good = 0;
  QElapsedTimer clock;
  clock.start();
  int calls = 0;
  for (int n = 0; n < 20 && clock.elapsed() < 45000; ++n, ++calls) {
    bool broken = n == 6 || n == 13;
    std::shared_ptr<test::ModalAnswer> box;
    if (broken) box = test::answerNextMessageBox(QMessageBox::Ok);
    modem::RemoteFaults faults;
    if (broken) faults.dropDuringPage = 1;
    auto& sender = call(pages(1, n), "CALLER " + std::to_string(n), faults);
    ASSERT_TRUE(callHandled(sender)) << n;
    if (broken) {
      ASSERT_TRUE(runUntil([&] { return box->seen; }, std::chrono::seconds(5))) << n;
    } else {
      ++good;
      ASSERT_TRUE(runUntil([&] { return records().size() == static_cast<std::size_t>(good); },
                           std::chrono::seconds(3)))
          << n;
    }
    if (n == 1) baseline = openDescriptors();
  }
  auto got = records();
  ASSERT_EQ(got.size(), static_cast<std::size_t>(good));
  EXPECT_EQ(calls, 20) << "calls made in time";
  fprintf(stderr, "soak: %d calls in %lld ms\n", calls, (long long)clock.elapsed());
  for (int n = 0; n < good; ++n) {
    char name[16];
    std::snprintf(name, sizeof name, "FAX%04d.APF", n + 1);
    EXPECT_EQ(got[n].file, name);
  }
  EXPECT_EQ(receiveFolder().size(), static_cast<std::size_t>(good));
  EXPECT_LE(openDescriptors(), baseline + 2);
}

}  // namespace
