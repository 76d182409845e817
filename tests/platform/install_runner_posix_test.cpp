// Where this machine keeps things, read from its environment: the home folder and PATH are UTF-8
// names that reach the install window and SteamCMD unchanged, whatever the game's code page holds.
#include "platform/install_runner.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <optional>
#include <string>

#include "platform/scratch_dir.h"

namespace quorvane::platform {
namespace {

// Sets a variable for one test and puts the old value back.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const std::string& value) : m_name(name) {
    if (const char* old = ::getenv(name)) m_old = old;
    ::setenv(name, value.c_str(), 1);
  }
  ~ScopedVariable() {
    if (m_old)
      ::setenv(m_name, m_old->c_str(), 1);
    else
      ::unsetenv(m_name);
  }
  ScopedVariable(const ScopedVariable&) = delete;
  ScopedVariable& operator=(const ScopedVariable&) = delete;

 private:
  const char* m_name;
  std::optional<std::string> m_old;
};

struct HomeName {
  const char* name;
  const char* folder;  // UTF-8
};
void PrintTo(const HomeName& h, std::ostream* out) { *out << h.name; }

class NativeHomeTest : public ::testing::TestWithParam<HomeName> {
 protected:
  std::string Home() const { return m_dir.Text() + "/" + GetParam().folder; }
  std::filesystem::path MakeSteamCmd(const std::string& relative) const {
    const std::filesystem::path program = m_dir.Make(GetParam().folder + std::string("/") + relative, "#!/bin/sh\n");
    std::filesystem::permissions(program, std::filesystem::perms::owner_exec, std::filesystem::perm_options::add);
    return program;
  }
  testing::ScratchDir m_dir;
};

TEST_P(NativeHomeTest, steamCmdOnPathIsFoundUnderItsOwnName) {
  MakeSteamCmd("bin/steamcmd");
  const ScopedVariable path("PATH", "/nonexistent:" + Home() + "/bin");
  EXPECT_EQ(FindSteamCmdHere().value_or("none"), Home() + "/bin/steamcmd");
}

TEST_P(NativeHomeTest, aGameFolderHoldingAServerIsOfferedAsItIs) {
  m_dir.Make(GetParam().folder + std::string("/hl/hlds_run"), "#!/bin/sh\n");
  EXPECT_EQ(DefaultInstallDirHere(Home() + "/hl"), Home() + "/hl");
}

INSTANTIATE_TEST_SUITE_P(Scripts, NativeHomeTest,
                         ::testing::Values(HomeName{"latin", "jos\xC3\xA9"},
                                           HomeName{"cyrillic", "\xD0\xA1\xD0\xB5\xD1\x80\xD0\xB2\xD0\xB5\xD1\x80"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quorvane::platform
