#include <array>
#include <cstddef>
#include <utility>

#include "effects/Families.h"
#include "raster/Draw.h"
#include "raster/PixelLoops.h"

namespace vantora {
namespace {

// A row names either the family that draws the effect or, for a region
// effect, the family that gives its region.
struct TEffectRow {
  constexpr TEffectRow(int no, const char* name, TEffectFamily* family,
                       TWholeFrameFamily* wholeFrame = nullptr)
      : No(no), Name(name), Family(family), WholeFrame(wholeFrame) {}
  constexpr TEffectRow(int no, const char* name, TRegionFamily* shown)
      : No(no), Name(name), Shown(shown), IsRegion(true) {}
  int No;
  const char* Name;  // the display name the control's StyleName matches, spelling included
  TEffectFamily* Family = nullptr;
  TWholeFrameFamily* WholeFrame = nullptr;  // the family's one-pass composition, if it has one
  TRegionFamily* Shown = nullptr;
  // A region effect (Shown) rather than a family that draws (Family). Told
  // apart by a flag: a test of a function's address in the constant table
  // is always true, which the compiler rightly warns about.
  bool IsRegion = false;
};

// The 150 effects in number order.
constexpr TEffectRow kEffects[] = {
    {1, "Expand from right", StraightEffect},
    {2, "Expand from left", StraightEffect},
    {3, "Slide in from right", StraightEffect},
    {4, "Slide in from left", StraightEffect},
    {5, "Reveal from left", StraightEffect},
    {6, "Reveal from right", StraightEffect},
    {7, "Expand in from right", StraightEffect},
    {8, "Expand in from left", StraightEffect},
    {9, "Expand in to middle", StraightEffect},
    {10, "Expand out from middle", StraightEffect},
    {11, "Reveal out from middle", StraightEffect},
    {12, "Reveal in from sides", StraightEffect},
    {13, "Expand in from sides", StraightEffect},
    {14, "Unroll from left", UnrollEffect},
    {15, "Unroll from right", UnrollEffect},
    {16, "Build up from right", BuildUpEffect},
    {17, "Build up from left", BuildUpEffect},
    {18, "Expand from bottom", StraightEffect},
    {19, "Expand from top", StraightEffect},
    {20, "Slide in from bottom", StraightEffect},
    {21, "Slide in from top", StraightEffect},
    {22, "Reveal from top", StraightEffect},
    {23, "Reveal from bottom", StraightEffect},
    {24, "Expand in from bottom", StraightEffect},
    {25, "Expand in from top", StraightEffect},
    {26, "Expand in to middle (horiz)", StraightEffect},
    {27, "Expand out from middle (horiz)", StraightEffect},
    {28, "Reveal from middle (horiz)", StraightEffect},
    {29, "Slide in from top / bottom", StraightEffect},
    {30, "Expand in from top / bottom", StraightEffect},
    {31, "Unroll from top", UnrollEffect},
    {32, "Unroll from bottom", UnrollEffect},
    {33, "Expand from bottom", BuildUpEffect},
    {34, "Expand in from top", BuildUpEffect},
    {35, "Expand from bottom right", StraightEffect},
    {36, "Expand from top right", StraightEffect},
    {37, "Expand from top left", StraightEffect},
    {38, "Expand from bottom left", StraightEffect},
    {39, "Slide in from bottom right", StraightEffect},
    {40, "Slide in from top right", StraightEffect},
    {41, "Slide in from top left", StraightEffect},
    {42, "Slide in from bottom left", StraightEffect},
    {43, "Reveal from top left", StraightEffect},
    {44, "Reveal from bottom left", StraightEffect},
    {45, "Reveal from bottom right", StraightEffect},
    {46, "Reveal from top right", StraightEffect},
    {47, "Appear and Contract to top left", CornerEffect},
    {48, "Appear and Contract to bottom left", CornerEffect},
    {49, "Appear and Contract to bottom right", CornerEffect},
    {50, "Appear and Contract to top right", CornerEffect},
    {51, "Appear and Contract to middle", CornerEffect},
    {52, "Expand out from centre", CornerEffect},
    {53, "Reveal out from centre", CornerEffect},
    {54, "Reveal in to centre", CornerEffect},
    {55, "Quarters Reveal in to middle", CornerEffect},
    {56, "Quarters Expand to middle", CornerEffect},
    {57, "Quarters Slide in to middle", CornerEffect},
    {58, "Curved Reveal from left", CurvedShown},
    {59, "Curved Reveal from right", CurvedShown},
    {60, "Bars in from right", BarsShown},
    {61, "Bars in from left", BarsShown},
    {62, "Bars left then right", BarsShown},
    {63, "Bars right then left", BarsShown},
    {64, "Bars from both sides", BarsShown},
    {65, "Uneven shred from right", ShredShown},
    {66, "Uneven shred from left", ShredShown},
    {67, "Uneven shred out from middle (horiz)", ShredShown},
    {68, "Uneven shred in to middle (horiz)", ShredShown},
    {69, "Curved Reveal from top", CurvedShown},
    {70, "Curved Reveal from bottom", CurvedShown},
    {71, "Bars from bottom", BarsShown},
    {72, "Bars from top", BarsShown},
    {73, "Bars top then bottom", BarsShown},
    {74, "Bars bottom then top", BarsShown},
    {75, "Bars from top and bottom", BarsShown},
    {76, "Unven shred from bottom", ShredShown},
    {77, "Uneven shred from top", ShredShown},
    {78, "Uneven shred from horizon", ShredShown},
    {79, "Uneven shred in to horizon", ShredShown},
    {80, "Curved reveal from top left", CurvedShown},
    {81, "Curved reveal from top right", CurvedShown},
    {82, "Curved reveal from bottom left", CurvedShown},
    {83, "Curved reveal from bottom right", CurvedShown},
    {84, "Circular reveal from centre", CurvedShown},
    {85, "Circular reveal to centre", CurvedShown},
    {86, "Criss Cross reveal from bottom right", BarsShown},
    {87, "Criss Cross reveal from top right", BarsShown},
    {88, "Criss Cross reveal from bottom left", BarsShown},
    {89, "Criss Cross reveal from top left", BarsShown},
    {90, "Criss Cross reveal bounce from top left", BarsShown},
    {91, "Criss Cross reveal bounce from bottom left", BarsShown},
    {92, "Criss Cross reveal bounce from top right", BarsShown},
    {93, "Criss Cross reveal bounce from bottom right", BarsShown},
    {94, "Criss Cross reveal from right top and bottom", BarsShown},
    {95, "Criss Cross reveal from left top and bottom", BarsShown},
    {96, "Criss Cross reveal from left right and bottom", BarsShown},
    {97, "Criss Cross reveal from left right and top", BarsShown},
    {98, "Criss Cross reveal from top left right and bottom", BarsShown},
    {99, "Criss Cross reveal from bottom left top right", BarsShown},
    {100, "Uneven shred from bottom and right", ShredShown},
    {101, "Uneven shred from top and right", ShredShown},
    {102, "Uneven shred from bottom and left", ShredShown},
    {103, "Uneven shred from top and left", ShredShown},
    {104, "Uneven shred from horiz and right", ShredShown},
    {105, "Uneven shred from horiz and left", ShredShown},
    {106, "Uneven shred from bottom and vert middle", ShredShown},
    {107, "Uneven shred from top and vert middle", ShredShown},
    {108, "Uneven shred from centre", ShredShown},
    {109, "Uneven shred to centre", ShredShown},
    {110, "Reveal diagonal from top left", DiagonalShown},
    {111, "Reveal diagonal from top right", DiagonalShown},
    {112, "Reveal diagonal from bottom left", DiagonalShown},
    {113, "Reveal diagonal from bottom right", DiagonalShown},
    {114, "Diagonal sweep from top left bottom right anticlockwise", DiagonalShown},
    {115, "Diagonal sweep from top left bottom right clockwise", DiagonalShown},
    {116, "Starburst clockwise from center", DiagonalShown},
    {117, "Triangular shred to top left", DiagonalShown},
    {118, "Fade", FadePivotEffect},
    {119, "Pivot from top left", FadePivotEffect},
    {120, "Pivot from bottom left", FadePivotEffect},
    {121, "Pivot from top right", FadePivotEffect},
    {122, "Pivot from bottom right", FadePivotEffect},
    {123, "Speckle appear from right", SpeckleShown},
    {124, "Speckle appear from left", SpeckleShown},
    {125, "Speckle appear from bottom", SpeckleShown},
    {126, "Speckle appear from top", SpeckleShown},
    {127, "Random squares appear", SpeckleShown},
    {128, "Push right", PushEffect, PushWholeFrame},
    {129, "Push left", PushEffect, PushWholeFrame},
    {130, "Push and squeeze right", PushEffect, PushWholeFrame},
    {131, "Push and squeeze left", PushEffect, PushWholeFrame},
    {132, "Push down", PushEffect, PushWholeFrame},
    {133, "Push up", PushEffect, PushWholeFrame},
    {134, "Push and sqeeze down", PushEffect, PushWholeFrame},
    {135, "Push and sqeeze up", PushEffect, PushWholeFrame},
    {136, "Blind vertically", BlindShown},
    {137, "Blind horizontally", BlindShown},
    {138, "Uneven blind from left", BlindShown},
    {139, "Uneven blind from right", BlindShown},
    {140, "Uneven blind from top", BlindShown},
    {141, "Uneven blind from bottom", BlindShown},
    {142, "Rectangular shred", SweepShown},
    {143, "Sweep clockwise", SweepShown},
    {144, "Sweep anticlockwise", SweepShown},
    {145, "Rectangles apear from left and disapear to right", ShapeShown},
    {146, "Rectangles apear from right and disapear to left", ShapeShown},
    {147, "Rectangles apear from up and disapear to bottom", ShapeShown},
    {148, "Rectangles apear from bottom and disapear to up", ShapeShown},
    {149, "Rotational rectangle", ShapeShown},
    {150, "Rotational star", ShapeShown},
};

constexpr bool RowsInNumberOrder() {
  for (std::size_t i = 0; i < std::size(kEffects); ++i)
    if (kEffects[i].No != int(i) + 1) return false;
  return std::size(kEffects) == kEffectCount;
}
static_assert(RowsInNumberOrder(), "row N of kEffects holds effect N, for N = 1..150");

// The procedure of effect No: its family, told the number, or the new
// picture drawn through the region of a region effect.
template <int No>
void EffectProc(Bitmap& Screen, const Bitmap& Image, const TRect& Rect, int Step, int Progress) {
  constexpr const TEffectRow& row = kEffects[No - 1];
  if constexpr (!row.IsRegion)
    row.Family(No, Screen, Image, Rect, Step, Progress);
  else
    ClippedDraw(Screen, Image, row.Shown(No, Rect, Step, Progress));
}

template <std::size_t... I>
constexpr std::array<TEffectEntry, kEffectCount + 1> MakeEffectTable(std::index_sequence<I...>) {
  // Style 0 is "Custom": drawn by the caller, not an effect.
  return {{{nullptr, nullptr}, {kEffects[I].Name, EffectProc<int(I) + 1>}...}};
}

}  // namespace

constinit const std::array<TEffectEntry, kEffectCount + 1> EffectTable =
    MakeEffectTable(std::make_index_sequence<kEffectCount>());

bool DrawWholeFrame(int n, Bitmap& Screen, const Bitmap& OldScreen, const Bitmap& Image,
                    const TRect& Rect, int Step, int Progress) {
  if (n < 1 || n > kEffectCount) return false;
  const TEffectRow& row = kEffects[n - 1];
  if (row.WholeFrame) return row.WholeFrame(n, Screen, OldScreen, Image, Rect, Step, Progress);
  // A region effect's frame: each pixel from the old or the new picture. Only
  // for a frame too large for the cache: a smaller one, which stays there,
  // measured faster as the reset followed by the pieces of the region.
  if (!row.Shown || StoresFor(Screen) != tsStreamed) return false;
  MergedDraw(Screen, OldScreen, Image, row.Shown(n, Rect, Step, Progress));
  return true;
}

}  // namespace vantora
