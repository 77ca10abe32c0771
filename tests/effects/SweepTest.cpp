#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "effects/TransEffect.h"
#include "tests/effects/FrameExpect.h"

using namespace vantora;

// 800 x 600 at Step 4: S = 36, grid of 19 x 19 points spaced 44 x 33. At
// P = 50 (X = 400, Y = 300) every rectangle spans 2 x 11 by 2 x 8 pixels
// around its grid point.
TEST(RectangularShred, GrowsRectanglesAroundTheGridPoints) {
  FrameProbe f(800, 600);
  EXPECT_TRUE(FrameIs(f.Run(142, 4, 50),
                      [](int x, int y) { return (x + 11) % 44 < 22 && (y + 8) % 33 < 16; }));
  // P = 99 (X = 792, Y = 594): half sizes 22 and 16, so the columns meet
  // and only every 33rd row is left between the rows of rectangles.
  EXPECT_TRUE(FrameIs(f.Run(142, 4, 99), [](int, int y) { return (y + 16) % 33 < 32; }));
  // P = 4 (X = 32): X div S = 0, every rectangle is still empty.
  EXPECT_EQ(f.Run(142, 4, 4).NewCount(), 0);
}

// S = 0 (40 x 20 at Step 1) is taken as 1: one grid cell, the four corner
// rectangles X wide and Y high inside the picture.
TEST(RectangularShred, ZeroStepExtentGrowsFromTheCorners) {
  FrameProbe f(40, 20);
  EXPECT_TRUE(FrameIs(f.Run(142, 1, 25), [](int x, int y) {  // X = 10, Y = 5
    return (x < 10 || x >= 30) && (y < 5 || y >= 15);
  }));
}

// The union of the (n + 1) x (n + 1) rectangles, pixel by pixel, on pictures
// whose grids do not divide evenly, portrait ones, and grids denser than the
// picture is high.
TEST(RectangularShred, ShowsExactlyTheUnionOfTheGridRectangles) {
  struct Case {
    int W, H, Step, P;
  } cases[] = {{640, 480, 20, 70}, {300, 1000, 7, 90}, {1000, 37, 3, 99}, {333, 251, 4, 63}};
  for (const Case& c : cases) {
    const TFrameGeometry g = FrameGeometry({0, 0, c.W, c.H}, c.Step, c.P);
    const int a = g.X / g.S, b = g.Y / g.S, n = g.S / 2, cw = g.W / n, ch = g.H / n;
    auto nearGridLine = [n](int v, int spacing, int half) {
      for (int k = 0; k <= n; ++k)
        if (v >= k * spacing - half && v < k * spacing + half) return true;
      return false;
    };
    FrameProbe f(c.W, c.H);
    EXPECT_TRUE(
        FrameIs(f.Run(142, c.Step, c.P),
                [&](int x, int y) { return nearGridLine(x, cw, a) && nearGridLine(y, ch, b); }))
        << c.W << "x" << c.H << " Step " << c.Step << " P " << c.P;
  }
}

namespace {

// The pixel at `degrees` on screen (0 = three o'clock, growing clockwise)
// and `radius` pixels from the centre of an 800 x 600 picture.
std::pair<int, int> AtAngle(double degrees, double radius) {
  const double a = degrees * std::numbers::pi / 180;
  return {int(std::lround(400 + radius * std::cos(a))),
          int(std::lround(300 + radius * std::sin(a)))};
}

}  // namespace

// The sweep's sector starts at twelve o'clock (-90 degrees) and covers
// 3.6 degrees x (P - 1), clockwise for 143 and anticlockwise for 144. Points
// are probed at least a degree away from the sector's edges.
TEST(Sweep, SectorFromTwelveOClock) {
  struct Case {
    int No, P;
    double Degrees;
    bool New;
  } cases[] = {
      {143, 2, -88.2, true},  // the 3.6-degree sliver
      {143, 2, -91.5, false},  {143, 2, -85.0, false},
      {144, 2, -91.8, true},   {144, 2, -88.5, false},
      {144, 2, -95.0, false},  {143, 50, -80.0, true},  // up to 86.4 degrees: the right half
      {143, 50, 0.0, true},    {143, 50, 85.0, true},
      {143, 50, 88.0, false},  {143, 50, 180.0, false},
      {143, 50, -95.0, false}, {144, 50, -100.0, true},  // mirrored: the left half
      {144, 50, 180.0, true},  {144, 50, 95.0, true},
      {144, 50, 92.0, false},  {144, 50, 0.0, false},
      {143, 99, -88.0, true},  // 352.8 degrees, a 7.2-degree wedge left before twelve
      {143, 99, 90.0, true},   {143, 99, 261.0, true},
      {143, 99, 264.0, false}, {143, 99, 269.0, false},
      {144, 99, -92.0, true},  {144, 99, -84.0, false},
      {144, 99, -79.0, true},
  };
  FrameProbe f(800, 600);
  for (const Case& c : cases) {
    f.Run(c.No, 4, c.P);
    for (double radius : {60.0, 150.0, 280.0}) {
      const auto [x, y] = AtAngle(c.Degrees, radius);
      EXPECT_EQ(f.IsNew(x, y), c.New)
          << c.No << " P " << c.P << " at " << c.Degrees << " deg, r " << radius;
    }
    EXPECT_TRUE(f.OnlyOldOrNew());
  }
}

// At P = 1 the polygon has two points and no area: the frame is the old
// picture only, not the whole new one.
TEST(Sweep, FirstPercentShowsOnlyTheOldPicture) {
  FrameProbe f(800, 600);
  for (int No : {143, 144}) EXPECT_EQ(f.Run(No, 4, 1).NewCount(), 0) << No;
}

// The sector's outer points lie on a circle through the picture's corners,
// so a nearly full sweep reaches them: the corners right of twelve show the
// new picture at P = 99 for both directions.
TEST(Sweep, NearlyFullSweepReachesTheCorners) {
  FrameProbe f(800, 600);
  for (int No : {143, 144}) {
    f.Run(No, 4, 99);
    EXPECT_TRUE(f.IsNew(799, 599)) << No;
    EXPECT_TRUE(f.IsNew(0, 599)) << No;
  }
  EXPECT_TRUE(f.Run(143, 4, 99).IsNew(799, 0));
  EXPECT_TRUE(f.Run(144, 4, 99).IsNew(0, 0));
}
