// The pixel loops of the fade and the pivot: each build (plain, and AVX2
// where the processor has it) gives the pixels of the formula, for every
// length and alignment of a row, through the cache or streamed.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "raster/PixelLoops.h"

namespace vantora {
namespace {

const TPixelLoop kLoops[] = {plPlain, plBest};

const char* Name(TPixelLoop loop) {
  return loop == plPlain ? "plain" : HasAvx2() ? "AVX2" : "plain (no AVX2)";
}

std::vector<TPixel> Noise(std::size_t n, unsigned seed) {
  std::mt19937 random(seed);
  std::vector<TPixel> pixels(n);
  for (TPixel& p : pixels) p = TPixel(random());
  return pixels;
}

std::uint8_t Byte(TPixel p, int k) { return std::uint8_t(p >> (8 * k)); }

TEST(FadePivotLoops, BlendGivesTheTruncatedMeanOfEveryColourByte) {
  const std::vector<TPixel> oldPixels = Noise(300, 1), newPixels = Noise(300, 2);
  for (const TPixelLoop loop : kLoops)
    for (const int P : {0, 1, 37, 50, 99, 100})
      for (const std::size_t offset : {0u, 1u, 3u})
        for (const std::size_t n : {0u, 1u, 3u, 15u, 16u, 17u, 64u, 65u, 250u}) {
          std::vector<TPixel> d = oldPixels;
          BlendPixels(d.data() + offset, newPixels.data() + offset, n, P, loop);
          for (std::size_t k = 0; k < d.size(); ++k) {
            const bool inside = k >= offset && k < offset + n;
            for (int b = 0; b < 4; ++b) {
              const int o = Byte(oldPixels[k], b), s = Byte(newPixels[k], b);
              const int expected = inside && b != 3 ? ((100 - P) * o + P * s) / 100 : o;
              ASSERT_EQ(Byte(d[k], b), expected)
                  << Name(loop) << ", P " << P << ", offset " << offset << ", n " << n
                  << ", pixel " << k << ", byte " << b;
            }
          }
        }
}

// Rows of a 64 x 48 picture turned about its bottom-left corner: the row
// takes, column by column, the pixel the 16.16 sums point at, and nothing
// outside first..last changes.
TEST(FadePivotLoops, PivotRowTakesThePixelsTheSumsPointAt) {
  constexpr int W = 64, H = 48, kRow = 100;
  const std::vector<TPixel> picture = Noise(std::size_t(W) * H, 3);
  const std::vector<TPixel> before = Noise(kRow, 4);
  for (const TPixelLoop loop : kLoops)
    for (const TStores stores : {tsCached, tsStreamed})
      for (const double theta : {0.0, 0.3, -0.7, 1.2}) {
        const auto cosQ = std::int32_t(std::cos(theta) * 65536.0);
        const auto sinQ = std::int32_t(std::sin(theta) * 65536.0);
        const TPivotSource source{picture.data(),
                                  (H - 1) * W,
                                  W,
                                  W * H - 1,
                                  cosQ,
                                  sinQ,
                                  std::int32_t(std::uint32_t(sinQ) * kPivotAhead),
                                  std::int32_t(0u - std::uint32_t(cosQ) * kPivotAhead)};
        // Start inside the picture and go as far as the sums stay in it.
        const std::int64_t a0 = std::int64_t(W / 2) << 16, b0 = std::int64_t(H / 2) << 16;
        for (const int first : {0, 1, 3, 5}) {
          int last = first - 1;
          std::vector<TPixel> expected = before;
          for (int j = first; j < kRow; ++j) {
            const std::int64_t a = a0 + std::int64_t(j - first) * cosQ;
            const std::int64_t b = b0 + std::int64_t(j - first) * sinQ;
            const std::int64_t column = a >> 16, fromBottom = b >> 16;
            if (column < 0 || column >= W || fromBottom < 0 || fromBottom >= H) break;
            expected[std::size_t(j)] = picture[std::size_t((H - 1 - fromBottom) * W + column)];
            last = j;
          }
          std::vector<TPixel> row = before;
          PivotRow(row.data(), first, last, std::uint32_t(a0), std::uint32_t(b0), source, stores,
                   loop);
          if (stores == tsStreamed) EndStreamedStores();
          EXPECT_EQ(row, expected) << Name(loop) << (stores == tsStreamed ? ", streamed" : "")
                                   << ", theta " << theta << ", first " << first;
        }
      }
}

}  // namespace
}  // namespace vantora
