#pragma once
// The single-instance marker: a named, session-wide lock that at most one
// running program holds.
//
// The marker is a lock file held with flock(). The lock belongs to the open
// file, so the system drops it when the holder ends, however it ends: a
// killed or crashed instance never leaves a stale marker behind that would
// block every later start. The file itself stays; only the lock counts.
//
// The file lives in a folder no other user can write to, so no one else can
// plant, replace or hold it: $XDG_RUNTIME_DIR (private to the user's
// session; see SessionRuntimeFolder); without it the user's cache folder ($XDG_CACHE_HOME or
// ~/.cache, "vantora" in it, with the host name in the file's name for home
// folders shared between machines); without a usable home a folder
// "vantora-<uid>" of the user's own in the temporary folder. A folder is
// used only when it is a real folder (no link), owned by the user and not
// writable by others; folders made here are private (0700). When none
// qualifies there is no marker, and Acquire says why.
//
// The holder writes its process id into the file, so that others can ask it
// to end (the resident daemon is ended that way).
// Plain POSIX, no Qt.

#include <string>

namespace vantora {

// The user's private runtime folder: $XDG_RUNTIME_DIR, or /run/user/UID
// when that variable is missing (screen-saver hosts start their savers with
// a stripped environment), provided it is a real folder of this user's that
// no one else may write. Empty when neither qualifies. runtimeBase stands
// in for /run/user in tests.
std::string SessionRuntimeFolder(const std::string& runtimeBase = "/run/user");

class SingleInstance {
 public:
  enum TAcquireResult {
    arAcquired,  // this object holds the marker now
    arHeldElsewhere,  // another holder has it
    arUnavailable,  // no safe folder, or the lock file could not be opened or locked
  };

  // folder empty: the default folder described above.
  explicit SingleInstance(std::string name = "SingleApp", std::string folder = {});
  ~SingleInstance();
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  // True when someone other than this object holds the marker.
  bool Find() const;
  // Takes the marker. Taking a marker this object already holds succeeds.
  TAcquireResult Acquire();
  // Gives the marker back; does nothing when it is not held.
  void Release();
  bool Held() const { return FFd >= 0; }
  // The process that holds the marker, as it wrote it into the lock file
  // when it took it; 0 when the marker is not held by another process or
  // the file names none.
  int HolderPid() const;

  // The lock file; empty when no safe folder was found.
  const std::string& LockPath() const { return FLockPath; }
  // Why the last Acquire gave arUnavailable.
  const std::string& Error() const { return FError; }

 private:
  std::string FError;  // before FLockPath: finding the path may set it
  std::string FLockPath;
  int FFd = -1;
};

}  // namespace vantora
