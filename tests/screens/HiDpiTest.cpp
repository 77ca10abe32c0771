// The show, the preview and the host mode on a scaled screen (the main sets
// the scale factor; ctest runs the program at 2 and at 1.5): pictures are
// composed and shown in device pixels, one picture pixel per screen pixel
// at their own size, and fitted ones fill the screen's real pixels.

#include <QPixmap>
#include <QScreen>

#include "platform/DevicePixels.h"
#include "screens/HostScreen.h"
#include "tests/screens/ShowFixture.h"

using namespace vantora;
using namespace vantora::test;

namespace {

constexpr int kDark = 40, kLight = 215;

class HiDpi : public ShowFixture {
 protected:
  // A JPEG of the given size whose pixels are dark or light by shade(x, y).
  template <class Shade>
  void WriteShades(const QString& name, int width, int height, Shade shade) {
    Bitmap b(width, height);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        const int g = shade(x, y) ? kDark : kLight;
        b.SetPixel(x, y, Rgb(g, g, g));
      }
    WriteBitmap(Pics(name), b, 100);
  }
  // One pixel squares: doubled pixels, a half-pixel scaling or a decode
  // below the screen's resolution turn them into another pattern or grey.
  void WriteCheckerboard(int width = 640, int height = 480) {
    WriteShades("board.jpg", width, height, [](int x, int y) { return (x + y) % 2 == 0; });
  }

  // Activation, one picture and the end of its transition; then what the
  // window shows, in device pixels.
  QImage ShowOnePicture(TShowScreen& form, int fitting) {
    FIni->WriteInteger("sys", "4", fitting);
    form.show();
    EXPECT_TRUE(WaitFor([&] { return form.Timer1.Enabled() && form.ListComplete(); }));
    form.Timer1.Tick();
    EXPECT_TRUE(WaitFor([&] { return form.PendingShows() == 0; }));
    form.TransitionView1->SetProgress(100);  // the new picture whole
    form.TransitionView1->Stop();
    RunEventsFor(20);
    return form.grab().toImage().convertToFormat(QImage::Format_RGB32);
  }

  static double Ratio() { return QGuiApplication::primaryScreen()->devicePixelRatio(); }
};

// Pixels of a checkerboard of width x height, placed at (left, top) of
// shown, whose shade is not the board's.
int CheckerboardMisses(const QImage& shown, int left, int top, int width = 640, int height = 480) {
  int misses = 0;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const int g = qGray(shown.pixel(left + x, top + y));
      if ((x + y) % 2 == 0 ? g > 90 : g < 165) ++misses;
    }
  return misses;
}

TEST_F(HiDpi, APictureAtItsOwnSizeIsShownPixelForPixelByTheShowAndThePreview) {
  ASSERT_GT(Ratio(), 1.0);
  WriteCheckerboard();
  for (bool preview : {false, true}) {
    TShowScreen& form = preview ? static_cast<TShowScreen&>(Make<Tform6>()) : Make<TForm1>();
    const QImage shown = ShowOnePicture(form, 0);
    // The window is the screen's 800 x 600 device pixels (a fractional
    // logical size may reach one past them), the board centred in them.
    ASSERT_GE(shown.width(), 800) << preview;
    ASSERT_LE(shown.width(), 801) << preview;
    ASSERT_GE(shown.height(), 600) << preview;
    const int left = (shown.width() - 640) / 2, top = (shown.height() - 480) / 2;
    EXPECT_EQ(CheckerboardMisses(shown, left, top), 0) << preview;
    EXPECT_EQ(qGray(shown.pixel(left - 1, top - 1)), 0) << preview;  // black around it
    EXPECT_EQ(qGray(shown.pixel(left + 640, top + 480)), 0) << preview;
    form.close();
  }
}

TEST_F(HiDpi, FitAndStretchFillTheScreensDevicePixelsAtTheirResolution) {
  // As large as the screen's device pixels: fitted and stretched alike it
  // must be decoded whole and cover the screen one pixel per pixel, to the
  // last column and row.
  WriteCheckerboard(800, 600);
  for (int fitting : {1, 2}) {
    TForm1& form = Make<TForm1>();
    const QImage shown = ShowOnePicture(form, fitting);
    ASSERT_EQ(shown.size(), QSize(800, 600)) << fitting;
    EXPECT_EQ(CheckerboardMisses(shown, 0, 0, 800, 600), 0) << fitting;
    form.close();
  }
}

TEST_F(HiDpi, TheHostsWindowShowsAPictureAtItsOwnSizePixelForPixel) {
  WriteCheckerboard();
  THostScreen& form = Make<THostScreen>();
  // The host's window is 640 x 480 of the X server's pixels.
  form.resize(LogicalRect(QRect(0, 0, 640, 480), Ratio()).size());
  const QImage shown = ShowOnePicture(form, 0);
  ASSERT_GE(shown.width(), 640);
  ASSERT_GE(shown.height(), 480);
  EXPECT_EQ(CheckerboardMisses(shown, (shown.width() - 640) / 2, (shown.height() - 480) / 2), 0);
}

}  // namespace

namespace {

TEST(HiDpiControl, AutoSizeCoversThePicturesDevicePixels) {
  const double ratio = QGuiApplication::primaryScreen()->devicePixelRatio();
  TTransitionView view;
  Bitmap b(640, 480);
  Picture p;
  p.Assign(b);
  view.SetPicture(&p);
  // Fewer logical units than pixels, just enough to hold them all.
  const QSize device = DevicePixels(view.size(), ratio);
  EXPECT_GE(device.width(), 640);
  EXPECT_GE(device.height(), 480);
  EXPECT_LT(DevicePixels(view.width() - 1, ratio), 640);
  EXPECT_LT(DevicePixels(view.height() - 1, ratio), 480);
}

}  // namespace
