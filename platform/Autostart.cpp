#include "platform/Autostart.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <system_error>

#include "platform/ProgramFolder.h"
#include "settings/AtomicFile.h"

namespace vantora {

namespace {

// The file "vantora" in the folders of PATH, as a shell would find it.
std::string OnPath(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::istringstream folders(path != nullptr ? path : "");
  for (std::string folder; std::getline(folders, folder, ':');) {
    if (folder.empty() || folder[0] != '/') continue;
    const std::string candidate = folder + "/" + name;
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return {};
}

bool SameFile(const std::string& a, const std::string& b) {
  std::error_code ec;
  return std::filesystem::equivalent(a, b, ec) && !ec;
}

// An argument of a desktop entry's Exec key: quoted when it holds anything
// beyond plain path characters, with the characters the quoting rules
// reserve escaped.
std::string ExecArgument(const std::string& argument) {
  const bool plain = argument.find_first_not_of(
                         "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789/._+-") ==
                     std::string::npos;
  if (plain) return argument;
  std::string quoted = "\"";
  for (char c : argument) {
    // The quoting rule escapes these with a backslash, and the string rule
    // then doubles every backslash: a literal backslash takes four.
    if (c == '\\')
      quoted += "\\\\\\";
    else if (c == '"' || c == '`' || c == '$')
      quoted += "\\\\";
    else if (c == '%')
      quoted += '%';  // a literal percent sign is written twice
    quoted += c;
  }
  return quoted + "\"";
}

}  // namespace

std::string AutostartEntryPath() {
  const std::string config = UserConfigFolder();
  return config.empty() ? "" : config + "/autostart/vantora-daemon.desktop";
}

std::string AutostartEntryText(const std::string& command) {
  return "[Desktop Entry]\n"
         "Type=Application\n"
         "Name=Vantora\n"
         "Name[zh_CN]=Vantora 图片屏幕保护程序\n"
         "Comment=Starts the photo slideshow when the session is idle\n"
         "Comment[zh_CN]=会话空闲时开始放映图片\n"
         "Exec=" + command + "\n"
         "Icon=vantora\n"
         "Terminal=false\n"
         "NoDisplay=true\n"
         "X-GNOME-Autostart-enabled=true\n";
}

std::string DaemonCommand(const std::string& programFile) {
  const std::string found = OnPath("vantora");
  if (!found.empty() && SameFile(found, programFile)) return "vantora --daemon";
  return ExecArgument(programFile) + " --daemon";
}

bool SetAutostart(bool on, const std::string& command, std::string& error) {
  const std::string path = AutostartEntryPath();
  if (path.empty()) {
    error = "no home folder for the autostart entry";
    return false;
  }
  try {
    if (on) {
      ReplaceWholeFile(path, AutostartEntryText(command));
    } else if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
      throw std::system_error(errno, std::generic_category(), path);
    }
  } catch (const std::system_error& e) {
    error = e.what();
    return false;
  }
  return true;
}

bool AutostartEnabled() {
  const std::string path = AutostartEntryPath();
  struct stat st {};
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace vantora
