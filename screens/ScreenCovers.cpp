#include "screens/ScreenCovers.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPalette>
#include <QScreen>

namespace vantora {

TScreenCovers::TScreenCovers(QWidget* show, Qt::WindowFlags flags)
    : FShow(show), FFlags(flags | Qt::WindowDoesNotAcceptFocus) {
  FShow->installEventFilter(this);
  auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
  if (app == nullptr) return;
  connect(app, &QGuiApplication::screenAdded, this, [this] { ScreensChanged(); });
  connect(app, &QGuiApplication::screenRemoved, this, [this] { ScreensChanged(); });
  connect(app, &QGuiApplication::primaryScreenChanged, this, [this] { ScreensChanged(); });
}

TScreenCovers::~TScreenCovers() {
  for (QWidget* cover : FCovers) delete cover;
}

std::vector<QWidget*> TScreenCovers::Covers() const { return FCovers; }

void TScreenCovers::Cover() {
  Uncover();
  const QScreen* own = FShow->screen();
  for (QScreen* s : QGuiApplication::screens()) {
    if (s == own) continue;
    auto* cover = new QWidget(nullptr, FFlags);
    cover->setWindowTitle(FShow->windowTitle());
    QPalette black = cover->palette();
    black.setColor(QPalette::Window, Qt::black);
    cover->setPalette(black);
    cover->setAutoFillBackground(true);
    cover->setMouseTracking(true);
    cover->setAttribute(Qt::WA_ShowWithoutActivating);
    cover->setScreen(s);
    // The geometry first: without a window manager full screen moves nothing.
    cover->setGeometry(s->geometry());
    cover->installEventFilter(this);
    cover->setWindowState(Qt::WindowFullScreen);
    cover->show();
    FCovers.push_back(cover);
  }
}

void TScreenCovers::Uncover() {
  for (QWidget* cover : FCovers) {
    cover->removeEventFilter(this);
    cover->hide();
    cover->deleteLater();
  }
  FCovers.clear();
}

void TScreenCovers::ScreensChanged() {
  if (!FShow->isVisible()) return;
  Cover();
}

bool TScreenCovers::eventFilter(QObject* watched, QEvent* event) {
  if (watched == FShow) {
    if (event->type() == QEvent::Show) Cover();
    if (event->type() == QEvent::Hide) Uncover();
    return false;
  }
  switch (event->type()) {
    case QEvent::KeyPress: FShow->close(); return true;
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress:
      if (OnMouse) OnMouse();
      return false;
    default: return false;
  }
}

}  // namespace vantora
