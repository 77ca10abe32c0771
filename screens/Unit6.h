#pragma once
// Tform6: the preview of the configuration run, the same show as TForm1 in
// a normal (not always on top) window. It lists ".bmp" pictures as well,
// its guard stays open until 1300 ms, a tripped guard closes it at once,
// and closing it stops the music and hides it; the settings window stays.

#include "platform/ProgramFolder.h"
#include "screens/ShowScreen.h"

namespace vantora {

class Tform6 : public TShowScreen {
 public:
  explicit Tform6(std::string programFolder = vantora::ProgramFolder(),
                  std::unique_ptr<TMediaPlayerBase> player = nullptr);

  // The settings window's preview button calls this before it shows the
  // preview: marker back, both guard timers off.
  void ResetGuard() { Guard.Reset(); }

 protected:
  void GuardTripped() override;
  void FormClose() override;
};

}  // namespace vantora
