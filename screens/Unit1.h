#pragma once
// TForm1: the window of show mode. Black, borderless, always on top, over
// the whole screen and without a task-bar entry; any key ends the show, and
// mouse activity ends it through the exit guard and the application-wide
// hook AppMessage.

#include "platform/ProgramFolder.h"
#include "screens/ShowScreen.h"

namespace vantora {

// Where one of the show windows of several screens stands: its screen, its
// place among them (screen k starts k pictures further along), and the
// decoder and the picture library all of them share.
struct TScreenPlace {
  QScreen* Screen = nullptr;
  int Index = 0;
  std::shared_ptr<TPictureLoader> Loader;
  std::shared_ptr<TPictureLibrary> Library;
};

class TForm1 : public TShowScreen {
 public:
  // place: one of several windows (TScreenShows); null for the only show
  // window, which covers the other monitors in black.
  explicit TForm1(std::string programFolder = vantora::ProgramFolder(),
                  std::unique_ptr<TMediaPlayerBase> player = nullptr,
                  const TScreenPlace* place = nullptr);

  TAppMessage AppMessage;

 protected:
  // The guard tripped: from now on the next key press or mouse move anywhere
  // in the application closes the show.
  void GuardTripped() override { AppMessage.Install(); }
  // Closing the show ends the program.
  void FormClose() override;
};

}  // namespace vantora
