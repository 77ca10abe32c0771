#include "effects/EffectKit.h"
#include "effects/Families.h"

namespace vantora {
namespace {

// One push frame: the old picture (what Screen holds) moves or is squeezed
// first, then the far edge of the new picture enters unscaled.
struct TPushRow {
  TCopy Old;  // Screen onto itself: the copy reads the old pixels
  TCopy New;  // Image onto Screen
};

constexpr TPushRow PushRow(int No, const TFrameGeometry& g) {
  const int W = g.W, H = g.H, X = g.X, Y = g.Y;
  const TRect whole{0, 0, W, H};
  switch (No) {
    case 128: return {{{0, 0, W - X, H}, {X, 0, W, H}}, {{W - X, 0, W, H}, {0, 0, X, H}}};
    case 129: return {{{X, 0, W, H}, {0, 0, W - X, H}}, {{0, 0, X, H}, {W - X, 0, W, H}}};
    case 130: return {{whole, {X, 0, W, H}}, {{W - X, 0, W, H}, {0, 0, X, H}}};
    case 131: return {{whole, {0, 0, W - X, H}}, {{0, 0, X, H}, {W - X, 0, W, H}}};
    case 132: return {{{0, 0, W, H - Y}, {0, Y, W, H}}, {{0, H - Y, W, H}, {0, 0, W, Y}}};
    case 133: return {{{0, Y, W, H}, {0, 0, W, H - Y}}, {{0, 0, W, Y}, {0, H - Y, W, H}}};
    case 134: return {{whole, {0, Y, W, H}}, {{0, H - Y, W, H}, {0, 0, W, Y}}};
    case 135: return {{whole, {0, 0, W, H - Y}}, {{0, 0, W, Y}, {0, H - Y, W, H}}};
  }
  return {};
}

}  // namespace

void PushEffect(int No, Bitmap& Screen, const Bitmap& Image, const TRect& Rect, int Step,
                int Progress) {
  const TPushRow row = PushRow(No, FrameGeometry(Rect, Step, Progress));
  StretchCopy(Screen, row.Old.Dst, Screen, row.Old.Src);
  StretchCopy(Screen, row.New.Dst, Image, row.New.Src);
}

}  // namespace vantora
