// The control's construction, properties and events.

#include "transition/TransitionView.h"

#include <QEnterEvent>
#include <QMouseEvent>

#include "platform/DevicePixels.h"

namespace vantora {

TCustomTransitionView::TCustomTransitionView(QWidget* parent) : QWidget(parent) {
  // Opaque: Paint covers every pixel, so Qt erases nothing behind it.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);
  setMouseTracking(true);
  resize(100, 100);
}

TCustomTransitionView::~TCustomTransitionView() {
  // A run ends without events while the control goes away.
  FDestroying = true;
  Stop();
  StopThread();  // a worker of a run that is no longer busy must not outlive the control
}

void TCustomTransitionView::SetAutoSize(bool Value) {
  if (Value == FAutoSize) return;
  FAutoSize = Value;
  if (FAutoSize) AdjustClientSize();
}

void TCustomTransitionView::SetBgMode(TBackgroundMode Value) {
  if (Value == FBgMode) return;
  FBgMode = Value;
  if (!FBgPicture.Empty() && !FPainting) Invalidate();
}

void TCustomTransitionView::SetBgPicture(const vantora::Picture* Value) {
  if (Value)
    FBgPicture = *Value;
  else
    FBgPicture.Clear();
  BgPictureChanged();
}

void TCustomTransitionView::SetCenter(bool Value) {
  if (Value == FCenter) return;
  FCenter = Value;
  if (FPicture.Empty()) return;
  CalcPicRect();
  if (!FScreen.Empty() && !FPainting) Invalidate();
}

void TCustomTransitionView::SetPicture(const vantora::Picture* Value) {
  if (Value)
    FPicture = *Value;
  else
    FPicture.Clear();
  PictureChanged();
}

void TCustomTransitionView::SetPicture(vantora::Picture&& Value) {
  FPicture = std::move(Value);
  PictureChanged();
}

void TCustomTransitionView::SetStretch(bool Value) {
  if (Value == FStretch) return;
  FStretch = Value;
  if (!FScreen.Empty() && !FPainting) Invalidate();
}

void TCustomTransitionView::SetStretchFine(bool Value) {
  if (Value == FStretchFine) return;
  FStretchFine = Value;
  if (!FScreen.Empty() && !FPainting) Invalidate();
}

void TCustomTransitionView::SetStep(int Value) { FStep = std::uint16_t(std::clamp(Value, 1, 100)); }

void TCustomTransitionView::SetStyle(int Value) {
  if (Value == FStyle || Value < 0 || Value > kEffectCount) return;
  const auto directPixels = [](int s) { return s >= 118 && s <= 122; };
  if (FBusy && directPixels(Value) && !directPixels(FStyle)) {
    // Effects 118..122 address 4-byte pixels through scan lines. Every bitmap
    // of ours already holds 32-bit pixels, so nothing converts; taking each
    // canvas lock in turn (FImage, then FScreen, the worker's order) still
    // lets a frame in progress end before the new style is stored.
    if (FImage) {
      FImage->Lock();
      FImage->Unlock();
    }
    FScreen.Lock();
    FScreen.Unlock();
  }
  FStyle = Value;
}

std::string TCustomTransitionView::StyleName() const { return NameOf(FStyle); }

void TCustomTransitionView::SetStyleName(const std::string& Value) {
  if (const std::optional<int> n = NumberOf(Value)) SetStyle(*n);
}

void TCustomTransitionView::SetColor(TPixel Value) {
  if (Value == FColor) return;
  FColor = Value;
  if (!FPainting) Invalidate();
}

void TCustomTransitionView::SetAlign(TAlign Value) {
  if (Value == FAlign) return;
  FAlign = Value;
  if (FAutoSize) AdjustClientSize();
}

void TCustomTransitionView::Clear() {
  if (FBusy || FScreen.Empty()) return;
  // The buffer keeps what was shown: the next transition starts from it.
  CatchUpBuffer();
  {
    CanvasLock lock(FScreen);
    FScreen.SetSize(0, 0);
  }
  Invalidate();
}

void TCustomTransitionView::PictureChanged() {
  if (FDestroying) return;
  if (!FPicture.Empty() && FAutoSize) AdjustClientSize();
  DoChange();
}

void TCustomTransitionView::BgPictureChanged() {
  if (FBgMode != bmNone && !FPainting) Invalidate();
}

void TCustomTransitionView::AdjustClientSize() {
  if (FPicture.Empty() || FAlign == alClient) return;
  // The picture's pixels are device pixels: on a scaled screen the widget
  // needs fewer logical units for them.
  const QRect logical =
      LogicalRect(QRect(0, 0, FPicture.Width(), FPicture.Height()), devicePixelRatioF());
  const int w = (FAlign == alTop || FAlign == alBottom) ? width() : logical.width();
  const int h = (FAlign == alLeft || FAlign == alRight) ? height() : logical.height();
  resize(w, h);
}

void TCustomTransitionView::CalcPicRect() {
  if (FScreen.Empty()) return;
  FPicRect = FScreen.BoundsRect();
  // C++ division truncates toward zero: a picture larger than the client
  // area gets a negative offset (-5 / 2 = -2), so its middle is shown.
  const TRect client = ClientRect();
  if (FCenter)
    FPicRect = FPicRect.offset((client.Width() - FScreen.Width()) / 2,
                               (client.Height() - FScreen.Height()) / 2);
}

void TCustomTransitionView::Invalidate() { update(); }

TRect TCustomTransitionView::ClientRect() const {
  const QSize device = DevicePixels(size(), devicePixelRatioF());
  return {0, 0, device.width(), device.height()};
}

TRect TCustomTransitionView::DeviceRect(const QRect& logical) const {
  const QRect r = vantora::DeviceRect(logical, devicePixelRatioF());
  return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

void TCustomTransitionView::UpdateDevice(const TRect& R, bool now) {
  const QRect r = LogicalRect(QRect(R.Left, R.Top, R.Width(), R.Height()), devicePixelRatioF());
  if (now)
    repaint(r);
  else
    update(r);
}

// Events: each operation raises its event when one is assigned.

void TCustomTransitionView::DoChange() {
  if (OnChange) OnChange(this);
}
void TCustomTransitionView::DoProgress() {
  if (OnProgress) OnProgress(this);
}
void TCustomTransitionView::DoCustomDraw(Bitmap& Picture, Bitmap& Screen) {
  if (OnCustomDraw) OnCustomDraw(this, Picture, Screen);
}
void TCustomTransitionView::DoBeforeNewFrame(Bitmap& Picture, Bitmap& Screen) {
  if (OnBeforeNewFrame) OnBeforeNewFrame(this, Picture, Screen);
}
void TCustomTransitionView::DoAfterNewFrame(Bitmap& Picture, Bitmap& Screen) {
  if (OnAfterNewFrame) OnAfterNewFrame(this, Picture, Screen);
}
void TCustomTransitionView::DoComplete() {
  if (OnComplete) OnComplete(this);
}
void TCustomTransitionView::DoStart(Bitmap& Picture, Bitmap& Screen) {
  if (OnStart) OnStart(this, Picture, Screen);
}
void TCustomTransitionView::DoStop() {
  if (OnStop) OnStop(this);
}

void TCustomTransitionView::mouseMoveEvent(QMouseEvent* e) {
  QWidget::mouseMoveEvent(e);
  const QPoint p = e->position().toPoint();
  if (OnMouseMove) OnMouseMove(this, e->modifiers(), p.x(), p.y());
}

void TCustomTransitionView::mousePressEvent(QMouseEvent* e) {
  QWidget::mousePressEvent(e);
  const QPoint p = e->position().toPoint();
  if (OnMouseDown) OnMouseDown(this, e->button(), e->modifiers(), p.x(), p.y());
}

void TCustomTransitionView::enterEvent(QEnterEvent* e) {
  QWidget::enterEvent(e);
  if (OnMouseEnter) OnMouseEnter(this);
}

void TCustomTransitionView::leaveEvent(QEvent* e) {
  QWidget::leaveEvent(e);
  if (OnMouseLeave) OnMouseLeave(this);
}

}  // namespace vantora
