#include "effects/EffectKit.h"
#include "effects/Families.h"

namespace vantora {
namespace {

// The copies of each corner, centre and quarter effect, in drawing order.
// Appear and contract (47..51): the X x Y part of the picture at a corner (or
// in the middle) magnified onto a rectangle reaching 2W - X and 2H - Y from
// that corner, which contracts to the frame. The quarters are split at
// W / 2 + 1 and H / 2 + 1, so the left and top quarters are a pixel wider.
constexpr TCopies CornerRow(int No, const TFrameGeometry& g) {
  const int W = g.W, H = g.H, X = g.X, Y = g.Y;
  const TRect whole{0, 0, W, H};
  const TRect centre{(W - X) / 2, (H - Y) / 2, (W + X) / 2, (H + Y) / 2};
  switch (No) {
    case 47: return {{{0, 0, X, Y}, {0, 0, 2 * W - X, 2 * H - Y}}};
    case 48: return {{{0, H - Y, X, H}, {0, Y - H, 2 * W - X, H}}};
    case 49: return {{{W - X, H - Y, W, H}, {X - W, Y - H, W, H}}};
    case 50: return {{{W - X, 0, W, Y}, {X - W, 0, W, 2 * H - Y}}};
    case 51: return {{centre, {X - W, Y - H, 2 * W - X, 2 * H - Y}}};

    case 52: return {{whole, centre}};
    case 53: return {Plain(centre)};
    case 54:
      return {Plain({0, 0, W, Y / 2}), Plain({0, H - Y / 2, W, H}), Plain({0, 0, X / 2, H}),
              Plain({W - X / 2, 0, W, H})};

    case 55:
      return {Plain({0, 0, X / 2 + 1, Y / 2 + 1}), Plain({0, H - Y / 2 - 1, X / 2 + 1, H}),
              Plain({W - X / 2 - 1, H - Y / 2 - 1, W, H}), Plain({W - X / 2 - 1, 0, W, Y / 2 + 1})};
    // Each quarter squeezed into a rectangle growing from its own corner.
    case 56:
      return {{{0, 0, W / 2 + 1, H / 2 + 1}, {0, 0, X / 2 + 1, Y / 2 + 1}},
              {{0, H / 2 + 1, W / 2 + 1, H}, {0, H - Y / 2, X / 2 + 1, H}},
              {{W / 2 + 1, H / 2 + 1, W, H}, {W - X / 2, H - Y / 2, W, H}},
              {{W / 2 + 1, 0, W, H / 2 + 1}, {W - X / 2, 0, W, Y / 2 + 1}}};
    // Each quarter at natural size sliding in from its own side, like a
    // pinwheel. Both ends of a moving rectangle truncate toward zero on their
    // own, so it may be a pixel off its quarter's size and scale by it.
    case 57:
      return {{{0, 0, W / 2 + 1, H / 2 + 1}, {(X - W) / 2, 0, X / 2 + 1, H / 2 + 1}},
              {{W / 2 - 1, 0, W, H / 2 + 1}, {W / 2 - 1, (Y - H) / 2, W, Y / 2 + 1}},
              {{W / 2 + 1, H / 2 - 1, W, H}, {W - X / 2, H / 2 - 1, W + (W - X) / 2, H}},
              {{0, H / 2 + 1, W / 2 + 1, H}, {0, H - Y / 2, W / 2 + 1, H + (H - Y) / 2}}};
  }
  return {};
}

}  // namespace

void CornerEffect(int No, Bitmap& Screen, const Bitmap& Image, const TRect& Rect, int Step,
                  int Progress) {
  DrawRow(No, Screen, Image, Rect, Step, Progress, CornerRow);
}

}  // namespace vantora
