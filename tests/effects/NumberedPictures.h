#pragma once
// Pictures whose every pixel says where it came from: bits 0..15 hold the
// column, bits 16..30 the row, bit 31 which picture (0 old, 1 new). A frame
// made from two of them shows for each pixel which source pixel landed there.

#include <cstdint>
#include <optional>

#include "effects/ComposeFrame.h"
#include "raster/Bitmap.h"

namespace vantora::testing {

enum TWhich { kOld = 0, kNew = 1 };

constexpr TPixel NumberedPixel(int x, int y, TWhich which) {
  return (TPixel(which) << 31) | (TPixel(y) << 16) | TPixel(x);
}

struct TSourcePixel {
  int X, Y;
  TWhich Which;
};
inline TSourcePixel Decode(TPixel p) {
  return {int(p & 0xFFFF), int((p >> 16) & 0x7FFF), TWhich(p >> 31)};
}

inline Bitmap Numbered(int w, int h, TWhich which) {
  Bitmap b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.SetPixel(x, y, NumberedPixel(x, y, which));
  return b;
}

// A BeforeNewFrame hook that draws nothing: the frame takes the reset path.
inline const TFrameHooks kResetPath{[] {}, {}};

// One frame of Style from the numbered old picture to the numbered new one,
// composed the way the transition control composes it.
inline Bitmap NumberedFrame(int style, int w, int h, int step, int progress) {
  const Bitmap oldPicture = Numbered(w, h, kOld), newPicture = Numbered(w, h, kNew);
  Bitmap screen(w, h);
  ComposeFrame(screen, oldPicture, newPicture, style, step, progress);
  return screen;
}

}  // namespace vantora::testing
