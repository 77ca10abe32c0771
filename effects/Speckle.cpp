#include <algorithm>
#include <cstdint>

#include "effects/Families.h"
#include "raster/Region.h"

namespace vantora {
namespace {

// One part of SpeckleRegion, written for the horizontal part: the solid strip
// is E deep at one end of a line L long (mode 1: the far end, mode 2: the
// near end), and the bands run every sz / 2 along the other axis, M long, so
// consecutive bands overlap by half. Rect receives the rectangles in these
// (depth, along) axes; the vertical part exchanges them on the way out.
//
// One random number is drawn per fringe position, band by band and k from n
// down to 1, so a frame depends only on the seed before it.
template <class AddRect>
void AddSpeckleFringe(int E, int L, int M, int Mode, AddRect&& Rect) {
  const int D = E < L ? L / 10 : 0;  // depth of the speckled fringe
  const int sz = std::max(D / 20, 2);  // side of a speck
  const int n = D / sz;  // fringe positions
  const int t = ((3 * D) / sz) / 4;  // positions that get the doubled chance
  for (int v = 0; v < M; v += sz / 2) {
    if (Mode == 1)
      Rect(L - E, v, L, v + sz);
    else
      Rect(0, v, E, v + sz);
    for (int k = n; k >= 1; --k) {
      const int r = Random(k);
      if (r == 0 || (r == 1 && k <= t)) {
        const int left = Mode == 1 ? (L - E) - k * sz : E + (k - 1) * sz;
        Rect(left, v, left + sz, v + sz);
      }
    }
  }
}

// A strip grown from one edge whose leading edge dissolves into random
// specks. HMode / VMode: 0 part off, 1 strip at the right / bottom edge,
// 2 strip at the left / top edge. The horizontal part draws first.
Region SpeckleRegion(int X, int Y, int W, int H, int HMode, int VMode) {
  RegionBuilder rb;
  if (HMode != 0)
    AddSpeckleFringe(X, W, H, HMode,
                     [&](int u1, int v1, int u2, int v2) { rb.AddRect(u1, v1, u2, v2); });
  if (VMode != 0)
    AddSpeckleFringe(Y, H, W, VMode,
                     [&](int u1, int v1, int u2, int v2) { rb.AddRect(v1, u1, v2, u2); });
  return rb.Build();
}

// Squares of side 2d centred on a grid of step d, each shown once a random
// number drawn for its grid point falls below the progress. The generator is
// re-seeded from the picture size on every frame, so every frame draws the
// same numbers: a square, once shown, stays shown at every higher progress.
// The generator is left where the frame ends.
Region RandomSquaresRegion(int W, int H, int S, int P) {
  // Signed 32-bit product W x H, taken as the generator's unsigned seed.
  SetRandSeed(std::uint32_t(std::int64_t(W) * H));
  int d = S > 1 ? S / 2 : S;
  d = std::max(d, 1);  // S = 0 would give a grid that never advances
  RegionBuilder rb;
  for (int x = 0; x < W; x += d)
    for (int y = 0; y < H; y += d)
      if (Random(100) < P) rb.AddRect(x - d, y - d, x + d, y + d);
  // No chosen point gives the empty region: the frame shows only the old
  // picture (never the whole new one).
  return rb.Build();
}

// A strip grows from one edge and dissolves into specks at its leading edge;
// 127 is the random squares.
Region SpeckleFamilyRegion(int No, const TFrameGeometry& g, int Progress) {
  switch (No) {
    case 123: return SpeckleRegion(g.X, g.Y, g.W, g.H, 1, 0);  // from the right
    case 124: return SpeckleRegion(g.X, g.Y, g.W, g.H, 2, 0);  // from the left
    case 125: return SpeckleRegion(g.X, g.Y, g.W, g.H, 0, 1);  // from the bottom
    case 126: return SpeckleRegion(g.X, g.Y, g.W, g.H, 0, 2);  // from the top
    case 127: return RandomSquaresRegion(g.W, g.H, g.S, Progress);
  }
  return {};
}

}  // namespace

Region SpeckleShown(int No, const TRect& Rect, int Step, int Progress) {
  return SpeckleFamilyRegion(No, FrameGeometry(Rect, Step, Progress), Progress);
}

}  // namespace vantora
