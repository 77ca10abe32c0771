#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <memory>
#include <random>
#include <vector>

#include "raster/Draw.h"
#include "raster/Region.h"

using namespace vantora;

namespace {

using Pred = std::function<bool(int, int)>;

// Every pixel of the window must be in r exactly when want says so; the
// region must keep its invariant and its extents must be tight.
void ExpectPixels(const Region& r, const TRect& window, const Pred& want, const char* what) {
  ASSERT_TRUE(r.SelfCheck()) << what;
  std::int64_t count = 0;
  TRect box{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
  for (int y = window.Top; y < window.Bottom; ++y)
    for (int x = window.Left; x < window.Right; ++x) {
      const bool in = want(x, y);
      ASSERT_EQ(r.Contains(x, y), in) << what << " at (" << x << ", " << y << ")";
      if (in) {
        ++count;
        box = {std::min(box.Left, x), std::min(box.Top, y), std::max(box.Right, x + 1),
               std::max(box.Bottom, y + 1)};
      }
    }
  // The windows enclose the whole shape, so area and extents are known too.
  EXPECT_EQ(r.Area(), count) << what;
  EXPECT_EQ(r.Extents(), count ? box : TRect{}) << what;
}

// Reference predicates, written from the definitions of the pixel sets with
// exact integer arithmetic on doubled coordinates (pixel centre = 2x + 1).

bool InRect(int x1, int y1, int x2, int y2, int x, int y) {
  return x >= std::min(x1, x2) && x < std::max(x1, x2) && y >= std::min(y1, y2) &&
         y < std::max(y1, y2);
}

bool InRoundRect(int x1, int y1, int x2, int y2, int w, int h, int x, int y) {
  if (!InRect(x1, y1, x2, y2, x, y)) return false;
  const std::int64_t l = std::min(x1, x2), r = std::max(x1, x2);
  const std::int64_t t = std::min(y1, y2), b = std::max(y1, y2);
  const std::int64_t ew = std::min<std::int64_t>(std::abs(w), r - l);
  const std::int64_t eh = std::min<std::int64_t>(std::abs(h), b - t);
  if (ew == 0 || eh == 0) return true;
  const std::int64_t px = 2 * std::int64_t(x) + 1, py = 2 * std::int64_t(y) + 1;
  // Distance to the nearest corner ellipse's centre, 0 outside the corner boxes.
  std::int64_t dx = 0, dy = 0;
  if (px < 2 * l + ew) dx = 2 * l + ew - px;
  if (px > 2 * r - ew) dx = px - (2 * r - ew);
  if (py < 2 * t + eh) dy = 2 * t + eh - py;
  if (py > 2 * b - eh) dy = py - (2 * b - eh);
  return __int128(dx) * dx * eh * eh + __int128(dy) * dy * ew * ew <= __int128(ew) * ew * eh * eh;
}

// Non-zero winding at the pixel centre; an edge passing exactly through the
// centre counts as left of it.
bool InPolygon(const std::vector<TPoint>& p, int x, int y) {
  if (p.size() < 3) return false;
  int winding = 0;
  for (std::size_t k = 0; k < p.size(); ++k) {
    TPoint a = p[k], b = p[(k + 1) % p.size()];
    if (a.Y == b.Y) continue;
    int dir = 1;
    if (a.Y > b.Y) {
      std::swap(a, b);
      dir = -1;
    }
    if (y < a.Y || y >= b.Y) continue;  // the row's centre line y + 0.5 misses the edge
    // Crossing X at row centre: X = a.X + (y + 0.5 - a.Y) (b.X - a.X) / (b.Y - a.Y).
    // Left of (or on) the centre when 2 X dy <= (2x + 1) dy.
    const __int128 dyy = __int128(b.Y) - a.Y;
    const __int128 twoXdy =
        2 * __int128(a.X) * dyy + (2 * __int128(y) + 1 - 2 * __int128(a.Y)) * (__int128(b.X) - a.X);
    if (twoXdy <= (2 * __int128(x) + 1) * dyy) winding += dir;
  }
  return winding != 0;
}

// The triangle as the effects make it, through a builder.
Region BuiltTriangle(int x1, int y1, int x2, int y2, int x3, int y3) {
  RegionBuilder b;
  b.AddTriangle(x1, y1, x2, y2, x3, y3);
  return b.Build();
}

// The same triangle as a polygon: the general scan, to hold the builder's
// triangles against.
Region PolygonTriangle(int x1, int y1, int x2, int y2, int x3, int y3) {
  const TPoint p[] = {{x1, y1}, {x2, y2}, {x3, y3}};
  return Region::Polygon(p);
}

TRect Around(const std::vector<TPoint>& p, int margin) {
  TRect r{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
  for (const TPoint& q : p)
    r = {std::min(r.Left, q.X), std::min(r.Top, q.Y), std::max(r.Right, q.X),
         std::max(r.Bottom, q.Y)};
  return {r.Left - margin, r.Top - margin, r.Right + margin, r.Bottom + margin};
}

// A region made of random rectangles, triangles and rounded rectangles, with
// a matching reference predicate.
struct RandomShape {
  Region R;
  Pred In;
};

RandomShape MakeRandomShape(std::mt19937& rng, int size) {
  std::uniform_int_distribution<int> c(-4, size + 4), kind(0, 2), pieces(1, 4);
  RandomShape s{Region(), [](int, int) { return false; }};
  const int n = pieces(rng);
  for (int k = 0; k < n; ++k) {
    Region part;
    Pred in;
    switch (kind(rng)) {
      case 0: {
        const int x1 = c(rng), y1 = c(rng), x2 = c(rng), y2 = c(rng);
        part = Region::Rectangle(x1, y1, x2, y2);
        in = [=](int x, int y) { return InRect(x1, y1, x2, y2, x, y); };
        break;
      }
      case 1: {
        const std::vector<TPoint> p{{c(rng), c(rng)}, {c(rng), c(rng)}, {c(rng), c(rng)}};
        part = BuiltTriangle(p[0].X, p[0].Y, p[1].X, p[1].Y, p[2].X, p[2].Y);
        in = [=](int x, int y) { return InPolygon(p, x, y); };
        break;
      }
      default: {
        const int x1 = c(rng), y1 = c(rng), x2 = c(rng), y2 = c(rng), w = c(rng), h = c(rng);
        part = Region::RoundRect(x1, y1, x2, y2, w, h);
        in = [=](int x, int y) { return InRoundRect(x1, y1, x2, y2, w, h, x, y); };
        break;
      }
    }
    s.R.Unite(part);
    s.In = [prev = s.In, in](int x, int y) { return prev(x, y) || in(x, y); };
  }
  // Every piece lies inside [-4, size + 4) on both axes: evaluate the chain of
  // predicates once into a mask.
  const int lo = -4, side = size + 8;
  auto mask = std::make_shared<std::vector<char>>(std::size_t(side) * side);
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x) (*mask)[std::size_t(y) * side + x] = s.In(x + lo, y + lo);
  s.In = [mask, lo, side](int x, int y) {
    x -= lo;
    y -= lo;
    return x >= 0 && y >= 0 && x < side && y < side && (*mask)[std::size_t(y) * side + x];
  };
  return s;
}

}  // namespace

TEST(Region, RectangleIsNormalisedAndAllocatesNothing) {
  struct Case {
    int x1, y1, x2, y2;
  };
  const Case cases[] = {{2, 3, 7, 9}, {7, 9, 2, 3}, {7, 3, 2, 9},
                        {2, 9, 7, 3}, {4, 4, 4, 9}, {0, 5, 3, 5}};
  for (const Case& k : cases) {
    const Region r = Region::Rectangle(k.x1, k.y1, k.x2, k.y2);
    ExpectPixels(
        r, {-2, -2, 12, 12}, [&](int x, int y) { return InRect(k.x1, k.y1, k.x2, k.y2, x, y); },
        "rectangle");
    EXPECT_EQ(r.IsRectangle(), !r.IsEmpty());
    int bands = 0;
    r.ForEachBand([&](int, int, std::span<const TSpan> s) {
      ++bands;
      EXPECT_EQ(s.size(), 1u);
    });
    EXPECT_EQ(bands, r.IsEmpty() ? 0 : 1);
  }
}

TEST(Region, RandomTrianglesAndPolygonsMatchWindingRule) {
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> c(-3, 40), count(3, 9);
  for (int round = 0; round < 400; ++round) {
    std::vector<TPoint> p(round < 200 ? 3 : count(rng));
    for (TPoint& q : p) q = {c(rng), c(rng)};
    const Region r = Region::Polygon(p);
    ExpectPixels(
        r, Around(p, 2), [&](int x, int y) { return InPolygon(p, x, y); }, "polygon");
    if (p.size() == 3) {
      EXPECT_EQ(r, BuiltTriangle(p[0].X, p[0].Y, p[1].X, p[1].Y, p[2].X, p[2].Y));
    }
  }
}

TEST(Region, PolygonWindingFillsOverlapsAndSelfCrossings) {
  // A pentagram: the centre has winding number 2 and is filled.
  const std::vector<TPoint> star{{20, 0}, {32, 38}, {0, 14}, {40, 14}, {8, 38}};
  const Region r = Region::Polygon(star);
  EXPECT_TRUE(r.Contains(20, 20));
  ExpectPixels(
      r, Around(star, 2), [&](int x, int y) { return InPolygon(star, x, y); }, "star");
  // A polygon through a rectangle's corners is exactly that rectangle.
  const std::vector<TPoint> box{{3, 4}, {13, 4}, {13, 9}, {3, 9}};
  EXPECT_EQ(Region::Polygon(box), Region::Rectangle(3, 4, 13, 9));
  // The same square twice around, once each way: winding 0 everywhere.
  const std::vector<TPoint> there{{0, 0}, {10, 0}, {10, 10}, {0, 10},
                                  {0, 0}, {0, 10}, {10, 10}, {10, 0}};
  EXPECT_TRUE(Region::Polygon(there).IsEmpty());
}

TEST(Region, DegeneratePolygonsAreEmpty) {
  const std::vector<std::vector<TPoint>> cases{
      {},
      {{1, 1}},
      {{1, 1}, {20, 30}},
      {{0, 0}, {10, 10}, {20, 20}},  // collinear
      {{0, 5}, {30, 5}, {10, 5}},  // horizontal line
      {{3, 3}, {3, 3}, {3, 3}},  // one point
      {{0, 0}, {10, 10}, {20, 20}, {5, 5}},
      {{0, 0}, {0, 40}, {0, 7}},  // vertical line
  };
  for (const auto& p : cases) {
    const Region r = Region::Polygon(p);
    EXPECT_TRUE(r.IsEmpty()) << p.size() << " points";
    EXPECT_TRUE(r.SelfCheck());
    EXPECT_EQ(r.Extents(), TRect{});
  }
  EXPECT_TRUE(BuiltTriangle(0, 0, 5, 5, 10, 10).IsEmpty());
}

TEST(Region, RoundRectMatchesEllipseCorners) {
  std::mt19937 rng(11);
  std::uniform_int_distribution<int> c(-5, 45), e(0, 60);
  for (int round = 0; round < 400; ++round) {
    const int x1 = c(rng), y1 = c(rng), x2 = c(rng), y2 = c(rng);
    const int w = round % 7 == 0 ? -e(rng) : e(rng), h = e(rng);
    const Region r = Region::RoundRect(x1, y1, x2, y2, w, h);
    ExpectPixels(
        r, {-7, -7, 48, 48}, [&](int x, int y) { return InRoundRect(x1, y1, x2, y2, w, h, x, y); },
        "rounded rectangle");
  }
}

TEST(Region, RoundRectWithEllipseLargerThanRectangleIsHalfEllipse) {
  // A rectangle 10 high whose corner ellipses are 30 x 30: the height is
  // limited to 10, so each short side is one half ellipse 15 deep and 10 high.
  const Region r = Region::RoundRect(0, 0, 60, 10, 30, 30);
  ExpectPixels(
      r, {-2, -2, 62, 12}, [](int x, int y) { return InRoundRect(0, 0, 60, 10, 30, 30, x, y); },
      "half");
  EXPECT_TRUE(r.Contains(0, 4) && r.Contains(0, 5));  // the tip at mid-height
  EXPECT_FALSE(r.Contains(0, 0) || r.Contains(59, 9));  // corners cut away
  // With both limits reached the shape is the inscribed ellipse, symmetric.
  const Region ellipse = Region::RoundRect(0, 0, 21, 13, 100, 100);
  for (int y = 0; y < 13; ++y)
    for (int x = 0; x < 21; ++x) {
      EXPECT_EQ(ellipse.Contains(x, y), ellipse.Contains(20 - x, y));
      EXPECT_EQ(ellipse.Contains(x, y), ellipse.Contains(x, 12 - y));
    }
  // Far larger than any frame, as the curved reveals build it: its rows are
  // proportional to its height and its inner part is solid.
  const int W = 1920, H = 1080;
  const Region big = Region::RoundRect(-2 * W, -5, 2 * 700, H + 5, 2 * W, 2 * W);
  EXPECT_TRUE(big.SelfCheck());
  EXPECT_TRUE(big.Contains(1399, H / 2));
  EXPECT_FALSE(big.Contains(1399, 0));
  // Near the top the front falls back to about 2X - W = -520.
  EXPECT_FALSE(big.Contains(0, 0));
  EXPECT_TRUE(big.Contains(-600, 0));
  EXPECT_EQ(big.Extents().Right, 1400);
}

TEST(Region, CombineMatchesPixelwiseOperations) {
  std::mt19937 rng(5);
  struct Mode {
    TCombineMode Mode;
    bool (*Op)(bool, bool);
    const char* Name;
  };
  const Mode modes[] = {{cmAnd, [](bool a, bool b) { return a && b; }, "and"},
                        {cmOr, [](bool a, bool b) { return a || b; }, "or"},
                        {cmXor, [](bool a, bool b) { return a != b; }, "xor"}};
  for (int round = 0; round < 300; ++round) {
    const RandomShape a = MakeRandomShape(rng, 30), b = MakeRandomShape(rng, 30);
    ExpectPixels(a.R, {-6, -6, 37, 37}, a.In, "operand");
    for (const Mode& m : modes) {
      Region r = a.R;
      r.Combine(b.R, m.Mode);
      ExpectPixels(
          r, {-6, -6, 37, 37}, [&](int x, int y) { return m.Op(a.In(x, y), b.In(x, y)); }, m.Name);
    }
  }
}

TEST(Region, CombineTrivialCases) {
  const Region empty;
  const Region rect = Region::Rectangle(0, 0, 10, 10);
  const Region inner = BuiltTriangle(2, 2, 8, 2, 2, 8);
  const Region far = Region::Rectangle(100, 100, 110, 105);

  Region r = rect;
  r.Intersect(far);
  EXPECT_TRUE(r.IsEmpty());
  EXPECT_EQ(r, empty);

  r = rect;
  r.Intersect(inner);
  EXPECT_EQ(r, inner);

  r = inner;
  r.Unite(rect);
  EXPECT_EQ(r, rect);
  EXPECT_TRUE(r.IsRectangle());

  r = empty;
  r.Xor(inner);
  EXPECT_EQ(r, inner);
  r.Xor(inner);
  EXPECT_TRUE(r.IsEmpty());

  r = inner;
  r.Xor(r);  // with itself
  EXPECT_TRUE(r.IsEmpty());
  r = inner;
  r.Unite(r);
  EXPECT_EQ(r, inner);

  // Two halves united give back one rectangle without bands.
  r = Region::Rectangle(0, 0, 5, 10);
  r.Unite(Region::Rectangle(5, 0, 10, 10));
  EXPECT_EQ(r, rect);
  EXPECT_TRUE(r.IsRectangle());
  r = Region::Rectangle(0, 0, 10, 4);
  r.Unite(Region::Rectangle(0, 4, 10, 10));
  EXPECT_TRUE(r.IsRectangle());
}

TEST(Region, FarAwayCoordinatesDoNotOverflow) {
  const int big = 2000000000;
  const Region r = Region::Rectangle(-big, -big, big, 3);
  EXPECT_EQ(r.Area(), std::int64_t(2) * big * (std::int64_t(big) + 3));
  // A thin sliver of a huge triangle: only its rows are stored.
  const Region t = BuiltTriangle(-big, 0, big, 0, -big, 4);
  EXPECT_TRUE(t.SelfCheck());
  EXPECT_EQ(t.Extents().Top, 0);
  EXPECT_EQ(t.Extents().Bottom, 4);
  EXPECT_TRUE(t.Contains(0, 0));
  EXPECT_FALSE(t.Contains(big - 10, 3));
  const Region rr = Region::RoundRect(-big, -10, big, 10, INT_MAX, INT_MAX);
  EXPECT_TRUE(rr.SelfCheck());
  EXPECT_TRUE(rr.Contains(0, 0) && rr.Contains(0, -10));
  EXPECT_FALSE(rr.Contains(-big, -10));
}

// Shapes with coordinates near the int limits, checked against the
// reference in windows around their edges (where rounding matters). Their
// height stays moderate: a region stores every row it covers.
TEST(Region, HugeShapesMatchReferenceNearTheirEdges) {
  const int big = 2000000000;
  struct Poly {
    std::vector<TPoint> P;
    std::vector<TRect> Windows;
  };
  const Poly polys[] = {
      {{{-big, 0}, {big, 7}, {-big, 13}}, {{-20, -2, 20, 15}, {big - 30, 5, big, 9}}},
      {{{INT_MIN, 0}, {INT_MAX, 3}, {INT_MAX, 40}},
       {{-10, -2, 10, 42}, {INT_MAX - 20, 0, INT_MAX - 1, 40}, {INT_MIN, 0, INT_MIN + 20, 4}}},
      {{{3, -100}, {big, 100}, {-big, 99}, {0, 0}},
       {{-40, -100, 40, 101}, {big - 40, 95, big, 101}, {-big, 95, -big + 40, 101}}},
  };
  for (const Poly& p : polys) {
    const Region r = Region::Polygon(p.P);
    ASSERT_TRUE(r.SelfCheck());
    for (const TRect& w : p.Windows)
      for (int y = w.Top; y < w.Bottom; ++y)
        for (int x = w.Left; x < w.Right; ++x)
          ASSERT_EQ(r.Contains(x, y), InPolygon(p.P, x, y)) << x << ", " << y;
  }
  struct Round {
    int X1, Y1, X2, Y2, W, H;
    TRect Window;
  };
  const Round rounds[] = {
      {-big, -30, big, 30, INT_MAX, 1000000, {-big, -30, -big + 40, 30}},
      {-big, -100, big, 100, big - 7, 150, {-big, -100, -big + 30, 100}},
      {-10, -big, 10, -big + 200, 20, INT_MAX, {-12, -big, 12, -big + 30}},
  };
  for (const Round& k : rounds) {
    Region r = Region::RoundRect(k.X1, k.Y1, k.X2, k.Y2, k.W, k.H);
    r.Intersect(Region::Rectangle(k.Window));
    ASSERT_TRUE(r.SelfCheck());
    for (int y = k.Window.Top; y < k.Window.Bottom; ++y)
      for (int x = k.Window.Left; x < k.Window.Right; ++x)
        ASSERT_EQ(r.Contains(x, y), InRoundRect(k.X1, k.Y1, k.X2, k.Y2, k.W, k.H, x, y))
            << x << ", " << y;
  }
}

TEST(RegionBuilder, BuildEqualsRepeatedUnite) {
  std::mt19937 rng(9);
  std::uniform_int_distribution<int> c(-10, 70), kind(0, 1), count(0, 60);
  for (int round = 0; round < 200; ++round) {
    RegionBuilder b;
    Region u;
    const int n = count(rng);
    for (int k = 0; k < n; ++k) {
      if (kind(rng) == 0) {
        const int x1 = c(rng), y1 = c(rng), x2 = c(rng), y2 = c(rng);
        b.AddRect(x1, y1, x2, y2);
        u.Unite(Region::Rectangle(x1, y1, x2, y2));
      } else {
        const int p[6] = {c(rng), c(rng), c(rng), c(rng), c(rng), c(rng)};
        b.AddTriangle(p[0], p[1], p[2], p[3], p[4], p[5]);
        u.Unite(PolygonTriangle(p[0], p[1], p[2], p[3], p[4], p[5]));
      }
      ASSERT_TRUE(u.SelfCheck());
    }
    const Region built = b.Build();
    EXPECT_TRUE(built.SelfCheck());
    EXPECT_EQ(built, u) << "round " << round;
    EXPECT_TRUE(b.Build().IsEmpty()) << "the builder starts afresh";
  }
}

TEST(Region, RepeatedEqualsTheUnionOfMovedCopies) {
  // Triangles, round rectangles and differences of them, repeated side by
  // side, stacked and diagonally, apart, touching and overlapping, either
  // way. Each copy is the same shape made at the moved coordinates.
  std::mt19937 rng(21);
  std::uniform_int_distribution<int> c(-12, 12), step(-30, 30), count(0, 9), kind(0, 2);
  for (int round = 0; round < 300; ++round) {
    int p[10];
    for (int& v : p) v = c(rng);
    const int shape = kind(rng);
    auto at = [&](int dx, int dy) {
      RegionBuilder b;
      if (shape != 1)
        b.AddTriangle(p[0] + dx, p[1] + dy, p[2] + dx, p[3] + dy, p[4] + dx, p[5] + dy);
      Region r = shape == 1
                     ? Region::RoundRect(p[0] + dx, p[1] + dy, p[2] + dx, p[3] + dy, p[4], p[5])
                     : b.Build();
      if (shape == 2) r.Xor(Region::Rectangle(p[6] + dx, p[7] + dy, p[8] + dx, p[9] + dy));
      return r;
    };
    const int axes = round % 3;  // across, down, both
    const int dx = axes == 1 ? 0 : step(rng), dy = axes == 0 ? 0 : step(rng), n = count(rng);
    Region expected;
    for (int k = 0; k < n; ++k) expected.Unite(at(k * dx, k * dy));
    const Region repeated = Region::Repeated(at(0, 0), dx, dy, n);
    EXPECT_TRUE(repeated.SelfCheck());
    ASSERT_EQ(repeated, expected) << "round " << round << " step " << dx << "," << dy << " x " << n;
  }
}

// Many pieces starting on the same row, in the orders effects add them:
// ascending, descending (grids built right to left), a few interleaved runs,
// and no order at all.
TEST(RegionBuilder, ManyPiecesOnOneRowInAnyOrder) {
  std::mt19937 rng(13);
  std::uniform_int_distribution<int> width(1, 12), height(1, 5);
  for (int runs : {1, 2, 3, 8, 9, 40}) {
    for (bool descending : {false, true}) {
      struct Piece {
        int X, W, H;
      };
      std::vector<Piece> pieces;
      // runs interleaved sequences, each sorted by X.
      for (int r = 0; r < runs; ++r)
        for (int k = 0; k < 60 / runs + 5; ++k)
          pieces.push_back({k * 15 + r * 3 + (descending ? 0 : r % 2), width(rng), height(rng)});
      if (runs == 40) std::shuffle(pieces.begin(), pieces.end(), rng);
      if (descending) std::reverse(pieces.begin(), pieces.end());
      RegionBuilder b;
      Region u;
      for (const Piece& p : pieces) {
        b.AddRect(p.X, 10, p.X + p.W, 10 + p.H);
        u.Unite(Region::Rectangle(p.X, 10, p.X + p.W, 10 + p.H));
        // A one-row triangle sliver on the same top row.
        b.AddTriangle(p.X, 20, p.X + 2 * p.W, 20, p.X, 21);
        u.Unite(PolygonTriangle(p.X, 20, p.X + 2 * p.W, 20, p.X, 21));
      }
      EXPECT_EQ(b.Build(), u) << runs << " runs" << (descending ? ", descending" : "");
    }
  }
}

// Triangles of one shape at many places (a builder may reuse the rows of
// the previous triangle of the same shape), including places near the int
// limits and shapes that differ only in one vertex.
TEST(RegionBuilder, EqualTrianglesAnywhereGiveTheirOwnPixels) {
  const int big = 2000000000;
  const TPoint places[] = {
      {0, 0}, {5, 3}, {-7, 11}, {big, -big}, {-big, big}, {INT_MAX - 40, 0}, {INT_MIN, INT_MIN},
      {3, 3}};
  const TPoint shapes[][2] = {
      {{9, 0}, {0, 7}}, {{9, 0}, {0, 6}}, {{-5, 4}, {6, 9}}, {{30, 1}, {2, 3}}};
  RegionBuilder b;
  Region u;
  for (const auto& shape : shapes)
    for (const TPoint& p : places) {
      const std::int64_t c[4] = {std::int64_t(p.X) + shape[0].X, std::int64_t(p.Y) + shape[0].Y,
                                 std::int64_t(p.X) + shape[1].X, std::int64_t(p.Y) + shape[1].Y};
      if (std::any_of(c, c + 4, [](std::int64_t v) { return v < INT_MIN || v > INT_MAX; }))
        continue;  // a vertex would not be an int
      const int x2 = int(c[0]), y2 = int(c[1]), x3 = int(c[2]), y3 = int(c[3]);
      b.AddTriangle(p.X, p.Y, x2, y2, x3, y3);
      u.Unite(PolygonTriangle(p.X, p.Y, x2, y2, x3, y3));
    }
  EXPECT_EQ(b.Build(), u);
}

TEST(RegionBuilder, LargeGridsAndWideRanges) {
  // A triangle grid as the triangular shred builds it, checked pixel by pixel.
  const int W = 300, H = 200, N = 12, cw = W / N, ch = H / N, x = 9, y = 6;
  RegionBuilder b;
  std::vector<std::vector<TPoint>> tris;
  for (int row = N; row >= 0; --row)
    for (int col = N; col >= 0; --col) {
      const int gx = col * cw, gy = row * ch;
      b.AddTriangle(gx - x, gy - y, gx + x, gy - y, gx - x, gy + y);
      tris.push_back({{gx - x, gy - y}, {gx + x, gy - y}, {gx - x, gy + y}});
    }
  // Reference: each triangle's pixels, tested within its bounding box.
  const TRect window{-20, -20, W + 20, H + 20};
  std::vector<char> mask(std::size_t(window.Width()) * window.Height());
  for (const auto& t : tris) {
    const TRect box = Around(t, 1);
    for (int py = box.Top; py < box.Bottom; ++py)
      for (int px = box.Left; px < box.Right; ++px)
        if (InPolygon(t, px, py))
          mask[std::size_t(py - window.Top) * window.Width() + (px - window.Left)] = 1;
  }
  ExpectPixels(
      b.Build(), window,
      [&](int px, int py) {
        return mask[std::size_t(py - window.Top) * window.Width() + (px - window.Left)] != 0;
      },
      "grid");
  // Pieces spread far apart take the comparison sort; same result.
  b.AddRect(-1000000, 0, -999990, 10);
  b.AddRect(1000000, 5, 1000010, 15);
  b.AddRect(0, 2000000, 5, 2000001);
  Region u = Region::Rectangle(-1000000, 0, -999990, 10);
  u.Unite(Region::Rectangle(1000000, 5, 1000010, 15));
  u.Unite(Region::Rectangle(0, 2000000, 5, 2000001));
  EXPECT_EQ(b.Build(), u);
}

// ClippedDraw and the clipped stretch copy write exactly the region's pixels
// that lie inside the target, and nothing else.
TEST(RegionDraw, ClippedDrawWritesExactlyTheRegion) {
  std::mt19937 rng(21);
  const int W = 37, H = 29;
  // An image of the target's size (whole rows can go at once) and one of
  // another size (only the common part is drawn).
  for (const TRect size : {TRect{0, 0, W, H}, TRect{0, 0, W + 5, H - 3}}) {
    Bitmap image(size.Width(), size.Height());
    for (int y = 0; y < image.Height(); ++y)
      for (int x = 0; x < image.Width(); ++x) image.SetPixel(x, y, TPixel(1 + x + 100 * y));
    for (int round = 0; round < 100; ++round) {
      RandomShape s = MakeRandomShape(rng, 40);
      if (round % 2) {  // add a band of whole rows
        const int top = 3 + round % 9, bottom = top + 1 + round % 7;
        s.R.Unite(Region::Rectangle(-5, top, W + 5, bottom));
        s.In = [in = s.In, top, bottom](int x, int y) {
          return in(x, y) || (y >= top && y < bottom);
        };
      }
      Bitmap screen(W, H);
      ClippedDraw(screen, image, s.R);
      for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
          const bool drawn = s.In(x, y) && x < image.Width() && y < image.Height();
          ASSERT_EQ(screen.Pixel(x, y), drawn ? image.Pixel(x, y) : 0u) << x << ", " << y;
        }
    }
  }
}

// The one-pass merge of two pictures through a region gives the pixels of
// the old picture drawn whole and the new one drawn through the region, on
// small bitmaps and on one large enough for the stores to stream (odd width:
// each row starts at another offset within a cache line), for regions of few
// and of many pieces per row, bands of whole rows, and bands outside.
TEST(RegionDraw, MergedDrawEqualsOldPictureThenClippedDraw) {
  std::mt19937 rng(8);
  auto filled = [](int w, int h, TPixel base) {
    Bitmap b(w, h);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) b.SetPixel(x, y, base + TPixel(x * 7 + y * 131));
    return b;
  };
  struct TSize {
    int W, H, Rounds, Scale;
  };
  for (const TSize size : {TSize{37, 29, 200, 1}, TSize{4101, 1024, 6, 120}}) {
    const Bitmap old = filled(size.W, size.H, 0x10000000u);
    const Bitmap picture = filled(size.W, size.H, 0x20000000u);
    for (int round = 0; round < size.Rounds; ++round) {
      RandomShape s = MakeRandomShape(rng, 40);
      Region g = Region::Repeated(Region::Repeated(s.R, 41, 0, size.Scale), 0, 41, size.Scale);
      if (round % 2) g.Unite(Region::Rectangle(-5, 3 + round, size.W + 5, 9 + 2 * round));
      Bitmap expected = old;
      ClippedDraw(expected, picture, g);
      Bitmap merged = filled(size.W, size.H, 0x30000000u);  // overwritten everywhere
      MergedDraw(merged, old, picture, g);
      ASSERT_TRUE(merged == expected) << size.W << "x" << size.H << " round " << round;
    }
  }
  // Bitmaps of other sizes: the old picture drawn, then the common part.
  const Bitmap old = filled(20, 10, 1), picture = filled(15, 12, 2);
  const Region g = Region::Rectangle(3, 2, 18, 11);
  Bitmap expected = filled(20, 10, 3);
  DrawAt(expected, 0, 0, old);
  ClippedDraw(expected, picture, g);
  Bitmap merged = filled(20, 10, 3);
  MergedDraw(merged, old, picture, g);
  EXPECT_TRUE(merged == expected);
}

TEST(RegionDraw, PlainCopyOfWholeRowsCopiesExactlyThoseRows) {
  const int W = 23, H = 17;
  Bitmap image(W, H);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) image.SetPixel(x, y, TPixel(1 + x + 100 * y));
  const TRect cases[] = {{0, 0, W, H}, {0, 4, W, 11}, {-3, -2, W + 4, 6}, {0, 12, W, H + 9}};
  for (const TRect& r : cases) {
    Bitmap screen(W, H);
    PlainCopy(screen, r, image);
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x)
        ASSERT_EQ(screen.Pixel(x, y), r.Contains(x, y) ? image.Pixel(x, y) : 0u) << x << ", " << y;
  }
}

TEST(RegionDraw, StretchCopyThroughClipWritesExactlyTheRegion) {
  std::mt19937 rng(22);
  const int W = 33, H = 27;
  Bitmap image(W, H);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) image.SetPixel(x, y, TPixel(1 + x + 100 * y));
  const TRect targets[] = {{0, 0, W, H}, {-10, -5, W + 20, H + 3}, {W, 0, 0, H}, {5, 4, 20, 12}};
  for (int round = 0; round < 100; ++round) {
    const RandomShape s = MakeRandomShape(rng, 35);
    for (const TRect& a : targets) {
      Bitmap plain(W, H), clipped(W, H);
      StretchCopy(plain, a, image, image.BoundsRect());
      StretchCopy(clipped, a, image, image.BoundsRect(), &s.R);
      for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
          ASSERT_EQ(clipped.Pixel(x, y), s.In(x, y) ? plain.Pixel(x, y) : 0u) << x << ", " << y;
    }
  }
}
