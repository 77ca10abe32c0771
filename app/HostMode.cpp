// Host mode: the screen-saver host (XScreenSaver, MATE's screensaver) starts
// one copy per monitor, plus one in its preview, each drawing in a window
// the host gives, and ends them with SIGTERM. No single-instance marker, no
// window of our own, no message boxes: errors go to the host's log.

#include <cstdio>
#include <memory>

#include <QApplication>
#include <QByteArray>

#include "app/Signals.h"
#include "app/Windows.h"
#include "platform/ErrorReport.h"
#include "platform/SingleInstance.h"
#include "screens/HostScreen.h"
#include "screens/HostWindow.h"

namespace vantora {

int RunHostMode(int& argc, char** argv, std::uint32_t window, const std::string& display,
                const std::string& statsFile) {
  // The host waits about half a second for its saver to go.
  TQuitOnSignals quitOnSignals(std::chrono::milliseconds(300));
  THostWindow host;
  // Qt takes the same -display option from argv, so both connections reach
  // the one X server.
  if (!host.Open(window, display)) {
    std::fprintf(stderr, "vantora: %s\n", host.Error().c_str());
    return 1;
  }
  // The host's window is an X window, whatever platform the session prefers.
  qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("xcb"));
  QApplication app(argc, argv);
  quitOnSignals.Listen();
  SetErrorReporter([](const QString& text) {
    std::fprintf(stderr, "vantora: %s\n", text.toLocal8Bit().constData());
  });

  // One copy plays the music; the others (further monitors) stay silent.
  SingleInstance musicMarker("HostMusic");
  std::unique_ptr<TMediaPlayerBase> player;
  if (musicMarker.Acquire() != SingleInstance::arAcquired)
    player = std::make_unique<TSilentPlayer>();

  const auto stats = OpenFrameStats(statsFile);
  THostScreen screen(vantora::ProgramFolder(), std::move(player));
  screen.LogFrames(stats.get(), 0);
  host.OnResize = [&screen](QSize pixels) { screen.FollowSize(pixels); };
  host.OnDestroyed = [] { QCoreApplication::exit(0); };
  screen.PlaceIn(host.Window(), host.IsRoot(), host.Size());
  host.Watch();
  app.exec();
  return 0;
}

}  // namespace vantora
