#include "screens/Music.h"

#include <sys/stat.h>

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "platform/ErrorReport.h"
#include "platform/ProgramFolder.h"
#include "tests/support/QtApp.h"
#include "tests/platform/Wav.h"
#include "tests/screens/StubPlayer.h"

namespace vantora {
namespace {

class MusicTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::QtApp();
    ASSERT_TRUE(FDir.isValid());
    FIni = std::make_unique<TIniFile>(SettingsFileFor(FDir.path().toStdString() + "/"));
    FMusic.SetSettings(FIni.get());
    FPrevious = SetErrorReporter([this](const QString& t) { FReports << t; });
  }
  void TearDown() override { SetErrorReporter(FPrevious); }

  // A playlist of count entries; the files named in missing are not created
  // and the keys named in absent are not written.
  void Playlist(int count, bool loop, std::initializer_list<int> missing = {},
                std::initializer_list<int> absent = {}, const char* play = "yes") {
    FIni->WriteString("song", "play", play);
    FIni->WriteBool("song", "cyc", loop);
    FIni->WriteInteger("song", "how", count);
    for (int i = 0; i < count; ++i) {
      if (std::find(absent.begin(), absent.end(), i) != absent.end()) continue;
      const QString path = Song(i);
      FIni->WriteString("song", "song" + std::to_string(i), path.toStdString());
      if (std::find(missing.begin(), missing.end(), i) != missing.end()) continue;
      QFile f(path);
      ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
  }
  QString Song(int i) const { return FDir.filePath(QString("song %1.mp3").arg(i)); }

  // Lets every song end, ticking the follow-up timer as the event loop
  // would, until nothing plays any more or limit songs have started.
  void RunWalk(int limit) {
    while (FPlayer.Mode() == mpPlaying && FPlayer.Played.size() < limit) {
      FPlayer.Finish();
      ASSERT_TRUE(FMusic.Timer4.Enabled());
      FMusic.Timer4.Tick();
    }
  }
  QStringList Songs(std::initializer_list<int> indices) const {
    QStringList list;
    for (int i : indices) list << Song(i);
    return list;
  }

  QTemporaryDir FDir;
  std::unique_ptr<TIniFile> FIni;
  test::StubPlayer FPlayer;
  TMusic FMusic{FPlayer};
  QStringList FReports;
  TErrorReporter FPrevious;
};

TEST_F(MusicTest, WalksTheListOnceOrInALoop) {
  struct Case {
    bool loop;
    int limit;
    QList<int> expected;
  };
  const Case cases[] = {
      {false, 10, {0, 1, 2}},
      {true, 7, {0, 1, 2, 0, 1, 2, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.loop ? "loop" : "once");
    FPlayer.Played.clear();
    Playlist(3, c.loop);
    FMusic.Start();
    RunWalk(c.limit);
    QStringList expected;
    for (int i : c.expected) expected << Song(i);
    EXPECT_EQ(FPlayer.Played, expected);
    if (!c.loop) {
      EXPECT_FALSE(FMusic.Timer4.Enabled());
      EXPECT_NE(FPlayer.Mode(), mpPlaying);
    }
  }
}

TEST_F(MusicTest, AMissingEntryEndsTheWalkEvenInALoop) {
  struct Case {
    const char* name;
    std::initializer_list<int> missing, absent;
    QStringList expected;
  };
  // Built inside the test: Song() needs the fixture.
  const Case cases[] = {
      {"middle file deleted", {1}, {}, Songs({0})},
      {"middle key never saved", {}, {1}, Songs({0})},
      {"song0 missing, entry 1 there", {0}, {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FPlayer.Played.clear();
    for (int i = 0; i < 3; ++i) QFile::remove(Song(i));
    FIni->DeleteKey("song", "song1");
    Playlist(3, true, c.missing, c.absent);
    FMusic.Start();
    RunWalk(10);
    EXPECT_EQ(FPlayer.Played, c.expected);
    EXPECT_NE(FPlayer.Mode(), mpPlaying);
  }
}

TEST_F(MusicTest, ASong0GoneByTheLoopBackEndsTheWalkSilently) {
  Playlist(2, true);
  FMusic.Start();
  FPlayer.Finish();
  FMusic.Timer4.Tick();  // song 1
  QFile::remove(Song(0));
  FPlayer.Finish();
  FMusic.Timer4.Tick();  // back to song0, whose file has gone
  EXPECT_EQ(FPlayer.Played, Songs({0, 1}));
  EXPECT_FALSE(FMusic.Timer4.Enabled());
  EXPECT_TRUE(FReports.isEmpty());
}

// A named pipe or a device in a song's place is skipped like a missing
// file: the player would read it forever on the window's thread.
TEST_F(MusicTest, APipeOrADeviceAsASongIsSkippedLikeAMissingFile) {
  const QString fifo = FDir.filePath("pipe.mp3");
  ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  for (const QString& odd : {fifo, QStringLiteral("/dev/zero")}) {
    SCOPED_TRACE(odd.toStdString());
    FPlayer.Played.clear();
    Playlist(2, true);
    FIni->WriteString("song", "song0", odd.toStdString());
    FMusic.Start();
    EXPECT_TRUE(FPlayer.Played.isEmpty());
    // The same entry reached by the walk ends it.
    FIni->WriteString("song", "song0", Song(0).toStdString());
    FIni->WriteString("song", "song1", odd.toStdString());
    FMusic.Start();
    RunWalk(5);
    EXPECT_EQ(FPlayer.Played, Songs({0}));
    EXPECT_TRUE(FReports.isEmpty());
  }
  // The real player refuses to open one at all.
  test::UseFakeAudioSink();
  TMediaPlayer player;
  player.SetFileName(fifo);
  EXPECT_THROW(player.Open(), std::runtime_error);
}

TEST_F(MusicTest, OnlyTheExactWordYesSwitchesMusicOn) {
  for (const char* play : {"YES", "Yes", "no", ""}) {
    Playlist(2, false, {}, {}, play);
    FMusic.Start();
    EXPECT_TRUE(FPlayer.Played.isEmpty()) << play;
  }
  Playlist(2, false);
  FMusic.Start();
  EXPECT_EQ(FPlayer.Played, Songs({0}));
}

TEST_F(MusicTest, ShortListsWithLoopRepeatSongZero) {
  for (int how : {0, 1}) {
    SCOPED_TRACE(how);
    FPlayer.Played.clear();
    Playlist(1, true);
    FIni->WriteInteger("song", "how", how);
    FMusic.Start();
    RunWalk(3);
    EXPECT_EQ(FPlayer.Played, Songs({0, 0, 0}));
  }
}

TEST_F(MusicTest, TheTickWaitsWhileASongPlays) {
  Playlist(3, false);
  FMusic.Start();
  // A notification that comes while a song still plays (the aborted request
  // of an earlier song) only switches the timer on.
  FMusic.MediaPlayer1Notify();
  FMusic.Timer4.Tick();
  EXPECT_TRUE(FMusic.Timer4.Enabled());
  EXPECT_EQ(FMusic.SongIndex, 0);
  EXPECT_EQ(FPlayer.Played, Songs({0}));
  FPlayer.Finish();
  FMusic.Timer4.Tick();
  EXPECT_EQ(FPlayer.Played, Songs({0, 1}));
  EXPECT_FALSE(FMusic.Timer4.Enabled());
}

TEST_F(MusicTest, RestartingWhileSongTwoPlaysStartsSongZeroAgain) {
  Playlist(3, false);
  FMusic.Start();
  RunWalk(3);
  ASSERT_EQ(FPlayer.Mode(), mpPlaying);
  ASSERT_EQ(FMusic.SongIndex, 2);
  FMusic.StopPlaying();
  EXPECT_EQ(FPlayer.Mode(), mpNotReady);
  FMusic.Start();
  EXPECT_EQ(FMusic.SongIndex, 0);
  EXPECT_EQ(FPlayer.Played, Songs({0, 1, 2, 0}));
}

TEST_F(MusicTest, AnUnopenableFileIsReportedOncePerShowAndTheWalkGoesOn) {
  Playlist(3, true);
  FPlayer.Broken.insert(Song(1));
  FMusic.Start();
  for (int pass = 0; pass < 2; ++pass) {
    FPlayer.Finish();
    // The tick that reaches the broken entry reports it the first time,
    // passes it over after that, and stays on.
    FMusic.Timer4.Tick();
    EXPECT_TRUE(FMusic.Timer4.Enabled());
    EXPECT_EQ(FReports.size(), 1);
    FMusic.Timer4.Tick();  // a second later: on to entry 2
    EXPECT_FALSE(FMusic.Timer4.Enabled());
    FPlayer.Finish();
    FMusic.Timer4.Tick();  // the loop starts again at song0
  }
  EXPECT_EQ(FPlayer.Played, Songs({0, 2, 0, 2, 0}));
  EXPECT_EQ(FReports.size(), 1);
  // The backend finding out later (a file it cannot decode) counts the same.
  FPlayer.OnFailed(Song(2), QStringLiteral("broken"));
  FPlayer.OnFailed(Song(2), QStringLiteral("broken"));
  EXPECT_EQ(FReports.size(), 2);
  // A new show reports again.
  FMusic.Start();
  FPlayer.Finish();
  FMusic.Timer4.Tick();
  EXPECT_EQ(FReports.size(), 3);
}

TEST_F(MusicTest, TheFollowUpWaitsWhileNotAllowed) {
  bool visible = false;
  FMusic.FollowUpAllowed = [&] { return visible; };
  Playlist(2, false);
  FMusic.Start();
  FPlayer.Finish();
  FMusic.Timer4.Tick();
  EXPECT_TRUE(FMusic.Timer4.Enabled());
  EXPECT_EQ(FPlayer.Played, Songs({0}));
  visible = true;
  FMusic.Timer4.Tick();
  EXPECT_EQ(FPlayer.Played, Songs({0, 1}));
}

// The walk through the real player: two short WAV files play to their end
// notifications, one after the other.
TEST(MusicThroughThePlayer, TwoWavFilesPlayInTurn) {
  test::UseFakeAudioSink();
  test::QtApp();
  QTemporaryDir dir;
  const QString a = dir.filePath("a.wav"), b = dir.filePath("b.wav");
  test::WriteWav(a, 200);
  test::WriteWav(b, 200);
  TIniFile ini(SettingsFileFor(dir.path().toStdString() + "/"));
  ini.WriteString("song", "play", "yes");
  ini.WriteInteger("song", "how", 2);
  ini.WriteString("song", "song0", a.toStdString());
  ini.WriteString("song", "song1", b.toStdString());
  TMediaPlayer player;
  TMusic music(player);
  music.SetSettings(&ini);
  QStringList reports;
  const TErrorReporter previous = SetErrorReporter([&](const QString& t) { reports << t; });
  QStringList played;
  music.Start();
  played << player.FileName();
  for (int song = 0; song < 2; ++song) {
    // The end notification switches Timer4 on; its tick (driven here, not
    // waited for) starts the next entry or ends the walk.
    ASSERT_TRUE(test::WaitFor([&] { return music.Timer4.Enabled(); }));
    ASSERT_TRUE(test::WaitFor([&] { return player.Mode() != mpPlaying; }));
    music.Timer4.Tick();
    if (player.Mode() == mpPlaying) played << player.FileName();
  }
  SetErrorReporter(previous);
  EXPECT_EQ(played, (QStringList{a, b}));
  EXPECT_FALSE(music.Timer4.Enabled());
  EXPECT_TRUE(reports.isEmpty()) << reports.join("\n").toStdString();
}

}  // namespace
}  // namespace vantora
