#include <cmath>
#include <cstdlib>

#include "raster/RegionScan.h"

// Pixel sets. A pixel (x, y) is the unit square whose centre is
// (x + 0.5, y + 0.5).
//   - Rectangle (x1, y1, x2, y2): x1 <= x < x2 and y1 <= y < y2 once the
//     coordinates are put in order.
//   - Rounded rectangle (x1, y1, x2, y2, w, h): that rectangle, each corner
//     cut by a quarter of an ellipse |w| wide and |h| high, where |w| is
//     limited to the rectangle's width and |h| to its height (with w equal to
//     the width, one whole side is a half ellipse). A pixel is inside when its
//     centre is inside or on the rounded outline. w or h of 0 gives the plain
//     rectangle.
//   - Polygon and triangle: the pixels whose centre has a non-zero winding
//     number. A centre exactly on a left-hand edge (where the winding number
//     grows) is inside, one on a right-hand edge is outside, so a polygon
//     through a rectangle's corners gives exactly that rectangle. Fewer than
//     three points, or points without area, give the empty region.
// Coordinates may lie far outside any bitmap; all intermediate arithmetic is
// done in 64 or 128 bits, so any int coordinates are safe.

namespace vantora {

namespace {

// Largest r with r * r <= v.
inline std::uint64_t ISqrt(std::uint64_t v) {
  std::uint64_t r = std::uint64_t(std::sqrt(static_cast<long double>(v)));
  while (r > 0 && u128(r) * r > v) --r;
  while (u128(r + 1) * (r + 1) <= v) ++r;
  return r;
}

}  // namespace

Region Region::RoundRect(int x1, int y1, int x2, int y2, int w, int h) {
  if (x1 > x2) std::swap(x1, x2);
  if (y1 > y2) std::swap(y1, y2);
  const i64 ew = std::min<i64>(std::llabs(w), i64(x2) - x1);
  const i64 eh = std::min<i64>(std::llabs(h), i64(y2) - y1);
  if (x1 >= x2 || y1 >= y2 || ew == 0 || eh == 0) return Rectangle(x1, y1, x2, y2);

  // Doubled coordinates keep pixel centres (2x + 1) and ellipse centres on
  // integers. The corner ellipses are centred at cl/cr across and ct/cb down.
  const i64 cl = 2 * i64(x1) + ew, cr = 2 * i64(x2) - ew;
  const i64 ct = 2 * i64(y1) + eh, cb = 2 * i64(y2) - eh;
  const u128 ew2 = u128(ew) * ew, eh2 = u128(eh) * eh;
  RegionLists lists;
  std::vector<TBand>& bands = lists.Bands;
  std::vector<TSpan>& spans = lists.Spans;
  BandWriter out(bands, spans);
  for (i64 y = y1; y < y2; ++y) {
    const i64 py = 2 * y + 1;
    const i64 dy = py < ct ? ct - py : (py > cb ? py - cb : 0);
    if (dy == 0) {  // between the corners: the full width, as one band
      const i64 last = FloorDiv(cb - 1, 2);  // last row whose centre is <= cb
      out.Push(x1, x2);
      out.EndBand(int(y), int(last + 1));
      y = last;
      continue;
    }
    // Half width d of the ellipse on this row: the largest d with
    // d^2 eh^2 + dy^2 ew^2 <= ew^2 eh^2.
    const u128 t = ew2 * (u128(eh - dy) * u128(eh + dy));
    const u128 q = t / eh2;
    const i64 d = i64(ISqrt(std::uint64_t(q)));
    // Pixel centres 2x + 1 in [cl - d, cr + d].
    const i64 left = CeilDiv(cl - d - 1, 2);
    const i64 right = FloorDiv(cr + d - 1, 2) + 1;
    if (left < right) out.Push(int(left), int(right));
    out.EndBand(int(y), int(y + 1));
  }
  return RegionOps::Finish(std::move(bands), std::move(spans));
}

Region Region::Polygon(std::span<const TPoint> points) {
  RegionLists lists;
  std::vector<TBand>& bands = lists.Bands;
  std::vector<TSpan>& spans = lists.Spans;
  BandWriter out(bands, spans);
  PolygonScan(points).Run([&](int y, std::span<const TSpan> row) {
    for (const TSpan& s : row) out.Push(s.Left, s.Right);
    out.EndBand(y, y + 1);
  });
  return RegionOps::Finish(std::move(bands), std::move(spans));
}

}  // namespace vantora
