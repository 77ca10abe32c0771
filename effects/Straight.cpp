#include "effects/EffectKit.h"
#include "effects/Families.h"

namespace vantora {
namespace {

// The copies of each straight effect, one row per member, in drawing order.
// Expand: the whole picture squeezed into a growing rectangle. Slide: the
// whole picture at full size moving in from outside. Reveal: plain copy of a
// growing rectangle. Expand in: the revealed part magnified onto a rectangle
// larger than the frame that shrinks to it. The vertical members 18..30 are
// 1..13 with Y and H in place of X and W; 35..46 move along both axes.
constexpr TCopies StraightRow(int No, const TFrameGeometry& g) {
  const int W = g.W, H = g.H, X = g.X, Y = g.Y;
  const TRect whole{0, 0, W, H};
  switch (No) {
    case 1: return {{whole, {W - X, 0, W, H}}};
    case 2: return {{whole, {0, 0, X, H}}};
    case 3: return {{whole, {W - X, 0, 2 * W - X, H}}};
    case 4: return {{whole, {X - W, 0, X, H}}};
    case 5: return {Plain({0, 0, X, H})};
    case 6: return {Plain({W - X, 0, W, H})};
    case 7: return {{{0, 0, X, H}, {0, 0, 2 * W - X, H}}};
    case 8: return {{{W - X, 0, W, H}, {X - W, 0, W, H}}};
    case 9: return {{{(W - X) / 2, 0, (W + X) / 2, H}, {X - W, 0, 2 * W - X, H}}};
    case 10: return {{whole, {(W - X) / 2, 0, (W + X) / 2, H}}};
    case 11: return {Plain({(W - X) / 2, 0, (W + X) / 2, H})};
    case 12: return {Plain({0, 0, X / 2 + 1, H}), Plain({W - X / 2 - 1, 0, W, H})};
    // The +1 and -1 make the two halves overlap by a column as X nears W.
    case 13:
      return {{{0, 0, W / 2 + 1, H}, {0, 0, X / 2 + 1, H}},
              {{W / 2, 0, W, H}, {W - X / 2 - 1, 0, W, H}}};

    case 18: return {{whole, {0, H - Y, W, H}}};
    case 19: return {{whole, {0, 0, W, Y}}};
    case 20: return {{whole, {0, H - Y, W, 2 * H - Y}}};
    case 21: return {{whole, {0, Y - H, W, Y}}};
    case 22: return {Plain({0, 0, W, Y})};
    case 23: return {Plain({0, H - Y, W, H})};
    case 24: return {{{0, 0, W, Y}, {0, 0, W, 2 * H - Y}}};
    case 25: return {{{0, H - Y, W, H}, {0, Y - H, W, H}}};
    case 26: return {{{0, (H - Y) / 2, W, (H + Y) / 2}, {0, Y - H, W, 2 * H - Y}}};
    case 27: return {{whole, {0, (H - Y) / 2, W, (H + Y) / 2}}};
    case 28: return {Plain({0, (H - Y) / 2, W, (H + Y) / 2})};
    // Despite its name 29 slides nothing: it uncovers in place, like 12.
    case 29: return {Plain({0, 0, W, Y / 2 + 1}), Plain({0, H - Y / 2 - 1, W, H})};
    case 30:
      return {{{0, 0, W, H / 2 + 1}, {0, 0, W, Y / 2 + 1}},
              {{0, H / 2, W, H}, {0, H - Y / 2 - 1, W, H}}};

    case 35: return {{whole, {W - X, H - Y, W, H}}};
    case 36: return {{whole, {W - X, 0, W, Y}}};
    case 37: return {{whole, {0, 0, X, Y}}};
    case 38: return {{whole, {0, H - Y, X, H}}};
    case 39: return {{whole, {W - X, H - Y, 2 * W - X, 2 * H - Y}}};
    case 40: return {{whole, {W - X, Y - H, 2 * W - X, Y}}};
    case 41: return {{whole, {X - W, Y - H, X, Y}}};
    case 42: return {{whole, {X - W, H - Y, X, 2 * H - Y}}};
    case 43: return {Plain({0, 0, X, Y})};
    case 44: return {Plain({0, H - Y, X, H})};
    case 45: return {Plain({W - X, H - Y, W, H})};
    case 46: return {Plain({W - X, 0, W, Y})};
  }
  return {};
}

}  // namespace

void StraightEffect(int No, Bitmap& Screen, const Bitmap& Image, const TRect& Rect, int Step,
                    int Progress) {
  DrawRow(No, Screen, Image, Rect, Step, Progress, StraightRow);
}

}  // namespace vantora
