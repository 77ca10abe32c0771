// The pixel loops of the fade and the pivot effects, in their plain and
// AVX2 builds.

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "raster/PixelLoops.h"

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

void BlendPixels(TPixel* d, const TPixel* s, std::size_t n, int P, TPixelLoop loop) {
  auto* dBytes = reinterpret_cast<std::uint8_t*>(d);
  const auto* sBytes = reinterpret_cast<const std::uint8_t*>(s);
  const std::size_t bytes = n * sizeof(TPixel);
#if VANTORA_AVX2_BUILD
  if (UseAvx2(loop)) return FadeBytesAvx2(dBytes, sBytes, bytes, P);
#endif
  FadeBytesPlain(dBytes, sBytes, bytes, P);
}

namespace {

// Source index of the sums, for a source inside the picture.
VANTORA_INLINE std::int32_t SourceIndex(const TPivotSource& p, std::int32_t a, std::int32_t b) {
  return p.Offset + (a >> 16) - (b >> 16) * p.W;
}

// Asks for the source of the pixel kPivotAhead rows below the one at a, b. That
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

void PivotRow(TPixel* row, int first, int last, std::uint32_t a, std::uint32_t b,
              const TPivotSource& p, TStores stores, TPixelLoop loop) {
#if VANTORA_AVX2_BUILD
  if (UseAvx2(loop)) return PivotRowAvx2(row, first, last, a, b, p, stores);
#endif
  PivotRowPlain(row, first, last, a, b, p);
}

}  // namespace vantora
