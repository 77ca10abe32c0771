#include <gtest/gtest.h>

#include "effects/TransEffect.h"
#include "tests/effects/FrameExpect.h"

using namespace vantora;

// 800 x 600 at Step 4 (S = 36) and P = 50 (X = 400, Y = 300). Horizontal
// stripes have period 600 div 36 = 16 and half thickness 4 about rows 8, 24,
// ...; vertical ones period 800 div 36 = 22 and half thickness 5 about
// columns 11, 33, ... The bands are those of the uneven blinds.
TEST(MovingRectangles, StripesUnitedWithUnevenBlindBands) {
  struct Case {
    int No;
    ShowsNew expected;
  } cases[] = {
      {145, [](int x, int y) { return In(y % 16, 4, 12) || In(x, 0, 200) || In(x, 400, 600); }},
      {146, [](int x, int y) { return In(y % 16, 4, 12) || In(x, 600, 800) || In(x, 200, 400); }},
      {147, [](int x, int y) { return In(x % 22, 6, 16) || In(y, 0, 150) || In(y, 300, 450); }},
      {148, [](int x, int y) { return In(x % 22, 6, 16) || In(y, 450, 600) || In(y, 150, 300); }},
  };
  FrameProbe f(800, 600);
  for (const Case& c : cases) EXPECT_TRUE(FrameIs(f.Run(c.No, 4, 50), c.expected)) << c.No;
}

// A stripe period of 0 (S above the picture's height) is taken as 1, which
// leaves only the bands; S = 0 is taken as 1, one stripe about the middle.
TEST(MovingRectangles, ZeroStripePeriodsEnd) {
  FrameProbe wide(800, 100);  // Step 30: S = 267 > H
  EXPECT_TRUE(
      FrameIs(wide.Run(145, 30, 50), [](int x, int) { return x < 200 || In(x, 400, 600); }));
  FrameProbe small(40, 10);  // Step 1: S = 0, stripe period 10, half thickness 2
  EXPECT_TRUE(FrameIs(small.Run(145, 1, 50), [](int x, int y) {  // X = 20
    return In(y, 3, 7) || x < 10 || In(x, 20, 30);
  }));
}

// Effect 149 at P = 25 on 800 x 600 (X = 200, Y = 150): the 200 x 150
// rectangle about (400, 300) turned by 90 degrees, 150 wide and 200 high.
// At P = 50 it has turned half a turn and looks as unturned, 400 x 300. A
// polygon with axis-parallel edges fills exactly the pixels of that
// rectangle (right and bottom edges exclusive).
TEST(RotationalShapes, RectangleTurnsAboutTheCentre) {
  struct Case {
    int P;
    TRect Shape;
  } cases[] = {
      {25, {325, 200, 475, 400}},
      {50, {200, 150, 600, 450}},
      {75, {175, 0, 625, 600}},  // X = 600, Y = 450, turned by 270 degrees
  };
  FrameProbe f(800, 600);
  for (const Case& c : cases) {
    const TRect r = c.Shape;
    EXPECT_TRUE(FrameIs(f.Run(149, 4, c.P), [r](int x, int y) { return r.Contains(x, y); }))
        << "P " << c.P;
  }
}

// Effect 150 at P = 50 on 800 x 600 (X = 400, Y = 300): turned by half a
// turn, tips 800 to the sides and 600 above and below the centre, all past
// the border; inner corners at (200, 150), (600, 150), (600, 450), (200, 450).
// The left edges run from the tip (-400, 300) to (200, 150) and (200, 450):
// at x = 5 they pass rows 198.75 and 401.25.
TEST(RotationalShapes, StarAtHalfTurn) {
  struct Case {
    int x, y;
    bool New;
  } cases[] = {
      {5, 300, true},    {795, 300, true}, {400, 5, true},   {400, 595, true},
      {5, 205, true},    {5, 395, true},   {5, 192, false},  {5, 408, false},
      {5, 5, false},     {795, 5, false},  {5, 595, false},  {795, 595, false},
      {150, 100, false}, {400, 300, true}, {210, 160, true}, {590, 440, true},
  };
  FrameProbe f(800, 600);
  f.Run(150, 4, 50);
  for (const Case& c : cases) EXPECT_EQ(f.IsNew(c.x, c.y), c.New) << c.x << "," << c.y;
  EXPECT_TRUE(f.OnlyOldOrNew());
}

// At P = 25 (X = 200, Y = 150) the star has turned a quarter: the tips that
// lay 2X = 400 to the sides now lie above and below, and those 2Y = 300
// above and below now lie at x = 100 and 700.
TEST(RotationalShapes, StarAtQuarterTurn) {
  struct Case {
    int x, y;
    bool New;
  } cases[] = {
      {150, 300, true}, {650, 300, true}, {80, 300, false}, {720, 300, false},
      {400, 5, true},   {400, 595, true}, {330, 205, true}, {300, 200, false},
  };
  FrameProbe f(800, 600);
  f.Run(150, 4, 25);
  for (const Case& c : cases) EXPECT_EQ(f.IsNew(c.x, c.y), c.New) << c.x << "," << c.y;
}

// At the first percent of a small picture X and Y are 0: every outline point
// is the centre, the polygon has no area and the frame is the old picture.
TEST(RotationalShapes, ShapeWithoutAreaShowsTheOldPicture) {
  FrameProbe f(40, 30);
  for (int No : {149, 150}) EXPECT_EQ(f.Run(No, 4, 1).NewCount(), 0) << No;
}
