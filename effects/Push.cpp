#include <cstdint>

#include "effects/EffectKit.h"
#include "effects/Families.h"

namespace vantora {
namespace {

// One push frame: the old picture moves or is squeezed first, then the far
// edge of the new picture enters unscaled.
struct TPushRow {
  TCopy Old;  // from the old picture
  TCopy New;  // from Image
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

// The old picture's copy reads oldPicture: Screen itself after the reset (the
// copy then reads the old pixels it overlaps), or the old picture apart.
void DrawPushRow(Bitmap& Screen, const Bitmap& oldPicture, const Bitmap& Image,
                 const TPushRow& row) {
  StretchCopy(Screen, row.Old.Dst, oldPicture, row.Old.Src);
  StretchCopy(Screen, row.New.Dst, Image, row.New.Src);
}

bool Inside(const TRect& r, const TRect& frame) {
  return r.Left <= r.Right && r.Top <= r.Bottom && r.Left >= frame.Left && r.Top >= frame.Top &&
         r.Right <= frame.Right && r.Bottom <= frame.Bottom;
}

// A copy writes every pixel of its target when both rectangles lie inside the
// frame, unmirrored, and a target with pixels has a source with pixels: each
// target pixel then samples a pixel inside the source rectangle.
bool WritesWholeTarget(const TCopy& c, const TRect& frame) {
  return Inside(c.Src, frame) && Inside(c.Dst, frame) && (c.Dst.IsEmpty() || !c.Src.IsEmpty());
}

std::int64_t Area(const TRect& r) { return std::int64_t(r.Width()) * r.Height(); }

// Whether the two copies of row write every pixel of the frame: each writes
// its whole target, the targets do not overlap, and their areas add up to the
// frame's.
bool CoversFrame(const TPushRow& row, const TRect& frame) {
  return WritesWholeTarget(row.Old, frame) && WritesWholeTarget(row.New, frame) &&
         intersected(row.Old.Dst, row.New.Dst).IsEmpty() &&
         Area(row.Old.Dst) + Area(row.New.Dst) == Area(frame);
}

}  // namespace

void PushEffect(int No, Bitmap& Screen, const Bitmap& Image, const TRect& Rect, int Step,
                int Progress) {
  DrawPushRow(Screen, Screen, Image, PushRow(No, FrameGeometry(Rect, Step, Progress)));
}

// Every pixel of a push frame is either the old picture's, moved or
// squeezed, or the new picture's, so the frame is written in one pass from
// the two pictures, each pixel once, without the reset to the old picture.
bool PushWholeFrame(int No, Bitmap& Screen, const Bitmap& OldScreen, const Bitmap& Image,
                    const TRect& Rect, int Step, int Progress) {
  const TPushRow row = PushRow(No, FrameGeometry(Rect, Step, Progress));
  if (!CoversFrame(row, Rect)) return false;
  DrawPushRow(Screen, OldScreen, Image, row);
  return true;
}

}  // namespace vantora
