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

#include <cstddef>
#include <cstdint>

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

// How a loop writes its pixels: through the cache, or streamed past it.
// A frame larger than the cache is evicted long before anyone reads it
// again, and a cached store first fetches every line it writes from memory;
// a streamed store writes whole lines without reading them, which makes a
// frame-sized copy about a quarter cheaper. Streamed stores must be followed
// by EndStreamedStores before the drawing returns.
enum TStores { tsCached, tsStreamed };

// tsStreamed for a bitmap too large to stay in the cache from one frame to
// the next (16 MiB and more: a 3840 x 2160 frame, a camera photo), else
// tsCached. Streaming a small bitmap would only push it out of the cache.
TStores StoresFor(const Bitmap& b);

// Orders the streamed stores before every later store of this thread, so
// that a thread handed the pixels afterwards (through a lock or an event)
// sees them.
void EndStreamedStores();

// d[k] := s[k] for k in [0, n), d and s not overlapping, written as stores
// tells; the pieces of d that do not fill a 16-byte block go through the
// cache.
void CopyPixelRun(TPixel* d, const TPixel* s, std::size_t n, TStores stores);

// Whether this processor runs the AVX2 builds.
bool HasAvx2();
// Whether a routine told loop takes its AVX2 build.
inline bool UseAvx2(TPixelLoop loop) { return loop != plPlain && HasAvx2(); }

// d[k] := mask[k] ? b[k] : a[k] for k in [0, n), every mask[k] being 0 or
// all ones. d may be a or b; the others do not overlap d.
void SelectPixels(TPixel* d, const TPixel* a, const TPixel* b, const std::uint32_t* mask,
                  std::size_t n, TStores stores);

// d[k] := s[map[k]] for k in [0, n): one row of a scaled copy, map being
// monotonic (either way) and every map[k] in [0, sourceSize), the pixels
// that s may be read at. d and s do not overlap. The AVX2 build streams its
// stores when told tsStreamed.
void GatherPixels(TPixel* d, const TPixel* s, int sourceSize, const int* map, int n,
                  TStores stores = tsCached, TPixelLoop loop = plBest);

// x div 100 for 0 <= x <= 25500 as a multiply and a shift: 5243 / 2^19
// exceeds 1 / 100 by less than the smallest step the truncation can notice in
// that range. Written as the high half of a 16 x 16-bit product, shifted by
// 3, so that the blend loop vectorises to 16-bit lanes without a division.
constexpr std::uint16_t Div100(std::uint16_t x) {
  return std::uint16_t(std::uint16_t((std::uint32_t(x) * 5243u) >> 16) >> 3);
}

// The fade's blend: every colour byte of n pixels becomes
// d := ((100 - P) x d + P x s) div 100, P being 0..100; byte 3 of each
// pixel is left alone. d and s do not overlap.
void BlendPixels(TPixel* d, const TPixel* s, std::size_t n, int P, TPixelLoop loop = plBest);

// The source of one row of a rotated copy (the pivot effects), in 16.16
// fixed point. The source of the sums a, b is the pixel at index
// Offset + (a >> 16) - (b >> 16) x W of the picture (row
// H - 1 - CY - (b >> 16) from the top, column CX + (a >> 16)); every index
// of a pixel inside the picture fits 32 bits, as the picture has at most
// 2^28 pixels.
//
// A row reads the source along a slanted line, one source row every pixel or
// two, and each source line of the cache serves the next dozen or so rows of
// the frame; but the lines that a row needs for the first time are scattered
// along the whole slant, where the processor's prefetchers do not look, and
// waiting for them cost more than all the rest. So each row also asks for the
// source of the row kPivotAhead rows further down, one pixel in four: by the time
// that row is drawn, its new lines have arrived.
struct TPivotSource {
  const TPixel* Pixels;
  std::int32_t Offset;  // (H - 1 - CY) x W + CX
  std::int32_t W;
  std::int32_t LastIndex;  // W x H - 1
  std::int32_t CosQ, SinQ;  // the sums' steps along a row
  std::int32_t AheadA, AheadB;  // what kPivotAhead rows further down add to the sums
};


constexpr int kPivotAhead = 8;

// Copies the sources of columns first..last of one row; a and b are the sums
// at column first, and every source of the interval lies inside the picture.
// The sums step in unsigned arithmetic: inside the interval they stay within
// 32 bits, and the step past its end may wrap. The AVX2 build streams its
// stores when told tsStreamed.
void PivotRow(TPixel* row, int first, int last, std::uint32_t a, std::uint32_t b,
              const TPivotSource& p, TStores stores = tsCached, TPixelLoop loop = plBest);

// Asks for the cache lines of n pixels from p on, which will be read soon.
inline void PrefetchPixels(const TPixel* p, int n) {
  const auto* bytes = reinterpret_cast<const char*>(p);
  for (int at = 0; at < n * int(sizeof(TPixel)); at += 64) __builtin_prefetch(bytes + at);
}

}  // namespace vantora
