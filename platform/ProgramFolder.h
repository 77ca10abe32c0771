#pragma once
// The folder of the running program file, and where the settings file and
// the default picture folder of a program in a given folder live.

#include <string>

namespace vantora {

// Remembers argv[0], used only when the system cannot name the program file.
void SetProgramArgument(const char* argv0);

// The folder of the program file with a trailing "/": from /proc/self/exe,
// else from the argument given to SetProgramArgument, else "./".
std::string ProgramFolder();

// The settings file of a program in programFolder (with or without its
// trailing "/").
//
// A portable copy and the build tree keep "scr.ini" beside the program
// file: that file is used when it exists and may be written, or when the
// folder may be written and is not an installed program's. An installed
// program (its folder unwritable, or beside "../share/vantora/pics" without
// a "pics" of its own, which also keeps root's settings out of /usr/bin)
// keeps it in the user's configuration folder,
// $XDG_CONFIG_HOME/vantora/scr.ini or ~/.config/vantora/scr.ini; the first
// write creates that folder.
std::string SettingsFileFor(const std::string& programFolder);

// The picture folder that an empty "dir" setting means, without a trailing
// separator: "pics" beside the program file, or for an installed program
// the installed demo pictures, "../share/vantora/pics" from its folder.
std::string DefaultPictureFolderFor(const std::string& programFolder);

// Where the program keeps what it remembers between runs that is no setting
// (where the shuffled order of the pictures stands):
// $XDG_STATE_HOME/vantora or ~/.local/state/vantora, without a trailing "/".
// Empty when no home folder is known. Nothing is created here.
std::string UserStateFolder();

// The user's configuration folder without a trailing separator:
// $XDG_CONFIG_HOME when it is an absolute path, else ~/.config. Empty when
// no home folder is known.
std::string UserConfigFolder();

}  // namespace vantora
