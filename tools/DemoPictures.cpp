// vantora-demo-pictures OUTDIR
//
// Renders six colourful, photo-like pictures of different sizes and aspect
// ratios (landscape, portrait and square) and writes them as JPEG files into
// OUTDIR, so a fresh build has pictures to show without any binary file in
// the source tree.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "raster/Picture.h"

using namespace vantora;

namespace {

struct Colour {
  double R = 0, G = 0, B = 0;
};

Colour Mix(const Colour& a, const Colour& b, double t) {
  t = std::clamp(t, 0.0, 1.0);
  return {a.R + (b.R - a.R) * t, a.G + (b.G - a.G) * t, a.B + (b.B - a.B) * t};
}
Colour Scale(const Colour& c, double f) { return {c.R * f, c.G * f, c.B * f}; }
Colour Add(const Colour& a, const Colour& b) { return {a.R + b.R, a.G + b.G, a.B + b.B}; }

TPixel ToPixel(const Colour& c) {
  auto byte = [](double v) { return int(std::lround(std::clamp(v, 0.0, 255.0))); };
  return Rgb(byte(c.R), byte(c.G), byte(c.B));
}

double Smoothstep(double e0, double e1, double x) {
  const double t = std::clamp((x - e0) / (e1 - e0), 0.0, 1.0);
  return t * t * (3 - 2 * t);
}

// Smooth value noise in 0..1: a hash of the lattice corners, interpolated.
double Hash(int x, int y) {
  std::uint32_t h = std::uint32_t(x) * 374761393u + std::uint32_t(y) * 668265263u;
  h = (h ^ (h >> 13)) * 1274126177u;
  return double((h ^ (h >> 16)) & 0xFFFF) / 65535.0;
}
double Noise(double x, double y) {
  const int ix = int(std::floor(x)), iy = int(std::floor(y));
  const double fx = Smoothstep(0, 1, x - ix), fy = Smoothstep(0, 1, y - iy);
  const double top = Hash(ix, iy) + (Hash(ix + 1, iy) - Hash(ix, iy)) * fx;
  const double bottom = Hash(ix, iy + 1) + (Hash(ix + 1, iy + 1) - Hash(ix, iy + 1)) * fx;
  return top + (bottom - top) * fy;
}
// Fractal noise: four octaves of value noise.
double Clouds(double x, double y) {
  double sum = 0, amplitude = 0.5;
  for (int octave = 0; octave < 4; ++octave, x *= 2, y *= 2, amplitude /= 2)
    sum += amplitude * Noise(x, y);
  return sum / 0.9375;
}

// Renders a picture by calling shade(u, v) with u, v in 0..1 (v downwards)
// for every pixel.
Bitmap Render(int w, int h, const std::function<Colour(double, double)>& shade) {
  Bitmap b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.SetPixel(x, y, ToPixel(shade((x + 0.5) / w, (y + 0.5) / h)));
  return b;
}

// Sunset over a lake: glowing sky, sun, two ranges of hills, rippled water.
Colour Sunset(double u, double v) {
  const double horizon = 0.62, aspect = 1.6;
  const double sunX = 0.62, sunY = 0.50;
  if (v < horizon) {
    const Colour plain = Mix({30, 40, 120}, {250, 120, 60}, Smoothstep(0.0, horizon, v));
    const double d = std::hypot((u - sunX) * aspect, v - sunY);
    Colour sky = Add(plain, Scale({255, 200, 120}, 0.55 * std::exp(-d * 7)));
    if (d < 0.07) sky = Mix(sky, {255, 240, 190}, Smoothstep(0.07, 0.06, d));
    const double far = horizon - 0.10 - 0.05 * std::sin(u * 9 + 1) - 0.03 * std::sin(u * 23);
    const double near = horizon - 0.03 - 0.06 * std::sin(u * 5 + 4) * std::sin(u * 3);
    if (v > near) return Mix({40, 30, 60}, {20, 20, 35}, (v - near) / 0.1);
    if (v > far) return Mix(Mix(plain, sky, 0.3), {90, 60, 110}, 0.7);
    return sky;
  }
  // The water mirrors the sky, broken up by ripples.
  const double depth = (v - horizon) / (1 - horizon);
  const double ripple = std::sin(v * 260 + std::sin(u * 40) * 2) * 0.5 + 0.5;
  const double mirrorV = horizon - (v - horizon) * 0.8;
  Colour water = Sunset(u, std::max(mirrorV, 0.0));
  water = Mix(water, {20, 30, 70}, 0.35 + 0.5 * depth);
  const double glitter = std::exp(-std::pow((u - sunX) * 9, 2)) * ripple * (1 - depth);
  return Add(water, Scale({255, 200, 120}, 0.5 * glitter));
}

// Summer meadow: blue sky with clouds, rolling green hills, flowers.
Colour Meadow(double u, double v) {
  const double hill1 = 0.55 + 0.06 * std::sin(u * 6.0 + 0.5);
  const double hill2 = 0.68 + 0.05 * std::sin(u * 4.0 + 2.0);
  if (v < hill1) {
    Colour sky = Mix({70, 130, 220}, {180, 215, 245}, v / hill1);
    const double c = Smoothstep(0.5, 0.75, Clouds(u * 6, v * 10));
    return Mix(sky, {250, 250, 250}, c);
  }
  const double shade = 0.8 + 0.2 * Clouds(u * 20, v * 20);
  if (v < hill2) return Scale(Mix({110, 170, 70}, {70, 130, 50}, (v - hill1) / 0.2), shade);
  Colour grass = Scale(Mix({60, 150, 40}, {30, 90, 20}, (v - hill2) / 0.3), shade);
  // Flowers: bright dots on some lattice cells, larger nearer the viewer.
  const double density = 30 + 120 * (1 - v);
  const double cx = u * density * 1.33, cy = v * density;
  const int ix = int(cx), iy = int(cy);
  if (Hash(ix, iy) > 0.7) {
    const double d = std::hypot(cx - ix - 0.5, cy - iy - 0.5);
    const Colour petal = Hash(iy, ix) > 0.5 ? Colour{250, 220, 40} : Colour{230, 60, 90};
    if (d < 0.25) grass = Mix(petal, grass, Smoothstep(0.18, 0.25, d));
  }
  return grass;
}

// Lighthouse at night (portrait): starry sky, moon, striped tower, sea.
Colour Lighthouse(double u, double v) {
  const double aspect = 800.0 / 1200.0;
  const double sea = 0.78;
  Colour c = Mix({10, 15, 50}, {50, 70, 140}, v / sea);
  if (Hash(int(u * 400), int(v * 600)) > 0.996 && v < sea) c = {255, 255, 230};
  const double moon = std::hypot((u - 0.25) * aspect, v - 0.18);
  c = Add(c, Scale({200, 210, 255}, 0.4 * std::exp(-moon * 12)));
  if (moon < 0.06) c = {235, 235, 215};
  // The beam from the lamp, to the right.
  const double lampX = 0.62, lampY = 0.30;
  if (u > lampX) {
    const double spread = std::abs(v - lampY) / (u - lampX + 0.02);
    c = Add(c, Scale({255, 240, 160}, 0.5 * Smoothstep(0.25, 0.0, spread)));
  }
  const double half = 0.05 + 0.06 * (v - lampY);
  if (v > lampY - 0.05 && v < sea && std::abs(u - lampX) < half) {
    if (v < lampY + 0.02) return {255, 235, 140};  // the lamp room
    const bool red = int((v - lampY) * 25) % 2 == 0;
    const double light = 1.0 - 0.5 * (u - lampX + half) / (2 * half);
    return Scale(red ? Colour{220, 40, 40} : Colour{245, 245, 245}, light);
  }
  if (v >= sea) {
    const double wave = std::sin(v * 300 + std::sin(u * 30) * 3) * 0.5 + 0.5;
    return Mix({20, 40, 90}, {60, 90, 150}, 0.3 * wave + 0.4 * (1 - (v - sea) / (1 - sea)));
  }
  return c;
}

// Rainbow stripes (wide): diagonal bands of colour with soft shading and a vignette.
Colour Stripes(double u, double v) {
  const double t = (u * 1.78 + v) * 3.0;
  const double hue = t - std::floor(t);
  auto band = [&](double phase) { return 0.5 + 0.5 * std::cos(6.2832 * (hue + phase)); };
  Colour c = {255 * band(0.0), 255 * band(0.33), 255 * band(0.67)};
  const double ridge = 0.75 + 0.25 * std::sin(t * 6.2832 * 4);
  const double vignette = 1.0 - 0.6 * std::pow(std::hypot(u - 0.5, v - 0.5) * 1.4, 2);
  return Scale(c, ridge * vignette);
}

// Concentric rings (square): a flower-like target with petals.
Colour Rings(double u, double v) {
  const double x = u - 0.5, y = v - 0.5;
  const double r = std::hypot(x, y), a = std::atan2(y, x);
  const double petals = 0.04 * std::sin(a * 8);
  const int ring = int((r + petals) * 14);
  static const Colour palette[] = {{250, 210, 60}, {240, 120, 40}, {200, 40, 70}, {120, 40, 140},
                                   {40, 90, 180},  {30, 160, 160}, {90, 190, 80}};
  Colour c = palette[ring % 7];
  const double edge = std::abs(std::fmod((r + petals) * 14, 1.0) - 0.5);
  c = Scale(c, 0.65 + 0.7 * edge);
  return Mix(c, {15, 15, 30}, Smoothstep(0.45, 0.75, r));
}

// Aurora over snowy mountains (portrait).
Colour Aurora(double u, double v) {
  Colour c = Mix({5, 10, 30}, {20, 40, 70}, v);
  for (int k = 0; k < 3; ++k) {
    const double centre = 0.25 + 0.08 * k + 0.06 * std::sin(u * (5 + 2 * k) + k);
    const double curtain = std::exp(-std::pow((v - centre) * 14, 2)) *
                           (0.6 + 0.4 * std::sin(u * 60 + k * 2 + Clouds(u * 4, k) * 6));
    c = Add(c, Scale(k == 1 ? Colour{160, 60, 200} : Colour{40, 230, 140}, 0.8 * curtain));
  }
  const double ridge =
      0.62 + 0.12 * std::abs(std::sin(u * 4.5 + 0.3)) - 0.05 * std::abs(std::sin(u * 13));
  if (v > ridge) {
    const double snow = Smoothstep(ridge + 0.15, ridge, v);
    return Mix(Mix({40, 50, 80}, {20, 25, 45}, (v - ridge) * 3), {220, 230, 250},
               snow * (0.6 + 0.4 * Clouds(u * 30, v * 30)));
  }
  return c;
}

struct DemoPicture {
  const char* FileName;
  int Width, Height;
  Colour (*Shade)(double, double);
};

const DemoPicture kPictures[] = {
    {"01-sunset.jpg", 1600, 1000, Sunset},        {"02-meadow.jpg", 1200, 900, Meadow},
    {"03-lighthouse.jpg", 800, 1200, Lighthouse}, {"04-stripes.jpg", 1920, 1080, Stripes},
    {"05-rings.jpg", 1000, 1000, Rings},          {"06-aurora.jpg", 640, 960, Aurora},
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: vantora-demo-pictures OUTDIR\n");
    return 2;
  }
  const std::filesystem::path folder = argv[1];
  try {
    std::filesystem::create_directories(folder);
    for (const DemoPicture& p : kPictures) {
      const std::vector<std::uint8_t> jpeg =
          EncodeJpeg(Render(p.Width, p.Height, p.Shade), 90, false);
      const std::filesystem::path file = folder / p.FileName;
      std::ofstream out(file, std::ios::binary);
      out.write(reinterpret_cast<const char*>(jpeg.data()), std::streamsize(jpeg.size()));
      if (!out.flush()) {
        std::fprintf(stderr, "vantora-demo-pictures: cannot write %s\n", file.c_str());
        return 1;
      }
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "vantora-demo-pictures: %s\n", e.what());
    return 1;
  }
  return 0;
}
