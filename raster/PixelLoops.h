#pragma once
// The innermost pixel loops that the plain code cannot make fast enough come
// in two builds: one for any x86-64 processor and one for processors with
// AVX2 (32-byte lanes, gathers). A routine takes the AVX2 build where the
// processor has it (plBest) unless told to take the plain one (plPlain); both
// give the same pixels, and tests run each in turn.
//
// A loop body shared by both builds is an always-inlined function
// (VANTORA_INLINE) called from a plain function and from one marked
// VANTORA_AVX2, so each compiles it with its own instruction set.

#include "raster/Bitmap.h"

#if defined(__x86_64__)
#include <immintrin.h>
#define VANTORA_AVX2_BUILD 1
#define VANTORA_AVX2 __attribute__((target("avx2")))
#else
#define VANTORA_AVX2_BUILD 0
#endif
#define VANTORA_INLINE inline __attribute__((always_inline))

namespace vantora {

enum TPixelLoop { plBest, plPlain };

// Whether this processor runs the AVX2 builds.
bool HasAvx2();
// Whether a routine told loop takes its AVX2 build.
inline bool UseAvx2(TPixelLoop loop) { return loop != plPlain && HasAvx2(); }

// d[k] := s[map[k]] for k in [0, n): one row of a scaled copy, map being
// monotonic (either way) and every map[k] in [0, sourceSize), the pixels
// that s may be read at. d and s do not overlap.
void GatherPixels(TPixel* d, const TPixel* s, int sourceSize, const int* map, int n,
                  TPixelLoop loop = plBest);

// Asks for the cache lines of n pixels from p on, which will be read soon.
inline void PrefetchPixels(const TPixel* p, int n) {
  const auto* bytes = reinterpret_cast<const char*>(p);
  for (int at = 0; at < n * int(sizeof(TPixel)); at += 64) __builtin_prefetch(bytes + at);
}

}  // namespace vantora
