#pragma once
// A program folder for the configuration windows' tests: a temporary folder
// with "pics" and scr.ini, pictures written into it on demand, and the
// windows wired together as the entry wires them.

#include <functional>
#include <memory>
#include <string>

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "config/Image.h"
#include "config/Unit2.h"
#include "config/Unit3.h"
#include "config/Unit4.h"
#include "config/Unit5.h"
#include "raster/Picture.h"
#include "settings/IniFile.h"
#include "tests/screens/StubPlayer.h"

namespace vantora::test {

// A small JPEG of the given size (or BMP when the name ends in ".bmp").
inline void WritePicture(const QString& path, int width, int height) {
  Bitmap bitmap(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) bitmap.SetPixel(x, y, Rgb(x * 7, y * 5, 90));
  const auto bytes =
      path.endsWith(QLatin1String(".bmp")) ? EncodeBmp24(bitmap) : EncodeJpeg(bitmap, 80, false);
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
}

inline void WriteText(const QString& path, const QByteArray& text) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(text);
}

class ConfigFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Dir.isValid());
    ASSERT_TRUE(QDir(Dir.path()).mkdir(QStringLiteral("pics")));
    auto player = std::make_unique<StubPlayer>();
    Player = player.get();
    Form2 = std::make_unique<TForm2>(Folder());
    Form3 = std::make_unique<TForm3>(Form2->IniFile(), std::move(player));
    // The screen-saver tab never reaches the session of whoever runs the
    // tests: no autostart entry of theirs, no daemon of theirs.
    Form3->SaverSession = {
        [this](bool on, std::string&) { return Saver.Autostart = on, true; },
        [this] { return Saver.Running; },
        [this] { return ++Saver.Starts, Saver.Running = true; },
        [this] { return ++Saver.Stops, !(Saver.Running = false); },
        [this](int idleSeconds) { return Saver.Conflict(idleSeconds); },
    };
    Form4 = std::make_unique<TForm4>(Form2->IniFile());
    Form5 = std::make_unique<TForm5>();
    Form2->Form3 = Form3.get();
    Form2->Form4 = Form4.get();
    Form2->Form5 = Form5.get();
  }

  std::string Folder() const { return Dir.path().toStdString() + "/"; }
  QString Pics() const { return Dir.path() + QStringLiteral("/pics"); }
  QString Path(const QString& name) const { return Dir.path() + u'/' + name; }
  TIniFile Ini() const { return TIniFile(SettingsFileFor(Folder())); }

  // Names "p00.jpg" … in a folder, each a tiny picture.
  void FillFolder(const QString& folder, int count) {
    QDir().mkpath(folder);
    for (int i = 0; i < count; ++i)
      WritePicture(folder + QStringLiteral("/p%1.jpg").arg(i, 2, 10, QChar(u'0')), 16, 12);
  }

  // Lets the folder's listing, which runs on a thread of its own, end.
  void WaitForListing() {
    QDeadlineTimer deadline(20000);
    while (Form2->Listing() && !deadline.hasExpired())
      QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_FALSE(Form2->Listing());
  }
  // The settings window's activation and the listing it starts.
  void ActivateAndList() {
    Form2->FormActivate();
    WaitForListing();
  }

  // Lets the decoded thumbnails of the shown page arrive.
  void WaitForThumbnails() {
    WaitForListing();
    QDeadlineTimer deadline(20000);
    while (Form2->PendingThumbnails() > 0 && !deadline.hasExpired())
      QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_EQ(Form2->PendingThumbnails(), 0);
  }

  // The names shown in Image1 … Image12 ("" for a hidden cell).
  QStringList Grid() const {
    QStringList names;
    for (int k = 1; k <= 12; ++k) {
      TImage* cell = Form2->Image(k);
      names << (cell->isHidden() ? QString() : QFileInfo(cell->FileName).fileName());
    }
    return names;
  }

  // The session as the screen-saver tab sees it.
  struct {
    bool Autostart = false;
    bool Running = false;
    int Starts = 0, Stops = 0;
    std::function<QString(int)> Conflict = [](int) { return QString(); };
  } Saver;

  QTemporaryDir Dir;
  StubPlayer* Player = nullptr;
  std::unique_ptr<TForm2> Form2;
  std::unique_ptr<TForm3> Form3;
  std::unique_ptr<TForm4> Form4;
  std::unique_ptr<TForm5> Form5;
};

// Twelve names from list position first on, "" past count.
inline QStringList Page(int first, int count) {
  QStringList names;
  for (int i = first; i < first + 12; ++i)
    names << (i < count ? QStringLiteral("p%1.jpg").arg(i, 2, 10, QChar(u'0')) : QString());
  return names;
}

}  // namespace vantora::test
