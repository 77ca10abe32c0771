#include "platform/MediaPlayer.h"

#include <stdexcept>

#include <QAudioOutput>
#include <QFileInfo>
#include <QMediaPlayer>
#include <QMetaObject>
#include <QUrl>

#include "platform/ErrorReport.h"
#include "platform/RegularFile.h"

namespace vantora {

QString CannotPlayMessage(const QString& fileName, const QString& backendText) {
  QString message = QStringLiteral("无法播放音乐文件“%1”。").arg(fileName);
  if (!backendText.isEmpty()) message += u'\n' + backendText;
  return message;
}

TMediaPlayer::TMediaPlayer() : FContext(std::make_unique<QObject>()) {}

void TMediaPlayer::MakeBackend() {
  if (FPlayer) return;
  FAudio = std::make_unique<QAudioOutput>();
  FPlayer = std::make_unique<QMediaPlayer>();
  // Without an audio output the backend calls every file invalid.
  FPlayer->setAudioOutput(FAudio.get());
  QObject::connect(FPlayer.get(), &QMediaPlayer::mediaStatusChanged, FContext.get(),
                   [this](QMediaPlayer::MediaStatus status) {
                     if (status == QMediaPlayer::EndOfMedia) EndRequest();
                   });
  QObject::connect(FPlayer.get(), &QMediaPlayer::errorOccurred, FContext.get(),
                   [this](QMediaPlayer::Error, const QString& text) { Failed(text); });
}

TMediaPlayer::~TMediaPlayer() {
  OnNotify = nullptr;
  OnFailed = nullptr;
  FContext.reset();  // no notification reaches a player that is gone
  if (!FPlayer) return;
  FPlayer->stop();
  FPlayer->setSource(QUrl());
}

void TMediaPlayer::Open() {
  if (FOpen) Close();
  const QFileInfo info(FFileName);
  if (!IsRegularFile(FFileName)) {
    // Nothing to hand to the backend (a pipe or a device would keep it
    // reading forever); fail as an open would.
    throw std::runtime_error(
        CannotPlayMessage(FFileName, QStringLiteral("文件不存在，或不是普通文件。")).toStdString());
  }
  MakeBackend();
  FErrorReported = false;
  FOpen = true;
  // The backend loads the file in the background; a file it cannot play is
  // reported when it finds out (errorOccurred), which also ends the play
  // request that may be pending by then.
  FPlayer->setSource(QUrl::fromLocalFile(info.absoluteFilePath()));
}

void TMediaPlayer::Play() {
  if (!FOpen) throw std::runtime_error("The media player has no open file");
  if (FPending) EndRequest();  // superseded
  if (FPlayer->mediaStatus() == QMediaPlayer::EndOfMedia) FPlayer->setPosition(0);
  FPending = true;
  FPlayer->play();
}

void TMediaPlayer::Stop() {
  if (FPlayer) FPlayer->stop();
  if (FPending) EndRequest();  // aborted
}

void TMediaPlayer::Close() {
  Stop();
  FOpen = false;  // what the backend says while unloading is no failure
  if (FPlayer) FPlayer->setSource(QUrl());
}

TMPModes TMediaPlayer::Mode() const {
  if (!FOpen || !FPlayer) return mpNotReady;
  switch (FPlayer->playbackState()) {
    case QMediaPlayer::PlayingState: return mpPlaying;
    case QMediaPlayer::PausedState: return mpPaused;
    default: return mpStopped;
  }
}

void TMediaPlayer::EndRequest() {
  if (!FPending) return;
  FPending = false;
  // Posted, so the handler never runs inside Play, Stop or Close.
  QMetaObject::invokeMethod(
      FContext.get(),
      [this] {
        if (OnNotify) OnNotify();
      },
      Qt::QueuedConnection);
}

void TMediaPlayer::Failed(const QString& text) {
  if (!FOpen) return;
  FPlayer->stop();
  EndRequest();
  if (FErrorReported) return;  // the backend often adds follow-up errors
  FErrorReported = true;
  const QString file = FFileName;
  const QString message = CannotPlayMessage(file, text);
  // Reported from the event loop, outside the backend's signal.
  QMetaObject::invokeMethod(
      FContext.get(),
      [this, file, message] {
        if (OnFailed)
          OnFailed(file, message);
        else
          ReportError(message);
      },
      Qt::QueuedConnection);
}

}  // namespace vantora
