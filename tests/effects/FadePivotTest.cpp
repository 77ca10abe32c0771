// The per-pixel effects: the fade's integer blend and the pivot's 16.16
// rotation, held against the plain formulas.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "effects/FadePivot.h"
#include "tests/effects/NumberedPictures.h"

using namespace vantora;
using namespace vantora::testing;

namespace {

Bitmap Noise(int w, int h, std::uint32_t seed) {
  Bitmap b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      seed = seed * 1664525u + 1013904223u;
      b.SetPixel(x, y, seed);
    }
  return b;
}

int Byte(TPixel p, int k) { return int((p >> (8 * k)) & 255); }

// The pivot exactly as the formula reads, pixel by pixel: products and sums
// in 32 bits with wrap-around, bits 16..31 read as a signed 16-bit number.
void ReferencePivot(Bitmap& screen, const Bitmap& image, int cx, int cy, long double theta) {
  const int w = image.Width(), h = image.Height();
  const auto sinQ = std::int32_t(std::trunc(std::sin(-theta) * 65536.0L));
  const auto cosQ = std::int32_t(std::trunc(std::cos(-theta) * 65536.0L));
  auto high16 = [](std::uint32_t v) { return int(std::int16_t(std::uint16_t(v >> 16))); };
  for (int i = 0; i < h; ++i)
    for (int j = w - 1; j >= 0; --j) {
      const std::uint32_t u = std::uint32_t(j + 1 - cx), v = std::uint32_t(h - i - cy);
      const int sx = cx + high16(u * std::uint32_t(cosQ) - v * std::uint32_t(sinQ));
      const int sy = cy + high16(u * std::uint32_t(sinQ) + v * std::uint32_t(cosQ));
      if (sx >= 0 && sx < w && sy >= 0 && sy < h)
        screen.SetPixel(j, i, image.Pixel(sx, h - 1 - sy));
    }
}

constexpr long double kPi = 3.1415926535897932385L;

struct TPivotMember {
  int Style;
  int CX(int w) const { return Style == 121 || Style == 122 ? w : -1; }
  int CY(int h) const { return Style == 120 || Style == 122 ? h : -1; }
  long double Theta(int p) const {
    return (Style == 119 || Style == 122 ? 100 - p : p - 100) * kPi / 200;
  }
};

// Both builds of the loops: the plain one and, where the processor has
// AVX2, the AVX2 one.
const TPixelLoop kLoops[] = {plPlain, plBest};

const char* LoopName(TPixelLoop loop) {
  return loop == plPlain ? "plain" : HasAvx2() ? "AVX2" : "plain (no AVX2)";
}

}  // namespace

TEST(FadeBlend, DivisionByHundredIsExactOverTheWholeRange) {
  for (int x = 0; x <= 25500; ++x) ASSERT_EQ(Div100(std::uint16_t(x)), x / 100) << x;
}

TEST(FadeBlend, BlendsEveryColourByteByTheTruncatedFormula) {
  // Byte 0 of the old picture runs over all 256 values along x and byte 0 of
  // the new one along y, so every pair of bytes is blended at every P.
  Bitmap oldPicture(256, 256), newPicture(256, 256);
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) {
      oldPicture.SetPixel(x, y, TPixel(x) | TPixel(y) << 8 | TPixel(255 - x) << 16 | 0xA5u << 24);
      newPicture.SetPixel(x, y, TPixel(y) | TPixel(x) << 8 | TPixel(x ^ y) << 16 | 0x3Cu << 24);
    }
  for (TPixelLoop loop : kLoops)
    for (int p = 0; p <= 100; ++p) {
      Bitmap screen = oldPicture;
      FadeBlend(screen, newPicture, p, loop);
      int wrong = 0;
      for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
          const TPixel o = oldPicture.Pixel(x, y), n = newPicture.Pixel(x, y),
                       s = screen.Pixel(x, y);
          for (int k = 0; k < 3; ++k)
            wrong += Byte(s, k) != ((100 - p) * Byte(o, k) + p * Byte(n, k)) / 100;
          wrong += Byte(s, 3) != 0xA5;  // byte 3 is left alone
        }
      EXPECT_EQ(wrong, 0) << LoopName(loop) << " P " << p;
    }
}

TEST(FadeBlend, WorkedExamples) {
  // Black old and white new at 50: 127 in each colour byte.
  Bitmap screen(37, 3), white(37, 3);  // odd width: the tail after whole blocks too
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 37; ++x) {
      screen.SetPixel(x, y, 0x11000000u);
      white.SetPixel(x, y, 0xFFFFFFFFu);
    }
  FadeBlend(screen, white, 50);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 37; ++x) EXPECT_EQ(screen.Pixel(x, y), 0x117F7F7Fu) << x << "," << y;

  // Equal pictures stay unchanged at every progress, through the effect.
  const Bitmap picture = Noise(61, 17, 7);
  for (int p = 1; p <= 99; ++p) {
    Bitmap frame(61, 17);
    ComposeFrame(frame, picture, picture, 118, 4, p);
    EXPECT_TRUE(frame == picture) << "P " << p;
  }
}

TEST(PivotCopy, MatchesThePlainFormulaForEveryMember) {
  const struct {
    int W, H;
  } sizes[] = {{1, 1}, {2, 3}, {7, 5}, {45, 44}, {33, 61}, {200, 150}, {150, 201}};
  for (const auto& size : sizes)
    for (int style = 119; style <= 122; ++style)
      for (int p = 1; p <= 99; p += (size.W * size.H > 5000 ? 7 : 1)) {
        const TPivotMember m{style};
        const Bitmap oldPicture = Numbered(size.W, size.H, kOld);
        const Bitmap newPicture = Numbered(size.W, size.H, kNew);
        Bitmap expected = oldPicture;
        ReferencePivot(expected, newPicture, m.CX(size.W), m.CY(size.H), m.Theta(p));
        Bitmap frame(size.W, size.H);
        ComposeFrame(frame, oldPicture, newPicture, style, 4, p);
        ASSERT_TRUE(frame == expected)
            << "effect " << style << " at " << size.W << "x" << size.H << " P " << p;
      }
}

TEST(PixelLoops, BothBuildsFollowTheFormulasOnRandomSizes) {
  // Random sizes put the ends of the rows, and the eight-pixel steps of the
  // AVX2 loops, at every offset; random angles cover every slant.
  std::uint32_t seed = 2024;
  auto next = [&](int n) {
    seed = seed * 1664525u + 1013904223u;
    return int((std::uint64_t(seed) * std::uint64_t(n)) >> 32);
  };
  for (int round = 0; round < 40; ++round) {
    const int w = 1 + next(300), h = 1 + next(300), p = 1 + next(99);
    const TPivotMember m{119 + next(4)};
    const Bitmap oldPicture = Noise(w, h, 1 + round), newPicture = Noise(w, h, 100 + round);
    Bitmap expected = oldPicture;
    ReferencePivot(expected, newPicture, m.CX(w), m.CY(h), m.Theta(p));
    for (TPixelLoop loop : kLoops) {
      Bitmap screen = oldPicture;
      PivotCopy(screen, newPicture, m.CX(w), m.CY(h), m.Theta(p), loop);
      EXPECT_TRUE(screen == expected)
          << LoopName(loop) << " effect " << m.Style << " " << w << "x" << h << " P " << p;
      Bitmap faded = oldPicture;
      FadeBlend(faded, newPicture, p, loop);
      int wrong = 0;
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
          for (int k = 0; k < 4; ++k) {
            const int o = Byte(oldPicture.Pixel(x, y), k), n = Byte(newPicture.Pixel(x, y), k);
            wrong += Byte(faded.Pixel(x, y), k) != (k == 3 ? o : ((100 - p) * o + p * n) / 100);
          }
      EXPECT_EQ(wrong, 0) << LoopName(loop) << " fade " << w << "x" << h << " P " << p;
    }
  }
}

TEST(PivotCopy, AFrameLargeEnoughToStreamFollowsTheFormula) {
  // 16 MiB and more: the AVX2 rows stream their stores. An odd width puts
  // the start of every row at another offset within a cache line.
  const int w = 4101, h = 1024;
  ASSERT_EQ(StoresFor(Bitmap(w, h)), tsStreamed);
  const Bitmap oldPicture = Noise(w, h, 5), newPicture = Noise(w, h, 6);
  for (int style = 119; style <= 122; ++style) {
    const TPivotMember m{style};
    const int p = 20 * (style - 118);
    Bitmap expected = oldPicture;
    ReferencePivot(expected, newPicture, m.CX(w), m.CY(h), m.Theta(p));
    for (TPixelLoop loop : kLoops) {
      Bitmap screen = oldPicture;
      PivotCopy(screen, newPicture, m.CX(w), m.CY(h), m.Theta(p), loop);
      EXPECT_TRUE(screen == expected) << LoopName(loop) << " effect " << style << " P " << p;
    }
  }
}

TEST(PivotCopy, WrapsAroundLikeThirtyTwoBitSumsOnHugePictures) {
  // Width plus height past 2^15: the sums leave 32 bits and wrap, so the copy
  // must follow the formula pixel by pixel rather than by intervals.
  const int w = 40000, h = 3;
  const Bitmap oldPicture = Numbered(w, h, kOld), newPicture = Numbered(w, h, kNew);
  for (long double theta : {0.3L, -1.2L, 2.5L}) {
    Bitmap expected = oldPicture, screen = oldPicture;
    ReferencePivot(expected, newPicture, -1, h, theta);
    PivotCopy(screen, newPicture, -1, h, theta);
    EXPECT_TRUE(screen == expected) << double(theta);
  }
}

TEST(PivotCopy, AtZeroAngleShiftsOnePixelLeftAndDown) {
  // u counts columns from 1 and v rows from 1, the source from 0.
  const Bitmap oldPicture = Numbered(9, 7, kOld), newPicture = Numbered(9, 7, kNew);
  Bitmap screen = oldPicture;
  PivotCopy(screen, newPicture, -1, -1, 0.0L);
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 9; ++x) {
      const bool inside = x + 1 < 9 && y - 1 >= 0;
      EXPECT_EQ(screen.Pixel(x, y),
                inside ? NumberedPixel(x + 1, y - 1, kNew) : NumberedPixel(x, y, kOld))
          << x << "," << y;
    }
}

TEST(PivotEffects, StartAlmostOldAndEndAlmostNew) {
  for (int style = 119; style <= 122; ++style) {
    for (int p : {1, 99}) {
      const Bitmap frame = NumberedFrame(style, 800, 600, 4, p);
      int shown = 0;
      for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x) shown += Decode(frame.Pixel(x, y)).Which == kNew;
      if (p == 1) {  // turned by 89.1 degrees: a thin wedge along one edge
        EXPECT_GT(shown, 0) << style;
        EXPECT_LT(shown, 800 * 600 / 50) << style;
      } else {
        EXPECT_GT(shown, 800 * 600 * 9 / 10) << style;
      }
    }
  }
}
