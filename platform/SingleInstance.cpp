#include "platform/SingleInstance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace vantora {

namespace {

std::string DefaultLockPath(const std::string& name) {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && *runtime != '\0' && ::access(runtime, W_OK | X_OK) == 0)
    return std::string(runtime) + "/vantora-" + name + ".lock";
  // Without a usable session folder: the temporary folder. It is shared by
  // every user, so the user id in the name keeps one user's marker from
  // blocking another's program.
  const char* tmp = std::getenv("TMPDIR");
  const std::string folder = (tmp != nullptr && *tmp != '\0') ? tmp : "/tmp";
  return folder + "/vantora-" + name + "-" + std::to_string(::getuid()) + ".lock";
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

SingleInstance::SingleInstance(std::string name, std::string folder)
    : FLockPath(folder.empty() ? DefaultLockPath(name) : folder + "/vantora-" + name + ".lock") {}

SingleInstance::~SingleInstance() { Release(); }

bool SingleInstance::Find() const {
  if (Held()) return false;
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
  const int fd = OpenLockFile(FLockPath, true);
  if (fd < 0) return arUnavailable;
  if (TryLock(fd, LOCK_EX) != 0) {
    const bool busy = errno == EWOULDBLOCK;
    ::close(fd);
    return busy ? arHeldElsewhere : arUnavailable;
  }
  FFd = fd;
  return arAcquired;
}

void SingleInstance::Release() {
  if (!Held()) return;
  ::flock(FFd, LOCK_UN);
  ::close(FFd);
  FFd = -1;
}

}  // namespace vantora
