#pragma once
// Regions: sets of pixels used to clip drawing.
//
// Representation. A region is its extents plus, unless it is a single
// rectangle, a list of y-bands. Each band covers rows [Top, Bottom) and holds
// its x-spans [Left, Right). Banding invariant (checked by SelfCheck in debug
// builds):
//   - bands are sorted by Top, do not overlap and are never empty;
//   - within a band the spans are sorted, non-empty, and neither overlap nor
//     touch (touching spans are merged);
//   - two vertically adjacent bands (one's Bottom is the next one's Top) never
//     hold the same spans (they would have been coalesced);
//   - the extents are the bounding box of all spans.
// A region that is one rectangle keeps only its extents and allocates nothing.
//
// Building. Effects build regions out of hundreds of rectangles or thousands
// of triangles per frame. RegionBuilder keeps rectangles whole and turns
// triangles and polygons into one-row pieces, sorts all pieces by top edge
// once and sweeps down over their top and bottom edges, so a tall rectangle
// costs one piece, not one per row; each band of the result costs the pieces
// that cover it, and the pieces that start on one row are put in order by
// merging the sorted runs they came in.

#include <cstdint>
#include <span>
#include <vector>

#include "raster/Rect.h"

namespace vantora {

struct TSpan {
  int Left = 0;
  int Right = 0;
  friend bool operator==(const TSpan&, const TSpan&) = default;
};

struct TBand {
  int Top = 0;
  int Bottom = 0;
  std::uint32_t First = 0;  // index of the band's first span in the region's span list
  std::uint32_t Count = 0;  // number of spans
};

enum TCombineMode { cmAnd = 1, cmOr = 2, cmXor = 3 };

class Region {
 public:
  Region() = default;  // the empty region
  Region(const Region&) = default;
  Region(Region&&) noexcept = default;
  Region& operator=(const Region&) = default;
  Region& operator=(Region&&) noexcept = default;
  // Leaves the memory of large lists to the next region made on this thread.
  ~Region();

  // The pixels with x1 <= x < x2 and y1 <= y < y2 (coordinates in any order
  // are normalised, as the platform's rectangle regions are).
  static Region Rectangle(int x1, int y1, int x2, int y2);
  static Region Rectangle(const TRect& r) { return Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
  // The rectangle with each corner rounded by a quarter of an ellipse w wide
  // and h high; w and h are each limited to the rectangle's width and height.
  static Region RoundRect(int x1, int y1, int x2, int y2, int w, int h);
  // A filled polygon, winding rule. Fewer than three points, or no area,
  // gives the empty region.
  static Region Polygon(std::span<const TPoint> points);
  // The union of count copies of r, copy k moved by (k dx, k dy): a row or
  // column of equal shapes made from one. Copies that would reach past the
  // int range are left out.
  static Region Repeated(const Region& r, int dx, int dy, int count);

  // this := this (op) other, as the platform's region combination does.
  void Combine(const Region& other, TCombineMode mode);
  void Unite(const Region& other) { Combine(other, cmOr); }
  void Intersect(const Region& other) { Combine(other, cmAnd); }
  void Xor(const Region& other) { Combine(other, cmXor); }

  bool IsEmpty() const { return FExtents.IsEmpty(); }
  bool IsRectangle() const { return !IsEmpty() && FBands.empty(); }
  TRect Extents() const { return FExtents; }
  bool Contains(int x, int y) const;
  std::int64_t Area() const;

  // Calls f(top, bottom, spans) for every band from the top down; a
  // rectangular region yields one band with one span, without allocating.
  template <class F>
  void ForEachBand(F&& f) const {
    if (IsEmpty()) return;
    if (FBands.empty()) {
      const TSpan one{FExtents.Left, FExtents.Right};
      f(FExtents.Top, FExtents.Bottom, std::span<const TSpan>(&one, 1));
      return;
    }
    for (const TBand& b : FBands)
      f(b.Top, b.Bottom, std::span<const TSpan>(FSpans.data() + b.First, b.Count));
  }

  // Verifies the banding invariant; asserts in debug builds, returns false otherwise.
  bool SelfCheck() const;

  friend bool operator==(const Region& a, const Region& b);

 private:
  friend class RegionBuilder;
  friend struct RegionOps;
  TRect FExtents;
  std::vector<TBand> FBands;  // empty for an empty or a rectangular region
  std::vector<TSpan> FSpans;
};

struct RegionLists;

// Collects many pieces and makes their union in one pass.
class RegionBuilder {
 public:
  // A builder takes over the list memory that a builder of its thread gave
  // back, so building a region per frame does not fetch fresh pages from the
  // system on every frame.
  RegionBuilder();
  ~RegionBuilder();

  void AddRect(int x1, int y1, int x2, int y2);
  void AddTriangle(int x1, int y1, int x2, int y2, int x3, int y3);
  // The union of everything added; the builder is empty again afterwards.
  Region Build();

 private:
  // A rectangle [Left, Right) x [Top, Bottom); triangles and polygons add
  // one piece per row.
  struct TPiece {
    int Top, Bottom, Left, Right;
  };
  std::vector<TPiece> FPieces;
  // The sweep's lists in Build: the pieces grouped by top row (FHead, FLink),
  // the group that starts on a row, the active pieces and a merge buffer.
  std::vector<std::uint32_t> FHead, FLink;
  std::vector<TPiece> FGroup, FActive, FMerged;
  // The last triangle's shape (its second and third vertex less its first)
  // and its pieces less its first vertex. Which pixels a triangle covers
  // depends only on differences of coordinates, so a triangle of the same
  // shape elsewhere (a grid of equal triangles) reuses the pieces, moved.
  bool FShapeKnown = false;
  std::int64_t FShape[4] = {};
  std::vector<TPiece> FShapePieces;
  // Build's sweep down over the pieces, taken in groups of equal top, into
  // the bands and spans of the union.
  template <class Groups>
  void Sweep(Groups& groups, RegionLists& lists);
  // A builder takes over the memory of these lists that a builder of its
  // thread gave back.
  struct TSpare;
  static std::vector<TSpare>& Spares();
  template <class F>
  void ForEachList(TSpare& spare, F f);
};

}  // namespace vantora
