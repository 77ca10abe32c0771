// Daemon mode: one per session (a marker of its own, not the show's), no
// window, no pictures; it starts the show as a child process when the
// session has been idle for the wait time.

#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <memory>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>

#include "app/Daemon.h"
#include "app/ShowChild.h"
#include "app/Windows.h"
#include "platform/BlankingConflict.h"
#include "platform/DaemonControl.h"
#include "platform/IdleSource.h"
#include "platform/ProgramFolder.h"
#include "platform/SessionState.h"
#include "platform/SingleInstance.h"
#include "settings/IniFile.h"
#include "settings/SettingKeys.h"

namespace vantora {

namespace {

constexpr int kRetryMs = 30'000;

void Say(const std::string& line) { std::fprintf(stderr, "vantora: %s\n", line.c_str()); }

// [saver] wait in minutes; read afresh for each wait. A value outside its
// range reads as the default.
int StoredWaitSeconds() {
  const TIntSetting& key = settings::SaverWait;
  int minutes = key.Default;
  try {
    minutes = ReadSetting(TIniFile(SettingsFileFor(ProgramFolder())), key);
  } catch (const std::exception&) {
  }
  if (minutes < key.Min || minutes > key.Max) minutes = key.Default;
  return minutes * 60;
}

// SIGTERM, SIGINT and SIGHUP, taken through a descriptor the event loop
// watches, so the daemon can end its show before it ends itself.
class TSignals {
 public:
  TSignals() {
    sigemptyset(&FSet);
    for (int s : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&FSet, s);
    ::sigprocmask(SIG_BLOCK, &FSet, nullptr);
    FFd = ::signalfd(-1, &FSet, SFD_CLOEXEC | SFD_NONBLOCK);
  }
  ~TSignals() {
    FNotifier.reset();
    if (FFd >= 0) ::close(FFd);
    ::sigprocmask(SIG_UNBLOCK, &FSet, nullptr);
  }
  bool Valid() const { return FFd >= 0; }
  void Listen(std::function<void()> onSignal) {
    FNotifier = std::make_unique<QSocketNotifier>(FFd, QSocketNotifier::Read);
    QObject::connect(FNotifier.get(), &QSocketNotifier::activated, [this, onSignal] {
      signalfd_siginfo info;
      while (::read(FFd, &info, sizeof info) == ssize_t(sizeof info)) {
      }
      onSignal();
    });
  }

 private:
  sigset_t FSet;
  int FFd = -1;
  std::unique_ptr<QSocketNotifier> FNotifier;
};

}  // namespace

int RunDaemonMode(int& argc, char** argv, std::optional<int> waitSeconds, bool verbose) {
  // Blocked before anything else, so a signal in the first moments is not lost.
  TSignals quitSignals;
  if (!quitSignals.Valid()) {
    Say("cannot take signals through a descriptor");
    return 1;
  }
  SingleInstance marker(kDaemonMarker);
  switch (marker.Acquire()) {
    case SingleInstance::arAcquired: break;
    case SingleInstance::arHeldElsewhere:
      Say("a daemon already runs for this session (process " +
          std::to_string(marker.HolderPid()) + ")");
      return 0;
    case SingleInstance::arUnavailable: Say("no daemon marker: " + marker.Error()); return 1;
  }

  QCoreApplication app(argc, argv);
  const auto log = [verbose](const std::string& line) {
    if (verbose) std::fprintf(stderr, "%s\n", line.c_str());
  };

  TIdleSourceChoice choice = ChooseIdleSource(SessionIdleSources());
  for (const auto& [name, why] : choice.Failures)
    if (choice.Source) log("not used: " + name + ": " + why);
  if (!choice.Source) {
    Say("no idle source in this session (" + choice.FailureText() + ")");
    return 1;
  }

  TLogindSession session;
  if (!session.Found()) log("session: " + session.Why() + "; counted as active and unlocked");
  if (const std::string other = OtherSaverRunning(); !other.empty())
    Say(other + " runs this user's screen saver: no show starts from here while it runs");

  const auto wait = [waitSeconds] { return waitSeconds.value_or(StoredWaitSeconds()); };
  if (const std::string conflict = BlankingConflict(wait()); !conflict.empty())
    log("blanking: " + conflict);

  TShowChild show(verbose);
  TDaemon daemon(*choice.Source, show);
  daemon.WaitSeconds = wait;
  daemon.OnError = Say;
  daemon.WhyNoShow = [&session]() -> std::string {
    if (session.Locked()) return "session locked";
    if (!session.Active()) return "session not active";
    if (IdleInhibited()) return "idle inhibited";
    // A show started now would end at once, beside the settings window or a
    // show the user started.
    if (SingleInstance().Find()) return "another Vantora window is open";
    if (const std::string other = OtherSaverRunning(); !other.empty()) return other + " runs";
    return {};
  };
  session.OnLeft = [&daemon](const std::string& reason) { daemon.SessionLeft(reason); };
  daemon.OnFinished = [](int status) { QCoreApplication::exit(status); };
  quitSignals.Listen([&daemon] { daemon.Quit("signal"); });

  // While a show is held back, the session is asked again now and then; a
  // daemon that waits or shows has no timer running.
  QTimer retry;
  retry.setInterval(kRetryMs);
  retry.setTimerType(Qt::VeryCoarseTimer);
  QObject::connect(&retry, &QTimer::timeout, [&daemon] { daemon.Retry(); });
  const auto followHeld = [&daemon, &retry] {
    if (daemon.Held() != retry.isActive()) daemon.Held() ? retry.start() : retry.stop();
  };
  daemon.OnLog = [log, followHeld](const std::string& line) {
    log(line);
    followHeld();  // every change of state writes a line
  };

  daemon.Begin();
  return app.exec();
}

}  // namespace vantora
