#pragma once
// With more than one monitor the show covers all of them: the pictures on
// the show window's own screen, a black window over every other one. The
// covers come and go with the show window: shown when it is shown, hidden
// when it is hidden or closed, rebuilt when monitors come or go while it
// shows. A key pressed over a cover closes the show, and mouse activity
// over a cover counts for the show's exit guard, so everything closes
// together.
//
// The covers never take the focus or the activation from the show window:
// the show's own activation logic counts activations of its windows.

#include <functional>
#include <vector>

#include <QObject>
#include <QWidget>

class QScreen;

namespace vantora {

class TScreenCovers : public QObject {
 public:
  // show: the window to follow; flags: the show window's own (on top, tool).
  TScreenCovers(QWidget* show, Qt::WindowFlags flags);
  ~TScreenCovers() override;

  // Mouse moved or pressed over a cover.
  std::function<void()> OnMouse;

  // The covers as they stand, for tests.
  std::vector<QWidget*> Covers() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Cover();
  void Uncover();
  void ScreensChanged();

  QWidget* FShow;
  Qt::WindowFlags FFlags;
  // Owned; gone later rather than at once, as a cover may be dispatching
  // the very key that closes the show.
  std::vector<QWidget*> FCovers;
};

}  // namespace vantora
