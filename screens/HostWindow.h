#pragma once
// The X window a screen-saver host gives us to draw on, watched over a
// connection of our own: its size at the start, its resizes and its end.
//
// The watch selects StructureNotify on the host's window. Event masks are
// per client, so this changes nothing for the host or for Qt's own
// connection. Sizes are in the X server's (device) pixels.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include <QSize>

class QSocketNotifier;
struct xcb_connection_t;

namespace vantora {

class THostWindow {
 public:
  THostWindow();
  ~THostWindow();
  THostWindow(const THostWindow&) = delete;
  THostWindow& operator=(const THostWindow&) = delete;

  // Connects to the X server named display (empty: $DISPLAY) and starts
  // watching window (0: the root window of the display's screen). Needs no
  // application object. False, with Error() telling why, when there is no
  // X server or no such window.
  bool Open(std::uint32_t window, const std::string& display = {});

  std::uint32_t Window() const { return FWindow; }
  bool IsRoot() const { return FWindow == FRoot; }
  QSize Size() const { return FSize; }
  const std::string& Error() const { return FError; }

  // Reports changes through the event loop from now on (the application
  // object must exist). Changes that came before are reported at once.
  void Watch();

  std::function<void(QSize)> OnResize;
  // The window was destroyed, or the X server went away.
  std::function<void()> OnDestroyed;

 private:
  void ReadEvents();
  void Destroyed();

  xcb_connection_t* FConnection = nullptr;
  std::uint32_t FWindow = 0;
  std::uint32_t FRoot = 0;
  QSize FSize;
  bool FGone = false;
  std::string FError;
  std::unique_ptr<QSocketNotifier> FNotifier;
};

}  // namespace vantora
