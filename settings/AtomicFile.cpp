#include "settings/AtomicFile.h"

#include <algorithm>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <string_view>
#include <system_error>
#include <utility>

namespace vantora {

namespace {

[[noreturn]] void ThrowErrno(const std::string& what, int error = errno) {
  throw std::system_error(error, std::generic_category(), what);
}

// Closes a descriptor on every path out of a function.
class FileHandle {
 public:
  explicit FileHandle(int fd = -1) : FFd(fd) {}
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  ~FileHandle() { Reset(-1); }
  // Takes over fd, closing the one held before.
  void Reset(int fd) {
    if (FFd >= 0) ::close(FFd);
    FFd = fd;
  }
  int Get() const { return FFd; }
  // Gives the descriptor up to a new owner.
  int Release() { return std::exchange(FFd, -1); }
  // Closes now and reports the result, since close can be where a deferred
  // write error shows up.
  int Close() {
    const int fd = FFd;
    FFd = -1;
    return ::close(fd);
  }

 private:
  int FFd;
};

std::string FolderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file a write must replace: the target of a symbolic link, so that a
// linked settings file is updated rather than the link turned into a file.
std::string ReplaceTarget(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
  char resolved[PATH_MAX];
  if (::realpath(path.c_str(), resolved) == nullptr) return path;
  return resolved;
}

void WriteAll(int fd, const std::string& contents) {
  const char* p = contents.data();
  std::size_t left = contents.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      ThrowErrno("write");
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
}

// Creates the folder and any missing parents, private to the user (0700) as
// a configuration folder should be. An existing folder is left as it is.
void CreateFolders(const std::string& folder) {
  if (folder == "/" || folder == ".") return;
  if (::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST) return;
  if (errno != ENOENT) ThrowErrno("create folder " + folder);
  CreateFolders(FolderOf(folder));
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) ThrowErrno("create folder " + folder);
}

// The folder, opened for listing and syncing; where it may be searched but
// not read, opened only as a place to name files in.
int OpenFolder(const std::string& folder) {
  int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0 && errno == EACCES) fd = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) ThrowErrno("open folder " + folder);
  return fd;
}

// Temporary files are named <file>.tmp<writer's pid>-<n>, so that a writer
// can tell its own from those of others and from leftovers.
std::string TemporaryName(const std::string& name) {
  static std::atomic<unsigned> counter{0};
  return name + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
}

// The writer's pid in a temporary file's name, or 0 when the name is not
// that of a temporary file of name.
pid_t WriterOf(std::string_view entry, const std::string& name) {
  const std::string prefix = name + ".tmp";
  if (!entry.starts_with(prefix)) return 0;
  entry.remove_prefix(prefix.size());
  pid_t pid = 0;
  const auto [end, error] = std::from_chars(entry.data(), entry.data() + entry.size(), pid);
  if (error != std::errc() || pid <= 0 || end == entry.data() + entry.size() || *end != '-')
    return 0;
  return pid;
}

bool ProcessExists(pid_t pid) { return ::kill(pid, 0) == 0 || errno == EPERM; }

// A named temporary file of a live writer is unlocked only for the instant
// between its creation and its lock; one that stays unlocked this long is a
// leftover even when its writer's pid has been given to another process.
constexpr std::time_t kLeftoverAge = 60;

// Removes the temporary files of name that writers killed mid-write left in
// the folder. A writer holds its temporary file locked until it is renamed
// into place, so a file that can be locked has lost its writer. Only
// regular files of this user are touched; links are not followed.
void RemoveLeftovers(int folderFd, const std::string& name) {
  FileHandle listFd(::openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (listFd.Get() < 0) return;
  // The listing owns the descriptor once it is made, and is closed on every
  // way out, an exception of a step included.
  const std::unique_ptr<DIR, int (*)(DIR*)> dir(::fdopendir(listFd.Get()), ::closedir);
  if (!dir) return;
  listFd.Release();
  while (const dirent* entry = ::readdir(dir.get())) {
    const pid_t writer = WriterOf(entry->d_name, name);
    if (writer == 0) continue;
    FileHandle file(::openat(folderFd, entry->d_name,
                             O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat st {};
    if (file.Get() < 0 || ::fstat(file.Get(), &st) != 0 || !S_ISREG(st.st_mode) ||
        st.st_uid != ::geteuid())
      continue;
    if (::flock(file.Get(), LOCK_EX | LOCK_NB) != 0) continue;  // its writer is at work
    if (ProcessExists(writer) && std::time(nullptr) - st.st_ctime < kLeftoverAge) continue;
    // Remove the file that was checked, not one put in its place since.
    struct stat now {};
    if (::fstatat(folderFd, entry->d_name, &now, AT_SYMLINK_NOFOLLOW) == 0 &&
        now.st_dev == st.st_dev && now.st_ino == st.st_ino)
      ::unlinkat(folderFd, entry->d_name, 0);
  }
}

// The new content on its way into place: an unnamed file in the folder
// (O_TMPFILE), which a killed writer cannot leave behind and which is given
// a name only once it is complete; or, where the file system cannot make
// one, a named temporary file. Either is locked from its creation on.
class TTemporary {
 public:
  TTemporary(int folderFd, const std::string& name) : FFolderFd(folderFd), FTargetName(name) {
    FFile.Reset(::openat(folderFd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666));
    if (FFile.Get() < 0) CreateNamed();
    while (::flock(FFile.Get(), LOCK_EX) != 0)
      if (errno != EINTR) ThrowErrno("lock temporary file");
  }
  TTemporary(const TTemporary&) = delete;
  TTemporary& operator=(const TTemporary&) = delete;
  ~TTemporary() {
    if (!FName.empty()) ::unlinkat(FFolderFd, FName.c_str(), 0);
  }

  int Fd() const { return FFile.Get(); }

  // Puts the complete file in place of the target. Renaming the locked
  // file keeps its lock, so it is never taken for a leftover.
  void Commit() {
    if (FName.empty()) Link();
    if (::renameat(FFolderFd, FName.c_str(), FFolderFd, FTargetName.c_str()) != 0)
      ThrowErrno("rename " + FName);
    FName.clear();
    // The content was synced before the rename, so a late close error
    // loses nothing and is not reported as a failed write.
    FFile.Close();
  }

 private:
  void CreateNamed() {
    for (int attempt = 0; attempt < 100; ++attempt) {
      const std::string name = TemporaryName(FTargetName);
      FFile.Reset(::openat(FFolderFd, name.c_str(),
                           O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
      if (FFile.Get() >= 0) {
        FName = name;
        return;
      }
      if (errno != EEXIST) ThrowErrno("create " + name);
    }
    ThrowErrno("create temporary file");
  }

  // Gives the unnamed file a name. Linking through /proc needs no
  // privilege; AT_EMPTY_PATH is the way where /proc is not mounted.
  void Link() {
    const std::string self = "/proc/self/fd/" + std::to_string(FFile.Get());
    for (int attempt = 0; attempt < 100; ++attempt) {
      const std::string name = TemporaryName(FTargetName);
      int rc = ::linkat(AT_FDCWD, self.c_str(), FFolderFd, name.c_str(), AT_SYMLINK_FOLLOW);
      if (rc != 0 && errno == ENOENT)
        rc = ::linkat(FFile.Get(), "", FFolderFd, name.c_str(), AT_EMPTY_PATH);
      if (rc == 0) {
        FName = name;
        return;
      }
      if (errno != EEXIST) ThrowErrno("link " + name);
    }
    ThrowErrno("link temporary file");
  }

  int FFolderFd;
  std::string FTargetName;
  FileHandle FFile;
  std::string FName;  // the temporary file's name while it has one
};

// Refuses to replace a file that may not be written: one this process is
// not permitted to write, or one marked read-only for everyone, which even
// root does not replace. Renaming over it needs only the folder's
// permission, so without this check such a file would be replaced.
void CheckWritable(int folderFd, const std::string& name, const struct stat& original) {
  if ((original.st_mode & 0222) == 0) ThrowErrno("read-only " + name, EACCES);
  if (::faccessat(folderFd, name.c_str(), W_OK, AT_EACCESS) != 0) ThrowErrno("access " + name);
}

// Gives the new file the original's permissions, or refuses: a file that was
// private must not come back readable by others. The owner is kept where
// this process may set it (root, or a file that is ours already). A user
// allowed to write someone else's file cannot give a file away, so the new
// file is then ours, as a new one would be. Its group is kept where we
// belong to it; where not, the group's permissions are dropped, because the
// file would otherwise open to a group that could not read it before.
void KeepOwnerAndPermissions(int fd, const struct stat& original) {
  mode_t mode = original.st_mode & 07777;
  if ((original.st_uid != ::geteuid() || original.st_gid != ::getegid()) &&
      ::fchown(fd, original.st_uid, original.st_gid) != 0 &&
      (original.st_gid == ::getegid() || ::fchown(fd, uid_t(-1), original.st_gid) != 0))
    mode &= ~mode_t(S_IRWXG | S_ISGID);
  if (::fchmod(fd, mode) != 0) ThrowErrno("chmod");
}

}  // namespace

std::optional<std::string> ReadWholeFile(const std::string& path) {
  // Without blocking, so that a named pipe in the file's place cannot hang
  // the reader; only a regular file is read.
  FileHandle file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (file.Get() < 0) {
    if (errno == ENOENT || errno == ENOTDIR) return std::nullopt;
    ThrowErrno("open " + path);
  }
  struct stat st {};
  if (::fstat(file.Get(), &st) != 0) ThrowErrno("stat " + path);
  if (!S_ISREG(st.st_mode)) ThrowErrno("not a regular file: " + path, EINVAL);
  // Read straight into the string, sized for the whole file at once (one
  // byte more, to see the end without growing): a large file costs one or
  // two reads, not one per few kilobytes. A file that grows meanwhile is
  // read on to its end.
  std::string contents(static_cast<std::size_t>(std::max<off_t>(st.st_size, 0)) + 1, '\0');
  std::size_t used = 0;
  for (;;) {
    if (used == contents.size()) contents.resize(contents.size() * 2);
    const ssize_t n = ::read(file.Get(), contents.data() + used, contents.size() - used);
    if (n < 0) {
      if (errno == EINTR) continue;
      ThrowErrno("read " + path);
    }
    if (n == 0) break;
    used += static_cast<std::size_t>(n);
  }
  contents.resize(used);
  return contents;
}

void ReplaceWholeFile(const std::string& path, const std::string& contents) {
  const std::string target = ReplaceTarget(path);
  const std::string folder = FolderOf(target);
  const std::string name = NameOf(target);
  if (::access(folder.c_str(), F_OK) != 0 && errno == ENOENT) CreateFolders(folder);
  const FileHandle folderFd(OpenFolder(folder));

  struct stat original {};
  const bool exists = ::fstatat(folderFd.Get(), name.c_str(), &original, 0) == 0;
  if (exists) CheckWritable(folderFd.Get(), name, original);
  RemoveLeftovers(folderFd.Get(), name);

  TTemporary temp(folderFd.Get(), name);
  if (exists) KeepOwnerAndPermissions(temp.Fd(), original);
  WriteAll(temp.Fd(), contents);
  if (::fsync(temp.Fd()) != 0) ThrowErrno("fsync");
  temp.Commit();
  // Makes the rename itself durable; a failure here loses nothing that the
  // rename has not already made visible, so it is not reported.
  ::fsync(folderFd.Get());
}

}  // namespace vantora
