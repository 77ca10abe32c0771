#pragma once
// The folder of the running program file, where the settings file and the
// default picture folder live.

#include <string>

namespace vantora {

// Remembers argv[0], used only when the system cannot name the program file.
void SetProgramArgument(const char* argv0);

// The folder of the program file with a trailing "/": from /proc/self/exe,
// else from the argument given to SetProgramArgument, else "./".
std::string ProgramFolder();

}  // namespace vantora
