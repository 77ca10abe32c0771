#include "config/FormSupport.h"

#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include <QEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QWidget>

namespace vantora {

namespace {

QPoint CentredPosition(QSize outer, QSize screen) {
  return QPoint(RoundHalfEven(screen.width() / 2.0 - outer.width() / 2.0),
                RoundHalfEven(screen.height() / 2.0 - outer.height() / 2.0));
}

// Centres a window again once the window manager has framed it: before a
// window is first shown its frame is unknown and its outer size is taken
// to be its client size. The frame comes a little after the showing, with
// no event of its own, so the window is looked at for a short while after
// it shows; one that has been moved meanwhile is left where it is.
class TRecentreOnFrame : public QObject {
 public:
  static constexpr const char* kName = "RecentreOnFrame";

  TRecentreOnFrame(QWidget* window, QSize screen, QPoint placed)
      : QObject(window), FWindow(window), FScreen(screen), FPlaced(placed) {
    setObjectName(kName);
    window->installEventFilter(this);
    FLook.setInterval(20);
    connect(&FLook, &QTimer::timeout, this, [this] { Look(); });
  }

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Show) {
      FLooks = 0;
      FLook.start();
    }
    return false;
  }

 private:
  void Look() {
    const bool framed = FWindow->frameGeometry().size() != FWindow->size();
    if (!framed && ++FLooks < 50) return;  // a second at most
    FLook.stop();
    if (framed && FWindow->pos() == FPlaced)
      FWindow->move(CentredPosition(FWindow->frameGeometry().size(), FScreen));
    deleteLater();
  }

  QWidget* FWindow;
  QSize FScreen;
  QPoint FPlaced;
  QTimer FLook;
  int FLooks = 0;
};

}  // namespace

void CentreWindow(QWidget* window, QSize screen) {
  const QPoint placed = CentredPosition(window->frameGeometry().size(), screen);
  window->move(placed);
  const bool framed = window->frameGeometry().size() != window->size();
  const bool frameless = window->windowFlags().testFlag(Qt::FramelessWindowHint);
  if (!framed && !frameless && !window->testAttribute(Qt::WA_WState_Visible) &&
      !window->findChild<QObject*>(TRecentreOnFrame::kName, Qt::FindDirectChildrenOnly))
    new TRecentreOnFrame(window, screen, placed);
}

QSize ScreenSize() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen ? screen->geometry().size() : QSize(0, 0);
}

void UseCaptionFont(QWidget* root) {
  const QString family = QStringLiteral("宋体");
  auto apply = [&](QWidget* w) {
    if (!w->testAttribute(Qt::WA_SetFont) || w->font().family() != family) return;
    QFont font = w->font();
    font.setPixelSize(13);
    w->setFont(font);
  };
  apply(root);
  for (QWidget* child : root->findChildren<QWidget*>()) apply(child);
}

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

void UseStandardGlyphs(QPushButton* cancel, QPushButton* ok) {
  cancel->setIcon(cancel->style()->standardIcon(QStyle::SP_DialogCancelButton));
  ok->setIcon(ok->style()->standardIcon(QStyle::SP_DialogOkButton));
}

void UseFolderIconTheme() {
  const QString folder = QStringLiteral("folder");
  if (QIcon::hasThemeIcon(folder)) return;
  const QString desktop = QIcon::themeName();
  for (const char* name : {"Adwaita", "breeze", "Tango", "gnome", "oxygen"}) {
    QIcon::setThemeName(QString::fromLatin1(name));
    if (QIcon::hasThemeIcon(folder)) return;
  }
  QIcon::setThemeName(desktop);
}

}  // namespace vantora
