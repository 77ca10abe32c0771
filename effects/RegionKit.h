#pragma once
// Shared region builders of the region effects. Each effect of these families
// builds one region per frame out of the routines below and draws the new
// picture through it with ClippedDraw.

#include <algorithm>

#include "effects/TransEffect.h"
#include "raster/Region.h"

namespace vantora {

// Bars 5 pixels thick over rows (horizontal mode) and columns (vertical
// mode), the bars of this frame being A and V long; D is the snap distance.
// Modes: 0 none, 1 from the right / bottom, 2 from the left / top, 3 even
// rows from one side and odd rows from the other at once, 4 first phase from
// the left / top then the second from the right / bottom, 5 the reverse.
// The empty region when nothing is to be shown. (Bars.cpp)
Region BarsRegion(int A, int V, int W, int H, int D, int HorzMode, int VertMode);

// Strips 5 pixels thick whose ends are jittered from the process-wide random
// generator. Modes: 0 none, 1 from the right / bottom, 2 from the left / top,
// 3 out from the centre line, 4 in to it. The draws follow a fixed order
// (rows from the top, then columns from the left), so a frame is reproducible
// from the seed before it. The empty region when both modes are 0. (Shred.cpp)
Region ShredRegion(int A, int V, int W, int H, int RowMode, int ColMode);

// The period of an even comb: Extent div S, at least 1 (S = 0 counts as 1,
// so one band spans the picture; S > Extent would otherwise give 0 and a
// comb that never advances).
inline int EvenPeriod(int Extent, int S) { return std::max(Extent / std::max(S, 1), 1); }

// Adds band B, then B moved by (dx, dy), and so on while the moved band still
// reaches into the W x H picture on the side it moves towards (left < W when
// moving right, right >= 0 when moving left, top < H when moving down,
// bottom >= 0 when moving up). (Blinds.cpp)
void AddBands(RegionBuilder& rb, TRect B, int dx, int dy, int W, int H);

// The bands of blind No (136..141) at this progress, each showing Progress %
// of its period. (Blinds.cpp)
void AddBlindBands(RegionBuilder& rb, int No, const TFrameGeometry& g, int Progress);

}  // namespace vantora
