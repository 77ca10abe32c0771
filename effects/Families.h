#pragma once
// The effect families, one source file each. A family draws any of its
// members: it is told the effect number and finds the member's row with a
// switch on it, one case per member. EffectTable.cpp gives every number its
// name and family, so a search for a number finds both of its rows.

#include "effects/TransEffect.h"
#include "raster/Region.h"

namespace vantora {

// A family's procedure: the effect procedure with the effect number in front.
using TEffectFamily = void(int No, Bitmap& Screen, const Bitmap& Image, const TRect& Rect, int Step,
                           int Progress);
// A region family's members draw nothing but the new picture through one
// region: the family gives that region, and the table draws it (or composes
// the whole frame through it, DrawWholeFrame).
using TRegionFamily = Region(int No, const TRect& Rect, int Step, int Progress);

TEffectFamily StraightEffect;  // Straight.cpp
TEffectFamily UnrollEffect;  // Unroll.cpp
TEffectFamily BuildUpEffect;  // Unroll.cpp
TEffectFamily CornerEffect;  // Corner.cpp
TRegionFamily CurvedShown;  // Curved.cpp
TRegionFamily BarsShown;  // Bars.cpp
TRegionFamily ShredShown;  // Shred.cpp
TRegionFamily DiagonalShown;  // Diagonal.cpp
TEffectFamily FadePivotEffect;  // FadePivot.cpp
TRegionFamily SpeckleShown;  // Speckle.cpp
TEffectFamily PushEffect;  // Push.cpp
TRegionFamily BlindShown;  // Blinds.cpp
TRegionFamily SweepShown;  // Sweep.cpp
TRegionFamily ShapeShown;  // Shapes.cpp

// A family's whole-frame procedure (DrawWholeFrame), the number in front.
using TWholeFrameFamily = bool(int No, Bitmap& Screen, const Bitmap& OldScreen, const Bitmap& Image,
                               const TRect& Rect, int Step, int Progress);

TWholeFrameFamily PushWholeFrame;  // Push.cpp

}  // namespace vantora
