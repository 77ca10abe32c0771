#include <cstdint>
#include <utility>

#include "effects/Families.h"
#include "raster/Region.h"

namespace vantora {

namespace {

// The rounded rectangle (x1, y1, x2, y2, w, h) whose curved side or corner
// sweeps over the frame. The rectangles reach far beyond the frame and their
// corner ellipses are limited to the rectangle's own size, so one whole side
// becomes a single half-ellipse (58, 59, 69, 70) or one corner a quarter of
// one (80..83). Effects 84 and 85 use a shape that is nearly an ellipse: only
// a tenth of each side is straight.
struct TRoundRect {
  int x1, y1, x2, y2, w, h;
};

// Nine fifths of v, truncated: 9 x v is formed in 64 bits, since a very wide
// picture would overflow it in 32.
int NineFifths(int v) { return int(std::int64_t(9) * v / 5); }

TRoundRect CurvedFront(int No, const TFrameGeometry& g) {
  const int W = g.W, H = g.H, X = g.X, Y = g.Y;
  switch (No) {
    case 58: return {-2 * W, -5, 2 * X, H + 5, 2 * W, 2 * W};
    case 59: return {W - 2 * X, -5, 3 * W, H + 5, 2 * W, 2 * W};
    case 69: return {-5, -2 * H, W + 5, 2 * Y, 2 * H, 2 * H};
    case 70: return {-5, H - 2 * Y, W + 5, 3 * H, 2 * H, 2 * H};
    case 80: return {-2 * W, -2 * H, 2 * X, 2 * Y, 2 * W, 2 * H};
    case 81: return {W - 2 * X, -2 * H, 3 * W, 2 * Y, 2 * W, 2 * H};
    case 82: return {-2 * W, H - 2 * Y, 2 * X, 3 * H, 2 * W, 2 * H};
    // 83 rounds its corner with a circle of radius H, unlike 80..82.
    case 83: return {W - 2 * X, H - 2 * Y, 3 * W, 3 * H, 2 * H, 2 * H};
    case 84: return {W / 2 - X, H / 2 - Y, W / 2 + X, H / 2 + Y, NineFifths(X), NineFifths(Y)};
    // 85's shape shrinks to the centre; the new picture shows outside it.
    case 85:
      return {X - W / 2,     Y - H / 2,         3 * W / 2 - X,
              3 * H / 2 - Y, NineFifths(W - X), NineFifths(H - Y)};
  }
  return {};
}

}  // namespace

Region CurvedShown(int No, const TRect& Rect, int Step, int Progress) {
  const TFrameGeometry g = FrameGeometry(Rect, Step, Progress);
  const TRoundRect f = CurvedFront(No, g);
  Region G = Region::RoundRect(f.x1, f.y1, f.x2, f.y2, f.w, f.h);
  if (No == 85) {
    Region frame = Region::Rectangle(0, 0, g.W, g.H);
    frame.Xor(G);
    G = std::move(frame);
  }
  return G;
}

}  // namespace vantora
