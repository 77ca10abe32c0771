#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <span>

#include "effects/Families.h"
#include "effects/RegionKit.h"
#include "raster/Draw.h"
#include "raster/Region.h"

namespace vantora {
namespace {

// Turns every point in place about (CX, CY). Rows grow downward, so a
// positive angle turns clockwise on screen.
void RotatePoints(std::span<TPoint> points, int CX, int CY, long double angle) {
  const long double sinA = std::sin(angle), cosA = std::cos(angle);
  for (TPoint& p : points) {
    const long double dx = p.X - CX, dy = p.Y - CY;
    p.X = RoundEven(dx * cosA - dy * sinA) + CX;
    p.Y = RoundEven(dx * sinA + dy * cosA) + CY;
  }
}

// Effects 145..148: stripes across the direction of travel that thicken
// about their centre lines, united with the bands of an uneven blind.
struct TMovingRects {
  bool RowStripes;  // horizontal stripes moved down (else vertical ones moved right)
  int Blind;  // the uneven blind whose bands run across the stripes
};

constexpr TMovingRects kMovingRects[] = {
    {true, 138},  // 145: horizontal stripes, period H div S; bands from the left
    {true, 139},  // 146: horizontal stripes; bands from the right
    {false, 140},  // 147: vertical stripes, period W div S; bands from the top
    {false, 141},  // 148: vertical stripes; bands from the bottom
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
// per percent.
Region RotationalRegion(int No, const TFrameGeometry& g, int Progress) {
  const int cx = g.W / 2, cy = g.H / 2, hx = g.X / 2, hy = g.Y / 2;
  const int X = g.X, Y = g.Y;
  // 149: the X x Y rectangle. 150: a four-pointed star with tips 2X to the
  // sides and 2Y above and below, whose inner corners are the rectangle's.
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
  const std::span<TPoint> outline =
      No == 149 ? std::span<TPoint>(rectangle) : std::span<TPoint>(star);
  RotatePoints(outline, cx, cy, Progress * kPi / 50);
  return Region::Polygon(outline);
}

}  // namespace

template <int No>
void ShapeEffect(Bitmap& Screen, const Bitmap& Image, const TRect& Rect, int Step, int Progress) {
  const TFrameGeometry g = FrameGeometry(Rect, Step, Progress);
  if constexpr (No <= 148)
    ClippedDraw(Screen, Image, MovingRectsRegion(kMovingRects[No - 145], g, Progress));
  else
    ClippedDraw(Screen, Image, RotationalRegion(No, g, Progress));
}

template void ShapeEffect<145>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void ShapeEffect<146>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void ShapeEffect<147>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void ShapeEffect<148>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void ShapeEffect<149>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void ShapeEffect<150>(Bitmap&, const Bitmap&, const TRect&, int, int);

}  // namespace vantora
