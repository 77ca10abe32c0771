#pragma once
// The run switch of the command line and the run mode it selects.

#include <string>
#include <vector>

namespace vantora {

enum TRunMode {
  rmNone,  // no window: the program ends at once
  rmShow,  // the full-screen show
  rmConfiguration,  // the settings window and its dialogs
};

// The first two characters of the first argument, upper-cased (fewer when
// the argument is shorter). Anything behind them, such as ":1234" or a
// window handle, and every further argument are ignored.
std::string RunSwitch(const std::string& firstArgument);

// arguments: the command-line arguments after the program name. No argument
// at all selects configuration; otherwise "/S" selects the show and "/C"
// configuration, after upper-casing; anything else (the host's preview "/P"
// or password "/A" requests, "-s", "") selects nothing.
TRunMode RunModeOf(const std::vector<std::string>& arguments);

}  // namespace vantora
