#include "effects/Families.h"
#include "effects/RegionKit.h"
#include "raster/Draw.h"

namespace vantora {

namespace {

// The bars of one direction. Rows and columns follow the same rules with the
// axes swapped, so this works in "along" (the direction the bars grow: x for
// rows, y for columns) and "across" (the direction they are stacked in)
// coordinates: L is the frame's length along the bars, T its extent across
// them, and Add(a1, t1, a2, t2) receives the rectangle from a1 to a2 along and
// t1 to t2 across. Mode 1 grows from the far edge (right, bottom), mode 2 from
// the near edge (left, top); mode 3 grows the even bars from the far edge and
// the odd ones from the near edge; 4 and 5 run two phases.
//
// Bars are 5 pixels thick; the even bars start at multiples of 10. While
// A <= L (first phase) the even bars grow; once A > L (second phase) they are
// full and the odd bars grow by A - L. Bars that start beyond the frame are
// built all the same: the loop runs while a bar starts below T + 5, so a last
// partial bar is never lost.
template <class AddFn>
void AddBars(int A, int L, int T, int D, int Mode, AddFn Add) {
  if (A > L) {
    for (int i = 5; i < T + 5; i += 10) {
      Add(0, i - 5, L, i);  // the even bar above, completed in the first phase
      if (Mode == 1 || Mode == 4)
        Add(2 * L - A, i, L, i + 5);
      else if (Mode == 2 || Mode == 5)
        Add(0, i, A - L, i + 5);
    }
    return;
  }
  // Within one frame's advance of the full length the bar is drawn full.
  if (A + D > L) A = L;
  for (int i = 0; i < T + 5; i += 10) {
    switch (Mode) {
      case 1:
      case 5: Add(L - A, i, L, i + 5); break;
      case 2:
      case 4: Add(0, i, A, i + 5); break;
      case 3:
        Add(0, i + 5, A, i + 10);
        Add(L - A, i, L, i + 5);
        break;
      default: break;
    }
  }
}

// One row of the effect table: the bar lengths as multiples of X and Y (2 for
// two phases over the transition, 1 for one phase, 0 for none), whether the
// bars snap to full length within S of it, and the two modes.
struct TBarsRow {
  int No;
  int APerX, VPerY;
  bool Snap;
  int HorzMode, VertMode;
};

constexpr TBarsRow kBarsTable[] = {
    {60, 2, 0, true, 1, 0},  // Bars in from right
    {61, 2, 0, true, 2, 0},  // Bars in from left
    {62, 2, 0, true, 4, 0},  // Bars left then right
    {63, 2, 0, true, 5, 0},  // Bars right then left
    {64, 1, 0, false, 3, 0},  // Bars from both sides
    {71, 0, 2, true, 0, 1},  // Bars from bottom
    {72, 0, 2, true, 0, 2},  // Bars from top
    {73, 0, 2, true, 0, 4},  // Bars top then bottom
    {74, 0, 2, true, 0, 5},  // Bars bottom then top
    {75, 0, 1, false, 0, 3},  // Bars from top and bottom
    {86, 2, 2, true, 1, 1},  // Criss Cross reveal from bottom right
    {87, 2, 2, true, 1, 2},  // ... from top right
    {88, 2, 2, true, 2, 1},  // ... from bottom left
    {89, 2, 2, true, 2, 2},  // ... from top left
    {90, 2, 2, true, 4, 4},  // ... bounce from top left
    {91, 2, 2, true, 4, 5},  // ... bounce from bottom left
    {92, 2, 2, true, 5, 4},  // ... bounce from top right
    {93, 2, 2, true, 5, 5},  // ... bounce from bottom right
    {94, 1, 1, true, 1, 3},  // ... from right top and bottom
    {95, 1, 1, true, 2, 3},  // ... from left top and bottom
    {96, 1, 1, true, 3, 1},  // ... from left right and bottom
    {97, 1, 1, true, 3, 2},  // ... from left right and top
    {98, 1, 1, false, 3, 3},  // ... from top left right and bottom
};

constexpr TBarsRow BarsRowOf(int No) {
  for (const TBarsRow& row : kBarsTable)
    if (row.No == No) return row;
  return {};
}

Region BarsOf(const TBarsRow& row, const TFrameGeometry& g) {
  return BarsRegion(row.APerX * g.X, row.VPerY * g.Y, g.W, g.H, row.Snap ? g.S : 0, row.HorzMode,
                    row.VertMode);
}

}  // namespace

Region BarsRegion(int A, int V, int W, int H, int D, int HorzMode, int VertMode) {
  RegionBuilder b;
  AddBars(A, W, H, D, HorzMode, [&](int a1, int t1, int a2, int t2) { b.AddRect(a1, t1, a2, t2); });
  AddBars(V, H, W, D, VertMode, [&](int a1, int t1, int a2, int t2) { b.AddRect(t1, a1, t2, a2); });
  return b.Build();
}

template <int No>
void BarsEffect(Bitmap& Screen, const Bitmap& Image, const TRect& Rect, int Step, int Progress) {
  const TFrameGeometry g = FrameGeometry(Rect, Step, Progress);
  if constexpr (No == 99) {
    // Only what both the pattern from the bottom right (86) and the one from
    // the top left (89) have uncovered shows the new picture.
    Region G = BarsOf(BarsRowOf(86), g);
    G.Intersect(BarsOf(BarsRowOf(89), g));
    ClippedDraw(Screen, Image, G);
  } else {
    static_assert(BarsRowOf(No).No == No, "every bars effect has a row in kBarsTable");
    ClippedDraw(Screen, Image, BarsOf(BarsRowOf(No), g));
  }
}

template void BarsEffect<60>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void BarsEffect<61>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void BarsEffect<62>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void BarsEffect<63>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void BarsEffect<64>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void BarsEffect<71>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void BarsEffect<72>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void BarsEffect<73>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void BarsEffect<74>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void BarsEffect<75>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void BarsEffect<86>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void BarsEffect<87>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void BarsEffect<88>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void BarsEffect<89>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void BarsEffect<90>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void BarsEffect<91>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void BarsEffect<92>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void BarsEffect<93>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void BarsEffect<94>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void BarsEffect<95>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void BarsEffect<96>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void BarsEffect<97>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void BarsEffect<98>(Bitmap&, const Bitmap&, const TRect&, int, int);
template void BarsEffect<99>(Bitmap&, const Bitmap&, const TRect&, int, int);

}  // namespace vantora
