#include <gtest/gtest.h>

#include <set>
#include <string>

#include "effects/TransEffect.h"

using namespace vantora;

TEST(FrameGeometry, WorkedExamples) {
  struct Case {
    TRect r;
    int step, progress;
    TFrameGeometry expected;
  } cases[] = {
      {{0, 0, 800, 600}, 4, 37, {800, 600, 296, 222, 36}},
      {{0, 0, 600, 800}, 4, 50, {600, 800, 300, 400, 36}},
      {{0, 0, 1, 1}, 1, 50, {1, 1, 1, 1, 0}},  // 0.5 rounds away from zero; S rounds to 0
      {{0, 0, 0, 0}, 4, 50, {0, 0, 0, -1, 0}},  // MulDiv's zero divisor shows through
      {{0, 0, 500, 500}, 4, 33, {500, 500, 165, 165, 22}},  // square: horizontal branch
      {{0, 0, 44, 10}, 1, 50, {44, 10, 22, 5, 0}},  // longer side x Step below 45: S = 0
      {{0, 0, 45, 10}, 1, 50, {45, 10, 23, 5, 1}},
  };
  for (const Case& c : cases) {
    const TFrameGeometry g = FrameGeometry(c.r, c.step, c.progress);
    EXPECT_EQ(g.W, c.expected.W);
    EXPECT_EQ(g.H, c.expected.H);
    EXPECT_EQ(g.X, c.expected.X) << c.r.Right << "x" << c.r.Bottom << " P" << c.progress;
    EXPECT_EQ(g.Y, c.expected.Y) << c.r.Right << "x" << c.r.Bottom << " P" << c.progress;
    EXPECT_EQ(g.S, c.expected.S) << c.r.Right << "x" << c.r.Bottom << " S" << c.step;
  }
}

TEST(MulDiv, RoundsHalvesAwayFromZero) {
  struct Case {
    int a, b, c, expected;
  } cases[] = {
      {801, 50, 100, 401},  // 400.5 -> 401
      {-801, 50, 100, -401},  // -400.5 -> -401
      {801, -50, 100, -401},
      {801, 50, -100, -401},
      {-801, -50, -100, -401},
      {-801, -50, 100, 401},
      {10, 1, 3, 3},  // 3.33 -> 3
      {20, 1, 3, 7},  // 6.67 -> 7
      {300, 768, 400, 576},
      {1, 1, 90, 0},
      {5, 7, 0, -1},  // zero divisor
      {2000000000, 2000000000, 1, -1},  // does not fit in 32 bits
      {2000000000, 2000000000, 2000000000, 2000000000},  // 64-bit intermediate
  };
  for (const Case& c : cases)
    EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.expected) << c.a << "*" << c.b << "/" << c.c;
}

TEST(EffectTable, HasAllNamesAndProcedures) {
  std::set<std::string> names;
  for (int n = 1; n <= kEffectCount; ++n) {
    ASSERT_NE(EffectTable[n].Name, nullptr) << n;
    EXPECT_NE(ProcOf(n), nullptr) << n;
    names.insert(EffectTable[n].Name);
  }
  EXPECT_EQ(names.size(), 148u);  // two names occur twice (18/33 and 25/34)
  EXPECT_EQ(NameOf(0), "Custom");
  EXPECT_EQ(NameOf(1), "Expand from right");
  EXPECT_EQ(NameOf(76), "Unven shred from bottom");
  EXPECT_EQ(NameOf(134), "Push and sqeeze down");
  EXPECT_EQ(NameOf(145), "Rectangles apear from left and disapear to right");
  EXPECT_EQ(NameOf(150), "Rotational star");
  EXPECT_EQ(ProcOf(0), nullptr);
  EXPECT_EQ(ProcOf(151), nullptr);
}

TEST(NumberOf, MatchesWithoutCaseAndFirstMatchWins) {
  EXPECT_EQ(NumberOf("custom"), 0);
  EXPECT_EQ(NumberOf("CUSTOM"), 0);
  EXPECT_EQ(NumberOf("EXPAND FROM BOTTOM"), 18);
  EXPECT_EQ(NumberOf("Expand in from top"), 25);
  EXPECT_EQ(NumberOf("fade"), 118);
  EXPECT_EQ(NumberOf("unven shred from bottom"), 76);
  EXPECT_FALSE(NumberOf("Uneven shred from bottom").has_value());  // the table spells it "Unven"
  EXPECT_FALSE(NumberOf("").has_value());
  EXPECT_FALSE(NumberOf("Fade ").has_value());
  for (int n = 1; n <= kEffectCount; ++n) {
    if (n == 33 || n == 34) continue;
    EXPECT_EQ(NumberOf(NameOf(n)), n);
  }
}

TEST(Random, LinearCongruentialSequence) {
  const std::uint32_t saved = RandSeed();
  SetRandSeed(0);
  EXPECT_EQ(Random(150), 0);
  EXPECT_EQ(Random(150), 4);
  EXPECT_EQ(RandSeed(), 134775814u);
  // The next seed wraps modulo 2^32: 134775814 * 134775813 + 1.
  const std::uint32_t next = std::uint32_t(134775814ull * 134775813ull + 1ull);
  EXPECT_EQ(Random(0), 0);
  EXPECT_EQ(RandSeed(), next);
  SetRandSeed(0xFFFFFFFFu);
  const std::uint32_t s = 0xFFFFFFFFu * 134775813u + 1u;
  EXPECT_EQ(Random(1000), int((1000ull * s) >> 32));
  SetRandSeed(saved);
}
