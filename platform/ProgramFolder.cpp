#include "platform/ProgramFolder.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
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

// The folder without its trailing separators ("/" stays "/").
std::string WithoutSlash(std::string folder) {
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder.empty() ? "." : folder;
}

std::string Join(const std::string& folder, const std::string& name) {
  return folder.back() == '/' ? folder + name : folder + "/" + name;
}

bool IsFolder(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Writable as the settings writer sees it: permitted to this process, and
// for a file not marked read-only for everyone (a mark the writer honours
// even for root).
bool MayWriteFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & 0222) != 0 &&
         ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

bool MayCreateIn(const std::string& folder) {
  return IsFolder(folder) && ::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

std::string InstalledPictures(const std::string& folder) {
  return (std::filesystem::path(folder) / ".." / "share" / "vantora" / "pics")
      .lexically_normal()
      .string();
}

// An installed program's folder holds no pictures of its own but has the
// installed ones beside it; the build tree and portable copies have "pics".
bool IsInstalledLayout(const std::string& folder) {
  return !IsFolder(Join(folder, "pics")) && IsFolder(InstalledPictures(folder));
}

// A folder of the user's from an environment variable when it holds an
// absolute path, else the given folder under the home folder. Empty when no
// home folder is known.
std::string UserFolder(const char* variable, const char* underHome) {
  const char* set = std::getenv(variable);
  if (set != nullptr && set[0] == '/') return WithoutSlash(set);
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] != '/') {
    const passwd* user = ::getpwuid(::geteuid());
    home = user != nullptr ? user->pw_dir : nullptr;
  }
  if (home == nullptr || home[0] != '/') return {};
  return Join(WithoutSlash(home), underHome);
}

}  // namespace

std::string UserConfigFolder() { return UserFolder("XDG_CONFIG_HOME", ".config"); }

void SetProgramArgument(const char* argv0) {
  std::lock_guard lock(argumentLock);
  programArgument = argv0 != nullptr ? argv0 : "";
}

std::string ProgramFolder() { return FolderWithSlash(ExecutablePath()); }

std::string SettingsFileFor(const std::string& programFolder) {
  const std::string folder = WithoutSlash(programFolder);
  const std::string beside = Join(folder, "scr.ini");
  if (MayWriteFile(beside)) return beside;
  if (MayCreateIn(folder) && !IsInstalledLayout(folder)) return beside;
  const std::string config = UserConfigFolder();
  // Without a home folder there is nowhere better; writes then report
  // that the file beside the program cannot be written.
  if (config.empty()) return beside;
  return config + "/vantora/scr.ini";
}

std::string UserStateFolder() {
  const std::string state = UserFolder("XDG_STATE_HOME", ".local/state");
  return state.empty() ? state : state + "/vantora";
}

std::string DefaultPictureFolderFor(const std::string& programFolder) {
  const std::string folder = WithoutSlash(programFolder);
  if (IsInstalledLayout(folder)) return InstalledPictures(folder);
  return Join(folder, "pics");
}

}  // namespace vantora
