#include "platform/WindowFrame.h"

#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include <QEvent>
#include <QGuiApplication>
#include <QWidget>

namespace vantora {

namespace {

xcb_atom_t InternAtom(xcb_connection_t* connection, const char* name) {
  xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
      connection, xcb_intern_atom(connection, 0, std::uint16_t(std::strlen(name)), name), nullptr);
  const xcb_atom_t atom = reply != nullptr ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
  std::free(reply);
  return atom;
}

// The flags alone leave the buttons to the window manager: some honour the
// Motif hints Qt writes for them, others (openbox among them) ignore their
// minimise and maximise bits and give a utility window all three buttons.
// Named a tool bar first, with Qt's utility and normal types behind it for
// managers that do not know tool bars, a dialog gets a close box only from
// those too, and still takes the keyboard. The type is read when the window
// is mapped, so it is written each time the dialog is about to show.
class TToolBarWindowType : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show) Write(static_cast<QWidget*>(watched));
    return false;
  }

 private:
  static void Write(QWidget* dialog) {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 == nullptr || x11->connection() == nullptr) return;  // not on X (offscreen)
    xcb_connection_t* connection = x11->connection();
    const xcb_atom_t types[] = {
        InternAtom(connection, "_NET_WM_WINDOW_TYPE_TOOLBAR"),
        InternAtom(connection, "_NET_WM_WINDOW_TYPE_UTILITY"),
        InternAtom(connection, "_NET_WM_WINDOW_TYPE_NORMAL"),
    };
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, xcb_window_t(dialog->winId()),
                        InternAtom(connection, "_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM, 32,
                        std::uint32_t(std::size(types)), types);
    xcb_flush(connection);
  }
};

}  // namespace

void UseToolWindowFrame(QWidget* dialog) {
  dialog->setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowCloseButtonHint);
  dialog->installEventFilter(new TToolBarWindowType(dialog));
}

}  // namespace vantora
