#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "effects/FadePivot.h"
#include "effects/Families.h"
#include "raster/Rounding.h"

namespace vantora {

namespace {

constexpr int kBlock = 64;  // bytes per pass of the blend: 16 pixels

// Blends n bytes, n <= kBlock, weighting byte k by oldWeight[k] and
// newWeight[k]. The pointers never overlap (Screen and Image are two
// bitmaps); saying so lets the compiler vectorise the fixed-count loop
// without a run-time overlap check. The weights are 16-bit, as the products
// are: the loop then widens only the pixel bytes and multiplies in 16-bit
// lanes, which keeps up with the memory.
template <int n>
VANTORA_INLINE void BlendBlock(std::uint8_t* __restrict d, const std::uint8_t* __restrict s,
                               const std::uint16_t* __restrict oldWeight,
                               const std::uint16_t* __restrict newWeight, int count = n) {
  for (int k = 0; k < count; ++k)  // at most 255 x 100: fits 16 bits
    d[k] = std::uint8_t(Div100(std::uint16_t(d[k] * oldWeight[k] + s[k] * newWeight[k])));
}

// Every colour byte becomes ((100 - P) x old + P x new) div 100. Byte 3 takes
// the weights 100 and 0, which leaves it as it was, so all four bytes go
// through the same arithmetic and the loop runs over plain byte arrays with a
// repeating pattern of weights.
VANTORA_INLINE void FadeBytes(std::uint8_t* d, const std::uint8_t* s, std::size_t bytes, int P) {
  std::uint16_t oldWeight[kBlock], newWeight[kBlock];
  for (int k = 0; k < kBlock; ++k) {
    const bool colour = k % 4 != 3;
    oldWeight[k] = std::uint16_t(colour ? 100 - P : 100);
    newWeight[k] = std::uint16_t(colour ? P : 0);
  }
  std::size_t at = 0;
  for (; at + kBlock <= bytes; at += kBlock)
    BlendBlock<kBlock>(d + at, s + at, oldWeight, newWeight);
  BlendBlock<kBlock>(d + at, s + at, oldWeight, newWeight, int(bytes - at));
}

void FadeBytesPlain(std::uint8_t* d, const std::uint8_t* s, std::size_t bytes, int P) {
  FadeBytes(d, s, bytes, P);
}

#if VANTORA_AVX2_BUILD
VANTORA_AVX2 void FadeBytesAvx2(std::uint8_t* d, const std::uint8_t* s, std::size_t bytes, int P) {
  FadeBytes(d, s, bytes, P);
}
#endif

}  // namespace

void FadeBlend(Bitmap& Screen, const Bitmap& Image, int P, TPixelLoop loop) {
  const std::size_t bytes =
      std::size_t(Image.Width()) * std::size_t(Image.Height()) * sizeof(TPixel);
  auto* d = reinterpret_cast<std::uint8_t*>(Screen.Bits());
  const auto* s = reinterpret_cast<const std::uint8_t*>(Image.Bits());
#if VANTORA_AVX2_BUILD
  if (UseAvx2(loop)) return FadeBytesAvx2(d, s, bytes, P);
#endif
  FadeBytesPlain(d, s, bytes, P);
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

// What the row loops of the exact case share. The source of the sums a, b is
// the pixel at index Offset + (a >> 16) - (b >> 16) x W of Image (row
// H - 1 - CY - (b >> 16) from the top, column CX + (a >> 16)); every index
// of a pixel inside the picture fits 32 bits, as the picture has at most
// 2^28 pixels.
//
// A row reads the source along a slanted line, one source row every pixel or
// two, and each source line of the cache serves the next dozen or so rows of
// the frame; but the lines that a row needs for the first time are scattered
// along the whole slant, where the processor's prefetchers do not look, and
// waiting for them cost more than all the rest. So each row also asks for the
// source of the row kAhead rows further down, one pixel in four: by the time
// that row is drawn, its new lines have arrived.
struct TPivotSource {
  const TPixel* Pixels;
  std::int32_t Offset;  // (H - 1 - CY) x W + CX
  std::int32_t W;
  std::int32_t LastIndex;  // W x H - 1
  std::int32_t CosQ, SinQ;  // the sums' steps along a row
  std::int32_t AheadA, AheadB;  // what kAhead rows further down add to the sums
};

constexpr int kAhead = 8;

// Source index of the sums, for a source inside the picture.
VANTORA_INLINE std::int32_t SourceIndex(const TPivotSource& p, std::int32_t a, std::int32_t b) {
  return p.Offset + (a >> 16) - (b >> 16) * p.W;
}

// Asks for the source of the pixel kAhead rows below the one at a, b. That
// source may lie outside the picture; the index is then clamped to it (a
// prefetch is only a hint, but its address stays inside the bitmap).
VANTORA_INLINE void PrefetchAhead(const TPivotSource& p, std::int32_t a, std::int32_t b) {
  const std::int32_t ahead[2] = {std::int32_t(std::uint32_t(a) + std::uint32_t(p.AheadA)),
                                 std::int32_t(std::uint32_t(b) + std::uint32_t(p.AheadB))};
  const std::int64_t index =
      std::int64_t(p.Offset) + (ahead[0] >> 16) - std::int64_t(ahead[1] >> 16) * p.W;
  __builtin_prefetch(p.Pixels + std::clamp<std::int64_t>(index, 0, p.LastIndex));
}

// Copies the sources of columns first..last of one row; a and b are the sums
// at column first. The sums step in unsigned arithmetic: inside the interval
// they stay within 32 bits, and the step past its end may wrap.
VANTORA_INLINE void PivotRowPlain(TPixel* row, int first, int last, std::uint32_t a,
                                  std::uint32_t b, const TPivotSource& p) {
  for (int j = first; j <= last; ++j) {
    if ((j & 3) == 0) PrefetchAhead(p, std::int32_t(a), std::int32_t(b));
    row[j] = p.Pixels[SourceIndex(p, std::int32_t(a), std::int32_t(b))];
    a += std::uint32_t(p.CosQ);
    b += std::uint32_t(p.SinQ);
  }
}

#if VANTORA_AVX2_BUILD
// SourceIndex of eight pairs of sums.
VANTORA_AVX2 VANTORA_INLINE __m256i SourceIndices(__m256i a, __m256i b, __m256i offset,
                                                  __m256i width) {
  return _mm256_add_epi32(offset,
                          _mm256_sub_epi32(_mm256_srai_epi32(a, 16),
                                           _mm256_mullo_epi32(_mm256_srai_epi32(b, 16), width)));
}

// The same eight pixels at a time: the eight sums of each kind in one
// register, the source pixels fetched by one gather. The clamped look-ahead
// indices go through memory to the prefetches, two per eight pixels.
// Streamed, the pixels before the first 32-byte boundary of the row's part go
// one by one, so that every eight are one aligned store.
VANTORA_AVX2 void PivotRowAvx2(TPixel* row, int first, int last, std::uint32_t a, std::uint32_t b,
                               const TPivotSource& p, TStores stores) {
  const bool streamed = stores == tsStreamed;
  if (streamed) {
    const int head = std::min(
        last + 1 - first,
        int((32 - reinterpret_cast<std::uintptr_t>(row + first) % 32) % 32 / sizeof(TPixel)));
    PivotRowPlain(row, first, first + head - 1, a, b, p);
    a += std::uint32_t(head) * std::uint32_t(p.CosQ);
    b += std::uint32_t(head) * std::uint32_t(p.SinQ);
    first += head;
  }
  const __m256i lane = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
  __m256i va = _mm256_add_epi32(_mm256_set1_epi32(std::int32_t(a)),
                                _mm256_mullo_epi32(lane, _mm256_set1_epi32(p.CosQ)));
  __m256i vb = _mm256_add_epi32(_mm256_set1_epi32(std::int32_t(b)),
                                _mm256_mullo_epi32(lane, _mm256_set1_epi32(p.SinQ)));
  const __m256i stepA = _mm256_set1_epi32(std::int32_t(std::uint32_t(p.CosQ) * 8u));
  const __m256i stepB = _mm256_set1_epi32(std::int32_t(std::uint32_t(p.SinQ) * 8u));
  const __m256i aheadA = _mm256_set1_epi32(p.AheadA), aheadB = _mm256_set1_epi32(p.AheadB);
  const __m256i width = _mm256_set1_epi32(p.W), offset = _mm256_set1_epi32(p.Offset);
  const __m256i zero = _mm256_setzero_si256(), lastIndex = _mm256_set1_epi32(p.LastIndex);
  const auto* pixels = reinterpret_cast<const int*>(p.Pixels);
  alignas(32) std::int32_t ahead[8];
  int j = first;
  for (; j + 8 <= last + 1; j += 8) {
    const __m256i later =
        SourceIndices(_mm256_add_epi32(va, aheadA), _mm256_add_epi32(vb, aheadB), offset, width);
    _mm256_store_si256(reinterpret_cast<__m256i*>(ahead),
                       _mm256_min_epi32(_mm256_max_epi32(later, zero), lastIndex));
    __builtin_prefetch(p.Pixels + ahead[0]);
    __builtin_prefetch(p.Pixels + ahead[4]);
    const __m256i out = _mm256_i32gather_epi32(pixels, SourceIndices(va, vb, offset, width), 4);
    if (streamed)
      _mm256_stream_si256(reinterpret_cast<__m256i*>(row + j), out);
    else
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(row + j), out);
    va = _mm256_add_epi32(va, stepA);
    vb = _mm256_add_epi32(vb, stepB);
  }
  const std::uint32_t done = std::uint32_t(j - first);
  PivotRowPlain(row, j, last, a + done * std::uint32_t(p.CosQ), b + done * std::uint32_t(p.SinQ),
                p);
}
#endif

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

  // Going kAhead rows down lowers v by kAhead: sumA grows by kAhead sinQ,
  // sumB falls by kAhead cosQ (both wrap, as only prefetches use them).
  const TPivotSource source{Image.Bits(),
                            std::int32_t((std::int64_t(H) - 1 - CY) * W + CX),
                            W,
                            std::int32_t(std::int64_t(W) * H - 1),
                            cosQ,
                            sinQ,
                            std::int32_t(std::uint32_t(sinQ) * std::uint32_t(kAhead)),
                            std::int32_t(0u - std::uint32_t(cosQ) * std::uint32_t(kAhead))};
  const bool avx2 = UseAvx2(loop);
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
#if VANTORA_AVX2_BUILD
    if (avx2) {
      PivotRowAvx2(row, int(first), int(last), a, b, source, stores);
      continue;
    }
#endif
    PivotRowPlain(row, int(first), int(last), a, b, source);
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
