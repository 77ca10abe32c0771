#include <gtest/gtest.h>

#include <filesystem>

#include "platform/ProgramFolder.h"

using namespace vantora;
namespace fs = std::filesystem;

TEST(ProgramFolder, IsTheFolderOfTheRunningProgramWithASlash) {
  const std::string folder = ProgramFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), '/');
  EXPECT_EQ(fs::canonical(folder), fs::canonical(VANTORA_TEST_BINARY_DIR));
}
