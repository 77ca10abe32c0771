#pragma once
// THostScreen: the show as the desktop's screen-saver host runs it, inside
// a window the host owns (one copy per monitor, one in the host's preview).
// It reads the settings as the show does and shows the same road of
// pictures, but the host owns the screen and the input: no focus, no
// cursor hiding, no full screen, no exit guard, no key handling. Pointer
// and keys go through to the host's window.

#include <cstdint>
#include <memory>
#include <string>

#include "platform/MediaPlayer.h"
#include "platform/ProgramFolder.h"
#include "screens/ShowScreen.h"

class QWindow;

namespace vantora {

class THostScreen : public TShowScreen {
 public:
  explicit THostScreen(std::string programFolder = vantora::ProgramFolder(),
                       std::unique_ptr<TMediaPlayerBase> player = nullptr);
  ~THostScreen() override;

  // Shows the show in the host's X window, given with its size in device
  // pixels: as a child that fills it, or, for the root window, as a window
  // of the root's size below all others (the whole screen on a plain X
  // server).
  void PlaceIn(std::uint32_t window, bool root, QSize pixels);
  // The host's window has a new size.
  void FollowSize(QSize pixels);

 protected:
  void GuardTripped() override {}
  void keyPressEvent(QKeyEvent* e) override;

 private:
  std::unique_ptr<QWindow> FHost;  // the foreign window we are a child of
};

// A player that plays nothing: the copies of host mode that do not hold the
// music marker stay silent, so several monitors play the playlist once.
class TSilentPlayer : public TMediaPlayerBase {
 public:
  void SetFileName(const QString& fileName) override { FFileName = fileName; }
  QString FileName() const override { return FFileName; }
  void Open() override {}
  void Play() override {}
  void Stop() override {}
  void Close() override {}
  TMPModes Mode() const override { return mpStopped; }

 private:
  QString FFileName;
};

}  // namespace vantora
