#pragma once
// The caption written on a picture: the date the photo was taken and/or its
// file name, in a small line at the bottom right corner of what the screen
// shows of the picture, white with a dark outline so it reads on light and
// dark pictures alike. It is drawn into the picture itself before the
// picture's transition, so the effects carry it like the rest.

#include <QDate>
#include <QSize>
#include <QString>

#include "raster/Bitmap.h"
#include "settings/PicsSettings.h"

namespace vantora {

// "2024年5月3日".
QString ChineseDate(const QDate& date);

// The caption of a picture file: the EXIF date taken (the file's
// modification date without one) and/or the file's name, or empty.
QString CaptionText(const QString& path, TCaption caption);

// How the picture will be fitted to the screen, so the caption comes out
// the same size on every picture and inside what the screen shows.
struct TCaptionFit {
  QSize Screen;  // device pixels; empty: the picture's own size counts
  bool Stretch = false;
  bool StretchFine = false;
};

// Draws text into picture at the bottom right of its visible part.
void DrawCaption(Bitmap& picture, const QString& text, const TCaptionFit& fit);

}  // namespace vantora
