#include "settings/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <system_error>

namespace vantora {

namespace {

[[noreturn]] void ThrowErrno(const std::string& what) {
  throw std::system_error(errno, std::generic_category(), what);
}

// Closes a descriptor on every path out of a function.
class FileHandle {
 public:
  explicit FileHandle(int fd) : FFd(fd) {}
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  ~FileHandle() {
    if (FFd >= 0) ::close(FFd);
  }
  int Get() const { return FFd; }
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

// Creates a new, exclusive temporary file beside target. The name carries
// the process id and a counter so concurrent writers never share one.
int CreateTemporary(const std::string& target, std::string& tempPath) {
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    tempPath = target + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) return fd;
    if (errno != EEXIST) break;
  }
  ThrowErrno("create " + tempPath);
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

void SyncFolder(const std::string& folder) {
  // Makes the rename itself durable; a failure here loses nothing that the
  // rename has not already made visible, so it is not reported.
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

std::optional<std::string> ReadWholeFile(const std::string& path) {
  FileHandle file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (file.Get() < 0) {
    if (errno == ENOENT || errno == ENOTDIR) return std::nullopt;
    ThrowErrno("open " + path);
  }
  std::string contents;
  char buffer[8192];
  for (;;) {
    const ssize_t n = ::read(file.Get(), buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      ThrowErrno("read " + path);
    }
    if (n == 0) break;
    contents.append(buffer, static_cast<std::size_t>(n));
  }
  return contents;
}

void ReplaceWholeFile(const std::string& path, const std::string& contents) {
  const std::string target = ReplaceTarget(path);
  std::string tempPath;
  if (::access(FolderOf(target).c_str(), F_OK) != 0 && errno == ENOENT)
    CreateFolders(FolderOf(target));
  FileHandle temp(CreateTemporary(target, tempPath));
  try {
    struct stat original {};
    if (::stat(target.c_str(), &original) == 0) {
      // Keep the original's permissions and, where allowed, its owner.
      ::fchmod(temp.Get(), original.st_mode & 07777);
      if ((original.st_uid != ::geteuid() || original.st_gid != ::getegid()) &&
          ::fchown(temp.Get(), original.st_uid, original.st_gid) != 0) {
        // Not allowed to give it away: the file becomes ours, as a new one would.
      }
    }
    WriteAll(temp.Get(), contents);
    if (::fsync(temp.Get()) != 0) ThrowErrno("fsync " + tempPath);
    if (temp.Close() != 0) ThrowErrno("close " + tempPath);
    if (::rename(tempPath.c_str(), target.c_str()) != 0) ThrowErrno("rename " + tempPath);
  } catch (...) {
    ::unlink(tempPath.c_str());
    throw;
  }
  SyncFolder(FolderOf(target));
}

}  // namespace vantora
