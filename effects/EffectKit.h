#pragma once
// What the rectangle-copy effects share: a frame is a short list of stretch
// copies of Image onto Screen, each family writes its members as rows of such
// lists (rectangles in W, H, X, Y), and one routine draws any row.
//
// In the rows "/" is integer division truncating toward zero, which is how the
// geometry of these effects rounds; "whole" is (0, 0, W, H).

#include <array>
#include <cassert>
#include <initializer_list>

#include "effects/TransEffect.h"
#include "raster/Draw.h"

namespace vantora {

// Stretch copy of rectangle Src of Image onto rectangle Dst of Screen.
struct TCopy {
  TRect Src;
  TRect Dst;
};

// A plain copy: the pixels of r appear unchanged at their own place.
constexpr TCopy Plain(const TRect& r) { return {r, r}; }

// The copies of one frame, in drawing order.
class TCopies {
 public:
  constexpr TCopies(std::initializer_list<TCopy> copies) {
    assert(copies.size() <= FItems.size());
    for (const TCopy& c : copies) FItems[FCount++] = c;
  }
  constexpr const TCopy* begin() const { return FItems.data(); }
  constexpr const TCopy* end() const { return FItems.data() + FCount; }
  constexpr int size() const { return FCount; }

 private:
  std::array<TCopy, 4> FItems{};
  int FCount = 0;
};

// Draws the copies in their order. Plain copies that overlap (the four
// strips of a frame closing in from its edges) all put the new picture's own
// pixels where they meet, so they are drawn as one region instead: each pixel
// is written once, not up to twice.
void DrawCopies(Bitmap& Screen, const Bitmap& Image, const TCopies& copies);

// The rectangle-copy families are all drawn the same way: FrameGeometry, then
// the copies of the member's row, which Row finds by the effect number.
inline void DrawRow(int No, Bitmap& Screen, const Bitmap& Image, const TRect& Rect, int Step,
                    int Progress, TCopies (*Row)(int No, const TFrameGeometry& g)) {
  DrawCopies(Screen, Image, Row(No, FrameGeometry(Rect, Step, Progress)));
}

}  // namespace vantora
