#include "platform/ProgramFolder.h"

#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <mutex>

namespace vantora {

namespace {

std::mutex argumentLock;
std::string programArgument;

std::string FolderWithSlash(const std::string& file) {
  const auto slash = file.rfind('/');
  if (slash == std::string::npos) return "./";
  return file.substr(0, slash + 1);
}

std::string ExecutablePath() {
  char buffer[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n > 0) return std::string(buffer, static_cast<std::size_t>(n));
  std::lock_guard lock(argumentLock);
  if (programArgument.empty()) return {};
  char resolved[PATH_MAX];
  if (::realpath(programArgument.c_str(), resolved) != nullptr) return resolved;
  return programArgument;
}

}  // namespace

void SetProgramArgument(const char* argv0) {
  std::lock_guard lock(argumentLock);
  programArgument = argv0 != nullptr ? argv0 : "";
}

std::string ProgramFolder() { return FolderWithSlash(ExecutablePath()); }

}  // namespace vantora
