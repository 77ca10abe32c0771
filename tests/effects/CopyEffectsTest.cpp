// The straight, corner, centre, quarter and push effects: the worked examples
// of their geometry, pixel for pixel, through the frame composition that the
// control uses.

#include <gtest/gtest.h>

#include <vector>

#include "raster/Draw.h"
#include "tests/effects/NumberedPictures.h"

using namespace vantora;
using namespace vantora::testing;

namespace {

// One stretch copy as the geometry states it: rectangle Src of the old or new
// picture onto rectangle Dst of the frame.
struct TExpectedCopy {
  TWhich From;
  TRect Src;
  TRect Dst;
};

struct TCopyCase {
  int Style, W, H, Step, Progress;
  std::vector<TExpectedCopy> Copies;
};

Bitmap ExpectedFrame(const TCopyCase& c) {
  const Bitmap oldPicture = Numbered(c.W, c.H, kOld), newPicture = Numbered(c.W, c.H, kNew);
  Bitmap frame = oldPicture;
  for (const TExpectedCopy& copy : c.Copies)
    StretchCopy(frame, copy.Dst, copy.From == kOld ? oldPicture : newPicture, copy.Src);
  return frame;
}

const TRect k800{0, 0, 800, 600};

}  // namespace

TEST(RectangleCopyEffects, DrawTheCopiesOfTheirWorkedExamples) {
  // One row per worked example, laid out as the effects' tables read.
  // clang-format off
  const std::vector<TCopyCase> cases = {
      // 800 x 600 at progress 1: X = 8, Y = 6.
      {1, 800, 600, 4, 1, {{kNew, k800, {792, 0, 800, 600}}}},
      {3, 800, 600, 4, 1, {{kNew, k800, {792, 0, 1592, 600}}}},
      {12, 800, 600, 4, 1, {{kNew, {0, 0, 5, 600}, {0, 0, 5, 600}},
                            {kNew, {795, 0, 800, 600}, {795, 0, 800, 600}}}},
      {29, 800, 600, 4, 1, {{kNew, {0, 0, 800, 4}, {0, 0, 800, 4}},
                            {kNew, {0, 596, 800, 600}, {0, 596, 800, 600}}}},
      // 800 x 600 at progress 99: X = 792.
      {4, 800, 600, 4, 99, {{kNew, k800, {-8, 0, 792, 600}}}},
      {9, 800, 600, 4, 99, {{kNew, {4, 0, 796, 600}, {-8, 0, 808, 600}}}},
      // Effect 9 at progress 25: the middle 200 columns magnified ten times.
      {9, 800, 600, 4, 25, {{kNew, {300, 0, 500, 600}, {-600, 0, 1400, 600}}}},
      // Portrait at 50: Y = 400, X = 300.
      {43, 600, 800, 4, 50, {{kNew, {0, 0, 300, 400}, {0, 0, 300, 400}}}},
      // Odd width: X = 401 (400.5 rounded up).
      {10, 801, 600, 4, 50, {{kNew, {0, 0, 801, 600}, {200, 0, 601, 600}}}},
      {13, 800, 600, 4, 50, {{kNew, {0, 0, 401, 600}, {0, 0, 201, 600}},
                             {kNew, {400, 0, 800, 600}, {599, 0, 800, 600}}}},
      {30, 800, 600, 4, 50, {{kNew, {0, 0, 800, 301}, {0, 0, 800, 151}},
                             {kNew, {0, 300, 800, 600}, {0, 449, 800, 600}}}},
      {41, 800, 600, 4, 50, {{kNew, k800, {-400, -300, 400, 300}}}},
      // Corner, centre and quarters at 50: X = 400, Y = 300.
      {51, 800, 600, 4, 50, {{kNew, {200, 150, 600, 450}, {-400, -300, 1200, 900}}}},
      {48, 800, 600, 4, 50, {{kNew, {0, 300, 400, 600}, {0, -300, 1200, 600}}}},
      {52, 800, 600, 4, 50, {{kNew, k800, {200, 150, 600, 450}}}},
      {56, 800, 600, 4, 50, {{kNew, {0, 0, 401, 301}, {0, 0, 201, 151}},
                             {kNew, {0, 301, 401, 600}, {0, 450, 201, 600}},
                             {kNew, {401, 301, 800, 600}, {600, 450, 800, 600}},
                             {kNew, {401, 0, 800, 301}, {600, 0, 800, 151}}}},
      // Effect 57 at 1: the two ends of each moving rectangle truncate apart.
      {57, 800, 600, 4, 1, {{kNew, {0, 0, 401, 301}, {-396, 0, 5, 301}},
                            {kNew, {399, 0, 800, 301}, {399, -297, 800, 4}},
                            {kNew, {401, 299, 800, 600}, {796, 299, 1196, 600}},
                            {kNew, {0, 301, 401, 600}, {0, 597, 401, 897}}}},
      // Push and squeeze at 25: X = 200, Y = 150; the old picture moves first.
      {128, 800, 600, 4, 25, {{kOld, {0, 0, 600, 600}, {200, 0, 800, 600}},
                              {kNew, {600, 0, 800, 600}, {0, 0, 200, 600}}}},
      {130, 800, 600, 4, 25, {{kOld, k800, {200, 0, 800, 600}},
                              {kNew, {600, 0, 800, 600}, {0, 0, 200, 600}}}},
      {133, 800, 600, 4, 25, {{kOld, {0, 150, 800, 600}, {0, 0, 800, 450}},
                              {kNew, {0, 0, 800, 150}, {0, 450, 800, 600}}}},
      {134, 800, 600, 4, 25, {{kOld, k800, {0, 150, 800, 600}},
                              {kNew, {0, 450, 800, 600}, {0, 0, 800, 150}}}},
  };
  // clang-format on
  for (const TCopyCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << "effect " << c.Style << " at " << c.W << "x" << c.H
                                      << " progress " << c.Progress);
    EXPECT_TRUE(NumberedFrame(c.Style, c.W, c.H, c.Step, c.Progress) == ExpectedFrame(c));
  }
}

// The cases above compare with the drawing layer's stretch copy; these say
// which pixels must show what, independently of how a scaled copy rounds.
TEST(RectangleCopyEffects, RevealInFromSidesCopiesFiveColumnsAtEachEdge) {
  const Bitmap frame = NumberedFrame(12, 800, 600, 4, 1);
  for (int y : {0, 299, 599})
    for (int x = 0; x < 800; ++x) {
      const bool uncovered = x <= 4 || x >= 795;
      EXPECT_EQ(frame.Pixel(x, y), NumberedPixel(x, y, uncovered ? kNew : kOld)) << x;
    }
}

TEST(RectangleCopyEffects, SlidesShowTheEdgeOfTheNewPictureUnscaled) {
  const Bitmap fromRight = NumberedFrame(3, 800, 600, 4, 1);
  const Bitmap fromLeft = NumberedFrame(4, 800, 600, 4, 99);
  for (int y : {0, 300, 599}) {
    for (int x = 0; x < 800; ++x)  // leftmost 8 columns at the right edge
      EXPECT_EQ(fromRight.Pixel(x, y),
                x < 792 ? NumberedPixel(x, y, kOld) : NumberedPixel(x - 792, y, kNew));
    for (int x = 0; x < 800; ++x)  // the old picture's last 8 columns remain
      EXPECT_EQ(fromLeft.Pixel(x, y),
                x < 792 ? NumberedPixel(x + 8, y, kNew) : NumberedPixel(x, y, kOld));
  }
}

TEST(RectangleCopyEffects, ExpandInToMiddleMagnifiesTheCentralStrip) {
  // Progress 25: source columns 300..499 fill (-600, 1400), so the frame shows
  // the middle 40 % of the strip, source columns 360..439, each ten times.
  const Bitmap frame = NumberedFrame(9, 800, 600, 4, 25);
  for (int x = 0; x < 800; ++x) {
    const TSourcePixel s = Decode(frame.Pixel(x, 123));
    EXPECT_EQ(s.Which, kNew);
    EXPECT_EQ(s.Y, 123);
    EXPECT_EQ(s.X, 360 + x / 10) << x;
  }
}

TEST(RectangleCopyEffects, AppearAndContractToMiddleShowsTheMagnifiedCentre) {
  // Progress 50: the centre (200, 150, 600, 450) stretched four times onto
  // (-400, -300, 1200, 900), so the frame shows its middle half: source
  // columns 300..499 and rows 225..374, each pixel repeated four times.
  const Bitmap frame = NumberedFrame(51, 800, 600, 4, 50);
  for (int y = 0; y < 600; y += 7)
    for (int x = 0; x < 800; x += 5) {
      const TSourcePixel s = Decode(frame.Pixel(x, y));
      ASSERT_EQ(s.Which, kNew);
      EXPECT_EQ(s.X, 300 + x / 4) << x << "," << y;
      EXPECT_EQ(s.Y, 225 + y / 4) << x << "," << y;
    }
}

TEST(RectangleCopyEffects, CentreAndQuarterRevealsUncoverTheirRectangles) {
  struct Case {
    int Style;
    std::vector<TRect> Uncovered;
  } cases[] = {
      {53, {{200, 150, 600, 450}}},
      // Four bands: the old picture remains only in the middle.
      {54, {{0, 0, 800, 150}, {0, 450, 800, 600}, {0, 0, 200, 600}, {600, 0, 800, 600}}},
      // Four corners: the old picture remains as a cross.
      {55, {{0, 0, 201, 151}, {0, 449, 201, 600}, {599, 449, 800, 600}, {599, 0, 800, 151}}},
  };
  for (const Case& c : cases) {
    const Bitmap frame = NumberedFrame(c.Style, 800, 600, 4, 50);
    int wrong = 0;
    for (int y = 0; y < 600; ++y)
      for (int x = 0; x < 800; ++x) {
        bool uncovered = false;
        for (const TRect& r : c.Uncovered) uncovered = uncovered || r.Contains(x, y);
        wrong += frame.Pixel(x, y) != NumberedPixel(x, y, uncovered ? kNew : kOld);
      }
    EXPECT_EQ(wrong, 0) << "effect " << c.Style;
  }
}

TEST(RectangleCopyEffects, QuartersSlideInShowsTheTopLeftQuartersLastFiveColumns) {
  const Bitmap frame = NumberedFrame(57, 800, 600, 4, 1);
  for (int y = 0; y <= 300; y += 50) {
    for (int x = 0; x < 5; ++x) EXPECT_EQ(frame.Pixel(x, y), NumberedPixel(396 + x, y, kNew));
    EXPECT_EQ(frame.Pixel(5, y), NumberedPixel(5, y, kOld));
  }
}

TEST(PushEffects, MoveTheOldPictureByTheDistanceTheNewOneEntered) {
  // 800 x 600 at 25: X = 200, Y = 150. Every pixel is unscaled: either a
  // shifted old pixel or a shifted new one.
  struct Case {
    int Style;
    int NewShiftX, NewShiftY;  // frame (x, y) shows new (x + sx, y + sy) ...
    TRect NewPart;  // ... inside this rectangle
    int OldShiftX, OldShiftY;  // and old (x + sx, y + sy) elsewhere
  } cases[] = {
      {128, 600, 0, {0, 0, 200, 600}, -200, 0},
      {129, -600, 0, {600, 0, 800, 600}, 200, 0},
      {132, 0, 450, {0, 0, 800, 150}, 0, -150},
      {133, 0, -450, {0, 450, 800, 600}, 0, 150},
  };
  for (const Case& c : cases) {
    const Bitmap frame = NumberedFrame(c.Style, 800, 600, 4, 25);
    int wrong = 0;
    for (int y = 0; y < 600; ++y)
      for (int x = 0; x < 800; ++x)
        wrong += frame.Pixel(x, y) != (c.NewPart.Contains(x, y)
                                           ? NumberedPixel(x + c.NewShiftX, y + c.NewShiftY, kNew)
                                           : NumberedPixel(x + c.OldShiftX, y + c.OldShiftY, kOld));
    EXPECT_EQ(wrong, 0) << "effect " << c.Style;
  }
}

TEST(PushEffects, SqueezeKeepsTheWholeOldPictureInTheRoomLeft) {
  const Bitmap frame = NumberedFrame(130, 800, 600, 4, 25);
  int previous = -1;
  for (int x = 200; x < 800; ++x) {
    const TSourcePixel s = Decode(frame.Pixel(x, 77));
    ASSERT_EQ(s.Which, kOld);
    EXPECT_EQ(s.Y, 77);
    EXPECT_GT(s.X, previous);  // 600 columns from 800: every one a new source column
    previous = s.X;
  }
  EXPECT_LE(Decode(frame.Pixel(200, 0)).X, 1);
  EXPECT_GE(Decode(frame.Pixel(799, 0)).X, 798);
}

TEST(PushEffects, NothingMovesWhileTheExtentIsZero) {
  // 40 x 30 at progress 1: X = MulDiv(40, 1, 100) = 0 and Y = 0.
  for (int style = 128; style <= 135; ++style)
    EXPECT_TRUE(NumberedFrame(style, 40, 30, 4, 1) == Numbered(40, 30, kOld)) << style;
}
