#pragma once
// The two per-pixel routines of the fade and pivot effects, exposed so that
// tests can hold them against the plain formulas.

#include <cstdint>

#include "raster/Bitmap.h"
#include "raster/PixelLoops.h"

namespace vantora {

// x div 100 for 0 <= x <= 25500 as a multiply and a shift: 5243 / 2^19
// exceeds 1 / 100 by less than the smallest step the truncation can notice in
// that range. Written as the high half of a 16 x 16-bit product, shifted by
// 3, so that the blend loop vectorises to 16-bit lanes without a division.
constexpr std::uint16_t Div100(std::uint16_t x) {
  return std::uint16_t(std::uint16_t((std::uint32_t(x) * 5243u) >> 16) >> 3);
}

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
