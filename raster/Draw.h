#pragma once
// Drawing operations on bitmaps, in place of the platform's canvas calls.
//
// Every operation clips its destination to the target bitmap (and to the
// clip region when one is given) before it touches a pixel, and returns at
// once when nothing is left. Stretching never blends: every destination
// pixel shows exactly one source pixel (colour-on-colour).

#include "raster/Bitmap.h"
#include "raster/Rect.h"
#include "raster/Region.h"

namespace vantora {

// Stretch copy of rectangle b of src onto rectangle a of dst. Each axis is
// scaled on its own; a rectangle whose Right < Left (or Bottom < Top) mirrors
// that axis and covers the same pixels as its normalised form. The mapping is
// computed on the whole of a, while only the part of a inside dst (and inside
// clip, if given) is written; destination pixels whose source pixel lies
// outside src are left alone. src may be dst itself, with overlapping
// rectangles: the old pixels are read.
void StretchCopy(Bitmap& dst, const TRect& a, const Bitmap& src, const TRect& b,
                 const Region* clip = nullptr);

// Plain copy: the pixels of rectangle r of src appear at the same place in dst.
inline void PlainCopy(Bitmap& dst, const TRect& r, const Bitmap& src) {
  StretchCopy(dst, r, src, r);
}

// The whole of src drawn unscaled with its top-left corner at (x, y).
void DrawAt(Bitmap& dst, int x, int y, const Bitmap& src, const Region* clip = nullptr);

// The whole of src drawn at (0, 0) through region g, copying whole spans.
void ClippedDraw(Bitmap& dst, const Bitmap& src, const Region& g);

// The whole of dst made in one pass: the pixels inside region g from src, all
// others from old. The same pixels as drawing old at (0, 0) and then src
// through g (ClippedDraw), with every pixel written once instead of up to
// twice. dst, old and src have one size (otherwise it does just that).
void MergedDraw(Bitmap& dst, const Bitmap& old, const Bitmap& src, const Region& g);

// Solid fill of rectangle r.
void FillRect(Bitmap& dst, const TRect& r, TPixel color, const Region* clip = nullptr);

// Background drawing: src repeated from the top-left of r (rows :=
// height(r) div height(src) + 1, columns likewise; the last ones are cut by
// dst), centred on dst (cut equally on both sides when larger), or stretched
// onto r.
void TileDraw(Bitmap& dst, const TRect& r, const Bitmap& src, const Region* clip = nullptr);
void CenterDraw(Bitmap& dst, const TRect& r, const Bitmap& src, const Region* clip = nullptr);
inline void StretchDraw(Bitmap& dst, const TRect& r, const Bitmap& src,
                        const Region* clip = nullptr) {
  StretchCopy(dst, r, src, src.BoundsRect(), clip);
}

}  // namespace vantora
