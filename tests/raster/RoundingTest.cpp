#include <gtest/gtest.h>

#include <cfenv>
#include <cstdint>

#include "raster/Rounding.h"

using namespace vantora;

TEST(FloorDiv, RoundsDownOnBothSidesOfZeroAndForAnyDivisorSign) {
  constexpr __int128 kBig = __int128(1) << 80;  // beyond 64 bits: the 128-bit division
  constexpr std::int64_t kP62 = std::int64_t(1) << 62;
  const struct {
    __int128 N;
    std::int64_t D;
    std::int64_t Floor, Ceil;
  } cases[] = {
      {7, 2, 3, 4},
      {-7, 2, -4, -3},
      {7, -2, -4, -3},
      {-7, -2, 3, 4},
      {6, 3, 2, 2},
      {-6, 3, -2, -2},
      {0, -5, 0, 0},
      {-1, 1000000007, -1, 0},
      {kP62, 2, kP62 / 2, kP62 / 2},  // just past the 64-bit path
      {-kP62 - 1, 4, -kP62 / 4 - 1, -kP62 / 4},
      {kBig + 1, std::int64_t(1) << 20, std::int64_t(1) << 60, (std::int64_t(1) << 60) + 1},
      {-kBig - 1, std::int64_t(1) << 20, -(std::int64_t(1) << 60) - 1, -(std::int64_t(1) << 60)},
      {kBig, -(std::int64_t(1) << 40), -(std::int64_t(1) << 40), -(std::int64_t(1) << 40)},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FloorDiv(c.N, c.D), c.Floor) << std::int64_t(c.N) << " / " << c.D;
    EXPECT_EQ(CeilDiv(c.N, c.D), c.Ceil) << std::int64_t(c.N) << " / " << c.D;
  }
}

TEST(RoundHalfEven, RoundsHalvesToTheEvenNeighbourInAnyRoundingMode) {
  const struct {
    long double In;
    int Out;
  } cases[] = {{0.5, 0},
               {1.5, 2},
               {2.5, 2},
               {3.5, 4},
               {-0.5, 0},
               {-1.5, -2},
               {-2.5, -2},
               {2.4, 2},
               {2.6, 3},
               {-2.6, -3},
               {7, 7},
               {-7, -7},
               {1e9 + 0.5L, 1000000000},
               {-2147483647.5L, -2147483648}};
  const int saved = std::fegetround();
  for (int mode : {FE_TONEAREST, FE_UPWARD, FE_DOWNWARD, FE_TOWARDZERO}) {
    std::fesetround(mode);
    for (const auto& c : cases)
      EXPECT_EQ(RoundHalfEven(c.In), c.Out) << double(c.In) << " in rounding mode " << mode;
  }
  std::fesetround(saved);
}
