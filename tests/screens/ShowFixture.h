#pragma once
// A temporary program folder ("pics" and scr.ini beside a test program path)
// and a show window on it, with timers driven by hand and transitions that
// only prepare (Manual), so no effect draws from the shared random generator
// between the window's own draws.

#include <memory>
#include <thread>
#include <vector>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "effects/TransEffect.h"
#include "platform/Cursor.h"
#include "platform/ErrorReport.h"
#include "raster/Picture.h"
#include "screens/Unit1.h"
#include "screens/Unit6.h"
#include "tests/screens/StubPlayer.h"
#include "tests/support/QtApp.h"

namespace vantora::test {

// One transition as the control started it.
struct Started {
  int Style;
  int Width;  // the pictures of a test differ in width
  friend bool operator==(const Started&, const Started&) = default;
};

inline std::ostream& operator<<(std::ostream& os, const Started& s) {
  return os << "{style " << s.Style << ", width " << s.Width << "}";
}

// Runs the event loop for ms milliseconds.
inline void RunEventsFor(int ms) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

class ShowFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    QtApp();
    Timer::SetDrivenByHand(true);
    SetRandSeed(0);
    ASSERT_TRUE(FDir.isValid());
    FFolder = FDir.path().toStdString() + "/";
    QDir(FDir.path()).mkdir("pics");
    FIni = std::make_unique<TIniFile>(SettingsFileFor(FFolder));
    FPrevious = SetErrorReporter([this](const QString& t) { FReports << t; });
  }
  void TearDown() override {
    if (FForm) FForm->close();
    FForm.reset();
    EXPECT_EQ(CursorCounter(), 0);
    SetErrorReporter(FPrevious);
    Timer::SetDrivenByHand(false);
  }

  QString Pics(const QString& name = {}) const { return FDir.filePath("pics/" + name); }

  // A picture file of the given width (height 12), as JPEG or BMP by name.
  static void WritePicture(const QString& path, int width, int height = 12) {
    Bitmap b(width, height);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) b.SetPixel(x, y, Rgb(width, x * 7, y * 9));
    WriteBitmap(path, b, 90);
  }
  // b as a picture file, a BMP or a JPEG of the given quality by its name.
  static void WriteBitmap(const QString& path, const Bitmap& b, int quality) {
    const auto bytes =
        path.endsWith(".bmp", Qt::CaseInsensitive) ? EncodeBmp24(b) : EncodeJpeg(b, quality, false);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
  }
  static void WriteJunk(const QString& path) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("\xFF\xD8 not really a picture");
  }

  template <class Form = TForm1>
  Form& Make() {
    auto player = std::make_unique<StubPlayer>();
    FPlayer = player.get();
    if (FForm) FForm->close();
    auto form = std::make_unique<Form>(FFolder, std::move(player));
    Form& ref = *form;
    form->TransitionView1->SetManual(true);
    form->TransitionView1->OnStart = [this, &ref](QObject*, Bitmap&, Bitmap&) {
      FStarted.push_back({ref.TransitionView1->Style(), ref.TransitionView1->Picture().Width()});
    };
    FForm = std::move(form);
    return ref;
  }

  // The activation, then the folder's listing, which runs on a thread of
  // its own.
  static void Activate(TShowScreen& form) {
    form.FormActivate();
    ASSERT_TRUE(WaitFor([&] { return form.ListComplete(); }));
  }

  // One picture tick, then the decoder's answer, then the end of the
  // transition it started (if any).
  void PictureTick(TShowScreen& form) {
    ASSERT_TRUE(form.Timer1.Enabled());
    form.Timer1.Tick();
    ASSERT_TRUE(WaitFor([&] { return form.PendingShows() == 0; }));
    form.TransitionView1->Stop();
  }
  // Picture tick and interval tick, n times.
  void Cycle(TShowScreen& form, int n) {
    for (int i = 0; i < n; ++i) {
      PictureTick(form);
      ASSERT_TRUE(form.Timer2.Enabled());
      form.Timer2.Tick();
    }
  }

  QTemporaryDir FDir;
  std::string FFolder;
  std::unique_ptr<TIniFile> FIni;
  std::unique_ptr<TShowScreen> FForm;
  StubPlayer* FPlayer = nullptr;
  std::vector<Started> FStarted;
  QStringList FReports;
  TErrorReporter FPrevious;
};

// The generator as the window relies on it: seed := seed x 134775813 + 1,
// Random(n) := upper 32 bits of n x seed.
class ExpectedDraws {
 public:
  explicit ExpectedDraws(std::uint32_t seed = 0) : FSeed(seed) {}
  int Random(int n) {
    FSeed = FSeed * 134775813u + 1u;
    return int((std::uint64_t(std::uint32_t(n)) * FSeed) >> 32);
  }

 private:
  std::uint32_t FSeed;
};

}  // namespace vantora::test
