#include <array>
#include <cstddef>
#include <utility>

#include "effects/Families.h"

namespace vantora {
namespace {

struct TEffectRow {
  int No;
  const char* Name;  // the display name the control's StyleName matches, spelling included
  TEffectFamily* Family;
  TWholeFrameFamily* WholeFrame = nullptr;  // the family's one-pass composition, if it has one
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
    {58, "Curved Reveal from left", CurvedEffect},
    {59, "Curved Reveal from right", CurvedEffect},
    {60, "Bars in from right", BarsEffect},
    {61, "Bars in from left", BarsEffect},
    {62, "Bars left then right", BarsEffect},
    {63, "Bars right then left", BarsEffect},
    {64, "Bars from both sides", BarsEffect},
    {65, "Uneven shred from right", ShredEffect},
    {66, "Uneven shred from left", ShredEffect},
    {67, "Uneven shred out from middle (horiz)", ShredEffect},
    {68, "Uneven shred in to middle (horiz)", ShredEffect},
    {69, "Curved Reveal from top", CurvedEffect},
    {70, "Curved Reveal from bottom", CurvedEffect},
    {71, "Bars from bottom", BarsEffect},
    {72, "Bars from top", BarsEffect},
    {73, "Bars top then bottom", BarsEffect},
    {74, "Bars bottom then top", BarsEffect},
    {75, "Bars from top and bottom", BarsEffect},
    {76, "Unven shred from bottom", ShredEffect},
    {77, "Uneven shred from top", ShredEffect},
    {78, "Uneven shred from horizon", ShredEffect},
    {79, "Uneven shred in to horizon", ShredEffect},
    {80, "Curved reveal from top left", CurvedEffect},
    {81, "Curved reveal from top right", CurvedEffect},
    {82, "Curved reveal from bottom left", CurvedEffect},
    {83, "Curved reveal from bottom right", CurvedEffect},
    {84, "Circular reveal from centre", CurvedEffect},
    {85, "Circular reveal to centre", CurvedEffect},
    {86, "Criss Cross reveal from bottom right", BarsEffect},
    {87, "Criss Cross reveal from top right", BarsEffect},
    {88, "Criss Cross reveal from bottom left", BarsEffect},
    {89, "Criss Cross reveal from top left", BarsEffect},
    {90, "Criss Cross reveal bounce from top left", BarsEffect},
    {91, "Criss Cross reveal bounce from bottom left", BarsEffect},
    {92, "Criss Cross reveal bounce from top right", BarsEffect},
    {93, "Criss Cross reveal bounce from bottom right", BarsEffect},
    {94, "Criss Cross reveal from right top and bottom", BarsEffect},
    {95, "Criss Cross reveal from left top and bottom", BarsEffect},
    {96, "Criss Cross reveal from left right and bottom", BarsEffect},
    {97, "Criss Cross reveal from left right and top", BarsEffect},
    {98, "Criss Cross reveal from top left right and bottom", BarsEffect},
    {99, "Criss Cross reveal from bottom left top right", BarsEffect},
    {100, "Uneven shred from bottom and right", ShredEffect},
    {101, "Uneven shred from top and right", ShredEffect},
    {102, "Uneven shred from bottom and left", ShredEffect},
    {103, "Uneven shred from top and left", ShredEffect},
    {104, "Uneven shred from horiz and right", ShredEffect},
    {105, "Uneven shred from horiz and left", ShredEffect},
    {106, "Uneven shred from bottom and vert middle", ShredEffect},
    {107, "Uneven shred from top and vert middle", ShredEffect},
    {108, "Uneven shred from centre", ShredEffect},
    {109, "Uneven shred to centre", ShredEffect},
    {110, "Reveal diagonal from top left", DiagonalEffect},
    {111, "Reveal diagonal from top right", DiagonalEffect},
    {112, "Reveal diagonal from bottom left", DiagonalEffect},
    {113, "Reveal diagonal from bottom right", DiagonalEffect},
    {114, "Diagonal sweep from top left bottom right anticlockwise", DiagonalEffect},
    {115, "Diagonal sweep from top left bottom right clockwise", DiagonalEffect},
    {116, "Starburst clockwise from center", DiagonalEffect},
    {117, "Triangular shred to top left", DiagonalEffect},
    {118, "Fade", FadePivotEffect},
    {119, "Pivot from top left", FadePivotEffect},
    {120, "Pivot from bottom left", FadePivotEffect},
    {121, "Pivot from top right", FadePivotEffect},
    {122, "Pivot from bottom right", FadePivotEffect},
    {123, "Speckle appear from right", SpeckleEffect},
    {124, "Speckle appear from left", SpeckleEffect},
    {125, "Speckle appear from bottom", SpeckleEffect},
    {126, "Speckle appear from top", SpeckleEffect},
    {127, "Random squares appear", SpeckleEffect},
    {128, "Push right", PushEffect, PushWholeFrame},
    {129, "Push left", PushEffect, PushWholeFrame},
    {130, "Push and squeeze right", PushEffect, PushWholeFrame},
    {131, "Push and squeeze left", PushEffect, PushWholeFrame},
    {132, "Push down", PushEffect, PushWholeFrame},
    {133, "Push up", PushEffect, PushWholeFrame},
    {134, "Push and sqeeze down", PushEffect, PushWholeFrame},
    {135, "Push and sqeeze up", PushEffect, PushWholeFrame},
    {136, "Blind vertically", BlindEffect},
    {137, "Blind horizontally", BlindEffect},
    {138, "Uneven blind from left", BlindEffect},
    {139, "Uneven blind from right", BlindEffect},
    {140, "Uneven blind from top", BlindEffect},
    {141, "Uneven blind from bottom", BlindEffect},
    {142, "Rectangular shred", SweepEffect},
    {143, "Sweep clockwise", SweepEffect},
    {144, "Sweep anticlockwise", SweepEffect},
    {145, "Rectangles apear from left and disapear to right", ShapeEffect},
    {146, "Rectangles apear from right and disapear to left", ShapeEffect},
    {147, "Rectangles apear from up and disapear to bottom", ShapeEffect},
    {148, "Rectangles apear from bottom and disapear to up", ShapeEffect},
    {149, "Rotational rectangle", ShapeEffect},
    {150, "Rotational star", ShapeEffect},
};

constexpr bool RowsInNumberOrder() {
  for (std::size_t i = 0; i < std::size(kEffects); ++i)
    if (kEffects[i].No != int(i) + 1) return false;
  return std::size(kEffects) == kEffectCount;
}
static_assert(RowsInNumberOrder(), "row N of kEffects holds effect N, for N = 1..150");

// The procedure of effect No: its family, told the number.
template <int No>
void EffectProc(Bitmap& Screen, const Bitmap& Image, const TRect& Rect, int Step, int Progress) {
  kEffects[No - 1].Family(No, Screen, Image, Rect, Step, Progress);
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
  TWholeFrameFamily* family = kEffects[n - 1].WholeFrame;
  return family && family(n, Screen, OldScreen, Image, Rect, Step, Progress);
}

}  // namespace vantora
