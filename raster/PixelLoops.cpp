#include "raster/PixelLoops.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace vantora {

bool HasAvx2() {
#if VANTORA_AVX2_BUILD
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
#else
  return false;
#endif
}

TStores StoresFor(const Bitmap& b) {
  constexpr std::size_t kStreamFrom = std::size_t(16) << 20;
  const std::size_t bytes = std::size_t(b.Width()) * std::size_t(b.Height()) * sizeof(TPixel);
  return bytes >= kStreamFrom ? tsStreamed : tsCached;
}

void EndStreamedStores() {
#if defined(__x86_64__)
  _mm_sfence();
#endif
}

void CopyPixelRun(TPixel* d, const TPixel* s, std::size_t n, TStores stores) {
#if defined(__x86_64__)
  // Whole 64-byte lines only (a partly streamed line costs more than a
  // cached one): the pixels before the first line boundary of d and after the
  // last one go through the cache.
  if (stores == tsStreamed && n >= 64) {
    const std::size_t head =
        ((64 - reinterpret_cast<std::uintptr_t>(d) % 64) % 64) / sizeof(TPixel);
    std::memcpy(d, s, head * sizeof(TPixel));
    std::size_t k = head;
    for (; k + 16 <= n; k += 16)
      for (std::size_t q = 0; q < 16; q += 4)
        _mm_stream_si128(reinterpret_cast<__m128i*>(d + k + q),
                         _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + k + q)));
    std::memcpy(d + k, s + k, (n - k) * sizeof(TPixel));
    return;
  }
#endif
  std::memcpy(d, s, n * sizeof(TPixel));
}

void SelectPixels(TPixel* d, const TPixel* a, const TPixel* b, const std::uint32_t* mask,
                  std::size_t n, TStores stores) {
  std::size_t k = 0;
#if defined(__x86_64__)
  // Four pixels at a time; streamed, from the first 16-byte boundary of d on.
  const bool streamed = stores == tsStreamed;
  if (streamed)
    for (; k < n && reinterpret_cast<std::uintptr_t>(d + k) % 16 != 0; ++k)
      d[k] = mask[k] ? b[k] : a[k];
  for (; k + 4 <= n; k += 4) {
    const __m128i m = _mm_loadu_si128(reinterpret_cast<const __m128i*>(mask + k));
    const __m128i out =
        _mm_or_si128(_mm_and_si128(m, _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + k))),
                     _mm_andnot_si128(m, _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + k))));
    if (streamed)
      _mm_stream_si128(reinterpret_cast<__m128i*>(d + k), out);
    else
      _mm_storeu_si128(reinterpret_cast<__m128i*>(d + k), out);
  }
#endif
  for (; k < n; ++k) d[k] = mask[k] ? b[k] : a[k];
}

namespace {

void GatherPlain(TPixel* __restrict d, const TPixel* __restrict s, const int* __restrict map,
                 int n) {
  for (int k = 0; k < n; ++k) d[k] = s[map[k]];
}

#if VANTORA_AVX2_BUILD
// Eight pixels at a time. The sources of eight neighbouring destination
// pixels of a copy scaled by more than one half lie within sixteen
// neighbouring source pixels (the map is monotonic): those are loaded whole
// and each destination pixel picks its own with a permutation, which is far
// cheaper than a gather. Eight pixels whose sources spread wider, or whose
// window would pass the end of the source, go one by one.
VANTORA_AVX2 VANTORA_INLINE __m256i GatherEight(const TPixel* s, const int* map, int sourceSize) {
  const int lo = std::min(map[0], map[7]), hi = std::max(map[0], map[7]);
  const __m256i index = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(map));
  const __m256i at = _mm256_sub_epi32(index, _mm256_set1_epi32(lo));
  const auto* window = reinterpret_cast<const __m256i*>(s + lo);
  if (hi - lo < 8 && lo + 8 <= sourceSize)
    return _mm256_permutevar8x32_epi32(_mm256_loadu_si256(window), at);
  if (hi - lo < 16 && lo + 16 <= sourceSize) {
    // The permutation reads the low three bits of each index only, so both
    // halves take the same indices; the high bit picks the half.
    const __m256i low = _mm256_permutevar8x32_epi32(_mm256_loadu_si256(window), at);
    const __m256i high = _mm256_permutevar8x32_epi32(_mm256_loadu_si256(window + 1), at);
    return _mm256_blendv_epi8(low, high, _mm256_cmpgt_epi32(at, _mm256_set1_epi32(7)));
  }
  alignas(32) TPixel one[8];
  GatherPlain(one, s, map, 8);
  return _mm256_load_si256(reinterpret_cast<const __m256i*>(one));
}

// Streamed, only whole 64-byte lines of d are streamed (a partly streamed
// line costs more than a cached one): the pixels before the first line
// boundary and after the last one go through the cache.
VANTORA_AVX2 void GatherAvx2(TPixel* d, const TPixel* s, const int* map, int n, int sourceSize,
                             TStores stores) {
  int k = 0;
  if (stores == tsStreamed) {
    k = std::min(n, int((64 - reinterpret_cast<std::uintptr_t>(d) % 64) % 64 / sizeof(TPixel)));
    GatherPlain(d, s, map, k);
    for (; k + 16 <= n; k += 16) {
      _mm256_stream_si256(reinterpret_cast<__m256i*>(d + k), GatherEight(s, map + k, sourceSize));
      _mm256_stream_si256(reinterpret_cast<__m256i*>(d + k + 8),
                          GatherEight(s, map + k + 8, sourceSize));
    }
  }
  for (; k + 8 <= n; k += 8)
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + k), GatherEight(s, map + k, sourceSize));
  GatherPlain(d + k, s, map + k, n - k);
}
#endif

}  // namespace

void GatherPixels(TPixel* d, const TPixel* s, int sourceSize, const int* map, int n, TStores stores,
                  TPixelLoop loop) {
#if VANTORA_AVX2_BUILD
  if (UseAvx2(loop)) return GatherAvx2(d, s, map, n, sourceSize, stores);
#endif
  GatherPlain(d, s, map, n);
}

}  // namespace vantora
