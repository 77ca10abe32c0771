#include "effects/EffectKit.h"

#include <algorithm>

#include "raster/Region.h"

namespace vantora {
namespace {

bool IsPlain(const TCopy& c) { return c.Src == c.Dst; }

// A rectangle with Right < Left (or Bottom < Top) covers the pixels of its
// normalised form.
TRect Normalized(const TRect& r) {
  return {std::min(r.Left, r.Right), std::min(r.Top, r.Bottom), std::max(r.Left, r.Right),
          std::max(r.Top, r.Bottom)};
}

bool Overlap(const TRect& a, const TRect& b) {
  return !intersected(Normalized(a), Normalized(b)).IsEmpty();
}

bool PlainOverlapping(const TCopies& copies) {
  bool overlap = false;
  for (const TCopy* a = copies.begin(); a != copies.end(); ++a) {
    if (!IsPlain(*a)) return false;
    for (const TCopy* b = copies.begin(); b != a; ++b) overlap = overlap || Overlap(a->Dst, b->Dst);
  }
  return overlap;
}

}  // namespace

void DrawCopies(Bitmap& Screen, const Bitmap& Image, const TCopies& copies) {
  if (PlainOverlapping(copies)) {
    RegionBuilder all;
    for (const TCopy& c : copies) all.AddRect(c.Dst.Left, c.Dst.Top, c.Dst.Right, c.Dst.Bottom);
    ClippedDraw(Screen, Image, all.Build());
    return;
  }
  for (const TCopy& c : copies) StretchCopy(Screen, c.Dst, Image, c.Src);
}

}  // namespace vantora
