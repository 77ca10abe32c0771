#include <gtest/gtest.h>

#include <cmath>

#include "tests/effects/RegionFxProbe.h"

using namespace vantora;

// Effect 58 on 800 x 600 at progress 50 clips to (-1600, -5, 800, 605) with a
// 1600 x 1600 corner ellipse, limited to 1600 x 610: the right side is a
// half-ellipse with semi-axes 800 and 305 centred on (0, 300), its tip on the
// right edge at mid-height.
TEST(CurvedEffect, CurvedRevealFromLeftBulgesToTheRightEdge) {
  FrameProbe p(800, 600);
  p.Run(58, 4, 50);
  EXPECT_TRUE(p.IsNew(799, 300));
  EXPECT_TRUE(p.IsOld(799, 0));
  EXPECT_TRUE(p.IsOld(799, 599));
  EXPECT_TRUE(p.IsNew(0, 0));
  EXPECT_TRUE(p.IsNew(0, 599));
  for (int y : {0, 60, 150, 240, 450, 599}) {
    const double dy = (y + 0.5 - 300) / 305.0;
    const int edge = int(800 * std::sqrt(1 - dy * dy));
    const Runs runs = p.RowRuns(y);
    ASSERT_EQ(runs.size(), 1u) << "y " << y;
    EXPECT_EQ(runs[0].first, 0);
    EXPECT_NEAR(runs[0].second, edge, 3) << "y " << y;
  }
  EXPECT_TRUE(p.OnlyOldOrNew());
}

// 59, 69 and 70 are 58 seen in a mirror: from the right, top and bottom.
TEST(CurvedEffect, SideRevealsAreMirrorImages) {
  const int W = 400, H = 300;
  FrameProbe left(W, H), other(W, H);
  for (int progress : {10, 50, 90}) {
    left.Run(58, 4, progress);
    other.Run(59, 4, progress);
    long differ = 0;
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x) differ += left.IsNew(x, y) != other.IsNew(W - 1 - x, y);
    EXPECT_LE(differ, 2 * H) << "progress " << progress;  // at most a pixel or two per row

    FrameProbe top(W, H), bottom(W, H);
    top.Run(69, 4, progress);
    bottom.Run(70, 4, progress);
    differ = 0;
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x) differ += top.IsNew(x, y) != bottom.IsNew(x, H - 1 - y);
    EXPECT_LE(differ, 2 * W) << "progress " << progress;
    EXPECT_GT(top.NewCount(), 0);
  }
}

// The corner effects on a portrait frame 600 x 800 at progress 50 (X = 300,
// Y = 400). 80 sweeps an ellipse with semi-axes 600 and 800 centred on the
// top-left corner; 83 a circle of radius 800 centred on (800, 800).
TEST(CurvedEffect, CornerRevealsSweepTheirArcs) {
  struct Case {
    int no, x, y;
    bool isNew;
  } cases[] = {
      {80, 300, 400, true},  {80, 400, 400, true}, {80, 500, 600, false}, {80, 599, 799, false},
      {81, 299, 400, true},  {81, 99, 600, false}, {81, 0, 799, false},   {82, 300, 399, true},
      {82, 500, 199, false}, {82, 599, 0, false},  {83, 300, 200, true},  {83, 200, 200, false},
      {83, 599, 799, true},  {83, 0, 0, false},
  };
  FrameProbe p(600, 800);
  for (const Case& c : cases) {
    p.Run(c.no, 4, 50);
    EXPECT_EQ(p.IsNew(c.x, c.y), c.isNew)
        << "effect " << c.no << " at (" << c.x << ", " << c.y << ")";
  }
}

// At progress 50 on 800 x 600 effect 84's shape is the frame with a 720 x 540
// corner ellipse, and effect 85 shows exactly the four corners it leaves out.
TEST(CurvedEffect, CircularRevealsAreComplementaryAtHalfway) {
  FrameProbe in(800, 600), out(800, 600);
  in.Run(84, 4, 50);
  out.Run(85, 4, 50);
  for (auto [x, y] : {std::pair{0, 0}, {799, 0}, {0, 599}, {799, 599}}) {
    EXPECT_TRUE(in.IsOld(x, y));
    EXPECT_TRUE(out.IsNew(x, y));
  }
  EXPECT_TRUE(in.IsNew(400, 0));  // the straight tenth of each side
  EXPECT_TRUE(in.IsNew(0, 300));
  EXPECT_TRUE(in.IsNew(400, 300));
  for (int y = 0; y < 600; ++y)
    for (int x = 0; x < 800; ++x)
      ASSERT_NE(in.IsNew(x, y), out.IsNew(x, y)) << "(" << x << ", " << y << ")";
  EXPECT_TRUE(out.OnlyOldOrNew());
}

// At progress 99 (X = 792, Y = 594) effect 85's shape is (392, 294, 408, 306):
// only that small shape still shows the old picture.
TEST(CurvedEffect, CircularRevealToCentreLeavesASmallShapeAt99) {
  FrameProbe p(800, 600);
  p.Run(85, 4, 99);
  EXPECT_TRUE(p.IsOld(400, 300));
  long old = 0;
  for (int y = 0; y < 600; ++y)
    for (int x = 0; x < 800; ++x)
      if (!p.IsNew(x, y)) {
        ++old;
        ASSERT_TRUE(x >= 392 && x < 408 && y >= 294 && y < 306) << "(" << x << ", " << y << ")";
      }
  EXPECT_GT(old, 16 * 12 / 2);  // most of the box, only its corners rounded off
  EXPECT_LT(old, 16 * 12);
}

// Effect 84 grows from nothing: early on only a small shape at the centre.
TEST(CurvedEffect, CircularRevealFromCentreStartsSmall) {
  FrameProbe p(800, 600);
  p.Run(84, 4, 5);  // X = 40, Y = 30: the shape (360, 270, 440, 330)
  EXPECT_TRUE(p.IsNew(400, 300));
  EXPECT_TRUE(p.IsOld(360 - 1, 300));
  EXPECT_TRUE(p.IsOld(440, 300));
  EXPECT_TRUE(p.IsOld(362, 272));  // a rounded-off corner
  EXPECT_LE(p.NewCount(), 80 * 60);
}
