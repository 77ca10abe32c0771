#pragma once
// Rectangles and points in pixel coordinates. Right and Bottom are exclusive;
// a rectangle whose Right is left of its Left (or Bottom above Top) is a
// mirrored rectangle, which the stretch copy uses to flip an axis.

#include <algorithm>
#include <cstdint>

namespace vantora {

struct TPoint {
  int X = 0;
  int Y = 0;
  friend bool operator==(const TPoint&, const TPoint&) = default;
};

struct TRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;

  constexpr int Width() const { return Right - Left; }
  constexpr int Height() const { return Bottom - Top; }
  // True when the rectangle holds no pixel (mirrored rectangles count as empty here).
  constexpr bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
  constexpr bool Contains(int x, int y) const {
    return x >= Left && x < Right && y >= Top && y < Bottom;
  }
  constexpr TRect offset(int dx, int dy) const {
    return {Left + dx, Top + dy, Right + dx, Bottom + dy};
  }
  friend bool operator==(const TRect&, const TRect&) = default;
};

// Intersection of two ordinary rectangles; (0, 0, 0, 0) when they do not meet.
constexpr TRect intersected(const TRect& a, const TRect& b) {
  TRect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
          std::min(a.Bottom, b.Bottom)};
  return r.IsEmpty() ? TRect{} : r;
}

}  // namespace vantora
