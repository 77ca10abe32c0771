#include "screens/Unit6.h"

#include "platform/PictureMasks.h"

namespace vantora {

namespace {

TShowOptions PreviewOptions() {
  TShowOptions options;
  options.Mask = kPreviewMask;
  options.ClosingInterval = 1300;
  options.InitialStep = 6;
  options.StaysOnTop = false;
  options.ToolWindow = false;
  return options;
}

}  // namespace

Tform6::Tform6(std::string programFolder, std::unique_ptr<TMediaPlayerBase> player)
    : TShowScreen(PreviewOptions(), std::move(programFolder), std::move(player)) {
  // A stopped song still notifies; while the preview is hidden that
  // notification must not start the next song behind the settings window.
  Music.FollowUpAllowed = [this] { return isVisible(); };
}

void Tform6::GuardTripped() { close(); }

void Tform6::FormClose() {
  TShowScreen::FormClose();
  Music.StopPlaying();
  // The hidden preview changes no pictures: the next opening starts afresh.
  StopPictures();
}

}  // namespace vantora
