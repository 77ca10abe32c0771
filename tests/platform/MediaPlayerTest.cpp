#include "platform/MediaPlayer.h"

#include <cstdint>
#include <thread>

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "platform/ErrorReport.h"
#include "tests/platform/QtApp.h"

namespace vantora {
namespace {

// A mono 16-bit PCM WAV file of a square wave lasting ms milliseconds.
void WriteWav(const QString& path, int ms) {
  const int rate = 8000;
  const std::uint32_t samples = std::uint32_t(rate * ms / 1000);
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  auto u32 = [&](std::uint32_t v) { f.write(reinterpret_cast<const char*>(&v), 4); };
  auto u16 = [&](std::uint16_t v) { f.write(reinterpret_cast<const char*>(&v), 2); };
  f.write("RIFF");
  u32(36 + samples * 2);
  f.write("WAVEfmt ");
  u32(16);
  u16(1);
  u16(1);
  u32(rate);
  u32(rate * 2);
  u16(2);
  u16(16);
  f.write("data");
  u32(samples * 2);
  for (std::uint32_t i = 0; i < samples; ++i) {
    const std::int16_t s = (i % 20 < 10) ? 3000 : -3000;
    f.write(reinterpret_cast<const char*>(&s), 2);
  }
}

// Runs the event loop until done() or 10 s have passed.
template <class F>
bool WaitFor(F done) {
  QElapsedTimer t;
  t.start();
  while (!done() && t.elapsed() < 10000) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return done();
}

class MediaPlayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // No sound card here: the backend falls back to a sink that keeps time.
    qputenv("GST_PLUGIN_FEATURE_RANK",
            "pulsesink:NONE,alsasink:NONE,jackaudiosink:NONE,oss4sink:NONE,osssink:NONE,"
            "openalsink:NONE");
    test::QtApp();
    FPrevious = SetErrorReporter([this](const QString& t) { FReports << t; });
  }
  void TearDown() override { SetErrorReporter(FPrevious); }

  QTemporaryDir FDir;
  QStringList FReports;
  TErrorReporter FPrevious;
};

TEST_F(MediaPlayerTest, AWavFilePlaysToItsEndNotification) {
  const QString wav = FDir.filePath("tone.wav");
  WriteWav(wav, 300);
  TMediaPlayer player;
  int notifications = 0;
  player.OnNotify = [&] { ++notifications; };
  EXPECT_EQ(player.Mode(), mpNotReady);
  player.SetFileName(wav);
  player.Open();
  player.Play();
  EXPECT_EQ(player.Mode(), mpPlaying);
  ASSERT_TRUE(WaitFor([&] { return notifications > 0; }));
  EXPECT_EQ(notifications, 1);
  EXPECT_NE(player.Mode(), mpPlaying);
  EXPECT_TRUE(FReports.isEmpty()) << FReports.join("\n").toStdString();
  // Played again after its end, it starts from the beginning and ends again.
  player.Play();
  EXPECT_EQ(player.Mode(), mpPlaying);
  ASSERT_TRUE(WaitFor([&] { return notifications > 1; }));
  EXPECT_EQ(notifications, 2);
}

TEST_F(MediaPlayerTest, StopEndsThePlayRequestWithANotification) {
  const QString wav = FDir.filePath("long.wav");
  WriteWav(wav, 5000);
  TMediaPlayer player;
  int notifications = 0;
  player.OnNotify = [&] { ++notifications; };
  player.SetFileName(wav);
  player.Open();
  player.Play();
  player.Stop();
  EXPECT_NE(player.Mode(), mpPlaying);
  player.Close();
  EXPECT_EQ(player.Mode(), mpNotReady);
  // The notification is posted: it arrives from the event loop, once.
  EXPECT_EQ(notifications, 0);
  ASSERT_TRUE(WaitFor([&] { return notifications > 0; }));
  QCoreApplication::processEvents();
  EXPECT_EQ(notifications, 1);
}

TEST_F(MediaPlayerTest, AFileThatCannotBePlayedIsReportedOnce) {
  const QString bad = FDir.filePath("bad.wav");
  {
    QFile f(bad);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("this is no sound at all");
  }
  TMediaPlayer player;
  int notifications = 0;
  player.OnNotify = [&] { ++notifications; };
  player.SetFileName(bad);
  player.Open();
  player.Play();
  ASSERT_TRUE(WaitFor([&] { return notifications > 0 && !FReports.isEmpty(); }));
  for (int i = 0; i < 20; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  EXPECT_EQ(FReports.size(), 1);
  EXPECT_TRUE(FReports.value(0).contains("bad.wav"));
  EXPECT_EQ(notifications, 1);
  EXPECT_NE(player.Mode(), mpPlaying);
}

TEST_F(MediaPlayerTest, OpeningAMissingFileFails) {
  TMediaPlayer player;
  player.SetFileName(FDir.filePath("absent.mp3"));
  EXPECT_THROW(player.Open(), std::runtime_error);
  EXPECT_EQ(player.Mode(), mpNotReady);
}

}  // namespace
}  // namespace vantora
