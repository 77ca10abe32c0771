#include "platform/BlankingConflict.h"

#include <xcb/dpms.h>
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>

#include "platform/ProgramFolder.h"

namespace vantora {

namespace {

bool DesktopIs(const char* name) {
  const char* desktop = std::getenv("XDG_CURRENT_DESKTOP");
  return desktop != nullptr && std::string(desktop).find(name) != std::string::npos;
}

// GNOME's idle delay in seconds (0 = never), as gsettings reports it.
std::optional<int> GnomeIdleDelay() {
  FILE* out = ::popen("gsettings get org.gnome.desktop.session idle-delay 2>/dev/null", "r");
  if (out == nullptr) return std::nullopt;
  char line[64] = {};
  const bool read = std::fgets(line, sizeof line, out) != nullptr;
  ::pclose(out);
  unsigned seconds = 0;
  if (!read || std::sscanf(line, "uint32 %u", &seconds) != 1) return std::nullopt;
  return int(seconds);
}

// The keys of one group of a KDE configuration file: groups are written
// "[AC][DPMSControl]", keys "name=value".
std::map<std::string, std::string> KdeGroup(const std::string& file, const std::string& group) {
  std::map<std::string, std::string> keys;
  std::ifstream in(file);
  bool inside = false;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line.front() == '[') {
      inside = line == group;
      continue;
    }
    if (const auto equals = line.find('='); inside && equals != std::string::npos)
      keys[line.substr(0, equals)] = line.substr(equals + 1);
  }
  return keys;
}

int Number(const std::map<std::string, std::string>& keys, const std::string& key, int fallback) {
  const auto it = keys.find(key);
  if (it == keys.end()) return fallback;
  try {
    return std::stoi(it->second);
  } catch (const std::exception&) {
    return fallback;
  }
}

void AddX11Blanking(std::vector<TBlanking>& blanking) {
  const char* display = std::getenv("DISPLAY");
  if (display == nullptr || display[0] == '\0') return;
  xcb_connection_t* c = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(c)) {
    xcb_disconnect(c);
    return;
  }
  if (auto* saver = xcb_get_screen_saver_reply(c, xcb_get_screen_saver(c), nullptr)) {
    blanking.push_back({"X 服务器的屏幕保护（xset s）", saver->timeout});
    std::free(saver);
  }
  const xcb_query_extension_reply_t* dpms = xcb_get_extension_data(c, &xcb_dpms_id);
  if (dpms != nullptr && dpms->present) {
    auto* info = xcb_dpms_info_reply(c, xcb_dpms_info(c), nullptr);
    auto* timeouts = xcb_dpms_get_timeouts_reply(c, xcb_dpms_get_timeouts(c), nullptr);
    if (info != nullptr && timeouts != nullptr && info->state) {
      int first = 0;  // the first of the three power-saving steps that is on
      for (int t : {timeouts->standby_timeout, timeouts->suspend_timeout, timeouts->off_timeout})
        if (t > 0 && (first == 0 || t < first)) first = t;
      blanking.push_back({"X 服务器的显示器节能（xset dpms）", first});
    }
    std::free(info);
    std::free(timeouts);
  }
  xcb_disconnect(c);
}

}  // namespace

std::vector<TBlanking> KdeBlanking(const std::string& configFolder) {
  std::vector<TBlanking> blanking;
  const auto dpms = KdeGroup(configFolder + "/powermanagementprofilesrc", "[AC][DPMSControl]");
  if (!dpms.empty())
    blanking.push_back({"KDE 系统设置 › 电源管理 › 节能 › 屏幕节能", Number(dpms, "idleTime", 0)});
  // The screen locker locks after 5 minutes unless told otherwise.
  const auto locker = KdeGroup(configFolder + "/kscreenlockerrc", "[Daemon]");
  const auto autolock = locker.find("Autolock");
  if (autolock == locker.end() || autolock->second != "false")
    blanking.push_back({"KDE 系统设置 › 锁屏 › 自动锁定屏幕", Number(locker, "Timeout", 5) * 60});
  return blanking;
}

std::vector<TBlanking> DesktopBlanking(const std::string& configFolder) {
  std::vector<TBlanking> blanking;
  if (DesktopIs("GNOME"))
    if (const std::optional<int> delay = GnomeIdleDelay())
      blanking.push_back({"GNOME 设置 › 电源 › 息屏（gsettings set org.gnome.desktop.session idle-delay）",
                          *delay});
  if (DesktopIs("KDE"))
    for (TBlanking& b : KdeBlanking(configFolder.empty() ? UserConfigFolder() : configFolder))
      blanking.push_back(std::move(b));
  const char* session = std::getenv("XDG_SESSION_TYPE");
  if (session == nullptr || std::string(session) != "wayland") AddX11Blanking(blanking);
  return blanking;
}

std::string BlankingConflictText(const std::vector<TBlanking>& blanking, int waitSeconds) {
  const TBlanking* earliest = nullptr;
  for (const TBlanking& b : blanking)
    if (b.Seconds > 0 && b.Seconds < waitSeconds && (earliest == nullptr || b.Seconds < earliest->Seconds))
      earliest = &b;
  if (earliest == nullptr) return {};
  return "桌面在无操作 " + std::to_string(earliest->Seconds) + " 秒后就关闭或锁定屏幕，早于屏保的等待时间 " +
         std::to_string(waitSeconds) + " 秒，屏保将看不到。请调长或关闭：" + earliest->Setting;
}

std::string BlankingConflict(int waitSeconds) {
  return BlankingConflictText(DesktopBlanking(), waitSeconds);
}

}  // namespace vantora
