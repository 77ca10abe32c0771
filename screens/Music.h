#pragma once
// The music of a show window: the playlist of the settings file's "song"
// section, played one file after the other by the window's media player.
//
// The walk is driven by the player's end notification and a one-second
// follow-up timer, Timer4: the notification switches Timer4 on, and the tick
// waits while a song still plays, then moves SongIndex on and plays the next
// entry ("song0", "song1", ... up to "how" - 1), starting again at "song0"
// when "cyc" is set. An entry whose key or file is missing ends the walk.

#include <functional>

#include <QSet>
#include <QString>

#include "platform/MediaPlayer.h"
#include "platform/Timer.h"
#include "settings/IniFile.h"

namespace vantora {

class TMusic {
 public:
  explicit TMusic(TMediaPlayerBase& MediaPlayer1);
  TMusic(const TMusic&) = delete;
  TMusic& operator=(const TMusic&) = delete;

  // The settings file the window opened at its latest activation.
  void SetSettings(const TIniFile* Ini) { FIni = Ini; }

  // At activation: SongIndex := 0 and "song0" starts when "play" is "yes"
  // (exactly) and its file exists. An open error reaches the caller.
  void Start();
  // If a song plays: stop it and close the player.
  void StopPlaying();

  // The player's end notification: Timer4 on.
  void MediaPlayer1Notify();
  // The follow-up tick. An open error reaches the caller and leaves Timer4
  // on, so the walk moves on one second later.
  void Timer4Timer();

  // When set and false, the follow-up tick does nothing and leaves Timer4
  // on (the preview keeps its music from moving on while it is hidden).
  std::function<bool()> FollowUpAllowed;

  int SongIndex = 0;
  Timer Timer4{1000};

 private:
  // Opens and plays; false when the file already failed in this show.
  bool PlayFile(const QString& path);
  QString Entry(int index) const;

  TMediaPlayerBase& FPlayer;
  const TIniFile* FIni = nullptr;
  QSet<QString> FBroken;  // songs that failed in this show, reported once
};

}  // namespace vantora
