#include "screens/Music.h"

#include "platform/ErrorReport.h"
#include "platform/RegularFile.h"
#include "settings/IniFile.h"
#include "settings/SettingKeys.h"

namespace vantora {

TMusic::TMusic(TMediaPlayerBase& MediaPlayer1) : FPlayer(MediaPlayer1) {
  FPlayer.OnNotify = [this] { MediaPlayer1Notify(); };
  FPlayer.OnFailed = [this](const QString& file, const QString& message) {
    if (FBroken.contains(file)) return;
    FBroken.insert(file);
    ReportError(message);
  };
  Timer4.OnTimer = [this] { RunHandler([this] { Timer4Timer(); }); };
}

QString TMusic::Entry(int index) const {
  return QString::fromStdString(ReadSongEntry(*FIni, index));
}

bool TMusic::PlayFile(const QString& path) {
  // A song that failed once in this show is passed over without a word.
  if (FBroken.contains(path)) return false;
  FPlayer.SetFileName(path);
  try {
    FPlayer.Open();
  } catch (...) {
    FBroken.insert(path);
    throw;
  }
  FPlayer.Play();
  return true;
}

void TMusic::Start() {
  SongIndex = 0;
  FBroken.clear();  // a new show reports its broken songs anew
  if (!FIni || !ReadYes(*FIni, settings::MusicOn)) return;
  const QString song0 = Entry(0);
  if (IsRegularFile(song0)) PlayFile(song0);
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
      // A broken song is passed over like a failed open: Timer4 stays on
      // and the walk moves on a second later.
      if (IsRegularFile(song0) && !PlayFile(song0)) return;
    }
  } else {
    const QString path = Entry(SongIndex);
    if (IsRegularFile(path) && !PlayFile(path)) return;
  }
  Timer4.SetEnabled(false);
}

}  // namespace vantora
