#include <algorithm>

#include "effects/EffectKit.h"
#include "effects/Families.h"

namespace vantora {
namespace {

// Stretch copy of rectangle B of Source onto D with one axis turned over: the
// turned axis of D is exchanged and widened by one pixel on each side (Left
// := Right + 1, Right := Left - 1), so the source column next to D's far edge
// lands next to that edge. B is first cut to the source bitmap.
void MirrorCopy(Bitmap& Target, TRect D, const Bitmap& Source, TRect B, bool MirrorHorizontally,
                bool MirrorVertically) {
  B = intersected(B, Source.BoundsRect());
  if (MirrorHorizontally) D = {D.Right + 1, D.Top, D.Left - 1, D.Bottom};
  if (MirrorVertically) D = {D.Left, D.Bottom + 1, D.Right, D.Top - 1};
  StretchCopy(Target, D, Source, B);
}

// Width of the unroll band along a side of length A at extent P: it grows
// from nothing to A / 10 over the first fifth, holds, and shrinks back over
// the last fifth (the pieces meet at A / 5 and 4A / 5).
constexpr int BandWidth(int A, int P) {
  const int q = A / 5;
  if (P < q) return P / 2;
  if (P + q > A) return (A - P) / 2;
  return A / 10;
}

// One unroll frame: the band shows the source strip just beyond it,
// mirrored along the moving axis; then the unrolled part is uncovered.
struct TUnrollRow {
  TRect Band;
  TRect Source;
  bool Horizontal;  // mirror axis: horizontal for 14 and 15, vertical for 31 and 32
  TRect Unrolled;
};

constexpr TUnrollRow UnrollRow(int No, const TFrameGeometry& g) {
  const int W = g.W, H = g.H, X = g.X, Y = g.Y;
  switch (No) {
    case 14: {
      const int E = X + BandWidth(W, X);
      return {{X, 0, E, H}, {E, 0, 2 * E - X, H}, true, {0, 0, X, H}};
    }
    case 15: {
      const int D = W - X, L = D - BandWidth(W, X);
      return {{L, 0, D, H}, {2 * L - D, 0, L, H}, true, {D, 0, W, H}};
    }
    case 31: {
      const int E = Y + BandWidth(H, Y);
      return {{0, Y, W, E}, {0, E, W, 2 * E - Y}, false, {0, 0, W, Y}};
    }
    case 32: {
      const int D = H - Y, T = D - BandWidth(H, Y);
      return {{0, T, W, D}, {0, 2 * T - D, W, T}, false, {0, D, W, H}};
    }
  }
  return {};
}

// Build-up: the uncovered part in place, then a slice W / S (or H / S) wide
// taken just beyond the uncovered edge and stretched over the covered rest.
// S is at least 1 here: tiny pictures have S = 0. When the slice is empty
// (W / S = 0 at very large steps) its copy draws nothing.
constexpr TCopies BuildUpRow(int No, const TFrameGeometry& g) {
  const int W = g.W, H = g.H, X = g.X, Y = g.Y, S = std::max(g.S, 1);
  switch (No) {
    case 16: return {Plain({0, 0, X, H}), {{X, 0, std::min(X + W / S, W), H}, {X, 0, W, H}}};
    case 17:
      return {Plain({W - X, 0, W, H}),
              {{std::max(W - X - W / S, 0), 0, W - X, H}, {0, 0, W - X, H}}};
    case 33: return {Plain({0, 0, W, Y}), {{0, Y, W, std::min(Y + H / S, H)}, {0, Y, W, H}}};
    case 34:
      return {Plain({0, H - Y, W, H}),
              {{0, std::max(H - Y - H / S, 0), W, H - Y}, {0, 0, W, H - Y}}};
  }
  return {};
}

}  // namespace

void UnrollEffect(int No, Bitmap& Screen, const Bitmap& Image, const TRect& Rect, int Step,
                  int Progress) {
  const TUnrollRow row = UnrollRow(No, FrameGeometry(Rect, Step, Progress));
  MirrorCopy(Screen, row.Band, Image, row.Source, row.Horizontal, !row.Horizontal);
  PlainCopy(Screen, row.Unrolled, Image);
}

void BuildUpEffect(int No, Bitmap& Screen, const Bitmap& Image, const TRect& Rect, int Step,
                   int Progress) {
  DrawRow(No, Screen, Image, Rect, Step, Progress, BuildUpRow);
}

}  // namespace vantora
