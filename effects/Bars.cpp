#include "effects/Families.h"
#include "effects/RegionKit.h"

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
  int APerX, VPerY;
  bool Snap;
  int HorzMode, VertMode;
};

constexpr TBarsRow BarsRow(int No) {
  switch (No) {
    case 60: return {2, 0, true, 1, 0};  // Bars in from right
    case 61: return {2, 0, true, 2, 0};  // Bars in from left
    case 62: return {2, 0, true, 4, 0};  // Bars left then right
    case 63: return {2, 0, true, 5, 0};  // Bars right then left
    case 64: return {1, 0, false, 3, 0};  // Bars from both sides
    case 71: return {0, 2, true, 0, 1};  // Bars from bottom
    case 72: return {0, 2, true, 0, 2};  // Bars from top
    case 73: return {0, 2, true, 0, 4};  // Bars top then bottom
    case 74: return {0, 2, true, 0, 5};  // Bars bottom then top
    case 75: return {0, 1, false, 0, 3};  // Bars from top and bottom
    case 86: return {2, 2, true, 1, 1};  // Criss Cross reveal from bottom right
    case 87: return {2, 2, true, 1, 2};  // ... from top right
    case 88: return {2, 2, true, 2, 1};  // ... from bottom left
    case 89: return {2, 2, true, 2, 2};  // ... from top left
    case 90: return {2, 2, true, 4, 4};  // ... bounce from top left
    case 91: return {2, 2, true, 4, 5};  // ... bounce from bottom left
    case 92: return {2, 2, true, 5, 4};  // ... bounce from top right
    case 93: return {2, 2, true, 5, 5};  // ... bounce from bottom right
    case 94: return {1, 1, true, 1, 3};  // ... from right top and bottom
    case 95: return {1, 1, true, 2, 3};  // ... from left top and bottom
    case 96: return {1, 1, true, 3, 1};  // ... from left right and bottom
    case 97: return {1, 1, true, 3, 2};  // ... from left right and top
    case 98: return {1, 1, false, 3, 3};  // ... from top left right and bottom
  }
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

Region BarsShown(int No, const TRect& Rect, int Step, int Progress) {
  const TFrameGeometry g = FrameGeometry(Rect, Step, Progress);
  if (No != 99) return BarsOf(BarsRow(No), g);
  // Only what both the pattern from the bottom right (86) and the one from
  // the top left (89) have uncovered shows the new picture.
  Region G = BarsOf(BarsRow(86), g);
  G.Intersect(BarsOf(BarsRow(89), g));
  return G;
}

}  // namespace vantora
