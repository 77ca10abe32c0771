#pragma once
// Runs one effect frame on a W x H picture and tells, pixel by pixel, whether
// the new picture or the old one shows. The pictures are the numbered ones,
// so every pixel of the old and the new picture differs from the other and a
// pixel that shows neither is a fault.

#include <utility>
#include <vector>

#include "tests/effects/NumberedPictures.h"

namespace vantora {

class FrameProbe {
 public:
  FrameProbe(int w, int h)
      : FOld(testing::Numbered(w, h, testing::kOld)),
        Image(testing::Numbered(w, h, testing::kNew)),
        Screen(w, h) {}

  // One frame of effect No, composed as the transition control composes it.
  FrameProbe& Run(int No, int Step, int Progress) {
    ComposeFrame(Screen, FOld, Image, No, Step, Progress);
    return *this;
  }

  bool IsNew(int x, int y) const { return Screen.Pixel(x, y) == Image.Pixel(x, y); }
  bool IsOld(int x, int y) const { return Screen.Pixel(x, y) == FOld.Pixel(x, y); }

  // True when every pixel shows either the old or the new picture.
  bool OnlyOldOrNew() const {
    for (int y = 0; y < Screen.Height(); ++y)
      for (int x = 0; x < Screen.Width(); ++x)
        if (!IsNew(x, y) && !IsOld(x, y)) return false;
    return true;
  }

  // The runs [x1, x2) of new pixels on row y, left to right.
  std::vector<std::pair<int, int>> RowRuns(int y) const {
    std::vector<std::pair<int, int>> runs;
    for (int x = 0; x < Screen.Width(); ++x) {
      if (!IsNew(x, y)) continue;
      if (!runs.empty() && runs.back().second == x)
        runs.back().second = x + 1;
      else
        runs.push_back({x, x + 1});
    }
    return runs;
  }

  // The runs [y1, y2) of new pixels in column x, top to bottom.
  std::vector<std::pair<int, int>> ColRuns(int x) const {
    std::vector<std::pair<int, int>> runs;
    for (int y = 0; y < Screen.Height(); ++y) {
      if (!IsNew(x, y)) continue;
      if (!runs.empty() && runs.back().second == y)
        runs.back().second = y + 1;
      else
        runs.push_back({y, y + 1});
    }
    return runs;
  }

  long NewCount() const {
    long n = 0;
    for (int y = 0; y < Screen.Height(); ++y)
      for (int x = 0; x < Screen.Width(); ++x) n += IsNew(x, y);
    return n;
  }

 private:
  Bitmap FOld;

 public:
  Bitmap Image;
  Bitmap Screen;
};

using Runs = std::vector<std::pair<int, int>>;

}  // namespace vantora
