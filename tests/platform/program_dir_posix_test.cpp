#include "platform/program_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "install/settings_file.h"
#include "platform/path_resolver.h"

namespace quorvane::platform {
namespace {

TEST(ProgramDirectoryTest, isThisTestProgramsDirectory_andHoldsTheSettingsFile) {
  const std::string dir = ProgramDirectory();
  ASSERT_FALSE(dir.empty());
  EXPECT_EQ(dir.front(), '/');
  EXPECT_NE(dir.back(), '/');
  EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::path(dir) / "platform_tests")) << dir;
  EXPECT_EQ(ResolvePath(dir + std::string(install::kSettingsFileName)), std::filesystem::path(dir) / "Quorvane.ini");
}

}  // namespace
}  // namespace quorvane::platform
