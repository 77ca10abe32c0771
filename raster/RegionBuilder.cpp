#include <algorithm>
#include <climits>
#include <cstdint>
#include <vector>

#include "raster/Region.h"
#include "raster/RegionBands.h"
#include "raster/RegionScan.h"

namespace vantora {

// The memory of the lists that builders of this thread gave back, the last
// given back on top, so building a region per frame does not fetch fresh
// pages from the system on every frame. Builders alive at the same time (a
// region repeated by a builder while the builder of the piece repeated is
// still alive) each take a set of their own; a single set would leave the
// inner one to grow its lists afresh on every frame.
struct RegionBuilder::TSpare {
  std::vector<TPiece> Pieces, Group, Active, Merged, ShapePieces;
  std::vector<std::uint32_t> Head, Link;
};

namespace {
constexpr std::size_t kMaxSpares = 4;
}  // namespace

std::vector<RegionBuilder::TSpare>& RegionBuilder::Spares() {
  thread_local std::vector<TSpare> spares = [] {
    std::vector<TSpare> v;
    v.reserve(kMaxSpares);  // giving back never allocates
    return v;
  }();
  return spares;
}

// Calls f(list, spare) for each of the builder's lists and its spare.
template <class F>
void RegionBuilder::ForEachList(TSpare& spare, F f) {
  f(FPieces, spare.Pieces);
  f(FGroup, spare.Group);
  f(FActive, spare.Active);
  f(FMerged, spare.Merged);
  f(FShapePieces, spare.ShapePieces);
  f(FHead, spare.Head);
  f(FLink, spare.Link);
}

RegionBuilder::RegionBuilder() {
  std::vector<TSpare>& spares = Spares();
  if (spares.empty()) return;
  ForEachList(spares.back(), [](auto& list, auto& spare) {
    list.swap(spare);
    list.clear();
  });
  spares.pop_back();
}

RegionBuilder::~RegionBuilder() {
  std::vector<TSpare>& spares = Spares();
  if (spares.size() == kMaxSpares) return;
  spares.emplace_back();
  ForEachList(spares.back(), [](auto& list, auto& spare) {
    list.clear();
    spare.swap(list);
  });
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

// The pieces in groups of equal Top, taken in order of Top: a list per row
// when the rows span little more than there are pieces (the usual case of
// many small pieces on a frame), a comparison sort otherwise, so that memory
// stays proportional to the pieces. Either way a row's group keeps the order
// in which its pieces came, mostly a few sorted runs.
template <class Piece>
class TopGroups {
 public:
  // head and link are the lists' memory, kept by the builder between builds.
  TopGroups(std::vector<Piece>& pieces, std::vector<std::uint32_t>& head,
            std::vector<std::uint32_t>& link)
      : FPieces(pieces), FHead(head), FLink(link) {
    i64 maxT = INT64_MIN;
    for (const Piece& p : pieces) {
      FMinT = std::min<i64>(FMinT, p.Top);
      maxT = std::max<i64>(maxT, p.Top);
    }
    FListed = maxT - FMinT < std::max<i64>(4 * i64(pieces.size()), 4096);
    if (FListed) {
      head.assign(std::size_t(maxT - FMinT + 1), kNone);
      link.resize(pieces.size());
      for (std::size_t i = pieces.size(); i-- > 0;) {
        std::uint32_t& h = head[std::size_t(pieces[i].Top - FMinT)];
        link[i] = h;
        h = std::uint32_t(i);
      }
    } else {
      std::stable_sort(pieces.begin(), pieces.end(),
                       [](const Piece& a, const Piece& b) { return a.Top < b.Top; });
    }
  }

  // The Top of the next group, INT64_MAX when there is none.
  i64 NextTop() {
    if (FListed) {
      while (FCursor < FHead.size() && FHead[FCursor] == kNone) ++FCursor;
      return FCursor < FHead.size() ? FMinT + i64(FCursor) : INT64_MAX;
    }
    return FCursor < FPieces.size() ? FPieces[FCursor].Top : INT64_MAX;
  }

  // Appends the next group, whose Top NextTop gave, to group.
  void Take(i64 top, std::vector<Piece>& group) {
    if (FListed) {
      for (std::uint32_t i = FHead[FCursor]; i != kNone; i = FLink[i]) group.push_back(FPieces[i]);
      ++FCursor;
    } else {
      while (FCursor < FPieces.size() && FPieces[FCursor].Top == top)
        group.push_back(FPieces[FCursor++]);
    }
  }

 private:
  static constexpr std::uint32_t kNone = UINT32_MAX;
  std::vector<Piece>& FPieces;
  std::vector<std::uint32_t>& FHead;  // listed: the first piece of each row
  std::vector<std::uint32_t>& FLink;  // listed: the next piece of the same row
  i64 FMinT = INT64_MAX;
  bool FListed = false;
  std::size_t FCursor = 0;  // listed: the next row to look at; sorted: the next piece
};

}  // namespace

Region RegionBuilder::Build() {
  if (FPieces.empty()) return Region();
  if (FPieces.size() == 1) {
    const TPiece p = FPieces.front();
    FPieces.clear();
    return Region::Rectangle(p.Left, p.Top, p.Right, p.Bottom);
  }
  TopGroups<TPiece> groups(FPieces, FHead, FLink);
  RegionLists lists;
  // Usually one span per piece at most (one-row pieces of triangles and
  // polygons); reserving it at once saves the copies of a growing list.
  lists.Spans.reserve(FPieces.size());
  Sweep(groups, lists);
  FPieces.clear();
  return RegionOps::Finish(std::move(lists.Bands), std::move(lists.Spans));
}

// Sweeps down over the pieces' top and bottom edges. The active pieces are
// kept sorted by Left; between two edges their union is one band.
template <class Groups>
void RegionBuilder::Sweep(Groups& groups, RegionLists& lists) {
  BandWriter out(lists.Bands, lists.Spans);
  std::vector<TPiece>& group = FGroup;
  std::vector<TPiece>& active = FActive;
  std::vector<TPiece>& merged = FMerged;
  active.clear();
  i64 top = groups.NextTop();
  int y = int(top);
  while (top != INT64_MAX || !active.empty()) {
    if (active.empty()) y = std::max<int>(y, int(top));
    // Drop the pieces that ended above y.
    std::size_t keep = 0;
    for (const TPiece& p : active)
      if (p.Bottom > y) active[keep++] = p;
    active.resize(keep);
    // Let in the pieces that start on row y, in order of Left. The band runs
    // until the first active piece ends or the next group starts.
    group.clear();
    if (top == y) {
      groups.Take(top, group);
      top = groups.NextTop();
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
}

}  // namespace vantora
