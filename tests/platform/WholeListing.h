#pragma once
// A folder's whole listing at once, for tests that compare it as a list.

#include <QString>
#include <QStringList>

#include "platform/FileList.h"

namespace vantora::test {

inline QStringList ListFiles(const QString& folder, const QString& mask, bool subfolders = false) {
  QStringList names;
  ListPictures(folder, TFileMask(mask), subfolders, [&](QStringList batch) { names += batch; });
  return names;
}

}  // namespace vantora::test
