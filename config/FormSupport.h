#pragma once
// Small pieces the configuration windows share.

#include <QAbstractButton>
#include <QObject>
#include <QSize>

#include "platform/ErrorReport.h"
#include "platform/WindowFrame.h"
#include "raster/Rounding.h"

class QPushButton;
class QWidget;

namespace vantora {

// Moves the window so that its outer rectangle, frame included, is centred
// on a screen of the given size: Left = round(W / 2 - width / 2), Top
// likewise, with halves rounded to even. A window the window manager has
// not framed yet (never shown) is centred again once its frame is known,
// unless it has been moved meanwhile.
void CentreWindow(QWidget* window, QSize screen);
// The size of the screen the configuration windows are centred on.
QSize ScreenSize();

// The layouts name "宋体" for the captions that need a Chinese face; those
// fonts are 13 pixels high whatever the screen's resolution. Applies the
// pixel size to every control under root whose own font names that family.
void UseCaptionFont(QWidget* root);

// The standard cancel and OK glyphs on a dialog's two bottom buttons.
void UseStandardGlyphs(QPushButton* cancel, QPushButton* ok);
// Makes sure folder icons come from an icon theme that has them: the
// desktop's own, else the first installed theme that does.
void UseFolderIconTheme();

// Runs form's handler at every click of button, as an event handler: an
// error it raises is reported and goes no further.
template <class Form>
void OnClick(QAbstractButton* button, Form* form, void (Form::*handler)()) {
  QObject::connect(button, &QAbstractButton::clicked, form,
                   [form, handler] { RunHandler([&] { (form->*handler)(); }); });
}

}  // namespace vantora
