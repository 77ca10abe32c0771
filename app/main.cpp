// Entry: one instance at a time, the run mode from the command line, the
// windows of that mode, and the marker given back when the event loop ends.
// Host mode runs as many copies as the screen-saver host starts, unguarded.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/RunModes.h"
#include "app/Signals.h"
#include "app/Windows.h"
#include "platform/ProgramFolder.h"
#include "platform/SessionEnvironment.h"
#include "platform/SingleInstance.h"

int main(int argc, char** argv) {
  using namespace vantora;
  SetProgramArgument(argc > 0 ? argv[0] : nullptr);
  // Before anything reads the environment: a host may have stripped it.
  CompleteSessionEnvironment();

  const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
  const TRunRequest request = RunRequestOf(arguments, std::getenv("XSCREENSAVER_WINDOW"));
  if (request.Mode == rmHost) {
    const int status = RunHostMode(argc, argv, request.HostWindow, request.HostDisplay,
                                    request.StatsFile);
    TQuitOnSignals::EndBySignalReceived();
    return status;
  }
  if (!request.Problem.empty()) std::fprintf(stderr, "vantora: %s\n", request.Problem.c_str());
  if (request.BadOption) return 2;
  // The daemon keeps a marker of its own: a show or the settings window may
  // run beside it.
  if (request.Mode == rmDaemon)
    return RunDaemonMode(argc, argv, request.WaitSeconds, request.Verbose);

  // Another instance runs (a show, or the settings window): end at once,
  // touching nothing.
  SingleInstance guard;
  if (guard.Find()) return 0;
  const SingleInstance::TAcquireResult taken = guard.Acquire();
  if (taken == SingleInstance::arHeldElsewhere) return 0;
  // Without a safe place for the marker the program runs unguarded rather
  // than never at all, and says so.
  if (taken == SingleInstance::arUnavailable)
    std::fprintf(stderr, "vantora: running without the single-instance guard: %s\n",
                 guard.Error().c_str());

  switch (request.Mode) {
    case rmShow: RunShowMode(argc, argv, request.StatsFile); break;
    case rmConfiguration: RunConfigurationMode(argc, argv); break;
    case rmHost:
    case rmDaemon:
    case rmNone: break;
  }

  guard.Release();
  // Asked to end by a signal: the clean end has run, now die of it, as
  // whoever sent it (a screen-saver host, a shell) expects.
  TQuitOnSignals::EndBySignalReceived();
  return 0;
}
