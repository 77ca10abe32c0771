#include "screens/Unit1.h"

#include <QCoreApplication>
#include <QThread>

#include "platform/PictureMasks.h"

namespace vantora {

namespace {

TShowOptions ShowOptions(const TScreenPlace* place) {
  TShowOptions options;
  if (place) {
    options.Screen = place->Screen;
    options.PictureOffset = place->Index;
    options.Loader = place->Loader;
    options.Library = place->Library;
  }
  options.Mask = kShowMask;
  options.ClosingInterval = 800;
  options.InitialStep = 4;  // the control's own default
  options.StaysOnTop = true;
  options.ToolWindow = true;
  return options;
}

}  // namespace

TForm1::TForm1(std::string programFolder, std::unique_ptr<TMediaPlayerBase> player,
               const TScreenPlace* place)
    : TShowScreen(ShowOptions(place), std::move(programFolder), std::move(player)),
      AppMessage(this) {}

void TForm1::FormClose() {
  TShowScreen::FormClose();
  // A tool window (the show has no task-bar entry) does not count as the
  // application's last window, so the show ends the event loop itself.
  if (QThread::currentThread()->loopLevel() > 0) QCoreApplication::quit();
}

}  // namespace vantora
