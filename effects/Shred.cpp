#include "effects/Families.h"
#include "effects/RegionKit.h"

namespace vantora {

namespace {

// J(r) = Random(r) - Random(r): lies in -(r - 1)..r - 1, most often near 0.
// The two draws are sequenced explicitly (the first added, the second
// subtracted); an expression with both calls would leave their order open.
int Jitter(int r) {
  const int plus = Random(r);
  const int minus = Random(r);
  return plus - minus;
}

// The strips of one direction. Rows and columns follow the same rules with
// the axes swapped, so this works in "along" (the direction the strips grow:
// x for rows, y for columns) and "across" coordinates: L is the frame's length
// along the strips, T its extent across them, and Add(a1, t1, a2, t2)
// receives the rectangle from a1 to a2 along and t1 to t2 across.
//
// Strips start every 5 pixels while the start is below T and are
// 5 + T mod 5 thick, so neighbours overlap by T mod 5 and the last one
// reaches T. Each end is jittered by up to L div 7 until the strips reach the
// full length; the random draws are made strip by strip, and within a strip
// for the first rectangle before the second.
template <class AddFn>
void AddShreds(int A, int L, int T, int Mode, AddFn Add) {
  const int r = A < L ? L / 7 : 0;
  const int thick = 5 + T % 5;
  for (int t = 0; t < T; t += 5) {
    const int t2 = t + thick;
    switch (Mode) {
      case 1: Add(L - A + Jitter(r), t, L, t2); break;  // from the far edge
      case 2: Add(0, t, A + Jitter(r), t2); break;  // from the near edge
      case 3: {  // out from the centre line
        const int j1 = Jitter(r);
        Add((L - A + j1) / 2, t, L / 2, t2);
        const int j2 = Jitter(r);
        Add(L / 2, t, (L + A + j2) / 2, t2);
        break;
      }
      default: {  // mode 4 (and any other): in from both edges to the centre line
        const int j1 = Jitter(r);
        Add(L - (A + j1) / 2, t, L, t2);
        const int j2 = Jitter(r);
        Add(0, t, (A + j2) / 2, t2);
        break;
      }
    }
  }
}

// One row of the effect table: whether the rows grow by X and the columns by
// Y (a direction that is not used gets length 0), and the two modes.
struct TShredRow {
  bool UsesX, UsesY;
  int RowMode, ColMode;
};

constexpr TShredRow ShredRow(int No) {
  switch (No) {
    case 65: return {true, false, 1, 0};  // Uneven shred from right
    case 66: return {true, false, 2, 0};  // ... from left
    case 67: return {true, false, 3, 0};  // ... out from middle (horiz)
    case 68: return {true, false, 4, 0};  // ... in to middle (horiz)
    case 76: return {false, true, 0, 1};  // ... from bottom
    case 77: return {false, true, 0, 2};  // ... from top
    case 78: return {false, true, 0, 3};  // ... from horizon
    case 79: return {false, true, 0, 4};  // ... in to horizon
    case 100: return {true, true, 1, 1};  // ... from bottom and right
    case 101: return {true, true, 1, 2};  // ... from top and right
    case 102: return {true, true, 2, 1};  // ... from bottom and left
    case 103: return {true, true, 2, 2};  // ... from top and left
    case 104: return {true, true, 1, 3};  // ... from horiz and right
    case 105: return {true, true, 2, 3};  // ... from horiz and left
    case 106: return {true, true, 3, 1};  // ... from bottom and vert middle
    case 107: return {true, true, 3, 2};  // ... from top and vert middle
    case 108: return {true, true, 3, 3};  // ... from centre
    case 109: return {true, true, 4, 4};  // ... to centre
  }
  return {};
}

}  // namespace

Region ShredRegion(int A, int V, int W, int H, int RowMode, int ColMode) {
  RegionBuilder b;
  if (RowMode != 0)
    AddShreds(A, W, H, RowMode, [&](int a1, int t1, int a2, int t2) { b.AddRect(a1, t1, a2, t2); });
  if (ColMode != 0)
    AddShreds(V, H, W, ColMode, [&](int a1, int t1, int a2, int t2) { b.AddRect(t1, a1, t2, a2); });
  return b.Build();
}

Region ShredShown(int No, const TRect& Rect, int Step, int Progress) {
  const TShredRow row = ShredRow(No);
  const TFrameGeometry g = FrameGeometry(Rect, Step, Progress);
  return ShredRegion(row.UsesX ? g.X : 0, row.UsesY ? g.Y : 0, g.W, g.H, row.RowMode, row.ColMode);
}

}  // namespace vantora
