#include "config/FormSupport.h"

#include <cfenv>
#include <cmath>

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace vantora {

int RoundHalfEven(double value) {
  // nearbyint follows the rounding mode, which is to-nearest-even unless
  // someone changed it; say so explicitly rather than rely on it.
  const int saved = std::fegetround();
  std::fesetround(FE_TONEAREST);
  const double r = std::nearbyint(value);
  std::fesetround(saved);
  return int(r);
}

void CentreWindow(QWidget* window, QSize screen) {
  const QRect outer = window->frameGeometry();
  window->move(RoundHalfEven(screen.width() / 2.0 - outer.width() / 2.0),
               RoundHalfEven(screen.height() / 2.0 - outer.height() / 2.0));
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

}  // namespace vantora
