#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "effects/RegionKit.h"
#include "tests/effects/RegionFxProbe.h"

using namespace vantora;

namespace {

// The jitters J(r) = Random(r) - Random(r) that `count` strips draw from the
// given seed, the first draw added and the second subtracted.
std::vector<int> Jitters(std::uint32_t seed, int r, int count) {
  SetRandSeed(seed);
  std::vector<int> j;
  for (int k = 0; k < count; ++k) {
    const int plus = Random(r);
    j.push_back(plus - Random(r));
  }
  return j;
}

}  // namespace

// Effect 65 on 800 x 600 at progress 50: 120 rows 5 pixels high, each from
// x = 400 + J(114) to the right edge, drawn in order from the top.
TEST(ShredEffect, RowsFromTheRightFollowTheRandomDraws) {
  const std::uint32_t seed = 20261208;
  const std::vector<int> j = Jitters(seed, 800 / 7, 120);
  const std::uint32_t seedAfter = RandSeed();

  FrameProbe p(800, 600);
  SetRandSeed(seed);
  p.Run(65, 4, 50);
  EXPECT_EQ(RandSeed(), seedAfter);  // exactly two draws per row
  bool spread = false;
  for (int y = 0; y < 600; ++y) {
    const int left = 400 + j[y / 5];
    ASSERT_GE(left, 287);
    ASSERT_LE(left, 513);
    ASSERT_EQ(p.RowRuns(y), (Runs{{left, 800}})) << "y " << y;
    spread = spread || left != 400;
  }
  EXPECT_TRUE(spread);
  EXPECT_TRUE(p.OnlyOldOrNew());
}

// In the centre modes each row draws the left rectangle's jitter before the
// right one's; in the combined effects all rows draw before the columns.
TEST(ShredEffect, DrawOrderIsRowsThenColumnsFirstRectangleFirst) {
  FrameProbe p(800, 600);
  std::vector<int> j = Jitters(11, 800 / 7, 240);
  SetRandSeed(11);
  p.Run(67, 4, 50);  // ((400 + J) div 2 .. 400) and (400 .. (1200 + J') div 2)
  for (int y = 0; y < 600; ++y) {
    const int k = y / 5;
    ASSERT_EQ(p.RowRuns(y), (Runs{{(400 + j[2 * k]) / 2, (1200 + j[2 * k + 1]) / 2}})) << "y " << y;
  }

  // Effect 102: rows from the left (r = 114), then columns from the bottom (r = 85).
  const std::vector<int> rows = Jitters(12, 800 / 7, 120);
  const std::vector<int> cols = Jitters(RandSeed(), 600 / 7, 160);
  SetRandSeed(12);
  p.Run(102, 4, 50);
  for (int y = 0; y < 600; ++y)
    for (int x = 0; x < 800; ++x)
      ASSERT_EQ(p.IsNew(x, y), x < 400 + rows[y / 5] || y >= 300 + cols[x / 5])
          << "(" << x << ", " << y << ")";
}

TEST(ShredEffect, FramesChangeButReplayFromTheSameSeed) {
  FrameProbe a(800, 600), b(800, 600);
  SetRandSeed(7);
  a.Run(65, 4, 50);
  b.Run(65, 4, 50);  // the generator moved on: another ragged edge
  EXPECT_NE(a.Screen, b.Screen);
  SetRandSeed(7);
  b.Run(65, 4, 50);
  EXPECT_EQ(a.Screen, b.Screen);

  for (int no : {67, 79, 100, 109}) {
    SetRandSeed(99);
    a.Run(no, 4, 40);
    SetRandSeed(99);
    b.Run(no, 4, 40);
    EXPECT_EQ(a.Screen, b.Screen) << "effect " << no;
  }
}

// With H = 603 the rows are 8 pixels high (5 + 603 mod 5), start at 0, 5, ...,
// 600 and overlap by 3; the last one covers 600..607. A pixel row shows the
// longest of the rows that cover it.
TEST(ShredEffect, RowsAreThickerWhenHeightIsNotAMultipleOfFive) {
  const int X = 400;  // 800 x 603 at progress 50
  const std::vector<int> j = Jitters(5, 800 / 7, 121);
  const std::uint32_t seedAfter = RandSeed();
  FrameProbe p(800, 603);
  SetRandSeed(5);
  p.Run(66, 4, 50);
  EXPECT_EQ(RandSeed(), seedAfter);  // 121 rows
  for (int y = 0; y < 603; ++y) {
    int right = 0;
    for (int k = 0; k <= 120; ++k)
      if (5 * k <= y && y < 5 * k + 8) right = std::max(right, X + j[k]);
    ASSERT_EQ(p.RowRuns(y), (Runs{{0, right}})) << "y " << y;
  }
}

// The centre modes at progress 50 on 800 x 600 (X = 400, Y = 300; r = 114 for
// rows and 85 for columns): every strip's ends stay within the jitter of
// their place.
TEST(ShredEffect, CentreModesStayWithinTheirJitter) {
  FrameProbe p(800, 600);
  SetRandSeed(1);
  p.Run(67, 4, 50);  // out from the middle: (200 + J/2) .. (600 + J/2)
  for (int y = 0; y < 600; y += 5) {
    const Runs r = p.RowRuns(y);
    ASSERT_EQ(r.size(), 1u) << "y " << y;
    EXPECT_TRUE(r[0].first >= 143 && r[0].first <= 257) << r[0].first;
    EXPECT_TRUE(r[0].second >= 543 && r[0].second <= 657) << r[0].second;
  }
  p.Run(68, 4, 50);  // in from both sides: 0 .. (200 + J/2) and (600 - J/2) .. 800
  for (int y = 0; y < 600; y += 5) {
    const Runs r = p.RowRuns(y);
    ASSERT_EQ(r.size(), 2u) << "y " << y;
    EXPECT_EQ(r[0].first, 0);
    EXPECT_TRUE(r[0].second >= 143 && r[0].second <= 257) << r[0].second;
    EXPECT_TRUE(r[1].first >= 543 && r[1].first <= 657) << r[1].first;
    EXPECT_EQ(r[1].second, 800);
  }
  p.Run(78, 4, 50);  // columns out from the horizon: (150 + J/2) .. (450 + J/2)
  for (int x = 0; x < 800; x += 5) {
    const Runs r = p.ColRuns(x);
    ASSERT_EQ(r.size(), 1u) << "x " << x;
    EXPECT_TRUE(r[0].first >= 108 && r[0].first <= 192) << r[0].first;
    EXPECT_TRUE(r[0].second >= 408 && r[0].second <= 492) << r[0].second;
  }
  p.Run(77, 4, 50);  // columns from the top: 0 .. 300 + J
  for (int x = 0; x < 800; x += 5) {
    const Runs r = p.ColRuns(x);
    ASSERT_EQ(r.size(), 1u) << "x " << x;
    EXPECT_EQ(r[0].first, 0);
    EXPECT_TRUE(r[0].second >= 216 && r[0].second <= 384) << r[0].second;
  }
}

// The combined effects show the union of both ragged fronts.
TEST(ShredEffect, CombinedEffectsUniteRowsAndColumns) {
  FrameProbe p(800, 600);
  SetRandSeed(3);
  p.Run(100, 4, 50);  // rows from the right, columns from the bottom
  EXPECT_TRUE(p.IsNew(799, 0));
  EXPECT_TRUE(p.IsNew(0, 599));
  EXPECT_TRUE(p.IsOld(0, 0));
  p.Run(108, 4, 50);  // both out from the centre lines
  EXPECT_TRUE(p.IsNew(400, 0));
  EXPECT_TRUE(p.IsNew(0, 300));
  EXPECT_TRUE(p.IsOld(0, 0));
  EXPECT_TRUE(p.IsOld(799, 599));
  p.Run(109, 4, 50);  // both in to the centre lines
  EXPECT_TRUE(p.IsNew(0, 0));
  EXPECT_TRUE(p.IsNew(799, 599));
  EXPECT_TRUE(p.IsOld(400, 300));
  EXPECT_TRUE(p.OnlyOldOrNew());
}

// A picture so small that X reaches W at progress 99 draws its rows without jitter.
TEST(ShredEffect, NoJitterOnceTheStripsReachFullLength) {
  FrameProbe p(50, 40);  // MulDiv(50, 99, 100) = 50
  for (int no : {65, 66, 67, 68}) {
    p.Run(no, 1, 99);
    EXPECT_EQ(p.NewCount(), 50 * 40) << "effect " << no;
  }
}

TEST(ShredRegion, NoModesGiveTheEmptyRegion) {
  const std::uint32_t seed = RandSeed();
  EXPECT_TRUE(ShredRegion(400, 300, 800, 600, 0, 0).IsEmpty());
  EXPECT_EQ(RandSeed(), seed);  // and draw nothing
}
