// The program's own modules, found beside its bin directory.
#include "platform/program_module.h"

#include <gtest/gtest.h>

#include "platform/audio_module.h"

namespace quorvane::platform {
namespace {

struct ModuleCase {
  const char* name;
  const char* file;
  const char* entry;
};

class BuiltModuleTest : public ::testing::TestWithParam<ModuleCase> {};

// The build lays them out as an installation does, so every program of the build finds them.
TEST_P(BuiltModuleTest, isFoundWithItsEntry) {
  const ModuleEntry entry = LoadModuleEntry(GetParam().file, GetParam().entry);
  EXPECT_TRUE(entry) << entry.problem;
}

INSTANTIATE_TEST_SUITE_P(Modules, BuiltModuleTest,
                         ::testing::Values(ModuleCase{"audio", kAudioModuleFile, kAudioModuleEntry},
                                           ModuleCase{"network", kNetworkModuleFile, kNetworkModuleEntry}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ProgramModuleTest, aMissingModule_isNamedWithTheReason) {
  const ModuleEntry entry = LoadModuleEntry("quorvane_nowhere.so", kAudioModuleEntry);
  EXPECT_FALSE(entry);
  EXPECT_NE(entry.problem.find(ModulePath("quorvane_nowhere.so")), std::string::npos) << entry.problem;
  EXPECT_NE(entry.problem.find("No such file"), std::string::npos) << entry.problem;
}

TEST(ProgramModuleTest, aModuleWithoutTheEntry_namesTheEntry) {
  const ModuleEntry entry = LoadModuleEntry(kNetworkModuleFile, kAudioModuleEntry);
  EXPECT_FALSE(entry);
  EXPECT_NE(entry.problem.find(kAudioModuleEntry), std::string::npos) << entry.problem;
}

}  // namespace
}  // namespace quorvane::platform
