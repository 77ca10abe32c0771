#include "platform/MediaPlayer.h"

#include <stdexcept>

#include <QAudioOutput>
#include <QFileInfo>
#include <QMediaPlayer>
#include <QMetaObject>
#include <QUrl>

#include "platform/ErrorReport.h"

namespace vantora {

TMediaPlayer::TMediaPlayer()
    : FContext(std::make_unique<QObject>()),
      FAudio(std::make_unique<QAudioOutput>()),
      FPlayer(std::make_unique<QMediaPlayer>()) {
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
  FContext.reset();  // no notification reaches a player that is gone
  FPlayer->stop();
  FPlayer->setSource(QUrl());
}

void TMediaPlayer::Open() {
  if (FOpen) Close();
  const QFileInfo info(FFileName);
  if (!info.isFile()) {
    // Nothing to hand to the backend; fail as an open would.
    throw std::runtime_error(
        ("Cannot open the file \"" + FFileName.toStdString() + "\": it does not exist").c_str());
  }
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
  FPlayer->stop();
  if (FPending) EndRequest();  // aborted
}

void TMediaPlayer::Close() {
  Stop();
  FOpen = false;  // what the backend says while unloading is no failure
  FPlayer->setSource(QUrl());
}

TMPModes TMediaPlayer::Mode() const {
  if (!FOpen) return mpNotReady;
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
  const QString message = QStringLiteral("Cannot play the file \"%1\": %2").arg(FFileName, text);
  // Reported from the event loop, outside the backend's signal.
  QMetaObject::invokeMethod(
      FContext.get(), [message] { ReportError(message); }, Qt::QueuedConnection);
}

}  // namespace vantora
