#include <gtest/gtest.h>

#include "effects/TransEffect.h"
#include "tests/effects/FrameExpect.h"

using namespace vantora;

// 800 x 600, Step 4: S = 36, even periods 800 div 36 = 22 and 600 div 36 = 16.
// At P = 50 the extents are X = 400, Y = 300 and every uneven band is half
// its period.
TEST(BlindEffect, BandsOfEachMember) {
  struct Case {
    int No, P;
    ShowsNew expected;
  } cases[] = {
      // 8-pixel bands at columns 0, 22, ..., 792
      {136, 37, [](int x, int) { return x % 22 < 8; }},
      // 5-pixel bands at rows 0, 16, ..., 592
      {137, 37, [](int, int y) { return y % 16 < 5; }},
      {138, 50, [](int x, int) { return In(x, 0, 200) || In(x, 400, 600); }},
      {139, 50, [](int x, int) { return In(x, 600, 800) || In(x, 200, 400); }},
      {140, 50, [](int, int y) { return In(y, 0, 150) || In(y, 300, 450); }},
      {141, 50, [](int, int y) { return In(y, 450, 600) || In(y, 150, 300); }},
      // P = 99: the bands nearly close up; 136 at 99 shows 21 of every 22 columns
      {136, 99, [](int x, int) { return x % 22 < 21; }},
      {138, 99, [](int x, int) { return x < 784 || x >= 792; }},  // X = 792, bands 784 wide
  };
  FrameProbe f(800, 600);
  for (const Case& c : cases) EXPECT_TRUE(FrameIs(f.Run(c.No, 4, c.P), c.expected)) << c.No;
}

TEST(BlindEffect, VerticalBlindAtP37HasThirtySevenBands) {
  FrameProbe f(800, 600);
  f.Run(136, 4, 37);
  const Runs runs = f.RowRuns(300);
  ASSERT_EQ(runs.size(), 37u);
  EXPECT_EQ(runs.front(), std::make_pair(0, 8));
  EXPECT_EQ(runs.back(), std::make_pair(792, 800));
}

// Periods that would be 0 are taken as 1 and every loop ends: S wider than
// the picture (portrait at a large Step), S = 0 (longer side x Step below 45,
// one band over the picture), and X or Y still 0 at the first percent.
TEST(BlindEffect, ZeroPeriodsEndAndShowAtMostTheBandsReached) {
  struct Case {
    int No, W, H, Step, P;
    ShowsNew expected;
  } cases[] = {
      {136, 100, 800, 50, 60, [](int, int) { return false; }},  // S = 444 > W
      {137, 800, 100, 50, 60, [](int, int) { return false; }},  // S = 444 > H
      {136, 40, 10, 1, 50, [](int x, int) { return x < 20; }},  // S = 0: period 40
      {137, 10, 40, 1, 50, [](int, int y) { return y < 20; }},
      {138, 40, 30, 4, 1, [](int, int) { return false; }},  // X = 0
      {139, 40, 30, 4, 1, [](int, int) { return false; }},
      {140, 30, 40, 4, 1, [](int, int) { return false; }},  // Y = 0
      {141, 30, 40, 4, 1, [](int, int) { return false; }},
  };
  for (const Case& c : cases) {
    FrameProbe f(c.W, c.H);
    EXPECT_TRUE(FrameIs(f.Run(c.No, c.Step, c.P), c.expected))
        << c.No << " on " << c.W << "x" << c.H << " Step " << c.Step;
  }
}
