#pragma once
// The exit guard of a show window: a single mouse event does not end the
// show, mouse activity that goes on past half a second does.
//
// A mouse event arms the guard by switching on the opening timer Timer3
// (500 ms) and the closing timer Timer5 (800 ms in the show, 1300 ms in the
// preview); both keep their periods when switched on again. Timer3's tick
// opens the guard (Edit2 empty), Timer5's tick closes it again. A mouse event
// while the guard is open trips it: OnTrip runs (the show installs its
// application-wide hook, the preview closes).

#include <functional>

#include <QObject>
#include <QString>

#include "platform/Timer.h"

class QWidget;

namespace vantora {

// The marker that Edit2 holds while the guard is closed; only empty versus
// non-empty matters.
inline const QString kGuardMarker = QStringLiteral("Orvanel");

class TExitGuard {
 public:
  explicit TExitGuard(int closingInterval);
  TExitGuard(const TExitGuard&) = delete;
  TExitGuard& operator=(const TExitGuard&) = delete;

  // TransitionView1MouseMove and TransitionView1MouseDown.
  void MouseEvent();
  void Timer3Timer();
  void Timer5Timer();
  // Idle again: the marker back, both timers off (the preview button).
  void Reset();
  // Closing a window puts the marker back.
  void FormClose() { Edit2 = kGuardMarker; }
  bool IsOpen() const { return Edit2.isEmpty(); }

  std::function<void()> OnTrip;

  QString Edit2 = kGuardMarker;  // non-empty = guard closed, empty = open
  Timer Timer3{500};
  Timer Timer5;
};

// The show's application-wide hook: it sees every event the application
// dispatches and closes the window at the next key press or mouse move
// (other input, such as a button press, does not close it). It never
// consumes an event and stays installed until the program ends.
class TAppMessage : public QObject {
 public:
  explicit TAppMessage(QWidget* window);
  // Installs the hook on the application once; later calls do nothing.
  void Install();
  bool Installed() const { return FInstalled; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* FWindow;
  bool FInstalled = false;
  bool FArmed = false;
};

}  // namespace vantora
