#include "effects/ComposeFrame.h"

#include "raster/Draw.h"

namespace vantora {

void ComposeFrame(Bitmap& Screen, const Bitmap& OldScreen, const Bitmap& Image, int Style, int Step,
                  int Progress, const TFrameHooks& hooks) {
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
