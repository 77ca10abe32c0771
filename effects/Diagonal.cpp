#include "effects/Families.h"
#include "effects/RegionKit.h"

namespace vantora {

namespace {

struct TTriangle {
  TPoint P1, P2, P3;
};

// Up to four triangles, vertices in order.
struct TTriangles {
  TTriangle T[4];
  int Count;
};

// The triangles of effects 110..116. C is the centre (W div 2, H div 2).
TTriangles WedgesOf(int No, const TFrameGeometry& g) {
  const int W = g.W, H = g.H, X = g.X, Y = g.Y;
  const TPoint C{W / 2, H / 2};
  switch (No) {
    // A right triangle at one corner with legs 2X and 2Y: its hypotenuse
    // passes through (X, Y) from that corner.
    case 110: return {{{{0, 0}, {2 * X, 0}, {0, 2 * Y}}}, 1};
    case 111: return {{{{W, 0}, {W - 2 * X, 0}, {W, 2 * Y}}}, 1};
    case 112: return {{{{0, H}, {2 * X, H}, {0, H - 2 * Y}}}, 1};
    case 113: return {{{{W, H}, {W - 2 * X, H}, {W, H - 2 * Y}}}, 1};
    // Two wedges hinged at opposite corners, turning anticlockwise (114) or
    // clockwise (115).
    case 114: return {{{{0, H}, {0, 0}, {X, H}}, {{W, H}, {W, 0}, {W - X, 0}}}, 2};
    case 115: return {{{{W, 0}, {0, 0}, {W, Y}}, {{W, H}, {0, H}, {0, H - Y}}}, 2};
    // Four wedges with their apex at the centre, each growing along one edge
    // from a corner, clockwise round the frame: left, top, bottom, right.
    case 116:
      return {{{C, {0, H}, {0, H - Y}},
               {{0, 0}, {X, 0}, C},
               {{W - X, H}, C, {W, H}},
               {C, {W, 0}, {W, Y}}},
              4};
  }
  return {{}, 0};
}

Region WedgeRegion(int No, const TFrameGeometry& g) {
  const TTriangles t = WedgesOf(No, g);
  RegionBuilder b;
  for (int k = 0; k < t.Count; ++k)
    b.AddTriangle(t.T[k].P1.X, t.T[k].P1.Y, t.T[k].P2.X, t.T[k].P2.Y, t.T[k].P3.X, t.T[k].P3.Y);
  return b.Build();
}

// Effect 117: a grid of (N + 1)^2 right triangles, N = S, halved when above 1.
// At the grid point (gx, gy) the triangle has its right angle at
// (gx - x, gy - y) and legs 2x to the right and 2y downwards, so its
// hypotenuse passes through the grid point; as x and y grow towards the cell
// size it covers the cell above and to the left. The grid is walked from the
// bottom-right point. S is 0 for pictures whose longer side x Step is below
// 45; N is then taken as 1 so that nothing divides by zero.
Region ShredGridRegion(const TFrameGeometry& g) {
  int N = g.S;
  if (N > 1) N = N / 2;
  if (N < 1) N = 1;
  const int x = g.X / N, y = g.Y / N;
  const int cw = g.W / N, ch = g.H / N;
  // All the triangles have one shape, so the union is one triangle repeated
  // along a row of the grid and that row repeated down the columns; the
  // order in which the table unites them does not change the pixels.
  RegionBuilder b;
  b.AddTriangle(-x, -y, x, -y, -x, y);
  return Region::Repeated(Region::Repeated(b.Build(), cw, 0, N + 1), 0, ch, N + 1);
}

}  // namespace

Region DiagonalShown(int No, const TRect& Rect, int Step, int Progress) {
  const TFrameGeometry g = FrameGeometry(Rect, Step, Progress);
  return No == 117 ? ShredGridRegion(g) : WedgeRegion(No, g);
}

}  // namespace vantora
