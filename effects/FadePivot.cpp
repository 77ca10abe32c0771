#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "effects/FadePivot.h"
#include "effects/Families.h"
#include "raster/Rounding.h"

namespace vantora {

void FadeBlend(Bitmap& Screen, const Bitmap& Image, int P, TPixelLoop loop) {
  BlendPixels(Screen.Bits(), Image.Bits(),
              std::size_t(Image.Width()) * std::size_t(Image.Height()), P, loop);
}

namespace {

// Narrows [first, last] to the j for which lo <= a + j * c <= hi.
void KeepWhereInside(std::int64_t a, std::int64_t c, std::int64_t lo, std::int64_t hi,
                     std::int64_t& first, std::int64_t& last) {
  if (c == 0) {
    if (a < lo || a > hi) last = first - 1;
  } else if (c > 0) {
    first = std::max(first, CeilDiv(lo - a, c));
    last = std::min(last, FloorDiv(hi - a, c));
  } else {
    first = std::max(first, CeilDiv(hi - a, c));
    last = std::min(last, FloorDiv(lo - a, c));
  }
}

}  // namespace

// For the pixel at column j, row i (destination u := j + 1 - CX and
// v := H - i - CY, both counting up from the bottom edge) the source is
//   sx := CX + ((u cosQ - v sinQ) >> 16),  sy := CY + ((u sinQ + v cosQ) >> 16),
// in signed 32-bit arithmetic with wrap-around, sy counting rows from the
// bottom. Along a row u grows by one, so the two sums grow by cosQ and sinQ:
// the loops add instead of multiplying.
//
// When no sum can leave the 32-bit range (the sums are linear in u and v, so
// checking the four corners of the frame is enough), the columns whose source
// lies inside the picture form one interval per row, found exactly with
// integer floor and ceiling divisions, and the loop over it copies without a
// test. (Walking the frame in tiles to keep the slanted source band in the
// cache measured slower than plain rows with the look-ahead above.)
// Otherwise (pictures whose width plus height reaches 2^15) every pixel is
// tested, with the wrapped sums, exactly as the formula reads.
void PivotCopy(Bitmap& Screen, const Bitmap& Image, int CX, int CY, long double Theta,
               TPixelLoop loop) {
  const int W = Image.Width(), H = Image.Height();
  if (W <= 0 || H <= 0) return;
  const auto sinQ = std::int32_t(std::sin(-Theta) * 65536.0L);  // truncates toward zero
  const auto cosQ = std::int32_t(std::cos(-Theta) * 65536.0L);

  auto sumA = [&](std::int64_t u, std::int64_t v) { return u * cosQ - v * sinQ; };
  auto sumB = [&](std::int64_t u, std::int64_t v) { return u * sinQ + v * cosQ; };
  const std::int64_t u0 = 1 - std::int64_t(CX), u1 = std::int64_t(W) - CX;
  const std::int64_t v0 = 1 - std::int64_t(CY), v1 = std::int64_t(H) - CY;
  bool exact = true;
  for (std::int64_t u : {u0, u1})
    for (std::int64_t v : {v0, v1})
      for (std::int64_t sum : {sumA(u, v), sumB(u, v)})
        exact = exact && sum >= INT32_MIN && sum <= INT32_MAX;
  auto rowV = [&](int i) { return std::int64_t(H) - i - CY; };

  if (!exact) {
    for (int i = 0; i < H; ++i) {
      TPixel* row = Screen.ScanLine(i);
      std::uint32_t a = std::uint32_t(sumA(u0, rowV(i)));  // wraps as 32-bit sums do
      std::uint32_t b = std::uint32_t(sumB(u0, rowV(i)));
      for (int j = 0; j < W; ++j) {
        const std::int32_t sx = CX + (std::int32_t(a) >> 16), sy = CY + (std::int32_t(b) >> 16);
        if (sx >= 0 && sx < W && sy >= 0 && sy < H) row[j] = Image.Pixel(sx, H - 1 - sy);
        a += std::uint32_t(cosQ);
        b += std::uint32_t(sinQ);
      }
    }
    return;
  }

  // Going kPivotAhead rows down lowers v by kPivotAhead: sumA grows by
  // kPivotAhead sinQ, sumB falls by kPivotAhead cosQ (both wrap, as only
  // prefetches use them).
  const TPivotSource source{Image.Bits(),
                            std::int32_t((std::int64_t(H) - 1 - CY) * W + CX),
                            W,
                            std::int32_t(std::int64_t(W) * H - 1),
                            cosQ,
                            sinQ,
                            std::int32_t(std::uint32_t(sinQ) * std::uint32_t(kPivotAhead)),
                            std::int32_t(0u - std::uint32_t(cosQ) * std::uint32_t(kPivotAhead))};
  const TStores stores = StoresFor(Screen);
  for (int i = 0; i < H; ++i) {
    const std::int64_t a0 = sumA(u0, rowV(i)), b0 = sumB(u0, rowV(i));  // at column 0
    std::int64_t first = 0, last = W - 1;
    KeepWhereInside(a0, cosQ, -std::int64_t(CX) * 65536, (std::int64_t(W) - CX) * 65536 - 1, first,
                    last);
    KeepWhereInside(b0, sinQ, -std::int64_t(CY) * 65536, (std::int64_t(H) - CY) * 65536 - 1, first,
                    last);
    if (first > last) continue;
    TPixel* row = Screen.ScanLine(i);
    const auto a = std::uint32_t(a0 + first * cosQ), b = std::uint32_t(b0 + first * sinQ);
    PivotRow(row, int(first), int(last), a, b, source, stores, loop);
  }
  if (stores == tsStreamed) EndStreamedStores();
}

namespace {

// The pivot and angle of each member; CX and CY count rows from the bottom,
// so -1 lies just outside the bottom (or left) edge and W, H on the far edges.
struct TPivot {
  int CX;
  int CY;
  long double Theta;
};

constexpr TPivot PivotRow(int No, int W, int H, int P) {
  switch (No) {
    case 119: return {-1, -1, (100 - P) * kPi / 200};
    case 120: return {-1, H, (P - 100) * kPi / 200};
    case 121: return {W, -1, (P - 100) * kPi / 200};
    case 122: return {W, H, (100 - P) * kPi / 200};
  }
  return {};
}

}  // namespace

void FadePivotEffect(int No, Bitmap& Screen, const Bitmap& Image, const TRect& Rect, int Step,
                     int Progress) {
  if (No == 118) {
    FadeBlend(Screen, Image, Progress);
  } else {
    const TPivot p = PivotRow(No, Rect.Right, Rect.Bottom, Progress);
    PivotCopy(Screen, Image, p.CX, p.CY, p.Theta);
  }
}

}  // namespace vantora
