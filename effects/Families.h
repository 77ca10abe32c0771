#pragma once
// The effect families. Each family is one template over the effect number,
// defined in its own source file (named in the comment) with an explicit
// instantiation for every member; EffectTable lists them all.

#include "effects/TransEffect.h"

namespace vantora {

#define VANTORA_EFFECT_FAMILY(Family) \
  template <int No>                   \
  void Family(Bitmap& Screen, const Bitmap& Image, const TRect& Rect, int Step, int Progress)

VANTORA_EFFECT_FAMILY(StraightEffect);  // Straight.cpp: 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13,
                                        // 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 35,
                                        // 36, 37, 38, 39, 40, 41, 42, 43, 44, 45, 46
VANTORA_EFFECT_FAMILY(UnrollEffect);  // Unroll.cpp: 14, 15, 31, 32
VANTORA_EFFECT_FAMILY(BuildUpEffect);  // Unroll.cpp: 16, 17, 33, 34
VANTORA_EFFECT_FAMILY(CornerEffect);  // Corner.cpp: 47, 48, 49, 50, 51, 52, 53, 54, 55, 56, 57
VANTORA_EFFECT_FAMILY(CurvedEffect);  // Curved.cpp: 58, 59, 69, 70, 80, 81, 82, 83, 84, 85
VANTORA_EFFECT_FAMILY(BarsEffect);  // Bars.cpp: 60, 61, 62, 63, 64, 71, 72, 73, 74, 75, 86, 87, 88,
                                    // 89, 90, 91, 92, 93, 94, 95, 96, 97, 98, 99
VANTORA_EFFECT_FAMILY(ShredEffect);  // Shred.cpp: 65, 66, 67, 68, 76, 77, 78, 79, 100, 101, 102,
                                     // 103, 104, 105, 106, 107, 108, 109
VANTORA_EFFECT_FAMILY(DiagonalEffect);  // Diagonal.cpp: 110, 111, 112, 113, 114, 115, 116, 117
VANTORA_EFFECT_FAMILY(FadePivotEffect);  // FadePivot.cpp: 118, 119, 120, 121, 122
VANTORA_EFFECT_FAMILY(SpeckleEffect);  // Speckle.cpp: 123, 124, 125, 126, 127
VANTORA_EFFECT_FAMILY(PushEffect);  // Push.cpp: 128, 129, 130, 131, 132, 133, 134, 135
VANTORA_EFFECT_FAMILY(BlindEffect);  // Blinds.cpp: 136, 137, 138, 139, 140, 141
VANTORA_EFFECT_FAMILY(SweepEffect);  // Sweep.cpp: 142, 143, 144
VANTORA_EFFECT_FAMILY(ShapeEffect);  // Shapes.cpp: 145, 146, 147, 148, 149, 150

#undef VANTORA_EFFECT_FAMILY

}  // namespace vantora
