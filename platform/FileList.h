#pragma once
// The listing of a picture folder: the names of the ordinary files that match
// a mask, sorted by name without regard to case.
//
// The mask is one pattern ("*.jpg") or several separated by ";"
// ("*.jpg;*.bmp"), with "*" and "?" as wildcards. Patterns match without
// regard to case, the way the file search of the system the pictures come
// from does, so "IMG_0001.JPG" matches "*.jpg"; and a ".jpeg" file matches a
// pattern for ".jpg", as cameras and that search treat the two as one.
// Folders, hidden files (a leading "."), and anything that is not an ordinary
// file are left out. A folder that does not exist lists nothing.
//
// With subfolders the whole tree under the folder is listed, each name a
// path relative to the folder ("2024/trip/IMG_0001.JPG"), in path order
// without regard to case: a folder's entries are compared by name, and the
// entries of a subfolder come where the subfolder's name sorts. Hidden
// folders are skipped, symbolic links are followed, a folder already listed
// (reached again through a link, or a link loop) is not entered again, and a
// folder that cannot be read is skipped.

#include <atomic>
#include <functional>
#include <vector>

#include <QString>
#include <QStringList>
#include <QStringView>

namespace vantora {

// A mask taken apart once, so that matching a name builds nothing.
class TFileMask {
 public:
  explicit TFileMask(const QString& mask = {});
  bool Matches(QStringView fileName) const;

 private:
  std::vector<std::u16string> FPatterns;  // case-folded
};

// Lists folder. found receives the names in batches, in their final order,
// while the tree is still being walked, so a caller can start on the first
// pictures of a large tree; a batch is never empty. cancel, when set by
// another thread, ends the walk early. pause, when set, is called before
// the walk enters each subfolder, where a caller may keep it waiting.
void ListPictures(const QString& folder, const TFileMask& mask, bool subfolders,
                  const std::function<void(QStringList batch)>& found,
                  const std::atomic<bool>* cancel = nullptr,
                  const std::function<void()>& pause = {});

// The order of the listing: by path without regard to case, a folder's
// contents where its name sorts; names that differ only in case keep a
// fixed order.
bool PathLess(QStringView a, QStringView b);

}  // namespace vantora
