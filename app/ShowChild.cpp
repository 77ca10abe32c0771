#include "app/ShowChild.h"

#include <signal.h>

#include <QCoreApplication>

namespace vantora {

TShowChild::TShowChild(bool forwardOutput) {
  FProcess.setProgram(QCoreApplication::applicationFilePath());
  FProcess.setArguments({QStringLiteral("/S")});
  if (forwardOutput) {
    FProcess.setProcessChannelMode(QProcess::ForwardedChannels);
  } else {
    FProcess.setStandardOutputFile(QProcess::nullDevice());
    FProcess.setStandardErrorFile(QProcess::nullDevice());
  }
  FProcess.setStandardInputFile(QProcess::nullDevice());
  // The daemon blocks the signals it takes through a descriptor; the show
  // must get them the ordinary way.
  FProcess.setChildProcessModifier([] {
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
  });
  FKill.setSingleShot(true);
  FKill.setInterval(kGraceMs);
  QObject::connect(&FKill, &QTimer::timeout, [this] { FProcess.kill(); });
  QObject::connect(&FProcess, &QProcess::finished, [this](int status, QProcess::ExitStatus how) {
    FKill.stop();
    if (OnEnded) OnEnded(how == QProcess::NormalExit, status);
  });
}

TShowChild::~TShowChild() {
  FProcess.disconnect();
  if (FProcess.state() != QProcess::NotRunning) {
    FProcess.kill();
    FProcess.waitForFinished(1000);
  }
}

bool TShowChild::Start(std::string& why) {
  if (FProcess.state() != QProcess::NotRunning) {
    why = "the previous show is still ending";
    return false;
  }
  FProcess.start();
  if (!FProcess.waitForStarted(5000)) {
    why = "cannot start the show: " + FProcess.errorString().toStdString();
    return false;
  }
  return true;
}

void TShowChild::Stop() {
  if (FProcess.state() == QProcess::NotRunning) return;
  FProcess.terminate();
  FKill.start();
}

}  // namespace vantora
