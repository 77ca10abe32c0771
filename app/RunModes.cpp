#include "app/RunModes.h"

namespace vantora {

std::string RunSwitch(const std::string& firstArgument) {
  std::string result = firstArgument.substr(0, 2);
  for (char& c : result)
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
  return result;
}

TRunMode RunModeOf(const std::vector<std::string>& arguments) {
  if (arguments.empty()) return rmConfiguration;
  const std::string runSwitch = RunSwitch(arguments.front());
  if (runSwitch == "/S") return rmShow;
  if (runSwitch == "/C") return rmConfiguration;
  return rmNone;
}

}  // namespace vantora
