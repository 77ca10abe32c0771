#pragma once
// The frame log of --stats: one line per transition frame put on screen,
// "SCREEN_INDEX MONOTONIC_MICROSECONDS EFFECT_NUMBER", written as the frame
// is shown. Each line goes to the file with one write of its own, so the
// file is complete however the program ends (also when a deadline cuts a
// clean end short) and lines of several screens never mix.

#include <cstdint>
#include <mutex>
#include <string>

namespace vantora {

class TFrameStats {
 public:
  // Creates (or empties) the file; Error says why when it cannot.
  explicit TFrameStats(const std::string& path);
  ~TFrameStats();
  TFrameStats(const TFrameStats&) = delete;
  TFrameStats& operator=(const TFrameStats&) = delete;

  bool IsOpen() const { return FFile >= 0; }
  const std::string& Error() const { return FError; }

  // A frame of effect effect is on screen screen now. Any thread.
  void Frame(int screen, int effect);
  // The same at a given time (microseconds of the monotonic clock).
  void Frame(int screen, int effect, std::int64_t micros);

  // Microseconds of the monotonic clock.
  static std::int64_t Now();

 private:
  int FFile = -1;
  std::string FError;
  std::mutex FLock;  // one line at a time
};

}  // namespace vantora
