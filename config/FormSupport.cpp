#include "config/FormSupport.h"

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
