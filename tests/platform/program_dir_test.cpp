#include "platform/program_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace quorvane::platform {
namespace {

TEST(ProgramDirectoryTest, isTheDirectoryHoldingThisTestProgram) {
  const std::string dir = ProgramDirectory();
  ASSERT_FALSE(dir.empty());
  EXPECT_EQ(dir.front(), '/');
  EXPECT_NE(dir.back(), '/');
  EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::path(dir) / "platform_tests")) << dir;
}

}  // namespace
}  // namespace quorvane::platform
