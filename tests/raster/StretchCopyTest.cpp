#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "raster/Draw.h"
#include "raster/PixelLoops.h"

using namespace vantora;

namespace {

// A bitmap whose pixel (x, y) holds the value x + 1000 y + 1, so a test can
// read back which source pixel landed where.
Bitmap Numbered(int w, int h) {
  Bitmap b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.SetPixel(x, y, TPixel(x + 1000 * y + 1));
  return b;
}

// The pixels of a run written at `shift` into a buffer filled with kGuard:
// true when the run shows `expected` and every pixel around it is kGuard.
constexpr TPixel kGuard = 0xBADu;
bool ShowsBetweenGuards(const std::vector<TPixel>& buffer, int shift,
                        const std::vector<TPixel>& expected) {
  for (std::size_t k = 0; k < buffer.size(); ++k) {
    const std::size_t at = k - std::size_t(shift);
    const bool inside = k >= std::size_t(shift) && at < expected.size();
    if (buffer[k] != (inside ? expected[at] : kGuard)) return false;
  }
  return true;
}

int SrcX(TPixel p) { return int(p - 1) % 1000; }
int SrcY(TPixel p) { return int(p - 1) / 1000; }

}  // namespace

TEST(StretchCopy, PlainCopyKeepsPixelsInPlace) {
  const Bitmap src = Numbered(10, 8);
  Bitmap dst(10, 8);
  PlainCopy(dst, {2, 3, 7, 5}, src);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 10; ++x)
      EXPECT_EQ(dst.Pixel(x, y), TRect({2, 3, 7, 5}).Contains(x, y) ? src.Pixel(x, y) : 0u);
}

TEST(StretchCopy, ScalesEachAxisWithNearestPixel) {
  const Bitmap src = Numbered(4, 2);
  Bitmap dst(8, 6);
  StretchCopy(dst, {0, 0, 8, 6}, src, {0, 0, 4, 2});
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 8; ++x) {
      EXPECT_EQ(SrcX(dst.Pixel(x, y)), x / 2);
      EXPECT_EQ(SrcY(dst.Pixel(x, y)), y / 3);
    }
  // Shrinking drops rows and columns, never blends.
  const Bitmap big = Numbered(9, 9);
  Bitmap small(3, 3);
  StretchCopy(small, {0, 0, 3, 3}, big, {0, 0, 9, 9});
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 3; ++x) {
      EXPECT_EQ(SrcX(small.Pixel(x, y)), 3 * x + 1);
      EXPECT_EQ(SrcY(small.Pixel(x, y)), 3 * y + 1);
    }
}

TEST(StretchCopy, MirrorsWhenRightIsLeftOfLeft) {
  const Bitmap src = Numbered(5, 3);
  Bitmap dst(5, 3);
  StretchCopy(dst, {5, 0, 0, 3}, src, {0, 0, 5, 3});
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(dst.Pixel(x, y), src.Pixel(4 - x, y));
  StretchCopy(dst, {0, 3, 5, 0}, src, {0, 0, 5, 3});
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(dst.Pixel(x, y), src.Pixel(x, 2 - y));
  // A mirrored source mirrors as well; mirrored twice is the plain copy.
  StretchCopy(dst, {5, 0, 0, 3}, src, {5, 0, 0, 3});
  EXPECT_EQ(dst, src);
}

TEST(StretchCopy, HangingOutOfTargetShowsOnlyTheInnerPartOfTheMapping) {
  // Effect 9 at progress 99 on 800 x 600: source (4, 0, 796, 600) onto
  // (-8, 0, 808, 600). 792 source columns spread over 816: the target shows
  // the columns that map inside it, with the scale of the whole rectangle.
  const Bitmap src = Numbered(800, 2);
  Bitmap dst(800, 2);
  StretchCopy(dst, {-8, 0, 808, 2}, src, {4, 0, 796, 2});
  for (int x = 0; x < 800; ++x) {
    const int expected = 4 + int((2 * (x + 8) + 1) * 792 / (2 * 816));
    EXPECT_EQ(SrcX(dst.Pixel(x, 0)), expected) << x;
  }
  // Slide in from left at progress 25 (X = 200): whole -> (-600, 0, 200, H).
  Bitmap slid(800, 2);
  StretchCopy(slid, {-600, 0, 200, 2}, src, {0, 0, 800, 2});
  for (int x = 0; x < 200; ++x) EXPECT_EQ(SrcX(slid.Pixel(x, 0)), x + 600);
  for (int x = 200; x < 800; ++x) EXPECT_EQ(slid.Pixel(x, 0), 0u);
}

TEST(StretchCopy, SourceOutsideTheSourceReadsNothing) {
  const Bitmap src = Numbered(4, 4);
  Bitmap dst(8, 4);
  StretchCopy(dst, {0, 0, 8, 4}, src, {-4, 0, 4, 4});
  for (int x = 0; x < 4; ++x) EXPECT_EQ(dst.Pixel(x, 0), 0u);
  for (int x = 4; x < 8; ++x) EXPECT_EQ(dst.Pixel(x, 0), src.Pixel(x - 4, 0));
}

TEST(StretchCopy, EmptyRectanglesDrawNothing) {
  const Bitmap src = Numbered(4, 4);
  Bitmap dst(4, 4);
  StretchCopy(dst, {0, 0, 4, 4}, src, {2, 0, 2, 4});  // empty source slice
  StretchCopy(dst, {2, 0, 2, 4}, src, {0, 0, 4, 4});  // empty destination
  EXPECT_EQ(dst, Bitmap(4, 4));
}

TEST(StretchCopy, OverlappingSelfCopyReadsOldPixels) {
  struct Case {
    TRect a, b;
  } cases[] = {
      {{10, 0, 110, 50}, {0, 0, 100, 50}},  // push right: write right of what it reads
      {{0, 0, 100, 50}, {10, 0, 110, 50}},  // push left
      {{0, 10, 100, 60}, {0, 0, 100, 50}},  // push down: rows read above those written
      {{0, 0, 100, 50}, {0, 10, 100, 60}},  // push up
      {{0, 0, 60, 60}, {0, 0, 120, 60}},  // squeeze onto itself
      {{0, 0, 120, 60}, {20, 5, 80, 55}},  // enlarge onto itself
  };
  for (const Case& c : cases) {
    Bitmap self = Numbered(120, 60);
    Bitmap expected = self;
    StretchCopy(expected, c.a, Numbered(120, 60), c.b);
    StretchCopy(self, c.a, self, c.b);
    EXPECT_EQ(self, expected) << c.a.Left << "," << c.a.Top << " <- " << c.b.Left << "," << c.b.Top;
  }
}

TEST(FillRect, ClipsToTarget) {
  Bitmap b(4, 4);
  FillRect(b, {-2, 2, 10, 10}, 7);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(b.Pixel(x, y), y >= 2 ? 7u : 0u);
}

TEST(TileDraw, RepeatsFromTheTopLeftAndCutsAtTheEdge) {
  // A 100 x 100 tile on 250 x 120 draws 3 x 2 tiles; the third column and
  // second row are cut.
  Bitmap tile(100, 100);
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 100; ++x) tile.SetPixel(x, y, TPixel(x + 1000 * y + 1));
  Bitmap dst(250, 120);
  TileDraw(dst, dst.BoundsRect(), tile);
  for (int y : {0, 99, 100, 119})
    for (int x : {0, 99, 100, 199, 200, 249})
      EXPECT_EQ(dst.Pixel(x, y), tile.Pixel(x % 100, y % 100));
}

TEST(CenterDraw, CutsALargerPictureEquallyOnBothSides) {
  const Bitmap big = Numbered(10, 10);
  Bitmap dst(4, 6);
  CenterDraw(dst, dst.BoundsRect(), big);
  EXPECT_EQ(dst.Pixel(0, 0), big.Pixel(3, 2));  // (4 - 10) div 2 = -3, (6 - 10) div 2 = -2
  EXPECT_EQ(dst.Pixel(3, 5), big.Pixel(6, 7));
}

TEST(StretchCopy, ScaledSelfCopyInEitherVisitingOrderReadsOldPixels) {
  // Squeezes and stretches of a bitmap onto itself along one or both axes,
  // as the push-and-squeeze effects do, including ones that read on both
  // sides of the pixel they write (which need a copy of the source).
  struct Case {
    TRect a, b;
  } cases[] = {
      {{40, 0, 120, 60}, {0, 0, 120, 60}},  // squeeze right
      {{0, 0, 80, 60}, {0, 0, 120, 60}},  // squeeze left
      {{0, 20, 120, 60}, {0, 0, 120, 60}},  // squeeze down
      {{0, 0, 120, 40}, {0, 0, 120, 60}},  // squeeze up
      {{30, 10, 120, 60}, {0, 0, 120, 60}},  // both axes
      {{0, 0, 120, 60}, {30, 10, 90, 50}},  // enlarge the middle: reads on both sides
      {{120, 0, 0, 60}, {0, 0, 120, 60}},  // mirrored onto itself
  };
  for (const Case& c : cases) {
    Bitmap self = Numbered(120, 60);
    Bitmap expected = self;
    StretchCopy(expected, c.a, Numbered(120, 60), c.b);
    StretchCopy(self, c.a, self, c.b);
    EXPECT_EQ(self, expected) << c.a.Left << "," << c.a.Top << "," << c.a.Right << ","
                              << c.a.Bottom;
  }
}

// Tiling repeats the tile from the top-left of R, R.Height() div h + 1 rows
// and R.Width() div w + 1 columns, however much of them the target or the clip
// cut away: a pixel inside the tiled area, the target and the clip shows the
// tile pixel at its offset from R's corner, modulo the tile's size.
TEST(TileDraw, RepeatsTheTileOverRowsAndColumnsCutByTargetAndClip) {
  struct Case {
    TRect R;
    TRect Clip;  // empty: no clip
    int TileW, TileH;
  };
  const Case cases[] = {
      {{0, 0, 250, 120}, {}, 100, 100},
      {{0, 0, 250, 120}, {130, 40, 190, 110}, 100, 100},
      {{0, 0, 250, 120}, {240, 110, 300, 200}, 100, 100},  // past R: the last tiles stick out
      {{-37, -12, 200, 100}, {5, 5, 60, 30}, 16, 9},  // R starts left of and above the target
      {{30, 20, 90, 70}, {0, 0, 300, 200}, 7, 5},
      {{0, 0, 300, 200}, {299, 199, 300, 200}, 1, 1},
      {{33, 21, 58, 40}, {}, 100, 100},  // R smaller than the tile: one tile, not cut to R
  };
  for (const Case& c : cases) {
    const Bitmap tile = Numbered(c.TileW, c.TileH);
    const Region clip = Region::Rectangle(c.Clip);
    Bitmap dst(300, 200);
    TileDraw(dst, c.R, tile, c.Clip.IsEmpty() ? nullptr : &clip);
    const int columns = c.R.Width() / c.TileW + 1, rows = c.R.Height() / c.TileH + 1;
    const TRect tiled{c.R.Left, c.R.Top, c.R.Left + columns * c.TileW, c.R.Top + rows * c.TileH};
    int wrong = 0;
    for (int y = 0; y < dst.Height(); ++y)
      for (int x = 0; x < dst.Width(); ++x) {
        const bool drawn = tiled.Contains(x, y) && (c.Clip.IsEmpty() || c.Clip.Contains(x, y));
        const TPixel want =
            drawn ? tile.Pixel((x - c.R.Left) % c.TileW, (y - c.R.Top) % c.TileH) : 0u;
        wrong += dst.Pixel(x, y) != want;
      }
    EXPECT_EQ(wrong, 0) << "tile " << c.TileW << "x" << c.TileH << " R " << c.R.Left << ","
                        << c.R.Top << " clip " << c.Clip.Left << "," << c.Clip.Top;
  }
}

namespace {

// The stretch copy as its definition reads, pixel by pixel: destination pixel
// d of an axis from a0 over la pixels (negative: mirrored) samples source
// pixel floor(b0 + (d - a0 + 1/2) lb / la), in exact integer arithmetic.
int SourceOf(int d, int a0, int la, int b0, int lb) {
  const std::int64_t num = std::int64_t(2 * (d - a0) + 1) * lb, den = std::int64_t(2) * la;
  std::int64_t q = num / den;
  if (num % den != 0 && ((num < 0) != (den < 0))) --q;
  return int(b0 + q);
}

void ReferenceStretchCopy(Bitmap& dst, const TRect& a, const Bitmap& src, const TRect& b,
                          const Region* clip) {
  if (a.Width() == 0 || a.Height() == 0 || b.Width() == 0 || b.Height() == 0) return;
  const Bitmap from = src;  // the old pixels, also when src is dst
  const TRect cover = intersected({std::min(a.Left, a.Right), std::min(a.Top, a.Bottom),
                                   std::max(a.Left, a.Right), std::max(a.Top, a.Bottom)},
                                  dst.BoundsRect());
  for (int y = cover.Top; y < cover.Bottom; ++y)
    for (int x = cover.Left; x < cover.Right; ++x) {
      if (clip && !clip->Contains(x, y)) continue;
      const int sx = SourceOf(x, a.Left, a.Width(), b.Left, b.Width());
      const int sy = SourceOf(y, a.Top, a.Height(), b.Top, b.Height());
      if (sx >= 0 && sx < from.Width() && sy >= 0 && sy < from.Height())
        dst.SetPixel(x, y, from.Pixel(sx, sy));
    }
}

}  // namespace

TEST(StretchCopy, MatchesThePlainDefinitionOnRandomRectangles) {
  // Scales from a quarter to four times, mirrored, hanging out of either
  // bitmap, between two bitmaps and onto itself, with and without a clip:
  // every fast path (rows repeated, whole-row copies, the AVX2 row loop, the
  // in-place orders) against the definition.
  std::uint32_t seed = 77;
  auto next = [&](int lo, int hi) {
    seed = seed * 1664525u + 1013904223u;
    return lo + int((std::uint64_t(seed) * std::uint64_t(hi - lo + 1)) >> 32);
  };
  const Region clip = [] {
    Region g = Region::Rectangle(5, 3, 90, 40);
    g.Xor(Region::Rectangle(20, 10, 200, 25));
    return g;
  }();
  for (int round = 0; round < 400; ++round) {
    const int w = next(1, 160), h = next(1, 60);
    const Bitmap src = Numbered(w, h);
    const int bw = next(1, w), bh = next(1, h), bx = next(-10, w - 1), by = next(-5, h - 1);
    TRect b{bx, by, bx + bw, by + bh};
    const int aw = std::max(1, bw * next(25, 400) / 100),
              ah = std::max(1, bh * next(25, 400) / 100);
    const int ax = next(-aw / 2, w), ay = next(-ah / 2, h);
    TRect a{ax, ay, ax + aw, ay + ah};
    if (round % 5 == 1) a = {a.Right, a.Top, a.Left, a.Bottom};  // mirrored across
    if (round % 7 == 2) a = {a.Left, a.Bottom, a.Right, a.Top};  // mirrored down
    const bool self = round % 3 == 0;
    const Region* g = round % 4 == 3 ? &clip : nullptr;
    Bitmap dst = self ? src : Bitmap(w, h);
    Bitmap expected = dst;
    ReferenceStretchCopy(expected, a, self ? dst : src, b, g);
    StretchCopy(dst, a, self ? dst : src, b, g);
    ASSERT_EQ(dst, expected) << "round " << round << " a " << a.Left << "," << a.Top << ","
                             << a.Right << "," << a.Bottom << " b " << b.Left << "," << b.Top << ","
                             << b.Right << "," << b.Bottom << (self ? " self" : "")
                             << (g ? " clipped" : "");
  }
}

TEST(GatherPixels, BothBuildsMatchThePlainLoop) {
  // Monotonic maps, rising and falling, from sixteen-fold shrinking to
  // magnifying, with the windows the AVX2 loop loads reaching the end of the
  // source.
  std::uint32_t seed = 5;
  auto next = [&](int n) {
    seed = seed * 1664525u + 1013904223u;
    return int((std::uint64_t(seed) * std::uint64_t(n)) >> 32);
  };
  for (int round = 0; round < 300; ++round) {
    const int size = 1 + next(200), n = 1 + next(300);
    std::vector<TPixel> source(std::size_t(size) + 16, 0xDEADu);  // past size: must not be read
    for (int k = 0; k < size; ++k) source[std::size_t(k)] = TPixel(k * 7 + 1);
    const double step = (1 + next(64)) / 16.0;  // source pixels per destination pixel
    const bool falling = next(2) == 1;
    std::vector<int> map(static_cast<std::size_t>(n));
    for (int k = 0; k < n; ++k) {
      const int s = std::min(size - 1, int(k * step) % size);
      map[std::size_t(k)] = falling ? size - 1 - s : s;
    }
    std::sort(map.begin(), map.end());
    if (falling) std::reverse(map.begin(), map.end());
    std::vector<TPixel> expected(static_cast<std::size_t>(n));
    for (int k = 0; k < n; ++k) expected[std::size_t(k)] = source[std::size_t(map[std::size_t(k)])];
    for (TPixelLoop loop : {plPlain, plBest})
      for (TStores stores : {tsCached, tsStreamed}) {
        // The destination starts anywhere within a cache line; the pixels
        // around it must stay as they are.
        const int shift = next(16);
        std::vector<TPixel> got(std::size_t(n) + 32, kGuard);
        GatherPixels(got.data() + shift, source.data(), size, map.data(), n, stores, loop);
        EndStreamedStores();
        ASSERT_TRUE(ShowsBetweenGuards(got, shift, expected))
            << (loop == plPlain ? "plain" : "best") << (stores == tsStreamed ? " streamed" : "")
            << " round " << round << " shift " << shift;
      }
  }
}

TEST(CopyPixelRun, StreamedAndCachedRunsCopyExactlyTheirPixels) {
  // Every start within a cache line for both ends, lengths around the
  // streaming threshold and the 64-byte lines, and a long run.
  std::vector<TPixel> source(6000);
  for (std::size_t k = 0; k < source.size(); ++k) source[k] = TPixel(k * 2654435761u + 1);
  std::vector<std::size_t> lengths{0, 1, 15, 16, 17, 63, 64, 65, 79, 80, 81, 200, 5000};
  for (std::size_t n : lengths)
    for (int from = 0; from < 16; from += 3)
      for (int shift = 0; shift < 16; ++shift)
        for (TStores stores : {tsCached, tsStreamed}) {
          std::vector<TPixel> got(n + 32, kGuard);
          CopyPixelRun(got.data() + shift, source.data() + from, n, stores);
          EndStreamedStores();
          const std::vector<TPixel> expected(source.begin() + from, source.begin() + from + n);
          ASSERT_TRUE(ShowsBetweenGuards(got, shift, expected))
              << n << " pixels from " << from << " to " << shift
              << (stores == tsStreamed ? " streamed" : "");
        }
}

TEST(StretchCopy, TargetsLargeEnoughToStreamGiveThePixelsOfTheDefinition) {
  // A 16 MiB target takes the streamed stores in every path: the whole-block
  // copy, unscaled rows at any offset, scaled rows (repeated, mirrored,
  // clipped), a squeeze onto itself, and a region of spans of every length.
  const int W = 4096, H = 1024;
  ASSERT_EQ(StoresFor(Bitmap(W, H)), tsStreamed);
  ASSERT_EQ(StoresFor(Bitmap(W, H - 1)), tsCached);
  const Bitmap src = Numbered(W, H);
  Region clip = Region::Rectangle(3, 5, 3001, 900);
  clip.Xor(Region::Rectangle(101, 40, 4000, 47));
  struct TCase {
    TRect A, B;
    bool Self;
    const Region* Clip;
  };
  const TCase cases[] = {
      {{0, 0, W, H}, {0, 0, W, H}, false, nullptr},
      {{7, 3, 3001, 1000}, {1, 2, 2995, 999}, false, nullptr},
      {{5, 1, 3000, 1020}, {4000, 10, 11, 500}, false, nullptr},  // mirrored, magnified down
      {{1000, 0, 10, H}, {0, 0, W, H}, false, &clip},
      {{W / 3, 0, W, H}, {0, 0, W, H}, true, nullptr},  // squeezed onto itself
  };
  for (const TCase& c : cases) {
    Bitmap dst = Numbered(W, H);
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x) dst.SetPixel(x, y, ~dst.Pixel(x, y));
    Bitmap expected = dst;
    ReferenceStretchCopy(expected, c.A, c.Self ? dst : src, c.B, c.Clip);
    StretchCopy(dst, c.A, c.Self ? dst : src, c.B, c.Clip);
    ASSERT_TRUE(dst == expected) << c.A.Left << "," << c.A.Top << "," << c.A.Right << ","
                                 << c.A.Bottom << (c.Self ? " self" : "");
  }
  // A grid of triangles gives spans of every length from 1 to 150 pixels.
  RegionBuilder triangle;
  triangle.AddTriangle(0, 0, 150, 0, 0, 90);
  Region shapes = Region::Repeated(Region::Repeated(triangle.Build(), 157, 0, 26), 0, 97, 11);
  shapes.Unite(clip);
  Bitmap dst(W, H);
  ClippedDraw(dst, src, shapes);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x)
      ASSERT_EQ(dst.Pixel(x, y), shapes.Contains(x, y) ? src.Pixel(x, y) : 0u) << x << ", " << y;
}
