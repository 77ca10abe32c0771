#include "platform/MediaPlayer.h"

#include <cstdint>
#include <thread>

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "platform/ErrorReport.h"
#include "tests/support/QtApp.h"
#include "tests/platform/Wav.h"

namespace vantora {
namespace {

class MediaPlayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::UseFakeAudioSink();
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
  test::WriteWav(wav, 300);
  TMediaPlayer player;
  int notifications = 0;
  player.OnNotify = [&] { ++notifications; };
  EXPECT_EQ(player.Mode(), mpNotReady);
  player.SetFileName(wav);
  player.Open();
  player.Play();
  EXPECT_EQ(player.Mode(), mpPlaying);
  ASSERT_TRUE(test::WaitFor([&] { return notifications > 0; }));
  EXPECT_EQ(notifications, 1);
  EXPECT_NE(player.Mode(), mpPlaying);
  EXPECT_TRUE(FReports.isEmpty()) << FReports.join("\n").toStdString();
  // Played again after its end, it starts from the beginning and ends again.
  player.Play();
  EXPECT_EQ(player.Mode(), mpPlaying);
  ASSERT_TRUE(test::WaitFor([&] { return notifications > 1; }));
  EXPECT_EQ(notifications, 2);
}

TEST_F(MediaPlayerTest, AMidiFilePlaysToItsEndNotification) {
  const QString mid = FDir.filePath("note.mid");
  test::WriteMidi(mid);
  TMediaPlayer player;
  int notifications = 0;
  player.OnNotify = [&] { ++notifications; };
  player.SetFileName(mid);
  player.Open();
  player.Play();
  EXPECT_EQ(player.Mode(), mpPlaying);
  ASSERT_TRUE(test::WaitFor([&] { return notifications > 0; }));
  EXPECT_EQ(notifications, 1);
  EXPECT_TRUE(FReports.isEmpty()) << FReports.join("\n").toStdString();
}

TEST_F(MediaPlayerTest, StopEndsThePlayRequestWithANotification) {
  const QString wav = FDir.filePath("long.wav");
  test::WriteWav(wav, 5000);
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
  ASSERT_TRUE(test::WaitFor([&] { return notifications > 0; }));
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
  ASSERT_TRUE(test::WaitFor([&] { return notifications > 0 && !FReports.isEmpty(); }));
  for (int i = 0; i < 20; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  EXPECT_EQ(FReports.size(), 1);
  // The program's own words in the windows' language, naming the file; the
  // backend's own text, in whatever language it speaks, on a line below.
  const QStringList lines = FReports.value(0).split(u'\n');
  ASSERT_GE(lines.size(), 2) << FReports.value(0).toStdString();
  EXPECT_EQ(lines[0], QStringLiteral("无法播放音乐文件“%1”。").arg(bad));
  EXPECT_FALSE(lines[1].isEmpty());
  EXPECT_EQ(notifications, 1);
  EXPECT_NE(player.Mode(), mpPlaying);
}

TEST_F(MediaPlayerTest, OpeningAMissingFileFails) {
  TMediaPlayer player;
  player.SetFileName(FDir.filePath("absent.mp3"));
  try {
    player.Open();
    ADD_FAILURE() << "opened";
  } catch (const std::runtime_error& e) {
    EXPECT_TRUE(QString::fromUtf8(e.what()).startsWith(
        QStringLiteral("无法播放音乐文件“%1”。").arg(FDir.filePath("absent.mp3"))))
        << e.what();
  }
  EXPECT_EQ(player.Mode(), mpNotReady);
}

}  // namespace
}  // namespace vantora
