#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <span>

#include "effects/Families.h"
#include "effects/RegionKit.h"
#include "raster/Region.h"
#include "raster/Rounding.h"

namespace vantora {
namespace {

// Turns every point in place about (CX, CY). Rows grow downward, so a
// positive angle turns clockwise on screen.
void RotatePoints(std::span<TPoint> points, int CX, int CY, long double angle) {
  const long double sinA = std::sin(angle), cosA = std::cos(angle);
  for (TPoint& p : points) {
    const long double dx = p.X - CX, dy = p.Y - CY;
    p.X = RoundHalfEven(dx * cosA - dy * sinA) + CX;
    p.Y = RoundHalfEven(dx * sinA + dy * cosA) + CY;
  }
}

// Effects 145..148: stripes across the direction of travel that thicken
// about their centre lines, united with the bands of an uneven blind.
struct TMovingRects {
  bool RowStripes;  // horizontal stripes moved down (else vertical ones moved right)
  int Blind;  // the uneven blind whose bands run across the stripes
};

Region MovingRectsRegion(const TMovingRects& m, const TFrameGeometry& g, int Progress) {
  const int q = EvenPeriod(m.RowStripes ? g.H : g.W, g.S);
  const int d = int(std::int64_t(q) * Progress / 200);  // half the stripe's thickness
  RegionBuilder rb;
  if (m.RowStripes)
    AddBands(rb, {0, q / 2 - d, g.W, q / 2 + d}, 0, q, g.W, g.H);
  else
    AddBands(rb, {q / 2 - d, 0, q / 2 + d, g.H}, q, 0, g.W, g.H);
  AddBlindBands(rb, m.Blind, g, Progress);
  return rb.Build();
}

// Effects 149 and 150: an outline about the centre that grows with the
// progress (X x Y) and turns one full turn over the transition, 3.6 degrees
// per percent. The outline is the X x Y rectangle, or a four-pointed star
// with tips 2X to the sides and 2Y above and below, whose inner corners are
// the rectangle's.
Region RotationalRegion(bool Star, const TFrameGeometry& g, int Progress) {
  const int cx = g.W / 2, cy = g.H / 2, hx = g.X / 2, hy = g.Y / 2;
  const int X = g.X, Y = g.Y;
  std::array<TPoint, 4> rectangle{
      {{cx - hx, cy - hy}, {cx + hx, cy - hy}, {cx + hx, cy + hy}, {cx - hx, cy + hy}}};
  std::array<TPoint, 8> star{{{cx - 2 * X, cy},
                              {cx - hx, cy - hy},
                              {cx, cy - 2 * Y},
                              {cx + hx, cy - hy},
                              {cx + 2 * X, cy},
                              {cx + hx, cy + hy},
                              {cx, cy + 2 * Y},
                              {cx - hx, cy + hy}}};
  const std::span<TPoint> outline = Star ? std::span<TPoint>(star) : std::span<TPoint>(rectangle);
  RotatePoints(outline, cx, cy, Progress * kPi / 50);
  return Region::Polygon(outline);
}

Region ShapeRegion(int No, const TFrameGeometry& g, int Progress) {
  switch (No) {
    // Horizontal stripes, period H div S, with the bands of a blind from the left.
    case 145: return MovingRectsRegion({true, 138}, g, Progress);
    case 146:
      return MovingRectsRegion({true, 139}, g, Progress);  // bands from the right
    // Vertical stripes, period W div S, with the bands of a blind from the top.
    case 147: return MovingRectsRegion({false, 140}, g, Progress);
    case 148: return MovingRectsRegion({false, 141}, g, Progress);  // bands from the bottom
    case 149: return RotationalRegion(false, g, Progress);  // the rectangle
    case 150: return RotationalRegion(true, g, Progress);  // the star
  }
  return {};
}

}  // namespace

Region ShapeShown(int No, const TRect& Rect, int Step, int Progress) {
  return ShapeRegion(No, FrameGeometry(Rect, Step, Progress), Progress);
}

}  // namespace vantora
