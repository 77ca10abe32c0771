#include "raster/Region.h"

#include <algorithm>
#include <cassert>
#include <climits>
#include <cmath>
#include <cstdlib>

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

using i64 = std::int64_t;
using i128 = __int128;
using u128 = unsigned __int128;

// floor(n / d) for d > 0, with a 64-bit division when the values allow it
// (128-bit divisions are far slower).
inline i64 FloorDiv(i128 n, i64 d) {
  if (n >= INT64_MIN / 2 && n <= INT64_MAX / 2) {
    const i64 m = i64(n);
    i64 q = m / d;
    if (m % d != 0 && m < 0) --q;
    return q;
  }
  i128 q = n / d;
  if (n % d != 0 && n < 0) --q;
  return i64(q);
}

// Largest r with r * r <= v.
inline std::uint64_t ISqrt(std::uint64_t v) {
  std::uint64_t r = std::uint64_t(std::sqrt(static_cast<long double>(v)));
  while (r > 0 && u128(r) * r > v) --r;
  while (u128(r + 1) * (r + 1) <= v) ++r;
  return r;
}

inline int ClampInt(i64 v) { return int(std::clamp<i64>(v, INT_MIN, INT_MAX)); }

}  // namespace

// Appends bands from the top down and keeps the banding invariant: a band
// without spans is dropped, and a band that continues the previous one with
// the same spans extends it. Spans must be pushed sorted and not touching.
class BandWriter {
 public:
  BandWriter(std::vector<TBand>& bands, std::vector<TSpan>& spans)
      : FBands(bands), FSpans(spans), FStart(spans.size()) {}

  void Push(int left, int right) { FSpans.push_back({left, right}); }
  // Pushes a span, merging it with the last span of the band being written
  // when they overlap or touch; spans must come sorted by Left.
  void PushMerging(int left, int right) {
    if (FSpans.size() > FStart && FSpans.back().Right >= left) {
      FSpans.back().Right = std::max(FSpans.back().Right, right);
      return;
    }
    FSpans.push_back({left, right});
  }

  void EndBand(int top, int bottom) {
    const std::size_t first = FStart;
    const std::size_t count = FSpans.size() - first;
    if (count == 0 || top >= bottom) {
      FSpans.resize(first);
      return;
    }
    if (!FBands.empty()) {
      TBand& prev = FBands.back();
      if (prev.Bottom == top && prev.Count == count &&
          std::equal(FSpans.begin() + first, FSpans.end(), FSpans.begin() + prev.First)) {
        prev.Bottom = bottom;
        FSpans.resize(first);
        return;
      }
    }
    FBands.push_back({top, bottom, std::uint32_t(first), std::uint32_t(count)});
    FStart = FSpans.size();
  }

 private:
  std::vector<TBand>& FBands;
  std::vector<TSpan>& FSpans;
  std::size_t FStart;
};

// The bands of a region, a rectangle being seen as one band with one span.
class BandView {
 public:
  explicit BandView(const Region& r, const std::vector<TBand>& bands,
                    const std::vector<TSpan>& spans) {
    if (bands.empty()) {
      const TRect e = r.Extents();
      FOne = {e.Top, e.Bottom, 0, 1};
      FOneSpan = {e.Left, e.Right};
      Bands = &FOne;
      Count = r.IsEmpty() ? 0 : 1;
      Spans = &FOneSpan;
    } else {
      Bands = bands.data();
      Count = bands.size();
      Spans = spans.data();
    }
  }
  BandView(const BandView&) = delete;
  BandView& operator=(const BandView&) = delete;

  const TBand* Bands;
  std::size_t Count;
  const TSpan* Spans;

 private:
  TBand FOne;
  TSpan FOneSpan;
};

struct RegionOps {
  // Turns bands written by a BandWriter into a region: computes the extents
  // and drops the lists when the result is one rectangle.
  static Region Finish(std::vector<TBand>&& bands, std::vector<TSpan>&& spans) {
    Region r;
    if (bands.empty()) return r;
    int left = INT_MAX, right = INT_MIN;
    for (const TBand& b : bands) {
      left = std::min(left, spans[b.First].Left);
      right = std::max(right, spans[b.First + b.Count - 1].Right);
    }
    r.FExtents = {left, bands.front().Top, right, bands.back().Bottom};
    if (bands.size() > 1 || bands.front().Count > 1) {
      r.FBands = std::move(bands);
      r.FSpans = std::move(spans);
    }
    assert(r.SelfCheck());
    return r;
  }

  static const std::vector<TBand>& Bands(const Region& r) { return r.FBands; }
  static const std::vector<TSpan>& Spans(const Region& r) { return r.FSpans; }
};

namespace {

// Writes the spans of (a op b) for one band. A span set is walked as a
// sorted list of edges; at every edge the membership of each side flips and
// the result is re-evaluated, so touching results merge by themselves.
template <class Op>
void CombineSpans(std::span<const TSpan> a, std::span<const TSpan> b, Op op, BandWriter& w) {
  // Rows where only one side has spans (most rows when a small piece is
  // united into a large region) are copied or dropped whole.
  if (a.empty() || b.empty()) {
    const bool keep = a.empty() ? op(false, true) : op(true, false);
    if (keep)
      for (const TSpan& t : a.empty() ? b : a) w.Push(t.Left, t.Right);
    return;
  }
  const std::size_t ea = 2 * a.size(), eb = 2 * b.size();
  auto edge = [](std::span<const TSpan> s, std::size_t e) {
    return (e & 1) ? s[e >> 1].Right : s[e >> 1].Left;
  };
  std::size_t i = 0, j = 0;
  bool inA = false, inB = false, in = false;
  int start = 0;
  while (i < ea || j < eb) {
    int x;
    if (i < ea && j < eb)
      x = std::min(edge(a, i), edge(b, j));
    else
      x = i < ea ? edge(a, i) : edge(b, j);
    while (i < ea && edge(a, i) == x) {
      inA = !inA;
      ++i;
    }
    while (j < eb && edge(b, j) == x) {
      inB = !inB;
      ++j;
    }
    const bool now = op(inA, inB);
    if (now != in) {
      if (now)
        start = x;
      else
        w.Push(start, x);
      in = now;
    }
  }
}

template <class Op>
Region CombineBands(const Region& ra, const Region& rb, Op op) {
  const BandView A(ra, RegionOps::Bands(ra), RegionOps::Spans(ra));
  const BandView B(rb, RegionOps::Bands(rb), RegionOps::Spans(rb));
  std::vector<TBand> bands;
  std::vector<TSpan> spans;
  bands.reserve(A.Count + B.Count);
  spans.reserve(2 * (RegionOps::Spans(ra).size() + RegionOps::Spans(rb).size()) + 2);
  BandWriter w(bands, spans);
  std::size_t i = 0, j = 0;
  int y = INT_MIN;
  while (i < A.Count || j < B.Count) {
    const TBand* ba = i < A.Count ? &A.Bands[i] : nullptr;
    const TBand* bb = j < B.Count ? &B.Bands[j] : nullptr;
    const bool inA = ba && ba->Top <= y;
    const bool inB = bb && bb->Top <= y;
    if (!inA && !inB) {  // a gap in both: jump to the next band
      y = std::min(ba ? ba->Top : INT_MAX, bb ? bb->Top : INT_MAX);
      continue;
    }
    int next = INT_MAX;
    if (ba) next = std::min(next, inA ? ba->Bottom : ba->Top);
    if (bb) next = std::min(next, inB ? bb->Bottom : bb->Top);
    const std::span<const TSpan> sa =
        inA ? std::span<const TSpan>(A.Spans + ba->First, ba->Count) : std::span<const TSpan>();
    const std::span<const TSpan> sb =
        inB ? std::span<const TSpan>(B.Spans + bb->First, bb->Count) : std::span<const TSpan>();
    CombineSpans(sa, sb, op, w);
    w.EndBand(y, next);
    y = next;
    if (ba && ba->Bottom <= y) ++i;
    if (bb && bb->Bottom <= y) ++j;
  }
  return RegionOps::Finish(std::move(bands), std::move(spans));
}

bool Covers(const TRect& outer, const TRect& inner) {
  return outer.Left <= inner.Left && outer.Top <= inner.Top && outer.Right >= inner.Right &&
         outer.Bottom >= inner.Bottom;
}

bool Disjoint(const TRect& a, const TRect& b) {
  return a.Right <= b.Left || b.Right <= a.Left || a.Bottom <= b.Top || b.Bottom <= a.Top;
}

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
PolyEdge MakeEdge(TPoint p, TPoint q) {
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

}  // namespace

Region Region::Rectangle(int x1, int y1, int x2, int y2) {
  Region r;
  if (x1 > x2) std::swap(x1, x2);
  if (y1 > y2) std::swap(y1, y2);
  if (x1 < x2 && y1 < y2) r.FExtents = {x1, y1, x2, y2};
  return r;
}

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
  std::vector<TBand> bands;
  std::vector<TSpan> spans;
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
    const i64 left = -FloorDiv(-(cl - d - 1), 2);
    const i64 right = FloorDiv(cr + d - 1, 2) + 1;
    if (left < right) out.Push(int(left), int(right));
    out.EndBand(int(y), int(y + 1));
  }
  return RegionOps::Finish(std::move(bands), std::move(spans));
}

Region Region::Polygon(std::span<const TPoint> points) {
  std::vector<TBand> bands;
  std::vector<TSpan> spans;
  BandWriter out(bands, spans);
  PolygonScan(points).Run([&](int y, std::span<const TSpan> row) {
    for (const TSpan& s : row) out.Push(s.Left, s.Right);
    out.EndBand(y, y + 1);
  });
  return RegionOps::Finish(std::move(bands), std::move(spans));
}

Region Region::Triangle(int x1, int y1, int x2, int y2, int x3, int y3) {
  std::vector<TBand> bands;
  std::vector<TSpan> spans;
  BandWriter out(bands, spans);
  ScanTriangle({x1, y1}, {x2, y2}, {x3, y3}, [&](int y, int l, int r) {
    out.Push(l, r);
    out.EndBand(y, y + 1);
  });
  return RegionOps::Finish(std::move(bands), std::move(spans));
}

void Region::Combine(const Region& other, TCombineMode mode) {
  assert(SelfCheck() && other.SelfCheck());
  const Region& a = *this;
  const Region& b = other;
  switch (mode) {
    case cmAnd:
      if (a.IsEmpty() || b.IsEmpty() || Disjoint(a.FExtents, b.FExtents)) {
        *this = Region();
        return;
      }
      if (a.IsRectangle() && b.IsRectangle()) {
        FExtents = intersected(a.FExtents, b.FExtents);
        return;
      }
      if (b.IsRectangle() && Covers(b.FExtents, a.FExtents)) return;
      if (a.IsRectangle() && Covers(a.FExtents, b.FExtents)) {
        if (this != &other) *this = other;
        return;
      }
      *this = CombineBands(a, b, [](bool p, bool q) { return p && q; });
      return;
    case cmOr:
      if (b.IsEmpty()) return;
      if (a.IsEmpty() || (b.IsRectangle() && Covers(b.FExtents, a.FExtents))) {
        if (this != &other) *this = other;
        return;
      }
      if (a.IsRectangle() && Covers(a.FExtents, b.FExtents)) return;
      *this = CombineBands(a, b, [](bool p, bool q) { return p || q; });
      return;
    case cmXor:
      if (b.IsEmpty()) return;
      if (a.IsEmpty()) {
        if (this != &other) *this = other;
        return;
      }
      *this = CombineBands(a, b, [](bool p, bool q) { return p != q; });
      return;
  }
}

void Region::Offset(int dx, int dy) {
  if (IsEmpty() || (dx == 0 && dy == 0)) return;
  FExtents = FExtents.offset(dx, dy);
  for (TBand& b : FBands) {
    b.Top += dy;
    b.Bottom += dy;
  }
  for (TSpan& s : FSpans) {
    s.Left += dx;
    s.Right += dx;
  }
}

bool Region::Contains(int x, int y) const {
  if (!FExtents.Contains(x, y)) return false;
  if (FBands.empty()) return true;
  auto band = std::upper_bound(FBands.begin(), FBands.end(), y,
                               [](int v, const TBand& b) { return v < b.Top; });
  if (band == FBands.begin()) return false;
  --band;
  if (y >= band->Bottom) return false;
  const TSpan* first = FSpans.data() + band->First;
  const TSpan* last = first + band->Count;
  const TSpan* s =
      std::upper_bound(first, last, x, [](int v, const TSpan& sp) { return v < sp.Left; });
  return s != first && x < (s - 1)->Right;
}

std::int64_t Region::Area() const {
  std::int64_t area = 0;
  ForEachBand([&](int top, int bottom, std::span<const TSpan> spans) {
    std::int64_t width = 0;
    for (const TSpan& s : spans) width += i64(s.Right) - s.Left;
    area += width * (i64(bottom) - top);
  });
  return area;
}

bool Region::SelfCheck() const {
  auto check = [&]() {
    if (FBands.empty()) {
      if (!FSpans.empty()) return false;
      // Empty regions keep all-zero extents so that equal sets compare equal.
      return !FExtents.IsEmpty() || FExtents == TRect{};
    }
    if (FBands.size() == 1 && FBands.front().Count == 1) return false;  // should be a rectangle
    int left = INT_MAX, right = INT_MIN;
    std::size_t nextFirst = 0;
    for (std::size_t k = 0; k < FBands.size(); ++k) {
      const TBand& b = FBands[k];
      if (b.Top >= b.Bottom || b.Count == 0 || b.First != nextFirst) return false;
      nextFirst += b.Count;
      if (nextFirst > FSpans.size()) return false;
      const TSpan* s = FSpans.data() + b.First;
      for (std::uint32_t n = 0; n < b.Count; ++n) {
        if (s[n].Left >= s[n].Right) return false;
        if (n > 0 && s[n - 1].Right >= s[n].Left) return false;  // overlapping or touching
      }
      left = std::min(left, s[0].Left);
      right = std::max(right, s[b.Count - 1].Right);
      if (k > 0) {
        const TBand& p = FBands[k - 1];
        if (p.Bottom > b.Top) return false;
        if (p.Bottom == b.Top && p.Count == b.Count &&
            std::equal(s, s + b.Count, FSpans.data() + p.First))
          return false;  // should have been coalesced
      }
    }
    return nextFirst == FSpans.size() &&
           FExtents == TRect{left, FBands.front().Top, right, FBands.back().Bottom};
  };
  const bool ok = check();
  assert(ok && "region banding invariant broken");
  return ok;
}

bool operator==(const Region& a, const Region& b) {
  if (a.FExtents != b.FExtents || a.FBands.size() != b.FBands.size()) return false;
  for (std::size_t k = 0; k < a.FBands.size(); ++k) {
    const TBand& p = a.FBands[k];
    const TBand& q = b.FBands[k];
    if (p.Top != q.Top || p.Bottom != q.Bottom || p.Count != q.Count ||
        !std::equal(a.FSpans.begin() + p.First, a.FSpans.begin() + p.First + p.Count,
                    b.FSpans.begin() + q.First))
      return false;
  }
  return true;
}

// ---------------------------------------------------------------------------
// RegionBuilder

std::vector<RegionBuilder::TPiece>& RegionBuilder::SparePieces() {
  thread_local std::vector<TPiece> spare;
  return spare;
}

std::vector<RegionBuilder::TPiece>& RegionBuilder::SpareSorted() {
  thread_local std::vector<TPiece> spare;
  return spare;
}

RegionBuilder::RegionBuilder() {
  FPieces.swap(SparePieces());
  FSorted.swap(SpareSorted());
  FPieces.clear();
}

RegionBuilder::~RegionBuilder() {
  if (FPieces.capacity() > SparePieces().capacity()) {
    FPieces.clear();
    SparePieces().swap(FPieces);
  }
  if (FSorted.capacity() > SpareSorted().capacity()) {
    FSorted.clear();
    SpareSorted().swap(FSorted);
  }
}

void RegionBuilder::AddRect(int x1, int y1, int x2, int y2) {
  if (x1 > x2) std::swap(x1, x2);
  if (y1 > y2) std::swap(y1, y2);
  if (x1 < x2 && y1 < y2) FPieces.push_back({y1, y2, x1, x2});
}

void RegionBuilder::AddTriangle(int x1, int y1, int x2, int y2, int x3, int y3) {
  const i64 shape[4] = {i64(x2) - x1, i64(y2) - y1, i64(x3) - x1, i64(y3) - y1};
  if (FShapeKnown && std::equal(shape, shape + 4, FShape)) {
    // Every moved piece lies within this triangle's bounding box, so the
    // sums stay within int.
    for (const TPiece& p : FShapePieces)
      FPieces.push_back({p.Top + y1, p.Bottom + y1, p.Left + x1, p.Right + x1});
    return;
  }
  // One piece per row at most: make room once, then write without checks.
  const int top = std::min({y1, y2, y3}), bottom = std::max({y1, y2, y3});
  const std::size_t used = FPieces.size();
  FPieces.resize(used + std::size_t(i64(bottom) - top));
  TPiece* out = FPieces.data() + used;
  ScanTriangle({x1, y1}, {x2, y2}, {x3, y3}, [&](int y, int l, int r) {
    *out++ = {y, y + 1, l, r};
  });
  FPieces.resize(std::size_t(out - FPieces.data()));
  // Keep the shape for the next triangle when its offsets fit an int.
  constexpr i64 kLimit = i64(1) << 30;
  FShapeKnown = std::all_of(shape, shape + 4, [](i64 v) { return v > -kLimit && v < kLimit; });
  if (FShapeKnown) {
    std::copy(shape, shape + 4, FShape);
    FShapePieces.clear();
    for (std::size_t k = used; k < FPieces.size(); ++k) {
      const TPiece& p = FPieces[k];
      FShapePieces.push_back({p.Top - y1, p.Bottom - y1, p.Left - x1, p.Right - x1});
    }
  }
}

void RegionBuilder::AddPolygon(std::span<const TPoint> points) {
  PolygonScan(points).Run([&](int y, std::span<const TSpan> row) {
    for (const TSpan& s : row) FPieces.push_back({y, y + 1, s.Left, s.Right});
  });
}

void RegionBuilder::AddRegion(const Region& r) {
  r.ForEachBand([&](int top, int bottom, std::span<const TSpan> spans) {
    for (const TSpan& s : spans) FPieces.push_back({top, bottom, s.Left, s.Right});
  });
}

namespace {

// Sorts [first, last) by Left. Pieces usually come in a few ascending or
// descending runs (a grid of triangles adds its rows right to left), so the
// runs are found and merged; many runs fall back to a plain sort.
template <class Piece>
void SortByLeft(Piece* first, Piece* last, std::vector<Piece>& scratch) {
  auto less = [](const Piece& a, const Piece& b) { return a.Left < b.Left; };
  const std::size_t n = std::size_t(last - first);
  if (n <= 16) {
    std::sort(first, last, less);
    return;
  }
  constexpr std::size_t kMaxRuns = 8;
  std::size_t ends[kMaxRuns];
  std::size_t runs = 0;
  for (std::size_t i = 0; i < n;) {
    if (runs == kMaxRuns) {
      std::sort(first, last, less);
      return;
    }
    std::size_t j = i + 1;
    if (j < n && first[j].Left < first[i].Left) {
      while (j < n && first[j].Left < first[j - 1].Left) ++j;
      std::reverse(first + i, first + j);
    } else {
      while (j < n && first[j].Left >= first[j - 1].Left) ++j;
    }
    ends[runs++] = j;
    i = j;
  }
  for (std::size_t k = 1; k < runs; ++k) {
    scratch.resize(ends[k]);
    std::merge(first, first + ends[k - 1], first + ends[k - 1], first + ends[k], scratch.begin(),
               less);
    std::copy(scratch.begin(), scratch.end(), first);
  }
}

}  // namespace

Region RegionBuilder::Build() {
  std::vector<TPiece>& pieces = FPieces;
  if (pieces.empty()) return Region();
  if (pieces.size() == 1) {
    const TPiece p = pieces.front();
    pieces.clear();
    return Region::Rectangle(p.Left, p.Top, p.Right, p.Bottom);
  }

  // Group the pieces by Top: a list per row when the rows span little more
  // than there are pieces (the usual case of many small pieces on a frame),
  // a comparison sort otherwise, so that memory stays proportional to the
  // pieces. Either way a row's group keeps the order in which its pieces
  // came, mostly a few sorted runs, and is put in order by Left when the
  // sweep reaches it.
  i64 minT = INT64_MAX, maxT = INT64_MIN;
  for (const TPiece& p : pieces) {
    minT = std::min<i64>(minT, p.Top);
    maxT = std::max<i64>(maxT, p.Top);
  }
  constexpr std::uint32_t kNone = UINT32_MAX;
  const bool listed = maxT - minT < std::max<i64>(4 * i64(pieces.size()), 4096);
  std::vector<std::uint32_t> head, link;
  std::size_t cursor = 0;  // listed: the next row to look at; sorted: the next piece
  if (listed) {
    head.assign(std::size_t(maxT - minT + 1), kNone);
    link.resize(pieces.size());
    for (std::size_t i = pieces.size(); i-- > 0;) {
      std::uint32_t& h = head[std::size_t(pieces[i].Top - minT)];
      link[i] = h;
      h = std::uint32_t(i);
    }
  } else {
    std::stable_sort(pieces.begin(), pieces.end(),
                     [](const TPiece& a, const TPiece& b) { return a.Top < b.Top; });
  }
  // The top of the next group, INT64_MAX when there is none.
  auto nextTop = [&]() -> i64 {
    if (listed) {
      while (cursor < head.size() && head[cursor] == kNone) ++cursor;
      return cursor < head.size() ? minT + i64(cursor) : INT64_MAX;
    }
    return cursor < pieces.size() ? pieces[cursor].Top : INT64_MAX;
  };
  std::vector<TPiece>& group = FSorted;
  auto takeGroup = [&](i64 top) {
    group.clear();
    if (listed) {
      for (std::uint32_t i = head[cursor]; i != kNone; i = link[i]) group.push_back(pieces[i]);
      ++cursor;
    } else {
      while (cursor < pieces.size() && pieces[cursor].Top == top) group.push_back(pieces[cursor++]);
    }
  };

  // Sweep down over the pieces' top and bottom edges. The active pieces are
  // kept sorted by Left; between two edges their union is one band.
  std::vector<TBand> bands;
  std::vector<TSpan> spans;
  // Usually one span per piece at most (one-row pieces of triangles and
  // polygons); reserving it at once saves the copies of a growing list.
  spans.reserve(pieces.size());
  BandWriter out(bands, spans);
  std::vector<TPiece> active, merged;
  i64 top = nextTop();
  int y = int(top);
  while (top != INT64_MAX || !active.empty()) {
    if (active.empty()) y = std::max<int>(y, int(top));
    // Drop the pieces that ended above y.
    std::size_t keep = 0;
    for (const TPiece& p : active)
      if (p.Bottom > y) active[keep++] = p;
    active.resize(keep);
    // Let in the pieces that start on row y. The band runs until the first
    // active piece ends or the next group starts.
    group.clear();
    if (top == y) {
      takeGroup(top);
      top = nextTop();
    }
    SortByLeft(group.data(), group.data() + group.size(), merged);
    int bottom = top != INT64_MAX ? int(top) : INT_MAX;
    if (active.empty()) {
      // Nothing carried over (always so for one-row pieces): unite the new
      // pieces where they lie and keep only those that outlast the band.
      for (const TPiece& p : group) {
        bottom = std::min(bottom, p.Bottom);
        out.PushMerging(p.Left, p.Right);
      }
      for (const TPiece& p : group)
        if (p.Bottom > bottom) active.push_back(p);
    } else {
      if (!group.empty()) {
        merged.resize(active.size() + group.size());
        std::merge(active.begin(), active.end(), group.begin(), group.end(), merged.begin(),
                   [](const TPiece& a, const TPiece& b) { return a.Left < b.Left; });
        active.swap(merged);
      }
      for (const TPiece& p : active) {
        bottom = std::min(bottom, p.Bottom);
        out.PushMerging(p.Left, p.Right);
      }
    }
    out.EndBand(y, bottom);
    y = bottom;
  }
  pieces.clear();
  return RegionOps::Finish(std::move(bands), std::move(spans));
}

}  // namespace vantora
