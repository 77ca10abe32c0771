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
#include "settings/IniFile.h"

int main(int argc, char** argv) {
  using namespace vantora;
  SetProgramArgument(argc > 0 ? argv[0] : nullptr);
  // Before anything reads the environment: a host may have stripped it.
  CompleteSessionEnvironment();

  const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
  const TRunRequest request = RunRequestOf(arguments, std::getenv("XSCREENSAVER_WINDOW"));
  if (request.Mode == rmHelp) return std::fputs(UsageText("vantora").c_str(), stdout) < 0 ? 1 : 0;
  if (request.Mode == rmVersion)
    return std::fputs(VersionText("vantora").c_str(), stdout) < 0 ? 1 : 0;
  if (request.BadOption) {
    std::fprintf(stderr, "vantora: %s\n%s", request.Problem.c_str(), UsageHint("vantora").c_str());
    return 2;
  }
  // The show's options take the place of the settings for this run; the
  // settings windows, which write the file, never get any.
  std::vector<TIniFile::TOverlayValue> overlay;
  for (const TSettingOverride& o : request.Overrides) overlay.push_back({o.Section, o.Key, o.Value});
  TIniFile::SetReadOverlay(std::move(overlay));

  if (request.Mode == rmHost) {
    const int status = RunHostMode(argc, argv, request.HostWindow, request.HostDisplay,
                                    request.StatsFile);
    TQuitOnSignals::EndBySignalReceived();
    return status;
  }
  if (!request.Problem.empty()) std::fprintf(stderr, "vantora: %s\n", request.Problem.c_str());
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
    default: break;  // host mode and the daemon returned above
  }

  guard.Release();
  // Asked to end by a signal: the clean end has run, now die of it, as
  // whoever sent it (a screen-saver host, a shell) expects.
  TQuitOnSignals::EndBySignalReceived();
  return 0;
}
