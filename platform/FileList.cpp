#include "platform/FileList.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <set>
#include <utility>

#include <QFile>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantora {

namespace {

char16_t Folded(char16_t c) { return QChar::toCaseFolded(c); }

// Matches a case-folded wildcard pattern against a name given by its length
// and a function for its characters, with the usual backtracking to the last
// "*": linear for the masks of pictures ("*.jpg").
template <class CharAt>
bool WildcardMatch(const std::u16string& pattern, qsizetype length, CharAt at) {
  std::size_t p = 0, starP = std::u16string::npos;
  qsizetype n = 0, starN = 0;
  while (n < length) {
    if (p < pattern.size() && pattern[p] == u'*') {
      starP = p++;
      starN = n;
    } else if (p < pattern.size() && (pattern[p] == u'?' || pattern[p] == Folded(at(n)))) {
      ++p;
      ++n;
    } else if (starP != std::u16string::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == u'*') ++p;
  return p == pattern.size();
}

// Compares two paths character by character without regard to case, with
// the separator below every other character, so a folder's contents sort
// where its name does; exact differences in case decide last.
int ComparePaths(QStringView a, QStringView b, bool folded) {
  const qsizetype n = std::min(a.size(), b.size());
  for (qsizetype i = 0; i < n; ++i) {
    char16_t x = a[i].unicode(), y = b[i].unicode();
    if (x == y) continue;
    if (folded) {
      x = Folded(x);
      y = Folded(y);
      if (x == y) continue;
    }
    if (x == u'/') return -1;
    if (y == u'/') return 1;
    return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// Folders entered so far, by device and inode, so neither a link loop nor a
// second link to the same folder lists it twice.
using TVisited = std::set<std::pair<dev_t, ino_t>>;

class TreeWalk {
 public:
  TreeWalk(const TFileMask& mask, bool subfolders,
           const std::function<void(QStringList)>& found, const std::atomic<bool>* cancel,
           const std::function<void()>& pause)
      : FMask(mask), FSubfolders(subfolders), FFound(found), FCancel(cancel), FPause(pause) {}

  void Run(const QString& folder) {
    const int fd = open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    struct stat st {};
    if (fstat(fd, &st) == 0) FVisited.insert({st.st_dev, st.st_ino});
    Folder(fd, QString());
    Flush(true);
  }

 private:
  struct Entry {
    QString Name;
    bool IsFolder;
  };

  bool Cancelled() const { return FCancel && FCancel->load(std::memory_order_relaxed); }

  // Lists the open folder fd (closed here) whose path relative to the top is
  // prefix ("" or ending in "/").
  void Folder(int fd, const QString& prefix) {
    DIR* dir = fdopendir(fd);
    if (!dir) {
      close(fd);
      return;
    }
    std::vector<Entry> entries;
    while (const dirent* e = readdir(dir)) {
      if (Cancelled()) break;
      if (e->d_name[0] == '.') continue;  // hidden, and "." and ".."
      bool isFile = e->d_type == DT_REG, isFolder = e->d_type == DT_DIR;
      if (e->d_type == DT_LNK || e->d_type == DT_UNKNOWN) {
        // A link is followed; a broken one is no file.
        struct stat st {};
        if (fstatat(dirfd(dir), e->d_name, &st, 0) != 0) continue;
        isFile = S_ISREG(st.st_mode);
        isFolder = S_ISDIR(st.st_mode);
      }
      if (isFolder && !FSubfolders) continue;
      if (!isFile && !isFolder) continue;
      QString name = QFile::decodeName(e->d_name);
      if (isFile && !FMask.Matches(name)) continue;
      entries.push_back({std::move(name), isFolder});
    }
    std::sort(entries.begin(), entries.end(),
              [](const Entry& a, const Entry& b) { return PathLess(a.Name, b.Name); });
    for (const Entry& entry : entries) {
      if (Cancelled()) break;
      if (!entry.IsFolder) {
        FPending.append(prefix + entry.Name);
        continue;
      }
      if (FPause) FPause();
      if (Cancelled()) break;
      const int sub = openat(dirfd(dir), QFile::encodeName(entry.Name).constData(),
                             O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      if (sub < 0) continue;  // unreadable: skipped
      struct stat st {};
      if (fstat(sub, &st) != 0 || !FVisited.insert({st.st_dev, st.st_ino}).second) {
        close(sub);
        continue;
      }
      Folder(sub, prefix + entry.Name + u'/');
    }
    closedir(dir);
    Flush(false);
  }

  // Hands the names found so far on: the first ones at once, so a caller can
  // start, then in batches a few times a second.
  void Flush(bool last) {
    if (FPending.isEmpty() || Cancelled()) return;
    const auto now = std::chrono::steady_clock::now();
    if (!last && FSent && now - FLastSent < std::chrono::milliseconds(50)) return;
    FSent = true;
    FLastSent = now;
    FFound(std::exchange(FPending, {}));
  }

  const TFileMask& FMask;
  const bool FSubfolders;
  const std::function<void(QStringList)>& FFound;
  const std::atomic<bool>* FCancel;
  const std::function<void()>& FPause;
  TVisited FVisited;
  QStringList FPending;
  bool FSent = false;
  std::chrono::steady_clock::time_point FLastSent;
};

}  // namespace

TFileMask::TFileMask(const QString& mask) {
  for (const QString& pattern : mask.split(u';', Qt::SkipEmptyParts)) {
    const QString p = pattern.trimmed();
    if (p.isEmpty()) continue;
    std::u16string folded;
    for (QChar c : p) folded.push_back(Folded(c.unicode()));
    FPatterns.push_back(std::move(folded));
  }
}

bool TFileMask::Matches(QStringView name) const {
  // A ".jpeg" file is also tried as ".jpg": the same name without its "e".
  const qsizetype n = name.size();
  const bool jpeg = name.endsWith(u".jpeg", Qt::CaseInsensitive);
  for (const std::u16string& pattern : FPatterns) {
    if (WildcardMatch(pattern, n, [&](qsizetype i) { return name[i].unicode(); })) return true;
    if (jpeg && WildcardMatch(pattern, n - 1, [&](qsizetype i) {
          return name[i < n - 2 ? i : i + 1].unicode();
        }))
      return true;
  }
  return false;
}

bool PathLess(QStringView a, QStringView b) {
  const int c = ComparePaths(a, b, true);
  return c != 0 ? c < 0 : ComparePaths(a, b, false) < 0;
}

void ListPictures(const QString& folder, const TFileMask& mask, bool subfolders,
                  const std::function<void(QStringList)>& found, const std::atomic<bool>* cancel,
                  const std::function<void()>& pause) {
  if (folder.isEmpty()) return;
  TreeWalk(mask, subfolders, found, cancel, pause).Run(folder);
}

}  // namespace vantora
