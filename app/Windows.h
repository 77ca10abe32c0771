#pragma once
// The windows of each run mode: each function initialises the application,
// creates the mode's windows in their fixed order, shows the main window and
// runs the event loop until the main window closes.

namespace vantora {

void RunShowMode(int& argc, char** argv);
void RunConfigurationMode(int& argc, char** argv);

}  // namespace vantora
