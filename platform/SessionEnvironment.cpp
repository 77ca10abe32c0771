#include "platform/SessionEnvironment.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/SingleInstance.h"

namespace vantora {

namespace {

bool IsSet(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && value[0] != '\0';
}

// A socket of this user's (the bus of another user's session is no use).
bool IsOwnSocket(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode) && st.st_uid == ::geteuid();
}

}  // namespace

void CompleteSessionEnvironment(const std::string& runtimeBase) {
  if (!IsSet("XDG_RUNTIME_DIR"))
    if (const std::string runtime = SessionRuntimeFolder(runtimeBase); !runtime.empty())
      ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
  if (!IsSet("DBUS_SESSION_BUS_ADDRESS"))
    if (const std::string runtime = SessionRuntimeFolder(runtimeBase); !runtime.empty())
      if (const std::string bus = runtime + "/bus"; IsOwnSocket(bus))
        ::setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + bus).c_str(), 1);
}

}  // namespace vantora
