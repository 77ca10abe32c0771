#pragma once
// The two per-frame routines of the fade and pivot effects, exposed so that
// tests can hold them against the plain formulas. Their pixel loops, and
// Div100, are in raster/PixelLoops.h.

#include <cstdint>

#include "raster/Bitmap.h"
#include "raster/PixelLoops.h"

namespace vantora {

// Both routines run the AVX2 build of their loops where the processor has
// it, unless told plPlain (raster/PixelLoops.h).

// Screen := ((100 - P) x Screen + P x Image) div 100 in every colour byte;
// byte 3 is left alone. Both bitmaps have the same size; P is 0..100.
void FadeBlend(Bitmap& Screen, const Bitmap& Image, int P, TPixelLoop loop = plBest);

// Copies into Screen every pixel of Image that the rotation by Theta about
// (CX, CY) maps into the picture, in 16.16 fixed point with rows counted from
// the bottom; the other pixels of Screen keep what they hold.
void PivotCopy(Bitmap& Screen, const Bitmap& Image, int CX, int CY, long double Theta,
               TPixelLoop loop = plBest);

}  // namespace vantora
