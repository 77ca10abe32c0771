#pragma once
// Which windows count as the program's own when the active window changes.
//
// The screens and the user settings dialog redo their activation work when
// the user comes back to them from another of the program's windows, but
// not when a dialog box of their own (a message box, the file dialog) or
// another program had the focus meanwhile.

class QWidget;
class QWindow;

namespace vantora {

// Whether window is one of the program's windows proper: a main or tool
// window, not a dialog box, not a message box (the error report), and not
// null (the focus went to another program).
bool IsProgramWindow(const QWidget* window);
// The same for the platform window of a widget (the focus window).
bool IsProgramWindow(const QWindow* window);

// Makes window a secondary window of owner (transient for it): the window
// manager keeps it in front of owner, also when the user clicks owner, and
// it never opens behind it. window stays a window of its own (its type and
// flags are kept); owner deletes it if it is still there when owner goes.
void KeepInFrontOf(QWidget* window, QWidget* owner);

// Shows a window that may be hidden, minimised or behind others, brings it
// to the front and gives it the focus.
void ShowAndRaise(QWidget* window);

}  // namespace vantora
