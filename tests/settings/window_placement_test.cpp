#include "settings/window_placement.h"

#include <gtest/gtest.h>

using namespace quillon::settings;

TEST(WindowPlacement, SectionNameCarriesPixelsPerInchAbove96) {
  EXPECT_EQ(placementSection("TFaxEditor", 96), "TFaxEditor_Placement");
  EXPECT_EQ(placementSection("TFaxEditor", 72), "TFaxEditor_Placement");
  EXPECT_EQ(placementSection("TFaxEditor", 120), "TFaxEditor_Placement120");
}

TEST(WindowPlacement, RestoreShiftsIntoASmallerScreenKeepingTheSize) {
  EXPECT_EQ(restoredRect({0, 0, 0, 0}, 1024, 768), std::nullopt);  // nothing stored: centre
  EXPECT_EQ(restoredRect({100, 50, 700, 450}, 1024, 768), (Rect{100, 50, 700, 450}));
  EXPECT_EQ(restoredRect({900, 100, 1500, 500}, 1280, 1024), (Rect{680, 100, 1280, 500}));
  EXPECT_EQ(restoredRect({100, 700, 600, 1100}, 1024, 768), (Rect{100, 368, 600, 768}));
}

TEST(WindowPlacement, CentringRules) {
  EXPECT_EQ(centreOnScreen(1024, 768, 401, 301), (Point{311, 233}));
  EXPECT_EQ(centreOnScreen(300, 200, 401, 301), (Point{-50, -50}));  // div rounds towards zero
  Rect main{100, 100, 900, 700};
  EXPECT_EQ(centreOver(main, 200, 100), (Point{400, 350}));
  EXPECT_EQ(centreWindow(false, false, main, 1024, 768, 200, 100), (Point{400, 350}));
  EXPECT_EQ(centreWindow(false, true, main, 1024, 768, 200, 100), (Point{412, 334}));
  EXPECT_EQ(centreWindow(true, false, main, 1024, 768, 200, 100), (Point{412, 334}));
}
