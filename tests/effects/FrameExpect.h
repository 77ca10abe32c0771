#pragma once
// Whole-frame expectations for the region effects: which pixels must show the
// new picture, every other pixel the old one.

#include <gtest/gtest.h>

#include <functional>

#include "tests/effects/RegionFxProbe.h"

namespace vantora {

using ShowsNew = std::function<bool(int x, int y)>;

// Every pixel shows the new picture exactly where expected and the old one
// elsewhere; reports the first pixel that does not.
inline ::testing::AssertionResult FrameIs(const FrameProbe& f, const ShowsNew& expected) {
  for (int y = 0; y < f.Screen.Height(); ++y)
    for (int x = 0; x < f.Screen.Width(); ++x) {
      const bool wantNew = expected(x, y);
      if (wantNew ? !f.IsNew(x, y) : !f.IsOld(x, y))
        return ::testing::AssertionFailure() << "pixel " << x << "," << y << " should show the "
                                             << (wantNew ? "new" : "old") << " picture";
    }
  return ::testing::AssertionSuccess();
}

inline bool In(int v, int lo, int hi) { return v >= lo && v < hi; }

}  // namespace vantora
