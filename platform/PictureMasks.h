#pragma once
// The masks that pick pictures out of a folder listing, in one place so the
// show, the preview, the screen-saver host's show and the thumbnail browser
// agree on what a picture is. The show takes the photo formats; the preview
// and the thumbnails take Windows bitmaps besides.

#include <QString>

namespace vantora {

inline const QString kShowMask = QStringLiteral("*.jpg");
inline const QString kPreviewMask = QStringLiteral("*.jpg;*.bmp");

}  // namespace vantora
