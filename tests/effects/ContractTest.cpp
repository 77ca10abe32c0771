// The effect contract, checked for every effect of the table over picture
// sizes from 1 x 1 to full HD, steps 1, 4, 6 and 100 and the progresses
// 1..99: no crash, every pixel of the frame comes from one of the two
// pictures, the same seed gives the same frame, and only the effects with
// random jitter touch the random generator.
//
// Writes outside the frame are caught by running this test in a build with
// AddressSanitizer (VANTORA_SANITIZE=address): every bitmap is its own heap
// block, so a stray write is a heap overflow.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "raster/Draw.h"
#include "tests/effects/NumberedPictures.h"

using namespace vantora;
using namespace vantora::testing;

namespace {

// Effects that draw the new picture in place: every pixel is the old or the
// new picture's pixel at the same place. The others stretch, mirror, rotate
// or move a picture, so a pixel may come from anywhere in either picture.
bool DrawsInPlace(int style) {
  const bool moves = (style >= 1 && style <= 4) || (style >= 7 && style <= 10) ||
                     (style >= 13 && style <= 21) || (style >= 24 && style <= 27) ||
                     (style >= 30 && style <= 42) || (style >= 47 && style <= 52) || style == 56 ||
                     style == 57 || (style >= 119 && style <= 122) ||
                     (style >= 128 && style <= 135);
  return !moves;
}

// Effects that draw random numbers (the uneven shreds, speckles and random squares).
bool UsesRandom(int style) {
  return (style >= 65 && style <= 68) || (style >= 76 && style <= 79) ||
         (style >= 100 && style <= 109) || (style >= 123 && style <= 127);
}

constexpr int kFade = 118;

struct TSize {
  int W, H;
};

// Counts the pixels of a frame that break the contract for this style.
int ForeignPixels(int style, const Bitmap& frame, const Bitmap& oldPicture,
                  const Bitmap& newPicture) {
  const int w = frame.Width(), h = frame.Height();
  int foreign = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const TPixel p = frame.Pixel(x, y), o = oldPicture.Pixel(x, y), n = newPicture.Pixel(x, y);
      if (style == kFade) {  // a blend: each colour byte between old and new, byte 3 kept
        for (int k = 0; k < 3; ++k) {
          const TPixel b = (p >> 8 * k) & 255, bo = (o >> 8 * k) & 255, bn = (n >> 8 * k) & 255;
          foreign += b < std::min(bo, bn) || b > std::max(bo, bn);
        }
        foreign += (p >> 24) != (o >> 24);
      } else if (DrawsInPlace(style)) {
        foreign += p != o && p != n;
      } else {
        const TSourcePixel s = Decode(p);
        foreign += s.X >= w || s.Y >= h;
      }
    }
  return foreign;
}

class EffectContract : public ::testing::TestWithParam<int> {
 protected:
  // Composes one frame from the numbered pictures at a fixed seed, checks its
  // pixels and the generator, and returns it.
  Bitmap CheckFrame(TSize size, int step, int progress) {
    const int style = GetParam();
    if (FOldPicture.Width() != size.W || FOldPicture.Height() != size.H) {
      FOldPicture = Numbered(size.W, size.H, kOld);
      FNewPicture = Numbered(size.W, size.H, kNew);
    }
    Bitmap frame(size.W, size.H);
    SetRandSeed(kSeed);
    ComposeFrame(frame, FOldPicture, FNewPicture, style, step, progress);
    const std::string where = std::to_string(size.W) + "x" + std::to_string(size.H) + " step " +
                              std::to_string(step) + " progress " + std::to_string(progress);
    EXPECT_EQ(ForeignPixels(style, frame, FOldPicture, FNewPicture), 0) << where;
    if (!UsesRandom(style)) {
      EXPECT_EQ(RandSeed(), kSeed) << where << ": random seed changed";
    }
    return frame;
  }

  // The same frame twice from the same seed: identical frames, identical seeds.
  void CheckDeterministic(TSize size, int step, int progress) {
    const Bitmap first = CheckFrame(size, step, progress);
    const std::uint32_t seedAfterFirst = RandSeed();
    const Bitmap second = CheckFrame(size, step, progress);
    EXPECT_TRUE(first == second) << size.W << "x" << size.H << " step " << step << " progress "
                                 << progress << ": not deterministic";
    EXPECT_EQ(RandSeed(), seedAfterFirst);
  }

  static constexpr std::uint32_t kSeed = 0x2468ACE1u;
  Bitmap FOldPicture, FNewPicture;
};

TEST_P(EffectContract, SmallPicturesAtEveryProgressAndStep) {
  const TSize sizes[] = {{1, 1}, {2, 3}, {3, 2}, {7, 5}, {45, 44}, {33, 61}, {61, 33}};
  for (TSize size : sizes)
    for (int step : {1, 4, 6, 100})
      for (int progress = 1; progress <= 99; ++progress) {
        CheckDeterministic(size, step, progress);
        if (HasFailure()) return;  // one broken frame is enough to read
      }
}

TEST_P(EffectContract, LargePicturesAtSampledProgresses) {
  struct Case {
    TSize Size;
    int Step;
    std::vector<int> Progresses;
  } cases[] = {
      {{801, 600}, 4, {1, 50, 99}},   {{600, 801}, 6, {37, 98}}, {{640, 480}, 100, {50}},
      {{1920, 1080}, 4, {1, 62, 99}}, {{1080, 1920}, 1, {33}},
  };
  for (const Case& c : cases)
    for (int progress : c.Progresses) {
      CheckFrame(c.Size, c.Step, progress);
      if (HasFailure()) return;
    }
}

// Without a hook between the reset and the effect, the frame may be made in
// one pass (a region effect's frame straight from both pictures, the last
// frame straight from the new one); it must equal the frame drawn the long
// way, which a hook that does nothing forces.
// The large picture is big enough for the stores to stream (the region
// effects take their one pass only then), and its odd width starts every
// row at another offset within a cache line.
TEST_P(EffectContract, OnePassFrameEqualsTheFrameDrawnOverTheOldPicture) {
  const int style = GetParam();
  struct Case {
    TSize Size;
    std::vector<int> Steps, Progresses;
  };
  std::vector<int> every(101);  // 0 and 100 too: the first and the last frame
  for (int p = 0; p <= 100; ++p) every[std::size_t(p)] = p;
  const Case cases[] = {{{1, 1}, {1, 4, 100}, every},    {{2, 3}, {1, 4, 100}, every},
                        {{7, 5}, {1, 4, 100}, every},    {{45, 44}, {1, 4, 100}, every},
                        {{61, 33}, {4}, every},          {{801, 600}, {4}, {1, 50, 99}},
                        {{2049, 2048}, {4}, {1, 37, 88}}};
  for (const Case& c : cases) {
    const Bitmap oldPicture = Numbered(c.Size.W, c.Size.H, kOld);
    const Bitmap newPicture = Numbered(c.Size.W, c.Size.H, kNew);
    Bitmap onePass(c.Size.W, c.Size.H), drawn(c.Size.W, c.Size.H);
    for (int step : c.Steps)
      for (int progress : c.Progresses) {
        SetRandSeed(kSeed);
        ComposeFrame(onePass, oldPicture, newPicture, style, step, progress);
        const std::uint32_t seedAfter = RandSeed();
        SetRandSeed(kSeed);
        ComposeFrame(drawn, oldPicture, newPicture, style, step, progress, kResetPath);
        ASSERT_TRUE(onePass == drawn)
            << c.Size.W << "x" << c.Size.H << " step " << step << " progress " << progress;
        ASSERT_EQ(RandSeed(), seedAfter);
      }
  }
}

// Every number reaches a member that draws: half way through, part of the
// frame shows the new picture (a number whose family has no row for it would
// leave the old picture, which passes every check above). The numbered
// pictures differ only in byte 3, which the fade leaves alone, so the fade
// blends black into white instead.
TEST_P(EffectContract, HalfWayShowsPartOfTheNewPicture) {
  if (GetParam() == kFade) {
    Bitmap black(64, 48), white(64, 48), frame(64, 48);
    FillRect(white, white.BoundsRect(), 0x00FFFFFFu);
    ComposeFrame(frame, black, white, kFade, 4, 50);
    EXPECT_EQ(frame.Pixel(31, 17), 0x007F7F7Fu);  // 255 x 50 div 100 in each colour byte
    return;
  }
  const Bitmap frame = CheckFrame({64, 48}, 4, 50);
  int fromNew = 0;
  for (int y = 0; y < frame.Height(); ++y)
    for (int x = 0; x < frame.Width(); ++x) fromNew += Decode(frame.Pixel(x, y)).Which == kNew;
  EXPECT_GT(fromNew, 0);
}

INSTANTIATE_TEST_SUITE_P(AllEffects, EffectContract, ::testing::Range(1, kEffectCount + 1),
                         [](const ::testing::TestParamInfo<int>& info) {
                           return "Effect" + std::to_string(info.param);
                         });

}  // namespace
