#pragma once
// One frame of a transition, composed exactly as the transition control does
// it, so that the control and the command-line frame tool cannot drift apart.

#include <functional>

#include "effects/TransEffect.h"
#include "raster/Bitmap.h"

namespace vantora {

struct TFrameHooks {
  // Called after Screen was reset to the old content, before anything is
  // drawn. Leave it empty when nobody listens: only then may an effect that
  // offers a whole-frame procedure skip the reset.
  std::function<void()> BeforeNewFrame;
  // Draws style 0 (custom) at progress 1..99; without it those frames show the old content.
  std::function<void()> CustomDraw;
};

// Screen := the old content; then at progress 100 the whole new picture, at 0
// nothing more, and at 1..99 the effect of Style (or the custom drawing for
// style 0) with Rect = (0, 0, width, height of Image). Screen, OldScreen and
// Image have the same size. Without a BeforeNewFrame hook, frames 1..99 of an
// effect with a whole-frame procedure are composed by it in one pass, to the
// same pixels, whatever Screen held before.
void ComposeFrame(Bitmap& Screen, const Bitmap& OldScreen, const Bitmap& Image, int Style, int Step,
                  int Progress, const TFrameHooks& hooks = {});

}  // namespace vantora
