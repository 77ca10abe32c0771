#include <algorithm>
#include <cstdint>

#include "effects/Families.h"
#include "effects/RegionKit.h"
#include "raster/Draw.h"
#include "raster/Region.h"

namespace vantora {
namespace {

// (v x P) div 100, the product formed in 64 bits so that very long pictures
// cannot overflow it.
int PercentOf(int v, int P) { return int(std::int64_t(v) * P / 100); }

// One row of the blinds table. Columns: the bands are columns moved along x
// (else rows moved along y). Even: the period is the side divided by S (else
// it is the growing extent X or Y). FromFarEdge: the first band sits at the
// right / bottom edge and the bands move left / up.
struct TBlind {
  bool Columns;
  bool Even;
  bool FromFarEdge;
};

// Effects 136..141, in table order.
constexpr TBlind kBlinds[] = {
    {true, true, false},  // 136 "Blind vertically": period W div S
    {false, true, false},  // 137 "Blind horizontally": period H div S
    {true, false, false},  // 138 "Uneven blind from left": period X
    {true, false, true},  // 139 "Uneven blind from right": period X
    {false, false, false},  // 140 "Uneven blind from top": period Y
    {false, false, true},  // 141 "Uneven blind from bottom": period Y
};

}  // namespace

void AddBands(RegionBuilder& rb, TRect B, int dx, int dy, int W, int H) {
  for (;;) {
    rb.AddRect(B.Left, B.Top, B.Right, B.Bottom);
    if (dx == 0 && dy == 0) return;  // a band that does not move is added once
    B = B.offset(dx, dy);
    const bool more = dx > 0   ? B.Left < W
                      : dx < 0 ? B.Right >= 0
                      : dy > 0 ? B.Top < H
                               : B.Bottom >= 0;
    if (!more) return;
  }
}

void AddBlindBands(RegionBuilder& rb, int No, const TFrameGeometry& g, int Progress) {
  const TBlind& b = kBlinds[No - 136];
  int p = b.Even ? EvenPeriod(b.Columns ? g.W : g.H, g.S) : (b.Columns ? g.X : g.Y);
  p = std::max(p, 1);  // X or Y is still 0 at the first percent
  const int v = PercentOf(p, Progress);  // the visible part of every period
  const int move = b.FromFarEdge ? -p : p;
  if (b.Columns) {
    const TRect B = b.FromFarEdge ? TRect{g.W - v, 0, g.W, g.H} : TRect{0, 0, v, g.H};
    AddBands(rb, B, move, 0, g.W, g.H);
  } else {
    const TRect B = b.FromFarEdge ? TRect{0, g.H - v, g.W, g.H} : TRect{0, 0, g.W, v};
    AddBands(rb, B, 0, move, g.W, g.H);
  }
}

template <int No>
void BlindEffect(Bitmap& Screen, const Bitmap& Image, const TRect& Rect, int Step, int Progress) {
  const TFrameGeometry g = FrameGeometry(Rect, Step, Progress);
  RegionBuilder rb;
  AddBlindBands(rb, No, g, Progress);
  ClippedDraw(Screen, Image, rb.Build());
}

template void BlindEffect<136>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void BlindEffect<137>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void BlindEffect<138>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void BlindEffect<139>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void BlindEffect<140>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void BlindEffect<141>(Bitmap&, const Bitmap&, const TRect&, int, int);

}  // namespace vantora
