#pragma once
// Scan conversion of triangles and polygons into rows of spans, for the
// region constructors and the builder. The pixel rule is written at the head
// of RegionScan.cpp.

#include <algorithm>
#include <climits>
#include <span>
#include <utility>
#include <vector>

#include "raster/RegionBands.h"
#include "raster/Rounding.h"

namespace vantora {

inline int ClampInt(i64 v) { return int(std::clamp<i64>(v, INT_MIN, INT_MAX)); }

// One edge of a polygon, stepped from row to row. On row y it gives the
// first pixel whose centre lies at or right of the edge:
//   xs(y) = ceil(((2 x0 - 1) dy + (2 y + 1 - 2 y0) dx) / (2 dy))
// for the edge from (x0, y0) down to (x1, y1), dx = x1 - x0, dy = y1 - y0.
// The numerator grows by 2 dx per row, so xs is stepped exactly with a
// quotient and a remainder, without a division per row.
struct PolyEdge {
  int Top, Bottom;  // rows crossed: Top <= y < Bottom
  int Dir;  // +1 downwards, -1 upwards
  i64 Q, R, D, SQ, SR;

  void Start(int y) {
    // M(y) = numerator + D - 1, xs = floor(M / D), 0 <= R < D.
    const i128 m =
        i128(2 * i64(y) + 1 - 2 * i64(Y0)) * DX + i128(2 * i64(X0) - 1) * (D / 2) + D - 1;
    Q = FloorDiv(m, D);
    R = i64(m - i128(Q) * D);
  }
  void Step() {
    Q += SQ;
    R += SR;
    if (R >= D) {
      R -= D;
      ++Q;
    }
  }
  int X0, Y0;
  i64 DX;
};

// The edge from p to q, which must not be horizontal.
inline PolyEdge MakeEdge(TPoint p, TPoint q) {
  const bool down = q.Y > p.Y;
  const TPoint a = down ? p : q, b = down ? q : p;
  PolyEdge e{};
  e.Top = a.Y;
  e.Bottom = b.Y;
  e.Dir = down ? 1 : -1;
  e.X0 = a.X;
  e.Y0 = a.Y;
  e.DX = i64(b.X) - a.X;
  e.D = 2 * (i64(b.Y) - a.Y);
  const i64 s = 2 * e.DX;
  e.SQ = FloorDiv(s, e.D);
  e.SR = s - e.SQ * e.D;
  return e;
}

// Calls row(y, left, right) for every row of a triangle, from the top down;
// left < right. Two edges cross each row; between them the winding number is
// +1 or -1, so the row's pixels are the span between the two crossings (a
// triangle without area has both crossings at the same place on every row).
// This is what PolygonScan gives for three points, without its allocations.
template <class RowFn>
void ScanTriangle(TPoint a, TPoint b, TPoint c, RowFn&& row) {
  if (a.Y > b.Y) std::swap(a, b);
  if (b.Y > c.Y) std::swap(b, c);
  if (a.Y > b.Y) std::swap(a, b);
  if (a.Y == c.Y) return;
  PolyEdge lng = MakeEdge(a, c);
  lng.Start(a.Y);
  auto half = [&](TPoint p, TPoint q) {
    if (p.Y == q.Y) return;
    PolyEdge e = MakeEdge(p, q);
    e.Start(p.Y);
    for (int y = p.Y; y < q.Y; ++y) {
      const i64 l = std::min(lng.Q, e.Q), r = std::max(lng.Q, e.Q);
      if (l < r) row(y, ClampInt(l), ClampInt(r));
      lng.Step();
      e.Step();
    }
  };
  half(a, b);
  half(b, c);
}

// Calls row(y, spans) for every row of a polygon that holds pixels, from the
// top down; spans are sorted and do not touch.
class PolygonScan {
 public:
  explicit PolygonScan(std::span<const TPoint> pts) {
    if (pts.size() < 3) return;
    FEdges.reserve(pts.size());
    for (std::size_t k = 0; k < pts.size(); ++k) {
      const TPoint p = pts[k], q = pts[(k + 1) % pts.size()];
      if (p.Y == q.Y) continue;
      FEdges.push_back(MakeEdge(p, q));
    }
    std::sort(FEdges.begin(), FEdges.end(),
              [](const PolyEdge& l, const PolyEdge& r) { return l.Top < r.Top; });
  }

  template <class RowFn>
  void Run(RowFn&& row) {
    if (FEdges.empty()) return;
    std::vector<PolyEdge*> active;
    std::vector<std::pair<i64, int>> cross;
    std::vector<TSpan> spans;
    std::size_t next = 0;
    int y = FEdges.front().Top;
    while (next < FEdges.size() || !active.empty()) {
      if (active.empty()) y = std::max(y, FEdges[next].Top);
      while (next < FEdges.size() && FEdges[next].Top <= y) {
        FEdges[next].Start(y);
        active.push_back(&FEdges[next++]);
      }
      cross.clear();
      for (PolyEdge* e : active) cross.emplace_back(e->Q, e->Dir);
      std::sort(cross.begin(), cross.end());
      spans.clear();
      int winding = 0;
      i64 start = 0;
      for (std::size_t k = 0; k < cross.size();) {
        const i64 x = cross[k].first;
        const bool wasIn = winding != 0;
        while (k < cross.size() && cross[k].first == x) winding += cross[k++].second;
        const bool isIn = winding != 0;
        if (isIn && !wasIn) start = x;
        if (!isIn && wasIn) spans.push_back({ClampInt(start), ClampInt(x)});
      }
      row(y, std::span<const TSpan>(spans));
      ++y;
      std::size_t keep = 0;
      for (PolyEdge* e : active)
        if (e->Bottom > y) {
          e->Step();
          active[keep++] = e;
        }
      active.resize(keep);
    }
  }

 private:
  std::vector<PolyEdge> FEdges;
};

}  // namespace vantora
