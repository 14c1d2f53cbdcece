// Renders the main window with sample faxes offscreen and checks that the picture shows a
// real window: many colours, the blue band of the outgoing page, rows of text.
#include <QCoreApplication>
#include <QHeaderView>
#include <QImage>
#include <QProcess>
#include <QScrollBar>
#include <QSet>
#include <QTabBar>
#include <QTableView>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "app/main_screen.h"
#include "app/modal_answer.h"
#include "app/sample_faxes.h"
#include "support/temp_dir.h"

using namespace quillon;

namespace {
int distinctColours(const QImage& image) {
  QSet<QRgb> colours;
  for (int y = 0; y < image.height(); y += 2)
    for (int x = 0; x < image.width(); x += 2) colours.insert(image.pixel(x, y));
  return colours.size();
}

bool hasColourNear(const QImage& image, QColor wanted) {
  for (int y = 0; y < image.height(); y += 2)
    for (int x = 0; x < image.width(); x += 2) {
      QColor c = image.pixelColor(x, y);
      if (std::abs(c.red() - wanted.red()) < 8 && std::abs(c.green() - wanted.green()) < 8 &&
          std::abs(c.blue() - wanted.blue()) < 8)
        return true;
    }
  return false;
}
}  // namespace

TEST(MainWindowRender, BothPagesRenderAsARealWindow) {
  quillon::test::StrayMessageBoxGuard guard;
  test::TempDir dir;
  dir.write("QLN.INI", "[Modem]\r\nComPort=0\r\n");
  app::TMainScreen window(dir.path());
  ASSERT_FALSE(window.creationFailed());
  ASSERT_TRUE(quillon::test::addSampleFaxes(window.store(), 30, 10));
  window.FormActivate();
  window.resize(900, 560);
  window.SetButtons();

  QImage outgoing = window.grab().toImage();
  window.TabSet1->setCurrentIndex(1);
  QImage incoming = window.grab().toImage();
  if (const char* keep = std::getenv("QUILLON_SCREENSHOT_DIR")) {
    outgoing.save(QString::fromLocal8Bit(keep) + "/main-outgoing.png");
    incoming.save(QString::fromLocal8Bit(keep) + "/main-incoming.png");
  }
  ASSERT_EQ(outgoing.size(), QSize(900, 560));
  EXPECT_GT(distinctColours(outgoing), 20);  // not blank: text, icons, bands, grid lines
  EXPECT_TRUE(hasColourNear(outgoing, QColor("#1f3f9f")));
  EXPECT_FALSE(hasColourNear(outgoing, QColor("#1f7f3f")));
  EXPECT_TRUE(hasColourNear(incoming, QColor("#1f7f3f")));
  EXPECT_NE(outgoing, incoming);
  window.close();
}

// The main window at its default size on a 1280 x 800 screen (offscreen, in a child run of
// this same test, since the screen is fixed when the application starts): both lists show
// every column without scrolling sideways, and 20-character texts fit their columns.
TEST(MainWindowSize, TheListsFitAtTheDefaultSize) {
  if (!std::getenv("QUILLON_WIDE_SCREEN_CHILD")) {
    test::TempDir dir;
    dir.write("screen.json", R"({"screens":[{"name":"wide","x":0,"y":0,"width":1280,"height":800,)"
                             R"("logicalDpi":96,"logicalBaseDpi":96,"dpr":1}]})");
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", QString::fromStdString("offscreen:configfile=" + dir.file("screen.json")));
    env.insert("QUILLON_WIDE_SCREEN_CHILD", "1");
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(), {"--gtest_filter=MainWindowSize.TheListsFitAtTheDefaultSize"});
    ASSERT_TRUE(child.waitForFinished(60000));
    QString output = QString::fromLocal8Bit(child.readAll());
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains("[  PASSED  ] 1 test")) << output.toStdString();
    return;
  }
  quillon::test::StrayMessageBoxGuard guard;
  test::TempDir dir;
  dir.write("QLN.INI", "[Modem]\r\nComPort=0\r\n");
  app::TMainScreen window(dir.path());
  ASSERT_FALSE(window.creationFailed());
  ASSERT_EQ(window.screen()->geometry().width(), 1280);
  window.FormActivate();
  QCoreApplication::processEvents();
  for (int page : {0, 1}) {
    window.TabSet1Click(page);
    QCoreApplication::processEvents();
    QTableView* grid = page == 0 ? window.FaxGrid : window.RecFaxGrid;
    EXPECT_EQ(grid->horizontalScrollBar()->maximum(), 0) << "page " << page << ", window " << window.width();
  }
  // Columns of display width 20 (recipient, subject, notes) hold 20 characters of text.
  const QFontMetrics metrics = window.FaxGrid->fontMetrics();
  for (const char* text : {"Kowalski Engineering", "Baker & Sons Solicit", "HARBOUR FREIGHT LTD.", "Building permit form"}) {
    ASSERT_EQ(std::strlen(text), 20u);
    int needed = metrics.horizontalAdvance(QString::fromLatin1(text)) + 8;  // the cell's own margins
    EXPECT_GE(window.FaxGrid->columnWidth(3), needed) << text;
    EXPECT_GE(window.FaxGrid->columnWidth(6), needed) << text;
    EXPECT_GE(window.RecFaxGrid->columnWidth(4), needed) << text;
  }
  window.close();
}
