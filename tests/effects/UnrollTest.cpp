// The unroll band (a mirrored strip of the new picture in front of the
// uncovered part) and the build-up slice stretched over the covered part.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "tests/effects/NumberedPictures.h"

using namespace vantora;
using namespace vantora::testing;

namespace {

// Reads a frame along the moving axis: position t across the whole frame, at
// a fixed position across it. Vertical effects read rows, horizontal columns.
struct TAxisView {
  const Bitmap& Frame;
  bool Vertical;
  int Across;
  TSourcePixel At(int t) const {
    return Decode(Vertical ? Frame.Pixel(Across, t) : Frame.Pixel(t, Across));
  }
  int Along(const TSourcePixel& s) const { return Vertical ? s.Y : s.X; }
  int AcrossOf(const TSourcePixel& s) const { return Vertical ? s.X : s.Y; }
};

struct TUnrollCase {
  int Style, W, H, Progress;
  int BandFirst, BandLast;  // the band's pixels along the axis
  int SourceFirst, SourceLast;  // the source strip it mirrors
  int PlainFirst, PlainLast;  // the uncovered part (new picture in place)
};

}  // namespace

TEST(Unroll, BandMirrorsTheStripBeyondItsFarEdge) {
  const TUnrollCase cases[] = {
      // 800 x 600, from the left: q = 160.
      {14, 800, 600, 10, 80, 119, 120, 159, 0, 79},  // X = 80: b = 40
      {14, 800, 600, 50, 400, 479, 480, 559, 0, 399},  // X = 400: b = W div 10 = 80
      {14, 800, 600, 90, 720, 759, 760, 799, 0, 719},  // X = 720: b = (W - X) div 2 = 40
      {14, 800, 600, 99, 792, 795, 796, 799, 0, 791},  // X = 792: b = 4, strip at the edge
      // From the right: D = W - X, band (D - b, D), strip (2(D - b) - D, D - b).
      {15, 800, 600, 10, 680, 719, 640, 679, 720, 799},
      {15, 800, 600, 50, 320, 399, 240, 319, 400, 799},
      // From the top and bottom of 600 x 800 (portrait, Y = P % of 800).
      {31, 600, 800, 10, 80, 119, 120, 159, 0, 79},
      {32, 600, 800, 50, 320, 399, 240, 319, 400, 799},
  };
  for (const TUnrollCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << "effect " << c.Style << " progress " << c.Progress);
    const Bitmap frame = NumberedFrame(c.Style, c.W, c.H, 4, c.Progress);
    const bool vertical = c.Style == 31 || c.Style == 32;
    const bool fromFarSide = c.Style == 15 || c.Style == 32;
    const int length = vertical ? c.H : c.W;
    for (int across : {0, 17, (vertical ? c.W : c.H) - 1}) {
      const TAxisView view{frame, vertical, across};
      for (int t = c.PlainFirst; t <= c.PlainLast; ++t) {
        const TSourcePixel s = view.At(t);
        ASSERT_EQ(s.Which, kNew) << t;
        ASSERT_EQ(view.Along(s), t);
        ASSERT_EQ(view.AcrossOf(s), across);
      }
      // The band: source positions inside the strip, running against the
      // frame (a mirror), every strip position shown but for the one-pixel
      // slack the mirrored copy has at each edge.
      std::set<int> shown;
      int previous = length;
      for (int t = c.BandFirst; t <= c.BandLast; ++t) {
        const TSourcePixel s = view.At(t);
        ASSERT_EQ(s.Which, kNew) << t;
        ASSERT_EQ(view.AcrossOf(s), across);
        const int p = view.Along(s);
        EXPECT_GE(p, c.SourceFirst) << t;
        EXPECT_LE(p, c.SourceLast) << t;
        EXPECT_LE(p, previous) << t;
        previous = p;
        shown.insert(p);
      }
      EXPECT_GE(int(shown.size()), c.SourceLast - c.SourceFirst - 1) << "source positions shown";
      const int farEdge = fromFarSide ? c.BandFirst : c.BandLast;
      const int nextToFarEdge = fromFarSide ? c.SourceLast : c.SourceFirst;
      EXPECT_LE(std::abs(view.Along(view.At(farEdge)) - nextToFarEdge), 1);
      // Beyond the band (and its one-pixel widening) the old picture remains.
      const int oldFrom = fromFarSide ? 0 : c.BandLast + 2;
      const int oldTo = fromFarSide ? c.BandFirst - 2 : length - 1;
      for (int t = oldFrom; t <= oldTo; ++t) ASSERT_EQ(view.At(t).Which, kOld) << t;
    }
  }
}

TEST(BuildUp, StretchesTheSliceBeyondTheEdgeOverTheCoveredPart) {
  struct Case {
    int Style, W, H, Step, Progress;
    int PlainFirst, PlainLast;  // uncovered, in place
    int CoverFirst, CoverLast;  // covered by the stretched slice
    int SliceFirst, SliceLast;  // the slice, or SliceFirst > SliceLast when empty
  } cases[] = {
      // 800 x 600, Step 4: S = 36, W div S = 22.
      {16, 800, 600, 4, 50, 0, 399, 400, 799, 400, 421},
      {16, 800, 600, 4, 99, 0, 791, 792, 799, 792, 799},  // only 8 columns left
      {17, 800, 600, 4, 50, 400, 799, 0, 399, 378, 399},
      {17, 800, 600, 4, 99, 8, 799, 0, 7, 0, 7},  // slice starts at max(8 - 22, 0)
      // 600 x 800 portrait, Step 4: S = 36, H div S = 22.
      {33, 600, 800, 4, 25, 0, 199, 200, 799, 200, 221},
      {34, 600, 800, 4, 25, 600, 799, 0, 599, 578, 599},
      // Tiny picture at Step 1: S = 0 is taken as 1, the slice is the rest.
      {16, 10, 10, 1, 50, 0, 4, 5, 9, 5, 9},
      // Step 100: S = 889, W div S = 0: the empty slice draws nothing.
      {16, 800, 600, 100, 50, 0, 399, 400, 799, 1, 0},
      {34, 600, 800, 100, 50, 400, 799, 0, 399, 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message()
                 << "effect " << c.Style << " step " << c.Step << " progress " << c.Progress);
    const Bitmap frame = NumberedFrame(c.Style, c.W, c.H, c.Step, c.Progress);
    const bool vertical = c.Style == 33 || c.Style == 34;
    const TAxisView view{frame, vertical, 3};
    for (int t = c.PlainFirst; t <= c.PlainLast; ++t) {
      ASSERT_EQ(view.At(t).Which, kNew) << t;
      ASSERT_EQ(view.Along(view.At(t)), t);
    }
    if (c.SliceFirst > c.SliceLast) {
      for (int t = c.CoverFirst; t <= c.CoverLast; ++t) {
        ASSERT_EQ(view.At(t).Which, kOld) << t;
        ASSERT_EQ(view.Along(view.At(t)), t);
      }
      continue;
    }
    std::set<int> shown;
    int previous = c.SliceFirst;
    for (int t = c.CoverFirst; t <= c.CoverLast; ++t) {
      const TSourcePixel s = view.At(t);
      ASSERT_EQ(s.Which, kNew) << t;
      ASSERT_EQ(view.AcrossOf(s), 3);
      const int p = view.Along(s);
      EXPECT_GE(p, previous) << t;
      EXPECT_LE(p, c.SliceLast) << t;
      previous = p;
      shown.insert(p);
    }
    EXPECT_EQ(*shown.begin(), c.SliceFirst);
    EXPECT_EQ(*shown.rbegin(), c.SliceLast);
    EXPECT_EQ(int(shown.size()), c.SliceLast - c.SliceFirst + 1);
  }
}
