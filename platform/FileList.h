#pragma once
// The listing of a picture folder: the names (without folder) of the
// ordinary files that match a mask, sorted by name without regard to case.
//
// The mask is one pattern ("*.jpg") or several separated by ";"
// ("*.jpg;*.bmp"), with "*" and "?" as wildcards. Patterns match without
// regard to case, the way the file search of the system the pictures come
// from does, so "IMG_0001.JPG" matches "*.jpg"; and a ".jpeg" file matches a
// pattern for ".jpg", as cameras and that search treat the two as one.
// Folders, hidden files (a leading "."), and anything that is not an ordinary
// file are left out. A folder that does not exist lists nothing.

#include <QString>
#include <QStringList>

namespace vantora {

QStringList ListFiles(const QString& folder, const QString& mask);

// Whether one file name matches the mask, by the rules above.
bool MatchesMask(const QString& fileName, const QString& mask);

}  // namespace vantora
