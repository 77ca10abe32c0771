#include "effects/ComposeFrame.h"

#include "raster/Draw.h"

namespace vantora {
namespace {

bool SameSize(const Bitmap& a, const Bitmap& b) {
  return a.Width() == b.Width() && a.Height() == b.Height();
}

// An effect with a whole-frame procedure composes frames 1..99 in one pass
// from the two pictures, without first copying the old picture onto Screen.
// Returns false when the frame is left to the reset path.
bool ComposeInOnePass(Bitmap& Screen, const Bitmap& OldScreen, const Bitmap& Image, int Style,
                      int Step, int Progress) {
  if (Progress <= 0 || Progress >= 100) return false;
  if (!SameSize(Screen, Image) || !SameSize(OldScreen, Image)) return false;
  return DrawWholeFrame(Style, Screen, OldScreen, Image, Image.BoundsRect(), Step, Progress);
}

}  // namespace

void ComposeFrame(Bitmap& Screen, const Bitmap& OldScreen, const Bitmap& Image, int Style, int Step,
                  int Progress, const TFrameHooks& hooks) {
  // BeforeNewFrame must see Screen reset to the old content, and a push
  // effect moves whatever the hook drew there (a region effect would cover
  // it with old pixels): with a hook, the reset path.
  if (!hooks.BeforeNewFrame && ComposeInOnePass(Screen, OldScreen, Image, Style, Step, Progress))
    return;
  if (!hooks.BeforeNewFrame && Progress >= 100 && SameSize(Screen, Image)) {
    // The last frame is the new picture whole: a reset would be overwritten.
    DrawAt(Screen, 0, 0, Image);
    return;
  }
  DrawAt(Screen, 0, 0, OldScreen);
  if (hooks.BeforeNewFrame) hooks.BeforeNewFrame();
  if (Progress >= 100) {
    DrawAt(Screen, 0, 0, Image);
  } else if (Progress > 0) {
    if (Style == 0) {
      if (hooks.CustomDraw) hooks.CustomDraw();
    } else if (TEffectProc proc = ProcOf(Style)) {
      proc(Screen, Image, {0, 0, Image.Width(), Image.Height()}, Step, Progress);
    }
  }
}

}  // namespace vantora
