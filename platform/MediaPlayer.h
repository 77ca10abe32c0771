#pragma once
// The media player behind a window's music: one open file at a time, played
// without waiting, with a notification at the end of every play request.
//
// TMediaPlayerBase is the narrow interface the screens use (tests put a
// stub behind it); TMediaPlayer plays through Qt Multimedia.

#include <functional>
#include <memory>

#include <QString>

class QAudioOutput;
class QMediaPlayer;
class QObject;

namespace vantora {

enum TMPModes { mpNotReady, mpStopped, mpPlaying, mpRecording, mpSeeking, mpPaused, mpOpen };

class TMediaPlayerBase {
 public:
  virtual ~TMediaPlayerBase() = default;

  // The file the next Open uses.
  virtual void SetFileName(const QString& fileName) = 0;
  virtual QString FileName() const = 0;
  // Closes an open file first, then opens FileName. A file that cannot be
  // played is reported through the application's error report.
  virtual void Open() = 0;
  // Plays from the current position (from the start after an end) and
  // returns at once; OnNotify follows when this request ends.
  virtual void Play() = 0;
  // Stops; a pending play request ends and still notifies.
  virtual void Stop() = 0;
  virtual void Close() = 0;
  virtual TMPModes Mode() const = 0;

  // Raised, posted to the event loop, once for every play request that ends:
  // completed, superseded by another Play, aborted by Stop or Close, failed.
  std::function<void()> OnNotify;
  // Raised, posted to the event loop, when the backend finds it cannot play
  // the open file: the file and the message for the user. When it is not
  // set, the message goes to the application's error report.
  std::function<void(const QString& fileName, const QString& message)> OnFailed;
};

// The message for a file that cannot be played: the program's own words
// naming the file, the backend's text (if any) on a line of its own.
QString CannotPlayMessage(const QString& fileName, const QString& backendText = QString());

// The audio output and the backend are made at the first Open, so a window
// without music never opens the sound system (nor makes it complain when
// there is none).
class TMediaPlayer : public TMediaPlayerBase {
 public:
  TMediaPlayer();
  ~TMediaPlayer() override;  // closes the file, which ends any music

  void SetFileName(const QString& fileName) override { FFileName = fileName; }
  QString FileName() const override { return FFileName; }
  void Open() override;
  void Play() override;
  void Stop() override;
  void Close() override;
  TMPModes Mode() const override;

 private:
  void EndRequest();
  void Failed(const QString& text);
  void MakeBackend();

  QString FFileName;
  bool FOpen = false;
  bool FPending = false;  // a play request waits for its notification
  bool FErrorReported = false;  // one report per opened file
  std::unique_ptr<QObject> FContext;  // owns the connections and the posts
  std::unique_ptr<QAudioOutput> FAudio;
  std::unique_ptr<QMediaPlayer> FPlayer;
};

}  // namespace vantora
