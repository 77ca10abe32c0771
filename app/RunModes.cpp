#include "app/RunModes.h"

#include <cerrno>
#include <cstdlib>

namespace vantora {

std::string RunSwitch(const std::string& firstArgument) {
  std::string result = firstArgument.substr(0, 2);
  for (char& c : result)
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
  return result;
}

std::optional<std::uint32_t> ParseWindowId(const std::string& text) {
  if (text.empty()) return std::nullopt;
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const std::string digits = hex ? text.substr(2) : text;
  for (char c : digits) {
    const bool decimal = c >= '0' && c <= '9';
    const bool hexDigit = (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    if (!decimal && !(hex && hexDigit)) return std::nullopt;  // also signs and spaces
  }
  if (digits.empty() || digits.size() > 20) return std::nullopt;
  errno = 0;
  const unsigned long long value = std::strtoull(digits.c_str(), nullptr, hex ? 16 : 10);
  if (errno != 0 || value == 0 || value > 0xFFFFFFFFull) return std::nullopt;
  return std::uint32_t(value);
}

namespace {

// The host switches anywhere on the line: whether one was given, and the
// window that -window-id names (nothing for -root alone).
struct THostSwitches {
  bool Given = false;
  std::optional<std::uint32_t> Window;
  std::string Display;
  std::string Problem;
};

THostSwitches HostSwitchesOf(const std::vector<std::string>& arguments) {
  THostSwitches result;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& a = arguments[i];
    if (a == "-root" || a == "--root") {
      result.Given = true;
      continue;
    }
    if ((a == "-display" || a == "--display") && i + 1 < arguments.size()) {
      result.Display = arguments[++i];  // its value is no switch of ours
      continue;
    }
    std::string id;
    if (a == "-window-id" || a == "--window-id") {
      if (i + 1 == arguments.size()) {
        result.Given = true;
        result.Problem = a + " needs a window id";
        continue;
      }
      id = arguments[++i];
    } else if (a.rfind("--window-id=", 0) == 0) {
      id = a.substr(12);
    } else {
      continue;  // the hosts' other switches (-fps, -install, ...) mean nothing here
    }
    result.Given = true;
    result.Window = ParseWindowId(id);
    result.Problem = result.Window ? "" : "not a window id: \"" + id + "\"";
  }
  return result;
}

}  // namespace

TRunRequest RunRequestOf(const std::vector<std::string>& arguments, const char* screensaverWindow) {
  TRunRequest request;
  if (arguments.empty()) {
    request.Mode = rmConfiguration;
    return request;
  }
  const std::string runSwitch = RunSwitch(arguments.front());
  if (runSwitch == "/S") {
    request.Mode = rmShow;
    return request;
  }
  if (runSwitch == "/C") {
    request.Mode = rmConfiguration;
    return request;
  }
  const THostSwitches host = HostSwitchesOf(arguments);
  if (!host.Given) return request;
  // The window the host set in the environment wins over the command line,
  // even over a malformed -window-id.
  if (screensaverWindow != nullptr) {
    if (const auto window = ParseWindowId(screensaverWindow)) {
      request.Mode = rmHost;
      request.HostWindow = *window;
      request.HostDisplay = host.Display;
      return request;
    }
  }
  if (!host.Problem.empty()) {
    request.Problem = host.Problem;
    return request;
  }
  request.Mode = rmHost;
  request.HostWindow = host.Window.value_or(0);
  request.HostDisplay = host.Display;
  return request;
}

}  // namespace vantora
