#include <gtest/gtest.h>

#include "effects/RegionKit.h"
#include "tests/effects/RegionFxProbe.h"

using namespace vantora;

namespace {

struct Probe {
  int no, progress, x, y;
  bool isNew;
};

void ExpectProbes(FrameProbe& p, int step, std::initializer_list<Probe> probes) {
  for (const Probe& c : probes) {
    p.Run(c.no, step, c.progress);
    EXPECT_EQ(p.IsNew(c.x, c.y), c.isNew)
        << "effect " << c.no << " progress " << c.progress << " at (" << c.x << ", " << c.y << ")";
  }
}

}  // namespace

// Effect 110 on 800 x 600 at progress 25 uncovers the triangle (0, 0),
// (400, 0), (0, 300); 111..113 are the same triangle at the other corners.
TEST(DiagonalEffect, DiagonalRevealsGrowATriangleFromTheCorner) {
  FrameProbe p(800, 600);
  p.Run(110, 4, 25);
  for (int y = 0; y < 600; y += 37) {
    // The hypotenuse x / 400 + y / 300 = 1 ends each row's run.
    const int edge = y < 300 ? 400 - (4 * y) / 3 : 0;
    const Runs r = p.RowRuns(y);
    if (edge <= 2) {
      EXPECT_LE(r.size(), 1u);
      continue;
    }
    ASSERT_EQ(r.size(), 1u) << "y " << y;
    EXPECT_EQ(r[0].first, 0);
    EXPECT_NEAR(r[0].second, edge, 2) << "y " << y;
  }
  ExpectProbes(p, 4,
               {{110, 25, 200, 140, true},
                {110, 25, 200, 160, false},
                {110, 25, 410, 0, false},
                {111, 25, 790, 10, true},
                {111, 25, 10, 10, false},
                {111, 25, 600, 140, true},
                {112, 25, 10, 590, true},
                {112, 25, 200, 440, false},
                {112, 25, 200, 460, true},
                {113, 25, 790, 590, true},
                {113, 25, 10, 590, false},
                {113, 25, 600, 460, true}});
}

// 114 turns two wedges anticlockwise about the top-left and bottom-right
// corners, 115 clockwise; at progress 50 on 800 x 600 (X = 400, Y = 300).
TEST(DiagonalEffect, DiagonalSweepsHingeOnOppositeCorners) {
  FrameProbe p(800, 600);
  ExpectProbes(p, 4,
               {{114, 50, 100, 500, true},
                {114, 50, 700, 100, true},
                {114, 50, 300, 300, false},
                {114, 50, 50, 100, true},
                {114, 50, 750, 500, true},
                {114, 50, 400, 50, false},
                {115, 50, 700, 100, true},
                {115, 50, 100, 500, true},
                {115, 50, 100, 100, false},
                {115, 50, 700, 500, false},
                {115, 50, 400, 300, false}});
}

// Effect 116 at progress 25 on 800 x 600: four wedges from the centre
// (400, 300) to the edge points (0, 450), (200, 0), (600, 600) and (800, 150).
TEST(DiagonalEffect, StarburstFansFourWedgesAroundTheCentre) {
  FrameProbe p(800, 600);
  ExpectProbes(p, 4,
               {{116, 25, 133, 450, true},
                {116, 25, 200, 100, true},
                {116, 25, 600, 500, true},
                {116, 25, 667, 150, true},
                {116, 25, 100, 100, false},
                {116, 25, 400, 50, false},
                {116, 25, 700, 500, false},
                {116, 25, 700, 250, false},
                {116, 25, 100, 300, false},
                {116, 25, 700, 100, true},
                {116, 25, 100, 480, true}});
  EXPECT_TRUE(p.OnlyOldOrNew());
}

// Effect 117 on 800 x 600 at Step 4, progress 50: N = 18, x = 22, y = 16,
// cells 44 x 33; the triangle at grid point (44, 33) is (22, 17), (66, 17),
// (22, 49), and it alone covers the probes near it.
TEST(DiagonalEffect, TriangularShredCoversHalfOfEachCell) {
  FrameProbe p(800, 600);
  ExpectProbes(p, 4,
               {{117, 50, 23, 18, true},  // by the right angle
                {117, 50, 55, 19, true},  // along the top leg
                {117, 50, 24, 40, true},  // along the left leg
                {117, 50, 64, 25, false},  // beyond the hypotenuse
                {117, 50, 60, 45, false},  // the cell's lower right half
                {117, 50, 10, 40, false}});  // the cell's left neighbour, outside its triangle
  p.Run(117, 4, 50);
  // The triangle's pixels are those of the region of that one triangle.
  RegionBuilder triangle;
  triangle.AddTriangle(22, 17, 66, 17, 22, 49);
  const Region t = triangle.Build();
  for (int y = 17; y < 49; ++y)
    for (int x = 22; x < 66; ++x)
      ASSERT_EQ(p.IsNew(x, y), t.Contains(x, y)) << "(" << x << ", " << y << ")";
}

// A 60 x 40 picture at Step 1 has S = 1, so N = 1: four triangles at the
// frame's corners, of which the one at (0, 0) lies outside the frame. A
// 40 x 30 picture has S = 0, which must not divide by zero; it is drawn as
// with S = 1.
TEST(DiagonalEffect, TriangularShredWithTinyStepExtent) {
  FrameProbe p(60, 40);  // X = 30, Y = 20
  ExpectProbes(p, 1,
               {{117, 50, 31, 1, true},
                {117, 50, 1, 21, true},
                {117, 50, 31, 21, true},
                {117, 50, 3, 3, false},
                {117, 50, 29, 19, false},
                {117, 50, 50, 15, false}});
  FrameProbe q(40, 30);  // S = MulDiv(40, 1, 90) = 0; X = 20, Y = 15
  ExpectProbes(q, 1, {{117, 50, 21, 16, true}, {117, 50, 2, 2, false}});
  for (int progress = 1; progress <= 99; ++progress) q.Run(117, 1, progress);
  EXPECT_TRUE(q.OnlyOldOrNew());
}
