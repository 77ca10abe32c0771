#include "app/RunModes.h"

#include <cerrno>
#include <charconv>
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

// The program's own options: one entry each. Apply gets the option's value
// (empty when it takes none) and returns why it cannot be followed, or empty.
struct TOption {
  const char* Name;
  bool TakesValue;
  std::string (*Apply)(TRunRequest& request, const std::string& value);
};

// The wait is given in seconds for trials and tests; one day at most.
constexpr int kMaxWaitSeconds = 24 * 60 * 60;

const TOption kOptions[] = {
    {"--daemon", false,
     [](TRunRequest& r, const std::string&) {
       r.Mode = rmDaemon;
       return std::string();
     }},
    {"--wait", true,
     [](TRunRequest& r, const std::string& value) {
       int seconds = 0;
       const char* end = value.data() + value.size();
       const auto [stop, error] = std::from_chars(value.data(), end, seconds);
       if (value.empty() || error != std::errc() || stop != end || seconds < 1 ||
           seconds > kMaxWaitSeconds)
         return "--wait needs a number of seconds from 1 to " + std::to_string(kMaxWaitSeconds) +
                ", not \"" + value + "\"";
       r.WaitSeconds = seconds;
       return std::string();
     }},
    {"--verbose", false,
     [](TRunRequest& r, const std::string&) {
       r.Verbose = true;
       return std::string();
     }},
};

const TOption* OptionNamed(const std::string& argument) {
  for (const TOption& option : kOptions)
    if (argument == option.Name) return &option;
  return nullptr;
}

TRunRequest BadOption(const std::string& problem) {
  TRunRequest request;
  request.Problem = problem;
  request.BadOption = true;
  return request;
}

// The whole line as the program's own options. "--name=value" is accepted
// for options that take a value.
TRunRequest OptionsRequestOf(const std::vector<std::string>& arguments) {
  TRunRequest request;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    std::string name = arguments[i], value;
    bool inlineValue = false;
    if (const auto equals = name.find('='); equals != std::string::npos) {
      value = name.substr(equals + 1);
      name.resize(equals);
      inlineValue = true;
    }
    const TOption* option = OptionNamed(name);
    std::string problem;
    if (option == nullptr)
      problem = "unknown option \"" + arguments[i] + "\"";
    else if (option->TakesValue && !inlineValue && i + 1 == arguments.size())
      problem = name + " needs a value";
    else if (!option->TakesValue && inlineValue)
      problem = name + " takes no value";
    else
      problem = option->Apply(request, option->TakesValue && !inlineValue ? arguments[++i] : value);
    if (!problem.empty()) return BadOption(problem);
  }
  // Options that only tune a mode select none by themselves.
  if (request.Mode == rmNone)
    return BadOption("no run mode: give --daemon");
  return request;
}

// "--stats FILE" (or "--stats=FILE") may stand anywhere beside the run
// switch: it is taken out of the line, which is then read as without it.
// A "--stats" without a file names none.
std::vector<std::string> WithoutStats(const std::vector<std::string>& arguments,
                                      std::string& statsFile) {
  std::vector<std::string> rest;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    if (arguments[i] == "--stats") {
      if (i + 1 < arguments.size()) statsFile = arguments[++i];
    } else if (arguments[i].rfind("--stats=", 0) == 0) {
      statsFile = arguments[i].substr(8);
    } else {
      rest.push_back(arguments[i]);
    }
  }
  return rest;
}

// The run mode and its options, "--stats" aside.
TRunRequest RunModeOf(const std::vector<std::string>& arguments, const char* screensaverWindow) {
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
  const std::string& first = arguments.front();
  if (OptionNamed(first.substr(0, first.find('='))) != nullptr) return OptionsRequestOf(arguments);
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

}  // namespace

TRunRequest RunRequestOf(const std::vector<std::string>& arguments, const char* screensaverWindow) {
  std::string statsFile;
  const std::vector<std::string> rest = WithoutStats(arguments, statsFile);
  // "--stats" alone selects nothing (not the settings windows).
  if (rest.empty() && !arguments.empty()) return {};
  TRunRequest request = RunModeOf(rest, screensaverWindow);
  if (request.Mode == rmShow || request.Mode == rmHost) request.StatsFile = statsFile;
  return request;
}

}  // namespace vantora
