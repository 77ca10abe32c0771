#pragma once
// The single-instance marker: a named, session-wide lock that at most one
// running program holds.
//
// The marker is a lock file held with flock(). The lock belongs to the open
// file, so the system drops it when the holder ends, however it ends: a
// killed or crashed instance never leaves a stale marker behind that would
// block every later start. The file itself stays; only the lock counts.
//
// The file lives in $XDG_RUNTIME_DIR (private to the user's session), or in
// the temporary folder with the user id in its name when that is unset.
// Plain POSIX, no Qt.

#include <string>

namespace vantora {

class SingleInstance {
 public:
  enum TAcquireResult {
    arAcquired,  // this object holds the marker now
    arHeldElsewhere,  // another holder has it
    arUnavailable,  // the lock file could not be opened or locked
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

  const std::string& LockPath() const { return FLockPath; }

 private:
  std::string FLockPath;
  int FFd = -1;
};

}  // namespace vantora
