#pragma once
// Helpers of the picture tests: test pictures, their comparison and errors
// as text.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <initializer_list>
#include <string>

#include "raster/Picture.h"
#include "tests/raster/PictureFiles.h"
#include "tests/support/TempFolder.h"

namespace vantora::testfiles {

// A smooth, colourful picture: JPEG keeps it close to the original.
inline Bitmap Smooth(int w, int h) {
  Bitmap b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      b.SetPixel(x, y,
                 Rgb(x * 255 / std::max(w - 1, 1), y * 255 / std::max(h - 1, 1),
                     (x + y) * 127 / std::max(w + h - 2, 1) + 64));
  return b;
}

// A picture where every pixel differs from its neighbours: BMP must keep it exactly.
inline Bitmap Noisy(int w, int h) {
  Bitmap b(w, h);
  std::uint32_t s = 12345;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      s = s * 1664525u + 1013904223u;
      b.SetPixel(x, y, s >> 8);
    }
  return b;
}

inline Bitmap Image(int w, int h, std::initializer_list<TPixel> topDown) {
  Bitmap b(w, h);
  auto it = topDown.begin();
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.SetPixel(x, y, *it++);
  return b;
}

inline int Channel(TPixel p, int shift) { return int((p >> shift) & 255); }

struct TDiff {
  int Max = 0;
  double Mean = 0;
};
inline TDiff Difference(const Bitmap& a, const Bitmap& b) {
  TDiff d;
  long long sum = 0;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x)
      for (int s : {0, 8, 16}) {
        const int v = std::abs(Channel(a.Pixel(x, y), s) - Channel(b.Pixel(x, y), s));
        d.Max = std::max(d.Max, v);
        sum += v;
      }
  d.Mean = double(sum) / (3.0 * a.Width() * a.Height());
  return d;
}

// The largest difference of any channel between two colours.
inline int ColourDistance(TPixel a, TPixel b) {
  int d = 0;
  for (int s : {0, 8, 16}) d = std::max(d, std::abs(Channel(a, s) - Channel(b, s)));
  return d;
}

// Bitmap files with known content.
inline const TPixel kA = Rgb(10, 20, 30), kB = Rgb(200, 100, 50), kC = Rgb(0, 255, 128),
                    kD = Rgb(255, 255, 0);

// 8 bits per pixel, 3 x 2, palette kA kB kC, bottom-up.
inline BmpFile Palette8() {
  BmpFile f;
  f.Width = 3;
  f.Height = 2;
  f.BitCount = 8;
  f.Palette = {kA, kB, kC};
  f.ColorsUsed = 3;
  f.Pixels = Rows({{2, 2, 0}, {0, 1, 2}});
  return f;
}

// A picture with known RLE8 content (4 x 3, palette kA..kD) and its image.
inline BmpFile Rle8() {
  BmpFile f;
  f.Width = 4;
  f.Height = 3;
  f.BitCount = 8;
  f.Compression = 1;
  f.Palette = {kA, kB, kC, kD};
  f.ColorsUsed = 4;
  f.Pixels = {
      4, 1, 0, 0,  // bottom line: run of 4 x index 1; end of line
      0, 3, 2, 3, 2, 0, 1, 0, 0, 0,  // literal 2 3 2 (padded), run of 1 x index 0; end of line
      0, 2, 2, 0, 2, 3, 0, 1,  // move right by 2, run of 2 x index 3; end of picture
  };
  return f;
}
inline Bitmap Rle8Image() {
  return Image(4, 3,
               {0, 0, kD, kD,  //
                kC, kD, kC, kA,  //
                kB, kB, kB, kB});
}

inline std::string ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const PictureError& e) {
    return e.what();
  }
  return "";
}

using test::TempFolder;

}  // namespace vantora::testfiles
