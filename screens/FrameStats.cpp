#include "screens/FrameStats.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace vantora {

TFrameStats::TFrameStats(const std::string& path) {
  FFile = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (FFile < 0) FError = path + ": " + std::strerror(errno);
}

TFrameStats::~TFrameStats() {
  if (FFile >= 0) ::close(FFile);
}

std::int64_t TFrameStats::Now() {
  timespec t{};
  ::clock_gettime(CLOCK_MONOTONIC, &t);
  return std::int64_t(t.tv_sec) * 1000000 + t.tv_nsec / 1000;
}

void TFrameStats::Frame(int screen, int effect) { Frame(screen, effect, Now()); }

void TFrameStats::Frame(int screen, int effect, std::int64_t micros) {
  if (FFile < 0) return;
  char line[64];
  const int n = std::snprintf(line, sizeof line, "%d %lld %d\n", screen, (long long)micros, effect);
  std::lock_guard<std::mutex> lock(FLock);
  // A full disk loses lines, never the show.
  for (int done = 0; done < n;) {
    const ssize_t w = ::write(FFile, line + done, std::size_t(n - done));
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) return;
    done += int(w);
  }
}

}  // namespace vantora
