#include <algorithm>
#include <cstdint>

#include "effects/Families.h"
#include "effects/RegionKit.h"
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

constexpr TBlind BlindRow(int No) {
  switch (No) {
    case 136: return {true, true, false};  // Blind vertically: period W div S
    case 137: return {false, true, false};  // Blind horizontally: period H div S
    case 138: return {true, false, false};  // Uneven blind from left: period X
    case 139: return {true, false, true};  // Uneven blind from right: period X
    case 140: return {false, false, false};  // Uneven blind from top: period Y
    case 141: return {false, false, true};  // Uneven blind from bottom: period Y
  }
  return {};
}

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
  const TBlind b = BlindRow(No);
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

Region BlindShown(int No, const TRect& Rect, int Step, int Progress) {
  const TFrameGeometry g = FrameGeometry(Rect, Step, Progress);
  RegionBuilder rb;
  AddBlindBands(rb, No, g, Progress);
  return rb.Build();
}

}  // namespace vantora
