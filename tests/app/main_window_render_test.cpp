// Renders the main window with sample faxes offscreen and checks that the picture shows a
// real window: many colours, the blue band of the outgoing page, rows of text.
#include <QImage>
#include <QSet>
#include <QTabBar>

#include <gtest/gtest.h>

#include <cstdlib>

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
