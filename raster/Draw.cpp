#include "raster/Draw.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "raster/PixelLoops.h"
#include "raster/Rounding.h"

namespace vantora {
namespace {

// The mapping of one axis of a stretch copy: destination pixel d in
// [First, Last) shows source pixel Src(d). The destination interval starts at
// a0 and is la long (negative: mirrored); the source likewise b0, lb. Pixel d
// samples the source at the centre of its cell:
//   s = floor(b0 + (d - a0 + 1/2) * lb / la).
// The map is monotonic, so the destination pixels whose source lies inside
// the source bitmap form one interval, and [First, Last) is that interval cut
// to the target.
class AxisMap {
 public:
  bool Build(int a0, int la, int b0, int lb, int targetSize, int sourceSize) {
    if (la == 0 || lb == 0) return false;
    std::int64_t lo = la > 0 ? a0 : std::int64_t(a0) + la;
    std::int64_t hi = la > 0 ? std::int64_t(a0) + la : a0;
    lo = std::max<std::int64_t>(lo, 0);
    hi = std::min<std::int64_t>(hi, targetSize);
    if (lo >= hi) return false;
    FIdentity = la == lb;
    if (FIdentity) {  // unscaled: s = d + shift
      FShift = std::int64_t(b0) - a0;
      First = int(std::max<std::int64_t>(lo, -FShift));
      Last = int(std::min<std::int64_t>(hi, sourceSize - FShift));
      return First < Last;
    }
    FMap.clear();
    First = int(lo);
    Last = int(lo);
    for (std::int64_t d = lo; d < hi; ++d) {
      // |d - a0| <= |la|, so the quotient stays within 1.5 |lb|.
      const std::int64_t s = b0 + FloorDiv(__int128(2 * (d - a0) + 1) * lb, 2 * std::int64_t(la));
      const bool inside = s >= 0 && s < sourceSize;
      if (!inside) {
        if (FMap.empty()) {
          First = int(d + 1);
          Last = First;
          continue;
        }
        break;  // monotonic: nothing further is inside
      }
      FMap.push_back(int(s));
      Last = int(d + 1);
    }
    return First < Last;
  }

  int Src(int d) const { return FIdentity ? int(d + FShift) : FMap[d - First]; }
  bool Identity() const { return FIdentity; }
  // True when the source index grows with the destination index.
  bool Ascending() const { return FIdentity || FMap.size() < 2 || FMap.back() >= FMap.front(); }
  int SrcMin() const { return std::min(Src(First), Src(Last - 1)); }
  // For a copy of a bitmap onto itself: +1 when every pixel reads at or after
  // itself (visiting upwards reads only pixels not yet written), -1 when every
  // pixel reads at or before itself (visit downwards), 0 when neither holds.
  int InPlaceOrder() const {
    if (FIdentity) return FShift >= 0 ? 1 : -1;
    int lo = 0, hi = 0;
    for (int d = First; d < Last; ++d) {
      lo = std::min(lo, Src(d) - d);
      hi = std::max(hi, Src(d) - d);
    }
    return lo >= 0 ? 1 : hi <= 0 ? -1 : 0;
  }
  int SrcMax() const { return std::max(Src(First), Src(Last - 1)); }

  int First = 0;
  int Last = 0;

 private:
  bool FIdentity = false;
  std::int64_t FShift = 0;
  std::vector<int> FMap;
};

// Calls row(y, x1, x2) for every destination row y in [y1, y2) and every
// piece [x1, x2) of [xa, xb) that lies inside clip (all of it without a clip).
template <class RowFn>
void ForEachClippedRun(int xa, int xb, int y1, int y2, const Region* clip, RowFn&& row) {
  if (!clip) {
    for (int y = y1; y < y2; ++y) row(y, xa, xb);
    return;
  }
  clip->ForEachBand([&](int top, int bottom, std::span<const TSpan> spans) {
    const int t = std::max(top, y1), b = std::min(bottom, y2);
    for (int y = t; y < b; ++y)
      for (const TSpan& s : spans) {
        const int l = std::max(s.Left, xa), r = std::min(s.Right, xb);
        if (l < r) row(y, l, r);
      }
  });
}

// Copies n > 0 pixels. Regions of many small shapes draw spans of a few
// pixels, where a library call costs more than the copy: those are moved in
// 16-byte pieces, the last one overlapping the one before.
inline void CopyPixels(TPixel* d, const TPixel* s, int n, TStores stores) {
  if (n > 32) {
    CopyPixelRun(d, s, std::size_t(n), stores);
  } else if (n >= 4) {
    for (int i = 0; i + 4 < n; i += 4) std::memcpy(d + i, s + i, 4 * sizeof(TPixel));
    std::memcpy(d + n - 4, s + n - 4, 4 * sizeof(TPixel));
  } else {
    d[0] = s[0];
    if (n > 1) d[1] = s[1];
    if (n > 2) d[2] = s[2];
  }
}

// The source column of every destination column of xs, less offset.
std::vector<int> ColumnMap(const AxisMap& xs, int offset) {
  std::vector<int> cols(std::size_t(xs.Last - xs.First));
  for (int x = xs.First; x < xs.Last; ++x) cols[std::size_t(x - xs.First)] = xs.Src(x) - offset;
  return cols;
}

// Copies the mapped pixels onto dst. from holds the source pixels from
// (sxOff, syOff) on: src itself with no offsets, or a copy of the part of it
// that the mapping reads. xs and ys are already cut to dst and the source.
void CopyMapped(Bitmap& dst, const Bitmap& from, const AxisMap& xs, const AxisMap& ys, int sxOff,
                int syOff, const Region* clip) {
  const TStores stores = StoresFor(dst);
  if (xs.Identity()) {
    const int shiftX = xs.Src(xs.First) - xs.First - sxOff;
    if (!clip && ys.Identity() && shiftX == 0 && xs.First == 0 && xs.Last == dst.Width() &&
        from.Width() == dst.Width()) {
      // Whole rows of equal bitmaps lie back to back: one copy of the block.
      CopyPixelRun(dst.ScanLine(ys.First), from.ScanLine(ys.Src(ys.First) - syOff),
                   std::size_t(ys.Last - ys.First) * std::size_t(dst.Width()), stores);
      return;
    }
    ForEachClippedRun(xs.First, xs.Last, ys.First, ys.Last, clip, [&](int y, int x1, int x2) {
      CopyPixelRun(dst.ScanLine(y) + x1, from.ScanLine(ys.Src(y) - syOff) + x1 + shiftX,
                   std::size_t(x2 - x1), stores);
    });
    return;
  }
  // Scaled columns: a gather through a per-column table, computed once.
  const std::vector<int> cols = ColumnMap(xs, sxOff);
  const int n = xs.Last - xs.First;
  if (!clip) {
    // Rows that show the same source row as the one above (a magnified
    // picture repeats each row) copy that finished row instead. The part of
    // a source row that the columns read is asked for one row ahead: it
    // starts on another page than the part read before, where the
    // processor's own prefetching does not follow.
    const int readFrom = std::min(cols.front(), cols.back());
    const int readCount = std::max(cols.front(), cols.back()) - readFrom + 1;
    for (int y = ys.First; y < ys.Last; ++y) {
      TPixel* d = dst.ScanLine(y) + xs.First;
      if (y + 1 < ys.Last && ys.Src(y + 1) != ys.Src(y))
        PrefetchPixels(from.ScanLine(ys.Src(y + 1) - syOff) + readFrom, readCount);
      if (y > ys.First && ys.Src(y) == ys.Src(y - 1))
        CopyPixelRun(d, dst.ScanLine(y - 1) + xs.First, std::size_t(n), stores);
      else
        GatherPixels(d, from.ScanLine(ys.Src(y) - syOff), from.Width(), cols.data(), n, stores);
    }
    return;
  }
  ForEachClippedRun(xs.First, xs.Last, ys.First, ys.Last, clip, [&](int y, int x1, int x2) {
    GatherPixels(dst.ScanLine(y) + x1, from.ScanLine(ys.Src(y) - syOff), from.Width(),
                 cols.data() + (x1 - xs.First), x2 - x1, stores);
  });
}

// Scaled onto itself without a clip (the push-and-squeeze effects), the rows
// having a safe visiting order (AxisMap::InPlaceOrder of ys, never 0 here):
// rows are visited in that order, so every row is read before it is
// overwritten. Within a row, an unscaled copy is a memmove and a scaled one
// gathers from a copy of its source row, so the columns need no order.
void CopyInPlaceOrdered(Bitmap& dst, const AxisMap& xs, const AxisMap& ys, int yOrder) {
  const int rows = ys.Last - ys.First, n = xs.Last - xs.First;
  std::vector<int> cols;
  std::vector<TPixel> source;
  if (!xs.Identity()) {
    cols = ColumnMap(xs, xs.SrcMin());
    source.resize(std::size_t(xs.SrcMax() - xs.SrcMin() + 1));
  }
  for (int i = 0; i < rows; ++i) {
    const int y = yOrder > 0 ? ys.First + i : ys.Last - 1 - i;
    TPixel* d = dst.ScanLine(y);
    const TPixel* s = dst.ScanLine(ys.Src(y));
    if (xs.Identity()) {
      std::memmove(d + xs.First, s + xs.Src(xs.First), std::size_t(n) * sizeof(TPixel));
    } else {
      std::memcpy(source.data(), s + xs.SrcMin(), source.size() * sizeof(TPixel));
      GatherPixels(d + xs.First, source.data(), int(source.size()), cols.data(), n, StoresFor(dst));
    }
  }
}

// A copy of a bitmap onto itself must read the old pixels. The unscaled
// case is a row-wise memmove in the right row order, a scaled one without a
// clip is done in place when its rows allow it; anything else reads from a
// copy of the source area it needs.
void CopyWithinBitmap(Bitmap& dst, const AxisMap& xs, const AxisMap& ys, const Region* clip) {
  if (xs.Identity() && ys.Identity()) {
    const int shiftY = ys.Src(ys.First) - ys.First;
    auto copyRow = [&](int y, int x1, int x2) {
      std::memmove(dst.ScanLine(y) + x1, dst.ScanLine(y + shiftY) + xs.Src(x1),
                   std::size_t(x2 - x1) * sizeof(TPixel));
    };
    if (shiftY >= 0) {  // reading the same row or below: top-down is safe
      ForEachClippedRun(xs.First, xs.Last, ys.First, ys.Last, clip, copyRow);
      return;
    }
    if (!clip) {  // reading above: bottom-up
      for (int y = ys.Last - 1; y >= ys.First; --y) copyRow(y, xs.First, xs.Last);
      return;
    }
  }
  const int yOrder = ys.InPlaceOrder();
  if (!clip && yOrder != 0) {
    CopyInPlaceOrdered(dst, xs, ys, yOrder);
    return;
  }
  const int sx0 = xs.SrcMin(), sx1 = xs.SrcMax() + 1;
  const int sy0 = ys.SrcMin(), sy1 = ys.SrcMax() + 1;
  Bitmap scratch(sx1 - sx0, sy1 - sy0);
  for (int y = sy0; y < sy1; ++y)
    std::memcpy(scratch.ScanLine(y - sy0), dst.ScanLine(y) + sx0,
                std::size_t(sx1 - sx0) * sizeof(TPixel));
  CopyMapped(dst, scratch, xs, ys, sx0, sy0, clip);
}

}  // namespace

void StretchCopy(Bitmap& dst, const TRect& a, const Bitmap& src, const TRect& b,
                 const Region* clip) {
  if (dst.Empty() || src.Empty()) return;
  AxisMap xs, ys;
  if (!xs.Build(a.Left, a.Width(), b.Left, b.Width(), dst.Width(), src.Width())) return;
  if (!ys.Build(a.Top, a.Height(), b.Top, b.Height(), dst.Height(), src.Height())) return;
  if (clip && (clip->IsEmpty() ||
               intersected(clip->Extents(), {xs.First, ys.First, xs.Last, ys.Last}).IsEmpty()))
    return;
  if (&src == &dst)
    CopyWithinBitmap(dst, xs, ys, clip);
  else
    CopyMapped(dst, src, xs, ys, 0, 0, clip);
  if (StoresFor(dst) == tsStreamed) EndStreamedStores();
}

void DrawAt(Bitmap& dst, int x, int y, const Bitmap& src, const Region* clip) {
  const TRect r{x, y, x + src.Width(), y + src.Height()};
  StretchCopy(dst, r, src, src.BoundsRect(), clip);
}

namespace {

// Whether a band's spans cover whole rows w pixels wide.
bool WholeRows(std::span<const TSpan> spans, int w) {
  return spans.size() == 1 && spans[0].Left <= 0 && spans[0].Right >= w;
}

// Draws rows [t, b) of src onto dst through the spans of one band; w is the
// width both bitmaps have (the narrower one's), t and b lie inside both.
void DrawBand(Bitmap& dst, const Bitmap& src, int t, int b, std::span<const TSpan> spans, int w,
              TStores stores) {
  if (dst.Width() == src.Width() && WholeRows(spans, w)) {
    // The band covers whole rows, which lie back to back: one copy.
    CopyPixelRun(dst.ScanLine(t), src.ScanLine(t), std::size_t(b - t) * std::size_t(w), stores);
    return;
  }
  // Row by row, so that both bitmaps are read and written in memory order.
  for (int y = t; y < b; ++y) {
    TPixel* d = dst.ScanLine(y);
    const TPixel* from = src.ScanLine(y);
    for (const TSpan& s : spans) {
      const int l = std::max(s.Left, 0), r = std::min(s.Right, w);
      if (l < r) CopyPixels(d + l, from + l, r - l, stores);
    }
  }
}

}  // namespace

void ClippedDraw(Bitmap& dst, const Bitmap& src, const Region& g) {
  const int w = std::min(dst.Width(), src.Width()), h = std::min(dst.Height(), src.Height());
  if (w <= 0 || h <= 0) return;
  const TStores stores = StoresFor(dst);
  g.ForEachBand([&](int top, int bottom, std::span<const TSpan> spans) {
    const int t = std::max(top, 0), b = std::min(bottom, h);
    if (t < b) DrawBand(dst, src, t, b, spans, w, stores);
  });
  if (stores == tsStreamed) EndStreamedStores();
}

void MergedDraw(Bitmap& dst, const Bitmap& old, const Bitmap& src, const Region& g) {
  const int w = dst.Width(), h = dst.Height();
  if (old.Width() != w || old.Height() != h || src.Width() != w || src.Height() != h) {
    DrawAt(dst, 0, 0, old);
    ClippedDraw(dst, src, g);
    return;
  }
  const TStores stores = StoresFor(dst);
  // A band of several rows with many pieces per row picks each pixel from
  // either picture by a mask made once for the band: copying short pieces
  // one by one costs more than the memory they move. A band of whole rows
  // takes them from src. Any other band (few pieces, or one row: the rows of
  // a slanted shape all differ) is drawn through its spans over the old
  // rows. The old rows are copied first, in runs as long as the first two
  // kinds allow: taking a row's pieces from both pictures in turn measured
  // slower, as each piece starts a stream of reads that the processor's
  // prefetching must find again.
  auto masked = [](int t, int b, std::span<const TSpan> spans) {
    return spans.size() > 2 && b - t > 1;
  };
  auto clampedBand = [h, &g](auto&& f) {
    g.ForEachBand([&](int top, int bottom, std::span<const TSpan> spans) {
      const int t = std::clamp(top, 0, h), b = std::clamp(bottom, 0, h);
      if (t < b) f(t, b, spans);
    });
  };
  int done = 0;  // the old rows above are copied or left to a masked or whole band
  auto oldRows = [&](int to) {
    if (to > done)
      CopyPixelRun(dst.ScanLine(done), old.ScanLine(done), std::size_t(to - done) * std::size_t(w),
                   stores);
    done = std::max(done, to);
  };
  clampedBand([&](int t, int b, std::span<const TSpan> spans) {
    if (!masked(t, b, spans) && !WholeRows(spans, w)) return;
    oldRows(t);
    done = b;
  });
  oldRows(h);
  std::vector<std::uint32_t> mask;
  clampedBand([&](int t, int b, std::span<const TSpan> spans) {
    if (!masked(t, b, spans)) {
      DrawBand(dst, src, t, b, spans, w, stores);
      return;
    }
    mask.assign(std::size_t(w), 0u);
    for (const TSpan& s : spans) {
      const int l = std::clamp(s.Left, 0, w), r = std::clamp(s.Right, l, w);
      std::fill(mask.begin() + l, mask.begin() + r, ~0u);
    }
    for (int y = t; y < b; ++y)
      SelectPixels(dst.ScanLine(y), old.ScanLine(y), src.ScanLine(y), mask.data(), std::size_t(w),
                   stores);
  });
  if (stores == tsStreamed) EndStreamedStores();
}

void FillRect(Bitmap& dst, const TRect& r, TPixel color, const Region* clip) {
  const TRect c = intersected(r, dst.BoundsRect());
  if (c.IsEmpty()) return;
  ForEachClippedRun(c.Left, c.Right, c.Top, c.Bottom, clip, [&](int y, int x1, int x2) {
    std::fill(dst.ScanLine(y) + x1, dst.ScanLine(y) + x2, color);
  });
}

void TileDraw(Bitmap& dst, const TRect& r, const Bitmap& src, const Region* clip) {
  if (src.Empty()) return;
  const int w = src.Width(), h = src.Height();
  const int rows = r.Height() / h + 1, columns = r.Width() / w + 1;
  // Only the tiles that meet the visible part are drawn: a small tile on a
  // large target gives many thousands of tiles, and a paint of a small
  // rectangle needs a few of them. The tiles may stick out past r; the target
  // (and the clip) cut them, not r.
  TRect visible =
      intersected({r.Left, r.Top, r.Left + columns * w, r.Top + rows * h}, dst.BoundsRect());
  if (clip) visible = intersected(visible, clip->Extents());
  if (visible.IsEmpty()) return;
  const int row0 = (visible.Top - r.Top) / h, row1 = (visible.Bottom - 1 - r.Top) / h + 1;
  const int column0 = (visible.Left - r.Left) / w;
  const int column1 = (visible.Right - 1 - r.Left) / w + 1;
  for (int row = row0; row < row1; ++row)
    for (int column = column0; column < column1; ++column)
      DrawAt(dst, r.Left + column * w, r.Top + row * h, src, clip);
}

void CenterDraw(Bitmap& dst, const TRect& r, const Bitmap& src, const Region* clip) {
  if (src.Empty()) return;
  DrawAt(dst, (r.Width() - src.Width()) / 2, (r.Height() - src.Height()) / 2, src, clip);
}

}  // namespace vantora
