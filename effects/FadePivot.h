#pragma once
// The two per-pixel routines of the fade and pivot effects, exposed so that
// tests can hold them against the plain formulas.

#include <cstdint>

#include "raster/Bitmap.h"

namespace vantora {

// x div 100 for 0 <= x <= 25500 (and beyond, up to 43689) as a multiply and a
// shift: 5243 / 2^19 exceeds 1 / 100 by less than the smallest step the
// truncation can notice in that range. Keeps the blend loop free of division.
constexpr std::uint32_t Div100(std::uint32_t x) { return (x * 5243u) >> 19; }

// Screen := ((100 - P) x Screen + P x Image) div 100 in every colour byte;
// byte 3 is left alone. Both bitmaps have the same size; P is 0..100.
void FadeBlend(Bitmap& Screen, const Bitmap& Image, int P);

// Copies into Screen every pixel of Image that the rotation by Theta about
// (CX, CY) maps into the picture, in 16.16 fixed point with rows counted from
// the bottom; the other pixels of Screen keep what they hold.
void PivotCopy(Bitmap& Screen, const Bitmap& Image, int CX, int CY, long double Theta);

}  // namespace vantora
