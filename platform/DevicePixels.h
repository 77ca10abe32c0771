#pragma once
// Logical units and the screen's own (device) pixels. Widgets are laid out
// in logical units, which a scaled screen multiplies by its device pixel
// ratio (2 at 192 dpi, 1.5 or 1.25 for fractional scaling). What we compose
// pixel by pixel (the show's frames, the thumbnails) is made in device
// pixels and put on screen with that ratio, one pixel per screen pixel.

#include <cmath>

#include <QRect>
#include <QSize>

namespace vantora {

// A logical length in device pixels, rounded up: a fractional product (1707
// logical units at 1.5 are 2560.5 pixels) still covers the last device
// pixel of the area, and the window cuts off what sticks out.
inline int DevicePixels(int logical, double ratio) {
  return int(std::ceil(logical * ratio - 1e-9));
}
inline QSize DevicePixels(QSize logical, double ratio) {
  return {DevicePixels(logical.width(), ratio), DevicePixels(logical.height(), ratio)};
}

// The device pixels that a logical rectangle touches.
inline QRect DeviceRect(const QRect& logical, double ratio) {
  const int left = int(std::floor(logical.left() * ratio + 1e-9));
  const int top = int(std::floor(logical.top() * ratio + 1e-9));
  return QRect(QPoint(left, top),
               QPoint(DevicePixels(logical.left() + logical.width(), ratio) - 1,
                      DevicePixels(logical.top() + logical.height(), ratio) - 1));
}

// The smallest logical rectangle that covers a rectangle of device pixels.
inline QRect LogicalRect(const QRect& device, double ratio) {
  const int left = int(std::floor(device.left() / ratio + 1e-9));
  const int top = int(std::floor(device.top() / ratio + 1e-9));
  const int right = int(std::ceil((device.left() + device.width()) / ratio - 1e-9));
  const int bottom = int(std::ceil((device.top() + device.height()) / ratio - 1e-9));
  return QRect(left, top, right - left, bottom - top);
}

}  // namespace vantora
