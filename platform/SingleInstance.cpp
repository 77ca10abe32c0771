#include "platform/SingleInstance.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace vantora {

namespace {

// A folder only this user can write to: a real folder (a link in its place
// is not followed), owned by the user, not writable by group or others.
// Otherwise says why in why.
bool IsPrivateFolder(const std::string& folder, std::string& why) {
  const int fd = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) {
    why = folder + ": " + std::strerror(errno);
    return false;
  }
  struct stat st {};
  const bool statted = ::fstat(fd, &st) == 0;
  ::close(fd);
  if (!statted || st.st_uid != ::geteuid()) {
    why = folder + " belongs to another user";
    return false;
  }
  if ((st.st_mode & 022) != 0) {
    why = folder + " can be written by other users";
    return false;
  }
  return true;
}

// The folder, made private (0700) when missing, if it is private.
bool MakePrivateFolder(const std::string& folder, std::string& why) {
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
    why = folder + ": " + std::strerror(errno);
    return false;
  }
  return IsPrivateFolder(folder, why);
}

// An absolute path from the environment, or empty.
std::string AbsoluteEnv(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && value[0] == '/' ? value : "";
}

std::string HomeFolder() {
  std::string home = AbsoluteEnv("HOME");
  if (home.empty())
    if (const passwd* user = ::getpwuid(::geteuid()); user != nullptr && user->pw_dir[0] == '/')
      home = user->pw_dir;
  return home;
}

// The machine's name, for a lock file in a home folder that several
// machines may share.
std::string HostName() {
  char name[256] = {};
  if (::gethostname(name, sizeof name - 1) != 0 || name[0] == '\0') return "localhost";
  std::string host = name;
  for (char& c : host)
    if (c == '/') c = '_';
  return host;
}

// The lock file in the first private folder of: the session folder, the
// user's cache folder, the user's own folder in the temporary folder.
// Empty, with the reasons in why, when none will do.
std::string DefaultLockPath(const std::string& name, std::string& why) {
  std::string reason;
  std::vector<std::string> reasons;
  const std::string runtime = AbsoluteEnv("XDG_RUNTIME_DIR");
  if (!runtime.empty()) {
    if (IsPrivateFolder(runtime, reason)) return runtime + "/vantora-" + name + ".lock";
    reasons.push_back(reason);
  }
  std::string cache = AbsoluteEnv("XDG_CACHE_HOME");
  if (cache.empty())
    if (const std::string home = HomeFolder(); !home.empty()) cache = home + "/.cache";
  if (!cache.empty()) {
    if (MakePrivateFolder(cache, reason) && MakePrivateFolder(cache + "/vantora", reason))
      return cache + "/vantora/" + name + "-" + HostName() + ".lock";
    reasons.push_back(reason);
  }
  std::string tmp = AbsoluteEnv("TMPDIR");
  if (tmp.empty()) tmp = "/tmp";
  const std::string own = tmp + "/vantora-" + std::to_string(::geteuid());
  if (MakePrivateFolder(own, reason)) return own + "/vantora-" + name + ".lock";
  reasons.push_back(reason);
  why = "no private folder for the marker (";
  for (std::size_t i = 0; i < reasons.size(); ++i) why += (i > 0 ? "; " : "") + reasons[i];
  why += ")";
  return {};
}

// Opens the lock file, creating it when needed. Refuses a symbolic link and a
// file owned by another user, so a shared temporary folder cannot be used to
// plant a lock file that someone else holds.
int OpenLockFile(const std::string& path, bool create) {
  const int flags = O_RDWR | O_CLOEXEC | O_NOFOLLOW | (create ? O_CREAT : 0);
  int fd;
  do {
    fd = ::open(path.c_str(), flags, 0600);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return -1;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) {
    ::close(fd);
    return -1;
  }
  return fd;
}

int TryLock(int fd, int operation) {
  int rc;
  do {
    rc = ::flock(fd, operation | LOCK_NB);
  } while (rc != 0 && errno == EINTR);
  return rc;
}

}  // namespace

std::string SessionRuntimeFolder(const std::string& runtimeBase) {
  std::string why;
  if (const std::string runtime = AbsoluteEnv("XDG_RUNTIME_DIR"); !runtime.empty())
    return IsPrivateFolder(runtime, why) ? runtime : std::string();
  const std::string own = runtimeBase + "/" + std::to_string(::geteuid());
  return IsPrivateFolder(own, why) ? own : std::string();
}

SingleInstance::SingleInstance(std::string name, std::string folder)
    : FLockPath(folder.empty() ? DefaultLockPath(name, FError)
                               : folder + "/vantora-" + name + ".lock") {}

SingleInstance::~SingleInstance() { Release(); }

bool SingleInstance::Find() const {
  if (Held() || FLockPath.empty()) return false;
  const int fd = OpenLockFile(FLockPath, false);
  if (fd < 0) return false;
  // A shared lock is refused exactly while someone holds the exclusive one;
  // a probe that gets it lets go at once.
  const bool held = TryLock(fd, LOCK_SH) != 0 && errno == EWOULDBLOCK;
  ::close(fd);
  return held;
}

SingleInstance::TAcquireResult SingleInstance::Acquire() {
  if (Held()) return arAcquired;
  if (FLockPath.empty()) return arUnavailable;  // FError says why
  const int fd = OpenLockFile(FLockPath, true);
  if (fd < 0) {
    FError = FLockPath + ": cannot be opened as this user's lock file";
    return arUnavailable;
  }
  if (TryLock(fd, LOCK_EX) != 0) {
    const bool busy = errno == EWOULDBLOCK;
    FError = FLockPath + ": " + std::strerror(errno);
    ::close(fd);
    return busy ? arHeldElsewhere : arUnavailable;
  }
  FError.clear();
  FFd = fd;
  // Whoever held the file before may have left a longer number in it.
  const std::string pid = std::to_string(::getpid()) + "\n";
  if (::ftruncate(fd, 0) != 0 || ::pwrite(fd, pid.data(), pid.size(), 0) != ssize_t(pid.size()))
    FError = FLockPath + ": the process id could not be written: " + std::strerror(errno);
  return arAcquired;
}

int SingleInstance::HolderPid() const {
  if (!Find()) return 0;
  const int fd = OpenLockFile(FLockPath, false);
  if (fd < 0) return 0;
  char text[24] = {};
  const ssize_t n = ::pread(fd, text, sizeof text - 1, 0);
  ::close(fd);
  if (n <= 0) return 0;
  char* end = nullptr;
  const long pid = std::strtol(text, &end, 10);
  // A holder that has not written its number yet reads as none.
  if (end == text || (*end != '\n' && *end != '\0') || pid <= 0 || pid > 0x3fffffff) return 0;
  return int(pid);
}

void SingleInstance::Release() {
  if (!Held()) return;
  // No process id stays behind for the next holder's readers to act on.
  [[maybe_unused]] const int cleared = ::ftruncate(FFd, 0);
  ::flock(FFd, LOCK_UN);
  ::close(FFd);
  FFd = -1;
}

}  // namespace vantora
