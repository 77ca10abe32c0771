// Painting of the transition control: fitting, background modes, the buffer
// that paints compose into, and where a transition's old content comes from.

#include <gtest/gtest.h>
#include <QMouseEvent>
#include <QWindow>

#include "tests/transition/TransitionTestKit.h"

namespace vantora {
namespace {

using testkit::GradientPicture;
using testkit::SolidPicture;

constexpr TPixel kRed = Rgb(255, 0, 0);
constexpr TPixel kBlue = Rgb(0, 0, 255);
constexpr TPixel kGreen = Rgb(0, 255, 0);
constexpr TPixel kBlack = Rgb(0, 0, 0);

// Shows the control on the offscreen platform and waits for its first paint.
void ShowAndPaint(TCustomTransitionView& v) {
  v.show();
  ASSERT_TRUE(test::WaitFor([&] { return v.windowHandle() && v.windowHandle()->isExposed(); }));
  v.repaint();
}

// Runs one whole transition to p in the caller's loop; its frame is painted
// as the show paints it, over the frame's place only.
void ShowPicture(TCustomTransitionView& v, const Picture& p) {
  v.SetPicture(&p);
  v.SetThreaded(false);
  v.SetStep(100);
  v.SetDelay(0);
  v.Execute();
}

TEST(FitRect, KeepsThePictureProportionsCentredInTheBounds) {
  struct Case {
    TRect Source, Bounds, Expected;
  };
  const Case cases[] = {
      {{0, 0, 400, 300}, {0, 0, 1024, 768}, {0, 0, 1024, 768}},
      {{0, 0, 300, 400}, {0, 0, 1024, 768}, {224, 0, 800, 768}},
      {{0, 0, 1600, 400}, {0, 0, 800, 600}, {0, 200, 800, 400}},  // the width limits
      {{10, 20, 110, 70}, {50, 50, 250, 150}, {50, 50, 250, 150}},  // position of Source ignored
      {{0, 0, 3, 2}, {0, 0, 100, 100}, {0, 16, 100, 83}},  // 66.67 rounds to 67
  };
  for (const Case& c : cases) {
    const TRect r = FitRect(c.Source, c.Bounds);
    EXPECT_EQ(r, c.Expected) << "source " << c.Source.Width() << "x" << c.Source.Height() << " -> ("
                             << r.Left << "," << r.Top << "," << r.Right << "," << r.Bottom << ")";
  }
}

TEST(PaintBackground, TilesFromTheTopLeftAndCutsTheLastRowAndColumn) {
  TTransitionView v;
  v.SetColor(kBlack);
  Bitmap tile(100, 100);
  FillRect(tile, tile.BoundsRect(), kBlue);
  tile.SetPixel(0, 0, kRed);
  Picture g;
  g.Assign(tile);
  v.SetBgPicture(&g);
  Bitmap canvas(250, 120);
  v.PaintBackground(canvas, canvas.BoundsRect());
  int tiles = 0;
  for (int y = 0; y < canvas.Height(); ++y)
    for (int x = 0; x < canvas.Width(); ++x) tiles += canvas.Pixel(x, y) == kRed;
  EXPECT_EQ(tiles, 6);  // 3 columns x 2 rows of tile origins
  const TPoint origins[] = {{0, 0}, {100, 0}, {200, 0}, {0, 100}, {100, 100}, {200, 100}};
  for (const TPoint& o : origins) EXPECT_EQ(canvas.Pixel(o.X, o.Y), kRed) << o.X << "," << o.Y;
  EXPECT_EQ(canvas.Pixel(249, 119), kBlue);
}

TEST(PaintBackground, DrawsEachModeOverTheColour) {
  const Picture g = GradientPicture(300, 300);
  const Bitmap& G = g.AsBitmap();
  struct Case {
    TBackgroundMode Mode;
    TPoint At;
    TPixel Expected;
  };
  const Case cases[] = {
      {bmNone, {0, 0}, kGreen},
      {bmCentered, {0, 0}, G.Pixel(100, 100)},  // 300 x 300 cut equally around 100 x 100
      {bmCentered, {99, 99}, G.Pixel(199, 199)},
      {bmStretched, {99, 99}, G.Pixel(298, 298)},  // cell centre 99.5 x 3 = 298.5
      {bmTiled, {50, 50}, G.Pixel(50, 50)},
  };
  for (const Case& c : cases) {
    TTransitionView v;
    v.SetColor(kGreen);
    v.SetBgMode(c.Mode);
    v.SetBgPicture(&g);
    Bitmap canvas(100, 100);
    v.PaintBackground(canvas, canvas.BoundsRect());
    EXPECT_EQ(canvas.Pixel(c.At.X, c.At.Y), c.Expected) << "mode " << c.Mode;
  }
}

TEST(Paint, WithNoPictureShowsTheColourAndBackgroundOnly) {
  TTransitionView v;
  v.SetColor(kGreen);
  ShowAndPaint(v);
  ASSERT_EQ(v.Buffer().Width(), 100);
  for (int y = 0; y < 100; y += 33)
    for (int x = 0; x < 100; x += 33) EXPECT_EQ(v.Buffer().Pixel(x, y), kGreen);
}

TEST(Paint, CentresALargePictureAtANegativeOffset) {
  TTransitionView v;
  v.SetAlign(alClient);
  v.SetCenter(true);
  ShowAndPaint(v);
  const Picture p = GradientPicture(305, 205);
  ShowPicture(v, p);
  EXPECT_EQ(v.PicRect(), (TRect{-102, -52, 203, 153}));
  // The middle of the picture is shown.
  EXPECT_EQ(v.Buffer().Pixel(0, 0), p.AsBitmap().Pixel(102, 52));
  EXPECT_EQ(v.Buffer().Pixel(99, 99), p.AsBitmap().Pixel(201, 151));
}

TEST(Paint, PlacesTheFrameByStretchAndStretchFine) {
  const Picture p = GradientPicture(50, 25);
  struct Case {
    bool Stretch, StretchFine;
    TPoint At;
    TPixel Expected;
  };
  const Case cases[] = {
      {false, false, {10, 10}, p.AsBitmap().Pixel(10, 10)},
      {false, false, {60, 10}, kGreen},  // beside the picture
      {true, false, {99, 99}, p.AsBitmap().Pixel(49, 24)},  // whole client area
      {true, true, {99, 26}, p.AsBitmap().Pixel(49, 0)},  // (0, 25, 100, 75)
      {true, true, {50, 10}, kGreen},  // above the fitted frame
  };
  for (const Case& c : cases) {
    TTransitionView v;
    v.SetAlign(alClient);
    v.SetColor(kGreen);
    v.SetBgMode(bmNone);
    v.SetStretch(c.Stretch);
    v.SetStretchFine(c.StretchFine);
    ShowAndPaint(v);
    ShowPicture(v, p);
    EXPECT_EQ(v.Buffer().Pixel(c.At.X, c.At.Y), c.Expected)
        << "Stretch " << c.Stretch << " StretchFine " << c.StretchFine;
  }
}

// A frame repaints only its own rectangle, and the frame may have a new
// place: the buffer must still hold exactly what is on screen, and a whole
// repaint of the same state must come out as a second control's.
// b composes every frame into its buffer; a shows frames straight from the
// frame bitmap (DirectFrames) and its buffer catches up when looked at.
TEST(Paint, TheBufferIsWhatIsOnScreenAtEveryFrame) {
  const Picture bg = GradientPicture(37, 23);
  const Picture first = GradientPicture(60, 40);
  const Picture second = SolidPicture(80, 30, kRed);
  struct Case {
    bool Center, Stretch, StretchFine;
  };
  const Case cases[] = {
      {true, false, false}, {false, false, false}, {true, true, false}, {true, true, true}};
  for (const Case& c : cases) {
    TTransitionView a, b;
    a.SetDirectFrames(true);
    for (TTransitionView* v : {&a, &b}) {
      v->SetAlign(alClient);
      v->resize(160, 120);
      v->SetBgPicture(&bg);
      v->SetCenter(c.Center);
      v->SetStretch(c.Stretch);
      v->SetStretchFine(c.StretchFine);
      v->SetStyle(36);
      ShowAndPaint(*v);
      ShowPicture(*v, first);
      v->SetPicture(&second);
      v->SetManual(true);
      v->Execute();
      v->SetProgress(45);  // repaints the frame's rectangle only
    }
    const std::string what = "Center " + std::to_string(c.Center) + " Stretch " +
                             std::to_string(c.Stretch) + " StretchFine " +
                             std::to_string(c.StretchFine);
    EXPECT_TRUE(testkit::BufferIsOnScreen(a)) << what;
    a.repaint();  // the whole client area
    b.repaint();
    EXPECT_TRUE(testkit::BufferIsOnScreen(a)) << what;
    EXPECT_TRUE(a.Buffer() == b.Buffer()) << what;
    a.Stop();
    b.Stop();
  }
}

TEST(Paint, ClearLeavesOnlyTheBackgroundAfterTheNextPaint) {
  TTransitionView v;
  v.SetColor(kGreen);
  ShowAndPaint(v);
  ShowPicture(v, SolidPicture(100, 100, kRed));
  ASSERT_EQ(v.Buffer().Pixel(50, 50), kRed);
  v.Clear();
  EXPECT_TRUE(v.Screen().Empty());
  ASSERT_TRUE(test::WaitFor([&] { return v.Buffer().Pixel(50, 50) == kGreen; }));
}

// The old content of a transition as OnStart sees it.
struct OldContent {
  Bitmap Old;
  void Attach(TCustomTransitionView& v) {
    v.OnStart = [this](QObject*, Bitmap&, Bitmap& screen) { Old = screen; };
  }
  bool All(TPixel p) const {
    for (int y = 0; y < Old.Height(); ++y)
      for (int x = 0; x < Old.Width(); ++x)
        if (Old.Pixel(x, y) != p) return false;
    return !Old.Empty();
  }
};

TEST(TransitionStart, OldContentIsWhatIsShownOrTheBareBackground) {
  for (const bool overDraw : {true, false}) {
    TTransitionView v;
    v.SetColor(kGreen);
    v.SetCenter(true);
    ShowAndPaint(v);
    ShowPicture(v, SolidPicture(100, 100, kRed));
    OldContent start;
    start.Attach(v);
    v.SetOverDraw(overDraw);
    v.SetPicture(SolidPicture(100, 100, kBlue));
    v.SetStep(50);
    v.Execute();
    EXPECT_TRUE(start.All(overDraw ? kRed : kGreen)) << "OverDraw " << overDraw;
    // The bare background is composed for the transition only: the screen
    // keeps the old picture until a frame is painted over it.
    EXPECT_TRUE(testkit::BufferIsOnScreen(v)) << "OverDraw " << overDraw;
  }
}

TEST(TransitionStart, ClearThenExecuteWithoutAPaintStartsFromThePreviousPicture) {
  for (const bool direct : {false, true}) {
    TTransitionView v;
    v.SetDirectFrames(direct);
    v.SetColor(kGreen);
    ShowAndPaint(v);
    ShowPicture(v, SolidPicture(100, 100, kRed));
    OldContent start;
    start.Attach(v);
    v.Clear();
    v.SetPicture(SolidPicture(100, 100, kBlue));
    v.Execute();
    EXPECT_TRUE(start.All(kRed)) << "DirectFrames " << direct;
  }
}

TEST(TransitionStart, BeforeAnyPaintStartsFromTheBackground) {
  TTransitionView v;
  v.SetColor(kGreen);
  OldContent start;
  start.Attach(v);
  v.SetPicture(SolidPicture(40, 30, kBlue));
  v.SetThreaded(false);
  v.SetDelay(0);
  v.Execute();
  EXPECT_TRUE(start.All(kGreen));
  EXPECT_TRUE(v.Screen() == v.Picture().AsBitmap());
}

// Fitted pictures of mixed proportions: a tall picture after a wide one
// leaves the wide one's sides on screen. The next transition starts from
// them as they are shown, and nothing on screen changes unpainted.
TEST(TransitionStart, PicturesOfMixedProportionsStartFromWhatIsOnScreen) {
  for (const bool direct : {false, true}) {
  SCOPED_TRACE(direct ? "DirectFrames" : "composed");
  TTransitionView v;
  v.SetDirectFrames(direct);
  v.SetAlign(alClient);
  v.resize(200, 100);
  v.SetColor(kGreen);
  v.SetCenter(true);
  v.SetStretch(true);
  v.SetStretchFine(true);
  ShowAndPaint(v);
  ShowPicture(v, SolidPicture(200, 50, kRed));  // fitted to (0, 25, 200, 75)
  ShowPicture(v, SolidPicture(50, 100, kBlue));  // fitted to (75, 0, 125, 100)
  EXPECT_TRUE(testkit::BufferIsOnScreen(v));
  EXPECT_EQ(testkit::OnScreen(v).Pixel(10, 50), kRed);
  OldContent start;
  start.Attach(v);
  v.SetPicture(SolidPicture(200, 50, kBlack));
  v.SetManual(true);
  v.Execute();
  ASSERT_EQ(start.Old.Width(), 200);
  EXPECT_EQ(start.Old.Pixel(10, 25), kRed);
  EXPECT_EQ(start.Old.Pixel(100, 25), kBlue);
  v.SetProgress(50);
  EXPECT_TRUE(testkit::BufferIsOnScreen(v));
  v.Stop();
  }
}

TEST(TransitionStart, OldContentIsCutAtTheStretchedPlaceAndScaledBack) {
  // The shown picture: left half red, right half blue, stretched over 200 x 100.
  Bitmap halves(20, 10);
  FillRect(halves, {0, 0, 10, 10}, kRed);
  FillRect(halves, {10, 0, 20, 10}, kBlue);
  Picture shown;
  shown.Assign(halves);
  TTransitionView v;
  v.SetAlign(alClient);
  v.resize(200, 100);
  v.SetStretch(true);
  ShowAndPaint(v);
  ShowPicture(v, shown);
  OldContent start;
  start.Attach(v);
  v.SetPicture(SolidPicture(4, 2, kGreen));
  v.Execute();
  ASSERT_EQ(start.Old.Width(), 4);
  EXPECT_EQ(start.Old.Pixel(0, 0), kRed);
  EXPECT_EQ(start.Old.Pixel(1, 1), kRed);
  EXPECT_EQ(start.Old.Pixel(2, 0), kBlue);
  EXPECT_EQ(start.Old.Pixel(3, 1), kBlue);
}

// Runs of the same size reuse the previous run's bitmaps: whatever a handler
// left in them must not show through, neither where the old content is cut
// from the screen nor where it falls outside the client area.
TEST(TransitionStart, ARunOfTheSameSizeStartsAfreshInTheLastRunsBitmaps) {
  for (const int side : {100, 140}) {  // the picture's place inside, then past the client area
    SCOPED_TRACE(side);
    TTransitionView v;
    v.SetAlign(alClient);
    v.resize(100, 100);
    v.SetColor(kGreen);
    v.SetCenter(true);
    ShowAndPaint(v);
    ShowPicture(v, SolidPicture(side, side, kRed));
    // The next run's handlers scribble over both bitmaps.
    v.OnStart = [](QObject*, Bitmap& picture, Bitmap& old) {
      FillRect(old, old.BoundsRect(), kBlack);
      FillRect(picture, picture.BoundsRect(), kBlack);
    };
    ShowPicture(v, SolidPicture(side, side, kBlue));
    ASSERT_EQ(v.Buffer().Pixel(50, 50), kBlack);
    OldContent start;
    start.Attach(v);
    Bitmap firstPicture;
    v.OnCustomDraw = [&](QObject*, Bitmap& picture, Bitmap&) {
      if (firstPicture.Empty()) firstPicture = picture;
    };
    const Picture red = SolidPicture(side, side, kRed);
    v.SetPicture(&red);
    v.SetStyle(0);
    v.SetStep(50);
    v.SetManual(true);
    v.Execute();
    v.SetProgress(50);
    ASSERT_EQ(start.Old.Width(), side);
    const int outside = (side - 100) / 2;  // the border that lies past the client area
    for (int y = 0; y < side; ++y)
      for (int x = 0; x < side; ++x) {
        const bool past = x < outside || y < outside || x >= side - outside || y >= side - outside;
        ASSERT_EQ(start.Old.Pixel(x, y), past ? kGreen : kBlack) << x << "," << y;
      }
    EXPECT_TRUE(firstPicture == red.AsBitmap());
    v.Stop();
  }
}

}  // namespace
}  // namespace vantora

namespace vantora {
namespace {

// A setter that changes what is shown must have the control repainted.
TEST(Paint, SettersThatChangeThePlacementRepaint) {
  const Picture p = testkit::GradientPicture(50, 50);
  const Picture bg = testkit::SolidPicture(8, 8, Rgb(0, 0, 255));
  struct Case {
    const char* Name;
    std::function<void(TCustomTransitionView&)> Change;
    TPoint At;
    TPixel Expected;
  };
  const Case cases[] = {
      {"Stretch",
       [](TCustomTransitionView& v) { v.SetStretch(true); },
       {99, 99},
       p.AsBitmap().Pixel(49, 49)},
      {"Center",
       [](TCustomTransitionView& v) { v.SetCenter(true); },
       {25, 25},
       p.AsBitmap().Pixel(0, 0)},
      {"Color", [](TCustomTransitionView& v) { v.SetColor(Rgb(9, 9, 9)); }, {99, 99}, Rgb(9, 9, 9)},
      {"BgPicture",
       [&](TCustomTransitionView& v) { v.SetBgPicture(&bg); },
       {99, 99},
       Rgb(0, 0, 255)},
  };
  for (const Case& c : cases) {
    TTransitionView v;
    v.SetAlign(alClient);
    v.SetColor(Rgb(0, 255, 0));
    ShowAndPaint(v);
    ShowPicture(v, p);
    c.Change(v);
    EXPECT_TRUE(test::WaitFor([&] { return v.Buffer().Pixel(c.At.X, c.At.Y) == c.Expected; }))
        << c.Name;
  }
}

TEST(Paint, ResizeRecentresTheFrameAndResizesTheBuffer) {
  TTransitionView v;
  v.SetAlign(alClient);
  v.SetCenter(true);
  ShowAndPaint(v);
  ShowPicture(v, testkit::SolidPicture(50, 50, Rgb(255, 0, 0)));
  EXPECT_EQ(v.PicRect(), (TRect{25, 25, 75, 75}));
  v.resize(200, 100);
  ASSERT_TRUE(test::WaitFor([&] { return v.Buffer().Width() == 200; }));
  EXPECT_EQ(v.PicRect(), (TRect{75, 25, 125, 75}));
  ASSERT_TRUE(test::WaitFor([&] { return v.Buffer().Pixel(100, 50) == Rgb(255, 0, 0); }));
  EXPECT_EQ(v.Buffer().Pixel(50, 50), clWindow);
}

TEST(Mouse, MoveAndPressReachTheirEventsWithClientCoordinates) {
  TTransitionView v;
  std::vector<std::string> seen;
  v.OnMouseMove = [&](QObject* sender, Qt::KeyboardModifiers, int x, int y) {
    EXPECT_EQ(sender, &v);
    seen.push_back("move " + std::to_string(x) + "," + std::to_string(y));
  };
  v.OnMouseDown = [&](QObject*, Qt::MouseButton button, Qt::KeyboardModifiers, int x, int y) {
    seen.push_back(std::string(button == Qt::LeftButton ? "left " : "other ") + std::to_string(x) +
                   "," + std::to_string(y));
  };
  const QPointF at(12, 34);
  QMouseEvent move(QEvent::MouseMove, at, v.mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                   Qt::NoModifier);
  QMouseEvent press(QEvent::MouseButtonPress, at, v.mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QCoreApplication::sendEvent(&v, &move);
  QCoreApplication::sendEvent(&v, &press);
  EXPECT_EQ(seen, (std::vector<std::string>{"move 12,34", "left 12,34"}));
}

}  // namespace
}  // namespace vantora
