#include "screens/Music.h"

#include <QFileInfo>

#include "platform/ErrorReport.h"
#include "settings/IniFile.h"
#include "settings/SettingKeys.h"

namespace vantora {

bool FileExists(const QString& path) {
  if (path.isEmpty()) return false;
  const QFileInfo info(path);
  return info.exists() && !info.isDir();
}

TMusic::TMusic(TMediaPlayerBase& MediaPlayer1) : FPlayer(MediaPlayer1) {
  FPlayer.OnNotify = [this] { MediaPlayer1Notify(); };
  Timer4.OnTimer = [this] { RunHandler([this] { Timer4Timer(); }); };
}

QString TMusic::Entry(int index) const {
  return QString::fromStdString(ReadSongEntry(*FIni, index));
}

void TMusic::PlayFile(const QString& path) {
  FPlayer.SetFileName(path);
  FPlayer.Open();
  FPlayer.Play();
}

void TMusic::Start() {
  SongIndex = 0;
  if (!FIni || !ReadYes(*FIni, settings::MusicOn)) return;
  const QString song0 = Entry(0);
  if (FileExists(song0)) PlayFile(song0);
}

void TMusic::StopPlaying() {
  if (FPlayer.Mode() != mpPlaying) return;
  FPlayer.Stop();
  FPlayer.Close();
}

void TMusic::MediaPlayer1Notify() { Timer4.SetEnabled(true); }

void TMusic::Timer4Timer() {
  if (FollowUpAllowed && !FollowUpAllowed()) return;
  if (FPlayer.Mode() == mpPlaying) return;  // looks again a second later
  if (!FIni) return;
  ++SongIndex;
  const int how = ReadSetting(*FIni, settings::SongCount);
  if (SongIndex >= how) {
    if (ReadSetting(*FIni, settings::LoopPlaylist)) {
      SongIndex = 0;
      // A "song0" whose file has gone ends the walk, as any missing entry
      // does; opening it would only raise an error box at every pass.
      const QString song0 = Entry(0);
      if (FileExists(song0)) PlayFile(song0);
    }
  } else {
    const QString path = Entry(SongIndex);
    if (FileExists(path)) PlayFile(path);
  }
  Timer4.SetEnabled(false);
}

}  // namespace vantora
