#include "platform/ProgramWindow.h"

#include <QApplication>
#include <QWidget>
#include <QWindow>

namespace vantora {

bool IsProgramWindow(const QWidget* window) {
  if (!window || window->isModal()) return false;
  // The error box is framed like a tool window, but it changes nothing:
  // coming back from it is no return from another window of the program.
  if (window->inherits("QMessageBox")) return false;
  const Qt::WindowType type = window->windowType();
  return type == Qt::Window || type == Qt::Tool;
}

bool IsProgramWindow(const QWindow* window) {
  if (!window) return false;
  for (const QWidget* widget : QApplication::topLevelWidgets())
    if (widget->windowHandle() == window) return IsProgramWindow(widget);
  return false;
}

void KeepInFrontOf(QWidget* window, QWidget* owner) {
  window->setParent(owner, window->windowFlags());
}

void ShowAndRaise(QWidget* window) {
  if (window->windowState() & Qt::WindowMinimized)
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
  window->show();
  window->raise();
  window->activateWindow();
}

}  // namespace vantora
