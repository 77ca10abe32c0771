#include <gtest/gtest.h>

#include <cstdint>

#include "effects/TransEffect.h"
#include "tests/effects/RegionFxProbe.h"

using namespace vantora;

namespace {

// The generator's recurrence, advanced `draws` times from `seed`.
std::uint32_t Advance(std::uint32_t seed, long draws) {
  for (long i = 0; i < draws; ++i) seed = seed * 134775813u + 1u;
  return seed;
}

// Random(n) from a local copy of the generator state.
int Draw(std::uint32_t& seed, int n) {
  seed = seed * 134775813u + 1u;
  return int((std::int64_t(n) * seed) >> 32);
}

bool AllNew(const FrameProbe& f, int x1, int y1, int x2, int y2) {
  for (int y = y1; y < y2; ++y)
    for (int x = x1; x < x2; ++x)
      if (!f.IsNew(x, y)) return false;
  return true;
}

bool AllOld(const FrameProbe& f, int x1, int y1, int x2, int y2) {
  for (int y = y1; y < y2; ++y)
    for (int x = x1; x < x2; ++x)
      if (!f.IsOld(x, y)) return false;
  return true;
}

}  // namespace

// 800 x 600, Step 4, P = 37. Horizontal members: X = 296, fringe 80 deep,
// specks 4 wide (n = 20, t = 15). Vertical members: Y = 222, fringe 60 deep,
// specks 3 high (n = 20, t = 15). The specks at distance 1 and 2 are always
// there; nothing lies beyond the fringe.
TEST(SpeckleEffect, StripNearSpecksAndNothingBeyondTheFringe) {
  struct Case {
    int No;
    TRect Strip, AlwaysSpecks, Beyond;
  } cases[] = {
      {123, {504, 0, 800, 600}, {496, 0, 504, 600}, {0, 0, 424, 600}},
      {124, {0, 0, 296, 600}, {296, 0, 304, 600}, {376, 0, 800, 600}},
      {125, {0, 378, 800, 600}, {0, 372, 800, 378}, {0, 0, 800, 318}},
      {126, {0, 0, 800, 222}, {0, 222, 800, 228}, {0, 282, 800, 600}},
  };
  FrameProbe f(800, 600);
  for (const Case& c : cases) {
    SetRandSeed(12345);
    f.Run(c.No, 4, 37);
    const TRect& s = c.Strip;
    const TRect& a = c.AlwaysSpecks;
    const TRect& b = c.Beyond;
    EXPECT_TRUE(AllNew(f, s.Left, s.Top, s.Right, s.Bottom)) << c.No;
    EXPECT_TRUE(AllNew(f, a.Left, a.Top, a.Right, a.Bottom)) << c.No;
    EXPECT_TRUE(AllOld(f, b.Left, b.Top, b.Right, b.Bottom)) << c.No;
    EXPECT_TRUE(f.OnlyOldOrNew()) << c.No;
  }
}

// Effect 123 at P = 37 on 800 pixels: the fringe's left edges lie at 500,
// 496, ..., 424. A picture 2 rows high holds the first band alone, whose
// specks come from the frame's 20 draws, k = 20 down to 1; a speck at
// distance k shows when its draw is 0, or 1 with k <= 15.
TEST(SpeckleEffect, FirstBandFollowsTheDrawsFromFarthestToNearest) {
  FrameProbe f(800, 2);
  for (std::uint32_t seed = 0; seed < 2000; seed += 7) {
    SetRandSeed(seed);
    f.Run(123, 4, 37);
    std::uint32_t s = seed;
    for (int k = 20; k >= 1; --k) {
      const int r = Draw(s, k);
      const bool shown = r == 0 || (r == 1 && k <= 15);
      const int left = 504 - 4 * k;
      for (int y : {0, 1})
        for (int x = left; x < left + 4; ++x)
          ASSERT_EQ(f.IsNew(x, y), shown) << "seed " << seed << " k " << k << " x " << x;
    }
  }
}

// One draw per fringe position and band: 300 bands (every 2 rows of 600) of
// 20 positions. The same seed gives the same frame; another seed moves the
// specks.
TEST(SpeckleEffect, FrameIsReproducibleFromTheSeedBeforeIt) {
  FrameProbe f(800, 600);
  SetRandSeed(777);
  f.Run(123, 4, 37);
  EXPECT_EQ(RandSeed(), Advance(777, 300 * 20));
  const Bitmap first = f.Screen;
  SetRandSeed(777);
  f.Run(123, 4, 37);
  EXPECT_EQ(f.Screen, first);
  SetRandSeed(778);
  f.Run(123, 4, 37);
  EXPECT_NE(f.Screen, first);

  // Vertical part: bands every column (sz = 3, step 1), 800 bands x 20.
  SetRandSeed(5);
  f.Run(125, 4, 37);
  EXPECT_EQ(RandSeed(), Advance(5, 800 * 20));
}

// Within the fringe each speck is a whole 4-wide cell aligned on the strip's
// edge; the farther cells show less often than the near ones.
TEST(SpeckleEffect, SpecksAreWholeCellsThinningWithDistance) {
  FrameProbe f(800, 600);
  SetRandSeed(42);
  f.Run(123, 4, 37);
  int nearCells = 0, farCells = 0;
  for (int y = 0; y < 600; ++y)
    for (int k = 1; k <= 20; ++k) {
      const int left = 504 - 4 * k;
      const bool shown = f.IsNew(left, y);
      for (int x = left + 1; x < left + 4; ++x) ASSERT_EQ(f.IsNew(x, y), shown) << x << "," << y;
      if (k <= 4 && shown) ++nearCells;
      if (k >= 17 && shown) ++farCells;
    }
  EXPECT_GT(nearCells, 2 * farCells);
  EXPECT_GT(farCells, 0);
}

// When X reaches W the fringe has no depth: the solid strip only, and no
// random number is drawn at all.
TEST(SpeckleEffect, FullWidthStripHasNoSpecksAndDrawsNothing) {
  FrameProbe f(10, 5);  // X = MulDiv(10, 96, 100) = 10
  for (int No : {123, 124}) {
    SetRandSeed(99);
    f.Run(No, 4, 96);
    EXPECT_EQ(f.NewCount(), 50) << No;
    EXPECT_EQ(RandSeed(), 99u) << No;
  }
}

// Effect 127 on 800 x 600 at Step 4: S = 36, grid step 18, 45 x 34 = 1530
// grid points, one draw each, after re-seeding with 800 x 600.
TEST(RandomSquares, ReseedsFromThePictureSizeAndLeavesTheSeedWhereTheFrameEnds) {
  FrameProbe f(800, 600);
  SetRandSeed(1);
  f.Run(127, 4, 40);
  EXPECT_EQ(RandSeed(), Advance(800 * 600, 1530));
  const Bitmap first = f.Screen;
  SetRandSeed(0xabcdef);  // whatever came before does not matter
  f.Run(127, 4, 40);
  EXPECT_EQ(f.Screen, first);
  EXPECT_TRUE(f.OnlyOldOrNew());
}

// As the progress grows squares are added, never removed; on 800 x 600 at
// Step 4 they are 36 x 36, centred on the 18-pixel grid.
TEST(RandomSquares, SquaresAccumulateAsTheProgressGrows) {
  FrameProbe f(200, 150);  // S = 9, grid step 4
  f.Run(127, 4, 1);
  Bitmap before = f.Screen;
  long shownBefore = f.NewCount();
  for (int p = 2; p <= 99; ++p) {
    f.Run(127, 4, p);
    for (int y = 0; y < 150; ++y)
      for (int x = 0; x < 200; ++x)
        if (before.Pixel(x, y) == f.Image.Pixel(x, y)) {
          ASSERT_TRUE(f.IsNew(x, y)) << "P " << p << " removed " << x << "," << y;
        }
    EXPECT_GE(f.NewCount(), shownBefore);
    before = f.Screen;
    shownBefore = f.NewCount();
  }
  EXPECT_GT(shownBefore, 0);

  // Squares are 36 x 36 centred on multiples of 18, so each covers four whole
  // 18 x 18 cells of the grid: any new pixel's cell is new whole.
  FrameProbe g(800, 600);
  g.Run(127, 4, 30);
  for (int y = 0; y < 600; ++y)
    for (int x = 0; x < 800; ++x)
      if (g.IsNew(x, y)) {
        const int cx = x / 18 * 18, cy = y / 18 * 18;
        ASSERT_TRUE(AllNew(g, cx, cy, std::min(cx + 18, 800), std::min(cy + 18, 600)))
            << x << "," << y;
      }
}

// A frame in which no grid point is chosen shows the old picture only; a
// step extent of 0 still gives a grid (step 1) that ends.
TEST(RandomSquares, NoChosenPointAndZeroStepExtent) {
  // Look for a small square picture whose grid at Step 100 chooses nothing at
  // P = 1, replaying the generator: grid step S div 2, points 0, d, ... < W.
  int found = 0;
  for (int w = 20; w <= 80 && !found; ++w) {
    const int S = MulDiv(w, 100, 90), d = S / 2;
    std::uint32_t s = std::uint32_t(w * w);
    bool any = false;
    for (int x = 0; x < w; x += d)
      for (int y = 0; y < w; y += d) any |= Draw(s, 100) < 1;
    if (!any) found = w;
  }
  ASSERT_NE(found, 0);
  FrameProbe f(found, found);
  f.Run(127, 100, 1);
  EXPECT_EQ(f.NewCount(), 0);
  EXPECT_TRUE(f.OnlyOldOrNew());

  FrameProbe z(20, 20);  // S = MulDiv(20, 1, 90) = 0
  z.Run(127, 1, 99);
  EXPECT_EQ(RandSeed(), Advance(400, 400));  // one draw per pixel of the grid
  EXPECT_GT(z.NewCount(), 300);
}
