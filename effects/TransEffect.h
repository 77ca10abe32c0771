#pragma once
// The effect library: 150 named transition effects, the lookups by number and
// by name, the frame geometry most effects start with, and the integer rules
// and random generator they share.
//
// The effect contract. An effect draws one frame of the change from the old
// picture to the new one:
//   - on entry Screen holds the complete old picture; the effect draws the
//     part of the new picture (Image) that shows at this progress, or moves
//     what Screen holds (the push effects);
//   - Rect is always (0, 0, W, H), the size of both bitmaps;
//   - Step is 1..100 and Progress 1..99 (0 and 100 are drawn by the caller);
//   - it reads only its arguments (and the shared random generator), keeps no
//     state between frames and never writes outside Screen, so two controls
//     can animate at once.
//
// Many effects also offer a whole-frame procedure (DrawWholeFrame), which
// composes the frame in one pass from the old picture and the new one instead
// of the caller first resetting Screen to the old picture. It keeps the
// contract above except the first point: Screen may hold anything on entry
// (the frame before, say), and it promises that
//   - when it returns true, every pixel of Screen holds exactly what the reset
//     followed by the effect procedure would have left there;
//   - when it returns false (an effect without one, or a geometry it cannot
//     cover whole), it has not touched Screen, and the caller takes the reset
//     path.
// A caller that lets anyone draw on Screen between the reset and the effect
// must not use it: what was drawn there would be lost.

#include <array>
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "raster/Bitmap.h"
#include "raster/Rect.h"

namespace vantora {

using TShowStyle = std::uint8_t;  // 0 = custom (caller-drawn), 1..150 = effect number
constexpr int kEffectCount = 150;

using TEffectProc = void (*)(Bitmap& Screen, const Bitmap& Image, const TRect& Rect, int Step,
                             int Progress);

struct TEffectEntry {
  const char* Name;
  TEffectProc Proc;
};

// Entry N holds effect N; entry 0 is unused (style 0 is "Custom", no effect).
extern const std::array<TEffectEntry, kEffectCount + 1> EffectTable;

// The procedure of effect n, 1..150.
TEffectProc ProcOf(int n);
// Frame Progress of style n composed in one pass from OldScreen (the old
// picture) and Image onto Screen, all three the size of Rect; false, with
// Screen untouched, for the styles without a whole-frame procedure (style 0
// and the effects that stretch, turn or blend) and for a geometry it cannot
// cover. The push effects have one, and so have the region effects, which
// draw nothing but the new picture through one region: a frame of 16 MiB
// and more takes each pixel from the old or the new picture (MergedDraw),
// and a smaller one is left to the reset path. A region effect
// that draws random numbers draws them while it makes its region, so both
// ways use the generator alike.
bool DrawWholeFrame(int n, Bitmap& Screen, const Bitmap& OldScreen, const Bitmap& Image,
                    const TRect& Rect, int Step, int Progress);
// "Custom" for 0, otherwise the name of entry n.
std::string NameOf(int n);
// The style whose name matches text without regard to case: 0 for "Custom",
// else the first entry 1..150 that matches; nothing when none does.
std::optional<int> NumberOf(std::string_view text);

// a x b formed in 64 bits, divided by c, rounded to nearest with halves away
// from zero. A zero divisor, or a result that does not fit, gives -1. (Plain
// division in the effects is C++'s "/", which truncates toward zero as the
// effect tables' "div" does: -701 / 2 = -350.)
int MulDiv(int a, int b, int c);

// Pi in extended precision, for the effects that turn by angles.
constexpr long double kPi = 3.1415926535897932385L;

struct TFrameGeometry {
  int W = 0;  // Width
  int H = 0;  // Height
  int X = 0;  // ExtentX: horizontal extent reached at this progress
  int Y = 0;  // ExtentY: vertical extent, in the same proportion as X
  int S = 0;  // StepExtent: the longer side x Step / 90
};
// The extent along the longer side comes from the progress; the other is
// derived from it so X : W and Y : H stay in proportion.
TFrameGeometry FrameGeometry(const TRect& Rect, int Step, int Progress);

// The process-wide pseudo-random generator, seed 0 at start and never seeded
// from the clock: seed := seed x 134775813 + 1 (mod 2^32), then
// Random(n) := (n x seed) >> 32. It is shared by every thread without a lock
// (an unlocked generator is the intended behaviour: two threads drawing at
// once may draw the same number); the seed is an atomic read and written with
// relaxed order, so sharing it is free of data races.
int Random(int n);
std::uint32_t RandSeed();
void SetRandSeed(std::uint32_t seed);

}  // namespace vantora
