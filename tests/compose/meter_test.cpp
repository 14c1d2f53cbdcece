// The progress meter's block arithmetic and its repaint rule.
#include <gtest/gtest.h>

#include "compose/apd_meter.h"

using quillon::compose::MeterBlocks;
using quillon::compose::meterBlocks;
using quillon::compose::TApdMeter;

TEST(MeterBlocks, CountsWholeBlocksAndCapsAtTheFrame) {
  // 150 wide, step 10: 14 blocks per bar, inner width 146.
  EXPECT_EQ(meterBlocks(0, 0, 100, 10, 150), (MeterBlocks{0, 0}));
  EXPECT_EQ(meterBlocks(-5, 0, 100, 10, 150), (MeterBlocks{0, 0}));
  EXPECT_EQ(meterBlocks(1, 0, 100, 10, 150), (MeterBlocks{1, 0}));
  EXPECT_EQ(meterBlocks(50, 0, 100, 10, 150), (MeterBlocks{8, 0}));
  // At max 15 blocks would need 150 pixels: 14 whole and a partial of 6.
  EXPECT_EQ(meterBlocks(100, 0, 100, 10, 150), (MeterBlocks{14, 6}));
  EXPECT_EQ(meterBlocks(1000, 0, 100, 10, 150), (MeterBlocks{14, 6}));
}

TEST(MeterBlocks, OddRangesAndTinyWidthsStaySafe) {
  EXPECT_EQ(meterBlocks(5, 5, 5, 8, 150), (MeterBlocks{0, 0}));  // position at min
  EXPECT_EQ(meterBlocks(9, 5, 5, 8, 150), (MeterBlocks{18, 2}));  // empty range: full
  EXPECT_EQ(meterBlocks(50, 0, 100, 8, 4), (MeterBlocks{0, 0}));   // no room inside
  EXPECT_EQ(meterBlocks(50, 0, 100, 8, 0), (MeterBlocks{0, 0}));
  EXPECT_EQ(meterBlocks(50, 0, 100, 8, 7), (MeterBlocks{0, 3}));   // only a partial block
  EXPECT_EQ(meterBlocks(50, 0, 100, 0, 150), (MeterBlocks{0, 0})); // no step
}

TEST(Meter, RepaintsOnlyWhenTheBlocksChange) {
  TApdMeter m;
  m.SetStep(10);
  int changes = 0;
  m.OnPosChange = [&](TApdMeter&) { ++changes; };
  int before = m.BlockRepaints();
  m.SetPosition(1);
  m.SetPosition(2);  // still one block
  m.SetPosition(3);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(m.BlockRepaints(), before + 1);
  m.SetPosition(100);
  m.SetPosition(120);  // same capped picture
  EXPECT_EQ(changes, 2);
}
