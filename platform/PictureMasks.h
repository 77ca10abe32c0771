#pragma once
// The masks that pick pictures out of a folder listing, in one place so the
// show, the preview, the screen-saver host's show and the thumbnail browser
// agree on what a picture is. The show takes the photo formats: JPEG, PNG,
// WebP, and HEIF as HEIC or AVIF; the preview and the thumbnails take Windows
// bitmaps besides. Patterns match without regard to case, and "*.jpg" also
// takes ".jpeg" files.

#include <QString>

namespace vantora {

inline const QString kShowMask = QStringLiteral("*.jpg;*.png;*.webp;*.heic;*.heif;*.avif");
inline const QString kPreviewMask = kShowMask + QStringLiteral(";*.bmp");

}  // namespace vantora
