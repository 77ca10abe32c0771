// The push family's one-pass frames: composed from the two pictures straight
// onto a frame that holds anything, they must match, pixel for pixel, the
// frame the reset to the old picture followed by the effect gives.

#include <gtest/gtest.h>

#include <vector>

#include "raster/Draw.h"
#include "tests/effects/NumberedPictures.h"

using namespace vantora;
using namespace vantora::testing;

namespace {

// Not a pixel of either numbered picture: a pixel the one pass forgot to
// write keeps it and shows.
constexpr TPixel kStale = 0xDEADBEEFu;

struct TFrames {
  Bitmap Old, New, OnePass, Reset;
  TFrames(int w, int h)
      : Old(Numbered(w, h, kOld)), New(Numbered(w, h, kNew)), OnePass(w, h), Reset(w, h) {}
};

// Composes one frame both ways; reports where they part.
::testing::AssertionResult SameFrameBothWays(TFrames& f, int style, int step, int progress) {
  FillRect(f.OnePass, f.OnePass.BoundsRect(), kStale);
  if (!DrawWholeFrame(style, f.OnePass, f.Old, f.New, f.New.BoundsRect(), step, progress))
    return ::testing::AssertionFailure() << "effect " << style << " left the frame to the reset";
  ComposeFrame(f.Reset, f.Old, f.New, style, step, progress, kResetPath);
  for (int y = 0; y < f.Reset.Height(); ++y)
    for (int x = 0; x < f.Reset.Width(); ++x)
      if (f.OnePass.Pixel(x, y) != f.Reset.Pixel(x, y))
        return ::testing::AssertionFailure()
               << "effect " << style << ", " << f.Reset.Width() << "x" << f.Reset.Height()
               << ", step " << step << ", progress " << progress << ": pixel " << x << "," << y;
  return ::testing::AssertionSuccess();
}

}  // namespace

TEST(PushOnePass, MatchesTheResetFrameAtEveryProgressStepAndSize) {
  // Odd sizes, one-pixel lines and columns, and pictures so narrow or low
  // that X or Y is 0 at small progresses and the full side at large ones.
  const std::pair<int, int> sizes[] = {{1, 1},  {1, 7},  {7, 1},   {2, 3},    {3, 2},   {5, 5},
                                       {17, 9}, {9, 17}, {64, 48}, {101, 37}, {37, 101}};
  bool zeroExtent = false, fullExtent = false;
  for (auto [w, h] : sizes) {
    TFrames f(w, h);
    for (int step : {1, 4, 6, 100})
      for (int progress = 1; progress <= 99; ++progress) {
        const TFrameGeometry g = FrameGeometry({0, 0, w, h}, step, progress);
        zeroExtent |= g.X == 0 || g.Y == 0;
        fullExtent |= g.X == w || g.Y == h;
        for (int style = 128; style <= 135; ++style)
          ASSERT_TRUE(SameFrameBothWays(f, style, step, progress));
      }
  }
  EXPECT_TRUE(zeroExtent && fullExtent) << "the sizes no longer reach both ends of the extents";
}

TEST(PushOnePass, MatchesTheResetFrameOnLargePictures) {
  for (auto [w, h] : {std::pair{801, 600}, std::pair{600, 801}}) {
    TFrames f(w, h);
    for (int progress : {1, 13, 50, 87, 99})
      for (int style = 128; style <= 135; ++style)
        ASSERT_TRUE(SameFrameBothWays(f, style, 4, progress));
  }
}

TEST(PushOnePass, ComposeFrameWithoutAHookGivesTheResetFrame) {
  // What the transition control and the frame tool call: no hook, a frame
  // that still holds the frame before.
  TFrames f(61, 33);
  for (int style = 128; style <= 135; ++style)
    for (int progress : {1, 30, 99}) {
      FillRect(f.OnePass, f.OnePass.BoundsRect(), kStale);
      ComposeFrame(f.OnePass, f.Old, f.New, style, 6, progress);
      ComposeFrame(f.Reset, f.Old, f.New, style, 6, progress, kResetPath);
      EXPECT_TRUE(f.OnePass == f.Reset) << style << " at " << progress;
    }
}

TEST(PushOnePass, AFrameItCannotComposeWholeIsLeftAlone) {
  // A style without a one pass (no effect, or one that stretches, turns or
  // blends over the reset old picture) says so and leaves Screen alone; one
  // with a one pass gives the reset frame (whatever Screen held). A push
  // geometry outside 1..99 puts X past the frame's sides, where the copies
  // would not cover it.
  TFrames f(40, 30);
  Bitmap stale(40, 30);
  FillRect(stale, stale.BoundsRect(), kStale);
  int onePass = 0;
  for (int style = 0; style <= kEffectCount + 1; ++style) {
    f.OnePass = stale;
    SetRandSeed(7);
    const bool whole = DrawWholeFrame(style, f.OnePass, f.Old, f.New, f.New.BoundsRect(), 4, 50);
    if (!whole) {
      EXPECT_TRUE(f.OnePass == stale) << style;
      continue;
    }
    ++onePass;
    SetRandSeed(7);
    ComposeFrame(f.Reset, f.Old, f.New, style, 4, 50, kResetPath);
    EXPECT_TRUE(f.OnePass == f.Reset) << style;
  }
  EXPECT_GE(onePass, 8);
  EXPECT_FALSE(DrawWholeFrame(0, f.OnePass, f.Old, f.New, f.New.BoundsRect(), 4, 50));
  EXPECT_FALSE(
      DrawWholeFrame(kEffectCount + 1, f.OnePass, f.Old, f.New, f.New.BoundsRect(), 4, 50));
  for (int style = 128; style <= 135; ++style)
    for (int progress : {-5, 120}) {
      f.OnePass = stale;
      EXPECT_FALSE(DrawWholeFrame(style, f.OnePass, f.Old, f.New, f.New.BoundsRect(), 4, progress))
          << style << " at " << progress;
      EXPECT_TRUE(f.OnePass == stale) << style << " at " << progress;
    }
}
