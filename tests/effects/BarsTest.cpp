#include <gtest/gtest.h>

#include "effects/RegionKit.h"
#include "tests/effects/RegionFxProbe.h"

using namespace vantora;

namespace {

bool EvenBand(int v) { return (v / 5) % 2 == 0; }

}  // namespace

// The horizontal bars on 800 x 600 at Step 4 (S = 36). Effect 60: the even
// rows grow from the right, snap to full width once within S of it, and in
// the second half the odd rows follow; 61..63 do the same from the left, or
// change sides between the two phases.
TEST(BarsEffect, HorizontalBarsFollowRowPhasesAndSnap) {
  struct Case {
    int no, progress;
    Runs even, odd;
  } cases[] = {
      {60, 25, {{400, 800}}, {}},  // A = 400
      {60, 48, {{0, 800}}, {}},  // A = 768, 768 + 36 > 800: snapped to full width
      {60, 50, {{0, 800}}, {}},  // A = 800
      {60, 75, {{0, 800}}, {{400, 800}}},  // A = 1200: odd rows from 2W - A = 400
      {61, 25, {{0, 400}}, {}},
      {61, 47, {{0, 752}}, {}},  // 752 + 36 < 800: not snapped yet
      {61, 75, {{0, 800}}, {{0, 400}}},  // odd rows up to A - W
      {62, 25, {{0, 400}}, {}},  // first phase from the left ...
      {62, 75, {{0, 800}}, {{400, 800}}},  // ... second from the right
      {63, 25, {{400, 800}}, {}},  // first phase from the right ...
      {63, 75, {{0, 800}}, {{0, 400}}},  // ... second from the left
  };
  FrameProbe p(800, 600);
  for (const Case& c : cases) {
    p.Run(c.no, 4, c.progress);
    for (int y = 0; y < 600; ++y)
      ASSERT_EQ(p.RowRuns(y), EvenBand(y) ? c.even : c.odd)
          << "effect " << c.no << " progress " << c.progress << " y " << y;
  }
  EXPECT_TRUE(p.OnlyOldOrNew());
}

TEST(BarsEffect, BarsFromBothSidesMeetInTheMiddleAtHalfway) {
  FrameProbe p(800, 600);
  p.Run(64, 4, 50);
  for (int y = 0; y < 600; ++y)
    ASSERT_EQ(p.RowRuns(y), (EvenBand(y) ? Runs{{400, 800}} : Runs{{0, 400}})) << "y " << y;
}

TEST(BarsEffect, LeftThenRightLeavesSixteenPixelsAtProgress99) {
  FrameProbe p(800, 600);
  p.Run(62, 4, 99);  // 2X - W = 784: the odd rows' bars from the right
  for (int y = 0; y < 600; ++y)
    ASSERT_EQ(p.RowRuns(y), (EvenBand(y) ? Runs{{0, 800}} : Runs{{16, 800}})) << "y " << y;
}

// The vertical effects build columns only: whole columns of new picture, no rows.
TEST(BarsEffect, VerticalBarsGrowInColumns) {
  struct Case {
    int no, progress;
    Runs even, odd;
  } cases[] = {
      {71, 25, {{300, 600}}, {}},  // from the bottom, V = 300
      {72, 25, {{0, 300}}, {}},  // from the top
      {73, 75, {{0, 600}}, {{300, 600}}},  // second phase from the bottom
      {74, 75, {{0, 600}}, {{0, 300}}},  // second phase from the top
      {75, 50, {{300, 600}}, {{0, 300}}},  // even from the bottom, odd from the top
  };
  FrameProbe p(800, 600);
  for (const Case& c : cases) {
    p.Run(c.no, 4, c.progress);
    for (int x = 0; x < 800; ++x)
      ASSERT_EQ(p.ColRuns(x), EvenBand(x) ? c.even : c.odd) << "effect " << c.no << " x " << x;
  }
}

// The loops run while a bar starts below the frame's end + 5, so a frame whose
// side is not a multiple of 10 still gets its last, partial bar: in the second
// phase the full bar above the odd bar at 605 covers 600..605.
TEST(BarsEffect, LastPartialRowAndColumnAreBuilt) {
  FrameProbe p(800, 603);
  p.Run(60, 4, 75);
  EXPECT_TRUE(p.IsNew(100, 601));
  EXPECT_TRUE(p.IsNew(100, 602));
  p.Run(61, 4, 25);  // first phase: the even row 600..605 from the left
  EXPECT_TRUE(p.IsNew(10, 602));
  EXPECT_TRUE(p.IsOld(790, 602));

  FrameProbe q(803, 600);
  q.Run(73, 4, 75);  // second phase: the full column 800..805
  EXPECT_TRUE(q.IsNew(801, 10));
  EXPECT_TRUE(q.IsNew(802, 590));
  q.Run(72, 4, 25);  // first phase: the even column 800..805 from the top
  EXPECT_TRUE(q.IsNew(802, 10));
  EXPECT_TRUE(q.IsOld(802, 590));
}

// Probes of the criss-cross effects on 800 x 600 at Step 4. Pixel (2, 2) lies
// in an even row and an even column, (7, 2) in an odd column, (2, 7) in an odd
// row, (7, 7) in both odd ones; +400 / +300 move a probe to the right or lower
// half.
TEST(BarsEffect, CrissCrossUncoversRowsAndColumnsTogether) {
  struct Case {
    int no, progress, x, y;
    bool isNew;
  } cases[] = {
      // 86 from the bottom right at 25: rows from x = 400, columns from y = 300.
      {86, 25, 402, 7, false},
      {86, 25, 402, 2, true},
      {86, 25, 2, 302, true},
      {86, 25, 2, 2, false},
      {86, 25, 7, 307, false},
      // 89 from the top left.
      {89, 25, 2, 2, true},
      {89, 25, 402, 302, false},
      {89, 25, 7, 7, false},
      // 94: rows from the right (X), columns from both ends (mode 3, Y).
      {94, 50, 2, 2, false},
      {94, 50, 7, 2, true},
      {94, 50, 2, 302, true},
      {94, 50, 7, 302, false},
      {94, 50, 402, 302, true},
      // 98: both directions in mode 3; no snapping.
      {98, 50, 7, 7, true},
      {98, 50, 2, 2, false},
      {98, 50, 402, 302, true},
      // 99 at 25: only where 86 and 89 both show: even-even cells of the top
      // right and bottom left quarters.
      {99, 25, 402, 2, true},
      {99, 25, 2, 302, true},
      {99, 25, 407, 2, false},
      {99, 25, 402, 7, false},
      {99, 25, 2, 2, false},
      {99, 25, 402, 302, false},
      // 99 at 75: every even row and column full in both; odd-odd cells where
      // the odd bars from the right/bottom and from the left/top overlap.
      {99, 75, 2, 7, true},
      {99, 75, 7, 2, true},
      {99, 75, 407, 7, true},
      {99, 75, 7, 307, true},
      {99, 75, 7, 7, false},
      {99, 75, 407, 307, false},
  };
  FrameProbe p(800, 600);
  for (const Case& c : cases) {
    p.Run(c.no, 4, c.progress);
    EXPECT_EQ(p.IsNew(c.x, c.y), c.isNew)
        << "effect " << c.no << " progress " << c.progress << " at (" << c.x << ", " << c.y << ")";
    EXPECT_TRUE(p.IsNew(c.x, c.y) || p.IsOld(c.x, c.y));
  }
}

TEST(BarsRegion, NothingToShowGivesTheEmptyRegion) {
  EXPECT_TRUE(BarsRegion(0, 0, 800, 600, 36, 0, 0).IsEmpty());
  EXPECT_TRUE(BarsRegion(0, 0, 800, 600, 0, 1, 2).IsEmpty());  // bars of length 0
  EXPECT_TRUE(BarsRegion(0, 0, 0, 0, 0, 3, 3).IsEmpty());  // a frame without pixels
}

// A frame whose longer side x Step is below 45 has S = 0: the bars simply never snap.
TEST(BarsEffect, TinyFrameWithoutSnapDistance) {
  FrameProbe p(40, 30);
  p.Run(61, 1, 50);  // X = 20, A = 40 = W: even rows full, odd rows none
  for (int y = 0; y < 30; ++y)
    ASSERT_EQ(p.RowRuns(y), (EvenBand(y) ? Runs{{0, 40}} : Runs{})) << "y " << y;
}
