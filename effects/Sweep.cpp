#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "effects/Families.h"
#include "effects/RegionKit.h"
#include "raster/Region.h"
#include "raster/Rounding.h"

namespace vantora {
namespace {

// The polygon of the centre and N points on the circle of radius R, starting
// at angle A0 and stepping (A1 - A0) / N towards A1; the last point lies one
// step short of A1. Rows grow downward, so growing angles turn clockwise on
// screen and -pi/2 points straight up. Two points (N = 1) enclose no area and
// give the empty region.
Region SweepRegion(int CX, int CY, int R, long double A0, long double A1, int N) {
  if (N < 1) return {};
  std::vector<TPoint> points;
  points.reserve(std::size_t(N) + 1);
  points.push_back({CX, CY});
  const long double d = (A1 - A0) / N;
  long double angle = A0;
  for (int k = 1; k <= N; ++k) {
    points.push_back(
        {CX + RoundHalfEven(R * std::cos(angle)), CY + RoundHalfEven(R * std::sin(angle))});
    angle += d;
  }
  return Region::Polygon(points);
}

// Rectangle 2a x 2b around every point of an (n + 1) x (n + 1) grid spaced
// cw x ch; those on the edges are cut by the picture border, and near the end
// of the transition 2a approaches cw and 2b approaches ch, so they meet.
//
// The rectangles are the crossings of n + 1 columns [j cw - a, j cw + a) with
// n + 1 rows [i ch - b, i ch + b), so their union is the intersection of the
// two combs (cut to the picture): 2 (n + 1) rectangles instead of
// (n + 1)^2, which at large Steps run into the millions.
Region RectangularShredRegion(const TFrameGeometry& g) {
  // S = 0 (the longer side x Step below 45) is taken as 1: the four corner
  // rectangles then grow until they meet in the middle.
  const int S = std::max(g.S, 1);
  const int a = g.X / S, b = g.Y / S;  // half width and half height
  const int n = S > 1 ? S / 2 : S;
  const int cw = g.W / n, ch = g.H / n;  // spacing of the grid points
  if (a <= 0 || b <= 0) return {};  // every rectangle is still empty
  RegionBuilder columns, rows;
  for (int j = n; j >= 0; --j) columns.AddRect(j * cw - a, 0, j * cw + a, g.H);
  for (int i = n; i >= 0; --i) rows.AddRect(0, i * ch - b, g.W, i * ch + b);
  Region grid = columns.Build();
  grid.Intersect(rows.Build());
  return grid;
}

// A sector from twelve o'clock around the centre, turning by 3.6 degrees per
// percent: Turn +1 clockwise, -1 anticlockwise. Its corner points reach the
// picture's corners.
Region SweepSectorRegion(const TFrameGeometry& g, int Progress, int Turn) {
  const int cx = g.W / 2, cy = g.H / 2;
  const std::int64_t squares = std::int64_t(cx) * cx + std::int64_t(cy) * cy;
  const int R = int(std::ceil(std::sqrt(static_cast<long double>(squares))));
  const long double A0 = -kPi / 2;
  const long double A1 = Turn * Progress * kPi / 50 - kPi / 2;
  return SweepRegion(cx, cy, R, A0, A1, Progress);
}

Region SweepFamilyRegion(int No, const TFrameGeometry& g, int Progress) {
  switch (No) {
    case 142: return RectangularShredRegion(g);
    case 143: return SweepSectorRegion(g, Progress, +1);  // clockwise
    case 144: return SweepSectorRegion(g, Progress, -1);  // anticlockwise
  }
  return {};
}

}  // namespace

Region SweepShown(int No, const TRect& Rect, int Step, int Progress) {
  return SweepFamilyRegion(No, FrameGeometry(Rect, Step, Progress), Progress);
}

}  // namespace vantora
