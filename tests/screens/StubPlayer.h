#pragma once
// A media player that plays nothing: it records what it is asked to do, and
// the test decides when a song ends (Finish). Opening a file the test has
// marked as broken fails as a real open does.

#include <stdexcept>

#include <QSet>
#include <QStringList>

#include "platform/MediaPlayer.h"

namespace vantora::test {

class StubPlayer : public TMediaPlayerBase {
 public:
  void SetFileName(const QString& fileName) override { FFileName = fileName; }
  QString FileName() const override { return FFileName; }
  void Open() override {
    if (FMode != mpNotReady) Close();
    if (Broken.contains(FFileName))
      throw std::runtime_error(("Cannot open " + FFileName.toStdString()).c_str());
    FMode = mpStopped;
  }
  void Play() override {
    if (FMode == mpNotReady) throw std::runtime_error("not open");
    Played << FFileName;
    FMode = mpPlaying;
  }
  void Stop() override {
    if (FMode == mpPlaying) FMode = mpStopped;
    ++Stops;
  }
  void Close() override {
    FMode = mpNotReady;
    ++Closes;
  }
  TMPModes Mode() const override { return FMode; }

  // The song plays to its end and the player notifies.
  void Finish() {
    FMode = mpStopped;
    if (OnNotify) OnNotify();
  }

  QStringList Played;  // file names, in the order they started
  QSet<QString> Broken;
  int Stops = 0;
  int Closes = 0;

 private:
  QString FFileName;
  TMPModes FMode = mpNotReady;
};

}  // namespace vantora::test
