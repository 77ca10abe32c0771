// Painting: background, placement of the frame, and the off-screen buffer
// that every paint composes into and shows from.

#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QThread>

#include "raster/Draw.h"
#include "transition/TransitionView.h"

namespace vantora {

TRect FitRect(const TRect& Source, const TRect& Bounds) {
  const int sw = Source.Width(), sh = Source.Height();
  const int bw = Bounds.Width(), bh = Bounds.Height();
  if (sw <= 0 || sh <= 0) return {};
  int w, h;
  if (double(bh) / sh > double(bw) / sw) {  // the width limits
    w = bw;
    h = MulDiv(sh, bw, sw);
  } else {  // the height limits, also on equality
    w = MulDiv(sw, bh, sh);
    h = bh;
  }
  return TRect{0, 0, w, h}.offset(Bounds.Left + (bw - w) / 2, Bounds.Top + (bh - h) / 2);
}

TRect United(const TRect& a, const TRect& b) {
  if (a.IsEmpty()) return b;
  if (b.IsEmpty()) return a;
  return {std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
          std::max(a.Bottom, b.Bottom)};
}

void TileDraw(Bitmap& Canvas, const TRect& R, const Picture& G, const Region* clip) {
  vantora::TileDraw(Canvas, R, G.AsBitmap(), clip);
}

void TCustomTransitionView::PaintBackground(Bitmap& Canvas, const TRect& R, const Region* clip) {
  FillRect(Canvas, R, FColor, clip);
  if (FBgPicture.Empty()) return;
  const Bitmap& G = FBgPicture.AsBitmap();
  switch (FBgMode) {
    case bmNone: break;
    case bmTiled: TileDraw(Canvas, R, FBgPicture, clip); break;
    case bmStretched: StretchDraw(Canvas, R, G, clip); break;
    case bmCentered:
      // R is the client rectangle, which starts at the canvas origin.
      CenterDraw(Canvas, R, G, clip);
      break;
  }
}

// Where the stretched frame goes: the whole client area, or the largest
// rectangle of the picture's proportions inside it.
TRect TCustomTransitionView::StretchTarget() const {
  return FStretchFine ? FitRect(FPicRect, ClientRect()) : ClientRect();
}

TRect TCustomTransitionView::PlacedFrameRect() const {
  if (FScreen.Empty()) return {};
  return intersected(FStretch ? StretchTarget() : FPicRect, ClientRect());
}

const LockedBitmap& TCustomTransitionView::Buffer() {
  if (QThread::currentThread() == thread()) CatchUpBuffer();
  return FBuffer;
}

void TCustomTransitionView::CatchUpBuffer() {
  if (FBufferBehind.IsEmpty()) return;
  SyncBufferSize();
  const TRect behind = intersected(FBufferBehind, ClientRect());
  FBufferBehind = {};
  if (behind.IsEmpty()) return;
  // Only the frame's own place was shown directly; beside it the buffer
  // still holds what is on screen (an earlier picture's sides, or the
  // background).
  const Region clip = Region::Rectangle(behind);
  CanvasLock lockBuffer(FBuffer);
  if (intersected(PlacedFrameRect(), behind) != behind)
    PaintBackground(FBuffer, ClientRect(), &clip);
  CanvasLock lockScreen(FScreen, ComposingHere());  // see Paint
  if (FScreen.Empty()) return;
  if (!FStretch)
    DrawAt(FBuffer, FPicRect.Left, FPicRect.Top, FScreen, &clip);
  else
    StretchCopy(FBuffer, StretchTarget(), FScreen, FScreen.BoundsRect(), &clip);
}

bool TCustomTransitionView::PaintDirect(const TRect& E) {
  if (!FDirectFrames || FScreen.Empty()) return false;
  // Where the frame sits, when it is shown at its own size.
  TRect P = FPicRect;
  if (FStretch) {
    P = StretchTarget();
    if (P.Width() != FScreen.Width() || P.Height() != FScreen.Height()) return false;
  }
  if (intersected(P, E) != E) return false;
  CanvasLock lockScreen(FScreen, ComposingHere());  // see Paint
  const QImage frame(reinterpret_cast<const uchar*>(FScreen.Bits()), FScreen.Width(),
                     FScreen.Height(), FScreen.Width() * int(sizeof(TPixel)), QImage::Format_RGB32);
  QPainter painter(this);
  const qreal ratio = devicePixelRatioF();
  painter.scale(1 / ratio, 1 / ratio);
  painter.drawImage(QPoint(E.Left, E.Top), frame,
                    QRect(E.Left - P.Left, E.Top - P.Top, E.Width(), E.Height()));
  FBufferBehind = United(FBufferBehind, E);
  return true;
}

void TCustomTransitionView::Paint(const TRect& E) {
  // Only E is composed, and exactly E reaches the screen: FBuffer always
  // holds what the paints put on screen (with DirectFrames, once it caught
  // up), also where an earlier, larger picture is still shown beside the
  // current one. A transition cuts its old content from FBuffer, so it
  // starts from exactly what is seen.
  SyncBufferSize();
  const TRect R = ClientRect();
  const TRect composed = intersected(E, R);
  if (composed.IsEmpty()) return;
  if (PaintDirect(composed)) {
    if (composed == R) FNeedBackground = false;
    return;
  }
  CatchUpBuffer();
  const Region clip = Region::Rectangle(composed);
  CanvasLock lockBuffer(FBuffer);
  // The frame is opaque: where it covers everything being composed, the
  // background beneath it would only be drawn over.
  if (intersected(PlacedFrameRect(), composed) != composed) PaintBackground(FBuffer, R, &clip);
  {
    // A handler of a frame composed in this thread may paint: the frame
    // holds FScreen already.
    CanvasLock lockScreen(FScreen, ComposingHere());
    if (!FScreen.Empty()) {
      if (!FStretch)
        DrawAt(FBuffer, FPicRect.Left, FPicRect.Top, FScreen, &clip);
      else
        StretchCopy(FBuffer, StretchTarget(), FScreen, FScreen.BoundsRect(), &clip);
    }
  }
  // The buffer is in device pixels: painting in device pixels copies it
  // one pixel per screen pixel, exactly the composed rectangle.
  const QImage shown(reinterpret_cast<const uchar*>(FBuffer.Bits()), FBuffer.Width(),
                     FBuffer.Height(), FBuffer.Width() * int(sizeof(TPixel)), QImage::Format_RGB32);
  const QRect q(composed.Left, composed.Top, composed.Width(), composed.Height());
  QPainter painter(this);
  const qreal ratio = devicePixelRatioF();
  painter.scale(1 / ratio, 1 / ratio);
  painter.drawImage(q.topLeft(), shown, q);
  if (composed == R) FNeedBackground = false;
}

void TCustomTransitionView::paintEvent(QPaintEvent* e) {
  if (FPainting) return;
  FPainting = true;
  try {
    // Each rectangle of the invalid region on its own: composing the region's
    // bounding rectangle would change buffer pixels the paint cannot show.
    for (const QRect& r : e->region()) Paint(DeviceRect(r));
  } catch (...) {
    // Nothing may escape into the event loop; the frame event below still
    // releases a worker waiting for this paint.
  }
  ++FPaintCount;
  // The frame composed last is on screen now.
  FFrameEvent.Set();
  FPainting = false;
}

void TCustomTransitionView::SyncBufferSize() {
  const TRect client = ClientRect();
  if (FBuffer.Width() == client.Width() && FBuffer.Height() == client.Height()) return;
  {
    CanvasLock lock(FBuffer);
    FBuffer.SetSize(client.Width(), client.Height());
  }
  // Nothing of the resized buffer is on screen until a paint covers it all.
  FNeedBackground = true;
  // The device size also changes without a resize, when the window moves to
  // a screen of another scale: the centred place follows it.
  if (!FPicture.Empty()) CalcPicRect();
}

void TCustomTransitionView::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  SyncBufferSize();
  if (FPicture.Empty()) return;
  CalcPicRect();
  if (!FScreen.Empty() && !FPainting) Invalidate();
}

}  // namespace vantora
