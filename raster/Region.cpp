#include "raster/Region.h"

#include <algorithm>
#include <cassert>
#include <climits>

#include "raster/RegionBands.h"

// The region itself: its set operations and queries. How shapes become
// regions is in RegionScan.cpp, the union of many pieces in RegionBuilder.cpp.

namespace vantora {

namespace {

// Lists smaller than this come and go cheaply from the allocator's own pool.
constexpr std::size_t kSpareSpans = 4096;

// A region that outlives its thread's store (one with static storage,
// destroyed after the thread's own objects) finds it gone and frees its
// lists as usual.
thread_local bool tSpareGone = false;

// A few sets of lists, as an effect may hold a few regions at once (the
// parts of the region it is making).
struct SpareLists {
  ~SpareLists() { tSpareGone = true; }
  static constexpr std::size_t kSets = 4;
  std::vector<TBand> Bands[kSets];
  std::vector<TSpan> Spans[kSets];
};
SpareLists* Spare() {
  thread_local SpareLists spare;
  return tSpareGone ? nullptr : &spare;
}

}  // namespace

RegionLists::RegionLists() {
  SpareLists* spare = Spare();
  if (!spare) return;
  std::size_t best = 0;  // the set with the most room
  for (std::size_t k = 1; k < SpareLists::kSets; ++k)
    if (spare->Spans[k].capacity() > spare->Spans[best].capacity()) best = k;
  Bands.swap(spare->Bands[best]);
  Spans.swap(spare->Spans[best]);
}

void LeaveRegionLists(std::vector<TBand>& bands, std::vector<TSpan>& spans) {
  if (spans.capacity() < kSpareSpans) return;
  SpareLists* spare = Spare();
  if (!spare) return;
  std::size_t least = 0;  // the set with the least room
  for (std::size_t k = 1; k < SpareLists::kSets; ++k)
    if (spare->Spans[k].capacity() < spare->Spans[least].capacity()) least = k;
  if (spans.capacity() <= spare->Spans[least].capacity()) return;
  bands.clear();
  spans.clear();
  spare->Bands[least].swap(bands);
  spare->Spans[least].swap(spans);
}

Region::~Region() {
  if (FSpans.capacity() >= kSpareSpans) LeaveRegionLists(FBands, FSpans);
}

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
  RegionLists lists;
  std::vector<TBand>& bands = lists.Bands;
  std::vector<TSpan>& spans = lists.Spans;
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

}  // namespace

Region Region::Rectangle(int x1, int y1, int x2, int y2) {
  Region r;
  if (x1 > x2) std::swap(x1, x2);
  if (y1 > y2) std::swap(y1, y2);
  if (x1 < x2 && y1 < y2) r.FExtents = {x1, y1, x2, y2};
  return r;
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

Region Region::Repeated(const Region& r, int dx, int dy, int count) {
  if (r.IsEmpty() || count <= 0) return Region();
  if (dx == 0 && dy == 0) return r;
  // Leave out the copies whose extents would not fit an int.
  const TRect e = r.FExtents;
  auto fits = [&](i64 k) {
    return i64(e.Left) + k * dx >= INT_MIN && i64(e.Right) + k * dx <= INT_MAX &&
           i64(e.Top) + k * dy >= INT_MIN && i64(e.Bottom) + k * dy <= INT_MAX;
  };
  while (count > 1 && !fits(count - 1)) --count;
  if (count == 1) return r;
  RegionLists lists;
  BandWriter out(lists.Bands, lists.Spans);
  // Copies side by side that do not overlap (a copy is no wider than the
  // step) are written band by band, the spans of the copies one after the
  // other; copies stacked the same way are written copy by copy. The band
  // writer merges what touches.
  if (dy == 0 && e.Width() <= std::llabs(dx)) {
    r.ForEachBand([&](int top, int bottom, std::span<const TSpan> spans) {
      for (int k = 0; k < count; ++k) {
        const int shift = int(i64(dx > 0 ? k : count - 1 - k) * dx);
        for (const TSpan& t : spans) out.PushMerging(t.Left + shift, t.Right + shift);
      }
      out.EndBand(top, bottom);
    });
    return RegionOps::Finish(std::move(lists.Bands), std::move(lists.Spans));
  }
  if (dx == 0 && e.Height() <= std::llabs(dy)) {
    for (int k = 0; k < count; ++k) {
      const int shift = int(i64(dy > 0 ? k : count - 1 - k) * dy);
      r.ForEachBand([&](int top, int bottom, std::span<const TSpan> spans) {
        for (const TSpan& t : spans) out.Push(t.Left, t.Right);
        out.EndBand(top + shift, bottom + shift);
      });
    }
    return RegionOps::Finish(std::move(lists.Bands), std::move(lists.Spans));
  }
  // Overlapping copies: every band of every copy goes to the builder.
  RegionBuilder b;
  for (int k = 0; k < count; ++k) {
    const int sx = int(i64(k) * dx), sy = int(i64(k) * dy);
    r.ForEachBand([&](int top, int bottom, std::span<const TSpan> spans) {
      for (const TSpan& t : spans) b.AddRect(t.Left + sx, top + sy, t.Right + sx, bottom + sy);
    });
  }
  return b.Build();
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

}  // namespace vantora
