// The frame log of --stats: whole lines of three numbers, also while the
// program still runs and when several screens' workers write at once.

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <QTemporaryDir>

#include "screens/FrameStats.h"

using namespace vantora;

namespace {

std::vector<std::string> Lines(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(FrameStats, EveryFrameIsALineOnDiskAtOnceAndLinesNeverMix) {
  QTemporaryDir dir;
  const std::string path = dir.filePath("frames.txt").toStdString();
  TFrameStats stats(path);
  ASSERT_TRUE(stats.IsOpen()) << stats.Error();
  stats.Frame(1, 150, 1234567);
  // On disk before the log is closed: a deadline may end the process hard.
  EXPECT_EQ(Lines(path), std::vector<std::string>{"1 1234567 150"});

  constexpr int kFrames = 2000;
  std::vector<std::thread> screens;
  for (int screen = 0; screen < 2; ++screen)
    screens.emplace_back([&stats, screen] {
      for (int i = 0; i < kFrames; ++i) stats.Frame(screen, i % 151);
    });
  for (auto& t : screens) t.join();
  const auto lines = Lines(path);
  ASSERT_EQ(lines.size(), 1u + 2 * kFrames);
  std::map<int, std::int64_t> last;  // per screen, the time of its last frame
  std::map<int, int> count;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    std::istringstream in(lines[i]);
    int screen = -1, effect = -1;
    std::int64_t micros = -1;
    std::string rest;
    ASSERT_TRUE(in >> screen >> micros >> effect) << lines[i];
    EXPECT_FALSE(in >> rest) << lines[i];
    ASSERT_TRUE(screen == 0 || screen == 1) << lines[i];
    EXPECT_EQ(effect, count[screen] % 151) << lines[i];
    EXPECT_GE(micros, last[screen]) << lines[i];  // monotonic per screen
    last[screen] = micros;
    ++count[screen];
  }
  EXPECT_EQ(count[0], kFrames);
  EXPECT_EQ(count[1], kFrames);
}

TEST(FrameStats, AFileThatCannotBeWrittenIsReportedAndLogsNothing) {
  TFrameStats stats("/nonexistent-folder/frames.txt");
  EXPECT_FALSE(stats.IsOpen());
  EXPECT_NE(stats.Error().find("/nonexistent-folder/frames.txt"), std::string::npos);
  stats.Frame(0, 1);  // does nothing, and does not fail
}

}  // namespace
