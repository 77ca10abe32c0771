#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "effects/FadePivot.h"
#include "effects/Families.h"

namespace vantora {

namespace {

constexpr int kBlock = 64;  // bytes per pass of the blend: 16 pixels

// Blends n bytes, n <= kBlock, weighting byte k by oldWeight[k] and
// newWeight[k]. The pointers never overlap (Screen and Image are two
// bitmaps); saying so lets the compiler vectorise the fixed-count loop
// without a run-time overlap check. The weights are 16-bit, as the products
// are: the loop then widens only the pixel bytes and multiplies in 16-bit
// lanes, which runs at the speed of the memory.
template <int n>
void BlendBlock(std::uint8_t* __restrict d, const std::uint8_t* __restrict s,
                const std::uint16_t* __restrict oldWeight,
                const std::uint16_t* __restrict newWeight, int count = n) {
  for (int k = 0; k < count; ++k)  // at most 255 x 100: fits 16 bits
    d[k] = std::uint8_t(Div100(std::uint16_t(d[k] * oldWeight[k] + s[k] * newWeight[k])));
}

}  // namespace

// Every colour byte becomes ((100 - P) x old + P x new) div 100. Byte 3 takes
// the weights 100 and 0, which leaves it as it was, so all four bytes go
// through the same arithmetic and the loop runs over plain byte arrays with a
// repeating pattern of weights. Built twice, for AVX2 and for any x86-64
// processor; the program picks the one the processor runs at start-up.
__attribute__((target_clones("avx2", "default"))) void FadeBlend(Bitmap& Screen,
                                                                 const Bitmap& Image, int P) {
  std::uint16_t oldWeight[kBlock], newWeight[kBlock];
  for (int k = 0; k < kBlock; ++k) {
    const bool colour = k % 4 != 3;
    oldWeight[k] = std::uint16_t(colour ? 100 - P : 100);
    newWeight[k] = std::uint16_t(colour ? P : 0);
  }
  const std::size_t bytes =
      std::size_t(Image.Width()) * std::size_t(Image.Height()) * sizeof(TPixel);
  auto* d = reinterpret_cast<std::uint8_t*>(Screen.Bits());
  const auto* s = reinterpret_cast<const std::uint8_t*>(Image.Bits());
  std::size_t at = 0;
  for (; at + kBlock <= bytes; at += kBlock)
    BlendBlock<kBlock>(d + at, s + at, oldWeight, newWeight);
  BlendBlock<kBlock>(d + at, s + at, oldWeight, newWeight, int(bytes - at));
}

namespace {

// floor(n / d) and ceil(n / d) for d != 0.
constexpr std::int64_t FloorDiv(std::int64_t n, std::int64_t d) {
  const std::int64_t q = n / d;
  return (n % d != 0 && ((n < 0) != (d < 0))) ? q - 1 : q;
}
constexpr std::int64_t CeilDiv(std::int64_t n, std::int64_t d) { return -FloorDiv(-n, d); }

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
// cache measured slower than plain rows, which the prefetchers follow.)
// Otherwise (pictures whose width plus height reaches 2^15) every pixel is
// tested, with the wrapped sums, exactly as the formula reads.
void PivotCopy(Bitmap& Screen, const Bitmap& Image, int CX, int CY, long double Theta) {
  const int W = Image.Width(), H = Image.Height();
  if (W <= 0 || H <= 0) return;
  const auto sinQ = std::int32_t(std::sin(-Theta) * 65536.0L);  // truncates toward zero
  const auto cosQ = std::int32_t(std::cos(-Theta) * 65536.0L);
  // rowOf[sy] is the source row sy counted from the bottom: a look-up in
  // the loops instead of a multiplication.
  std::vector<const TPixel*> rowOf(static_cast<std::size_t>(H));
  for (int sy = 0; sy < H; ++sy) rowOf[std::size_t(sy)] = Image.ScanLine(H - 1 - sy);

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
        if (sx >= 0 && sx < W && sy >= 0 && sy < H) row[j] = rowOf[std::size_t(sy)][sx];
        a += std::uint32_t(cosQ);
        b += std::uint32_t(sinQ);
      }
    }
    return;
  }

  for (int i = 0; i < H; ++i) {
    const std::int64_t a0 = sumA(u0, rowV(i)), b0 = sumB(u0, rowV(i));  // at column 0
    std::int64_t first = 0, last = W - 1;
    KeepWhereInside(a0, cosQ, -std::int64_t(CX) * 65536, (std::int64_t(W) - CX) * 65536 - 1, first,
                    last);
    KeepWhereInside(b0, sinQ, -std::int64_t(CY) * 65536, (std::int64_t(H) - CY) * 65536 - 1, first,
                    last);
    TPixel* row = Screen.ScanLine(i);
    auto a = std::int32_t(a0 + first * cosQ), b = std::int32_t(b0 + first * sinQ);
    for (std::int64_t j = first; j <= last; ++j) {
      row[j] = rowOf[std::size_t(CY + (b >> 16))][CX + (a >> 16)];
      a += cosQ;
      b += sinQ;
    }
  }
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

template <int No>
void FadePivotEffect(Bitmap& Screen, const Bitmap& Image, const TRect& Rect, int Step,
                     int Progress) {
  if constexpr (No == 118) {
    FadeBlend(Screen, Image, Progress);
  } else {
    const TPivot p = PivotRow(No, Rect.Right, Rect.Bottom, Progress);
    PivotCopy(Screen, Image, p.CX, p.CY, p.Theta);
  }
}

template void FadePivotEffect<118>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void FadePivotEffect<119>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void FadePivotEffect<120>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void FadePivotEffect<121>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void FadePivotEffect<122>(Bitmap&, const Bitmap&, const TRect&, int, int);

}  // namespace vantora
