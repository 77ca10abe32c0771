#include "app/RunModes.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "settings/SettingKeys.h"

#ifndef VANTORA_VERSION
#error "VANTORA_VERSION comes from the project's version in CMakeLists.txt"
#endif

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

void Fail(TParsedLine& line, const std::string& problem) {
  TRunRequest& request = line.Request;
  if (request.BadOption) return;  // the first mistake is the one shown
  request.BadOption = true;
  request.Problem = problem;
}

// A whole decimal number in lo..hi, or nothing.
std::optional<int> WholeNumber(const std::string& text, int lo, int hi) {
  if (text.empty() || text.size() > 9) return std::nullopt;
  for (char c : text)
    if (c < '0' || c > '9') return std::nullopt;
  const int value = std::atoi(text.c_str());
  if (value < lo || value > hi) return std::nullopt;
  return value;
}

template <class TKey>
void Override(TParsedLine& line, const TKey& key, std::string value) {
  line.Request.Overrides.push_back({key.Section, key.Name, std::move(value)});
}

// The picture folder as an absolute path: "~/" is the home folder (hosts
// run their command lines without a shell), a relative path is taken from
// the current folder. It must be a folder now, or the show would be black.
void TakeFolder(TParsedLine& line, const std::string* value) {
  if (value == nullptr || value->empty()) return Fail(line, "--folder needs a folder");
  std::string path = *value;
  if (path == "~" || path.rfind("~/", 0) == 0) {
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] != '/') return Fail(line, "--folder: HOME is not set");
    path = home + path.substr(1);
  }
  std::error_code error;
  std::filesystem::path absolute = std::filesystem::absolute(path, error);
  if (error || !std::filesystem::is_directory(absolute, error))
    return Fail(line, "--folder: no such folder: " + *value);
  std::string folder = absolute.lexically_normal().string();
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  Override(line, settings::PictureFolder, folder);
}

// Seconds from the start of one picture's transition to the next; the file
// holds milliseconds.
void TakeDelay(TParsedLine& line, const std::string* value) {
  const auto seconds = value ? WholeNumber(*value, 1, 86400) : std::nullopt;
  if (!seconds) return Fail(line, "--delay needs whole seconds from 1 to 86400");
  Override(line, settings::DisplayInterval, std::to_string(*seconds * 1000));
}

void TakeFit(TParsedLine& line, const std::string* value) {
  const char* names[] = {"own", "fit", "stretch"};  // the file's values 0, 1, 2
  for (int i = 0; i < 3; ++i)
    if (value && *value == names[i]) return Override(line, settings::Fitting, std::to_string(i));
  Fail(line, "--fit needs own, fit or stretch");
}

void TakeRandom(TParsedLine& line, const std::string*) { Override(line, settings::ListOrder, "0"); }
void TakeInOrder(TParsedLine& line, const std::string*) {
  Override(line, settings::ListOrder, "1");
}

void TakeRoot(TParsedLine& line, const std::string*) { line.Host = true; }

void TakeWindowId(TParsedLine& line, const std::string* value) {
  line.Host = true;
  line.Window = value ? ParseWindowId(*value) : std::nullopt;
  if (value == nullptr)
    line.HostProblem = "-window-id needs a window id";
  else
    line.HostProblem = line.Window ? "" : "not a window id: \"" + *value + "\"";
}

void TakeDisplay(TParsedLine& line, const std::string* value) {
  if (value) line.Display = *value;
}

void TakeDaemon(TParsedLine& line, const std::string*) { line.Daemon = true; }

void TakeWait(TParsedLine& line, const std::string* value) {
  const auto seconds = value ? WholeNumber(*value, 1, 86400) : std::nullopt;
  if (!seconds) return Fail(line, "--wait needs whole seconds from 1 to 86400");
  line.Request.WaitSeconds = seconds;
}

void TakeVerbose(TParsedLine& line, const std::string*) { line.Request.Verbose = true; }

void TakeStats(TParsedLine& line, const std::string* value) {
  if (value == nullptr || value->empty()) return Fail(line, "--stats needs a file");
  line.Request.StatsFile = *value;
}

void TakeHelp(TParsedLine& line, const std::string*) { line.Help = true; }
void TakeVersion(TParsedLine& line, const std::string*) { line.Version = true; }

const TOption* Find(const std::string& argument, std::string& inlineValue, bool& hasInline) {
  hasInline = false;
  for (const TOption& o : OptionTable()) {
    if (argument == o.Name || (o.ShortForm && argument == o.ShortForm)) return &o;
    // "--name=VALUE", for the GNU form of options that take a value.
    const std::string name = o.Name;
    if (o.Value && argument.size() > name.size() && argument.compare(0, name.size(), name) == 0 &&
        argument[name.size()] == '=') {
      hasInline = true;
      inlineValue = argument.substr(name.size() + 1);
      return &o;
    }
  }
  return nullptr;
}

// Takes the options of the line. Behind a Windows-style switch (runOnly)
// only the options that shape a show count, and a mistake is no error: the
// option is left out.
void TakeOptions(const std::vector<std::string>& arguments, std::size_t from, bool runOnly,
                 TParsedLine& line) {
  // A line of the program's own options has no room for stray words; the
  // hosts' lines ("-root", "-window-id ID") may carry their other switches.
  const bool strict = !runOnly && arguments[from].rfind("--", 0) == 0;
  for (std::size_t i = from; i < arguments.size(); ++i) {
    const std::string& a = arguments[i];
    std::string inlineValue;
    bool hasInline = false;
    const TOption* option = Find(a, inlineValue, hasInline);
    if (option == nullptr) {
      // The hosts' single-dash switches (-fps, -install, ...) mean nothing
      // here; an unknown "--name" is a mistake worth saying.
      if (runOnly) continue;
      if (a.size() > 2 && a.compare(0, 2, "--") == 0)
        Fail(line, "unknown option " + a.substr(0, a.find('=')));
      else if (strict && a.rfind("-", 0) != 0)
        Fail(line, "unexpected argument \"" + a + "\"");
      continue;
    }
    if (runOnly && option->Scope != osRun) {
      if (option->Value && !hasInline) ++i;  // its value is no switch of ours
      continue;
    }
    const std::string* value = nullptr;
    if (option->Value == nullptr) {
      if (hasInline) {
        if (!runOnly) Fail(line, std::string(option->Name) + " takes no value");
        continue;
      }
    } else if (hasInline) {
      value = &inlineValue;
    } else if (i + 1 < arguments.size()) {
      value = &arguments[++i];  // its value is no switch of ours
    }
    if (!runOnly) {
      option->Take(line, value);
      continue;
    }
    TParsedLine trial = line;
    option->Take(trial, value);
    if (!trial.Request.BadOption) line = std::move(trial);
  }
}

}  // namespace

const std::vector<TOption>& OptionTable() {
  static const std::vector<TOption> table = {
      {"--root", "-root", nullptr, osHost,
       "show in the window named by $XSCREENSAVER_WINDOW, or else on the root window", TakeRoot},
      {"--window-id", "-window-id", "ID", osHost,
       "show in the X window ID (decimal or 0x hexadecimal); $XSCREENSAVER_WINDOW still wins",
       TakeWindowId},
      {"--display", "-display", "NAME", osHost, "the X server of --root or --window-id",
       TakeDisplay},
      {"--folder", nullptr, "DIR", osRun, "show the pictures of DIR instead of the chosen folder",
       TakeFolder},
      {"--delay", nullptr, "SECONDS", osRun,
       "time from one picture's change to the next, instead of the chosen one", TakeDelay},
      {"--fit", nullptr, "own|fit|stretch", osRun,
       "pictures at their own size, fitted with their proportions, or stretched", TakeFit},
      {"--random", nullptr, nullptr, osRun, "pictures in random order", TakeRandom},
      {"--in-order", nullptr, nullptr, osRun, "pictures in the folder's order", TakeInOrder},
      {"--stats", nullptr, "FILE", osRun,
       "write a line per frame shown to FILE: screen, time in microseconds, effect", TakeStats},
      {"--daemon", nullptr, nullptr, osAlone,
       "stay in the session and start the show when it has been idle for the wait time",
       TakeDaemon},
      {"--wait", nullptr, "SECONDS", osRun, "the daemon's wait instead of the chosen minutes",
       TakeWait},
      {"--verbose", nullptr, nullptr, osRun, "the daemon writes a line per event to standard error",
       TakeVerbose},
      {"--help", "-h", nullptr, osAlone, "print this help and exit", TakeHelp},
      {"--version", nullptr, nullptr, osAlone, "print the version and exit", TakeVersion},
  };
  return table;
}

TRunRequest RunRequestOf(const std::vector<std::string>& arguments, const char* screensaverWindow) {
  TParsedLine line;
  TRunRequest& request = line.Request;
  if (arguments.empty()) {
    request.Mode = rmConfiguration;
    return request;
  }
  const std::string runSwitch = RunSwitch(arguments.front());
  if (runSwitch == "/S") {
    request.Mode = rmShow;
    TakeOptions(arguments, 1, true, line);
    return request;
  }
  if (runSwitch == "/C") {
    request.Mode = rmConfiguration;
    return request;
  }
  // Another Windows-style switch: the host's preview or password request.
  if (!arguments.front().empty() && arguments.front()[0] == '/') return request;

  TakeOptions(arguments, 0, false, line);
  if (line.Help) {
    TRunRequest help;
    help.Mode = rmHelp;
    return help;
  }
  const bool shapesAShow = !request.Overrides.empty() || !request.StatsFile.empty();
  if (!request.BadOption && line.Daemon && shapesAShow)
    Fail(line, "the daemon's shows take their settings from the settings file");
  if (!request.BadOption && !line.Daemon && !line.Host && !line.Version &&
      (shapesAShow || request.WaitSeconds || request.Verbose))
    Fail(line, "nothing to run: give /S, --root, --window-id or --daemon");
  if (request.BadOption) {
    TRunRequest bad;
    bad.Problem = request.Problem;
    bad.BadOption = true;
    return bad;
  }
  if (line.Version) {
    request.Mode = rmVersion;
    return request;
  }
  if (line.Daemon) {
    request.Mode = rmDaemon;
    return request;
  }
  if (!line.Host) return request;
  // The window the host set in the environment wins over the command line,
  // even over a malformed -window-id.
  if (screensaverWindow != nullptr) {
    if (const auto window = ParseWindowId(screensaverWindow)) {
      request.Mode = rmHost;
      request.HostWindow = *window;
      request.HostDisplay = line.Display;
      return request;
    }
  }
  if (!line.HostProblem.empty()) {
    TRunRequest none;
    none.Problem = line.HostProblem;
    return none;
  }
  request.Mode = rmHost;
  request.HostWindow = line.Window.value_or(0);
  request.HostDisplay = line.Display;
  return request;
}

namespace {

// words broken into lines of at most width columns; the lines after the
// first are indented by indent columns, as the first one already is.
std::string Wrapped(const std::string& words, std::size_t indent, std::size_t width) {
  std::string result;
  std::size_t column = indent, start = 0;
  while (start < words.size()) {
    std::size_t end = words.find(' ', start);
    if (end == std::string::npos) end = words.size();
    const std::string word = words.substr(start, end - start);
    if (column > indent && column + 1 + word.size() > width) {
      result += "\n" + std::string(indent, ' ');
      column = indent;
    } else if (column > indent) {
      result += ' ';
      ++column;
    }
    result += word;
    column += word.size();
    start = end + 1;
  }
  return result;
}

}  // namespace

std::string UsageText(const std::string& programName) {
  std::string text = "Usage: " + programName + " [/S | /C] [OPTION...]\n" +
                     "  or:  " + programName + " --root [OPTION...]\n" +
                     "A photo slideshow screen saver: the pictures of a folder one after another,\n"
                     "each change animated by one of 150 transition effects.\n"
                     "\n"
                     "  /S          run the show full screen (any case; anything may follow)\n"
                     "  /C          open the settings windows; so does no argument at all\n"
                     "  /P, /A      the host's preview and password requests: end at once\n"
                     "\n";
  for (const TOption& o : OptionTable()) {
    std::string names = "  ";
    if (o.ShortForm) names += std::string(o.ShortForm) + ", ";
    names += o.Name;
    if (o.Value) names += std::string(" ") + o.Value;
    if (names.size() < 28)
      names.resize(28, ' ');
    else
      names += "\n" + std::string(28, ' ');
    text += names + Wrapped(o.Help, 28, 79) + "\n";
  }
  text +=
      "\n"
      "--folder, --delay, --fit, --random and --in-order take the place of the\n"
      "settings for this run only; the settings file is not changed.\n"
      "Exit status: 0 when all went well or another instance runs, 1 on an error\n"
      "(no X server, no idle source), 2 on a bad command line.\n";
  return text;
}

std::string UsageHint(const std::string& programName) {
  return "Try '" + programName + " --help' for more information.\n";
}

std::string VersionText(const std::string& programName) {
  return programName + " " VANTORA_VERSION "\n";
}

}  // namespace vantora
