#pragma once
// Small pieces the configuration windows share.

#include <QSize>

class QWidget;

namespace vantora {

// Nearest integer, halves to the even neighbour (2.5 -> 2, 3.5 -> 4).
int RoundHalfEven(double value);

// Moves the window so that its outer rectangle is centred on a screen of
// the given size: Left = round(W / 2 - width / 2), Top likewise, with
// halves rounded to even.
void CentreWindow(QWidget* window, QSize screen);
// The size of the screen the configuration windows are centred on.
QSize ScreenSize();

// The layouts name "宋体" for the captions that need a Chinese face; those
// fonts are 13 pixels high whatever the screen's resolution. Applies the
// pixel size to every control under root whose own font names that family.
void UseCaptionFont(QWidget* root);

}  // namespace vantora
