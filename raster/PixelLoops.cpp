#include "raster/PixelLoops.h"

#include <algorithm>

namespace vantora {

bool HasAvx2() {
#if VANTORA_AVX2_BUILD
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
#else
  return false;
#endif
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
VANTORA_AVX2 void GatherAvx2(TPixel* d, const TPixel* s, const int* map, int n, int sourceSize) {
  const __m256i seven = _mm256_set1_epi32(7);
  int k = 0;
  for (; k + 8 <= n; k += 8) {
    const int lo = std::min(map[k], map[k + 7]), hi = std::max(map[k], map[k + 7]);
    const __m256i index = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(map + k));
    const __m256i at = _mm256_sub_epi32(index, _mm256_set1_epi32(lo));
    const auto* window = reinterpret_cast<const __m256i*>(s + lo);
    __m256i out;
    if (hi - lo < 8 && lo + 8 <= sourceSize) {
      out = _mm256_permutevar8x32_epi32(_mm256_loadu_si256(window), at);
    } else if (hi - lo < 16 && lo + 16 <= sourceSize) {
      // The permutation reads the low three bits of each index only, so
      // both halves take the same indices; the high bit picks the half.
      const __m256i low = _mm256_permutevar8x32_epi32(_mm256_loadu_si256(window), at);
      const __m256i high = _mm256_permutevar8x32_epi32(_mm256_loadu_si256(window + 1), at);
      out = _mm256_blendv_epi8(low, high, _mm256_cmpgt_epi32(at, seven));
    } else {
      GatherPlain(d + k, s, map + k, 8);
      continue;
    }
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + k), out);
  }
  GatherPlain(d + k, s, map + k, n - k);
}
#endif

}  // namespace

void GatherPixels(TPixel* d, const TPixel* s, int sourceSize, const int* map, int n,
                  TPixelLoop loop) {
#if VANTORA_AVX2_BUILD
  if (UseAvx2(loop)) return GatherAvx2(d, s, map, n, sourceSize);
#endif
  GatherPlain(d, s, map, n);
}

}  // namespace vantora
