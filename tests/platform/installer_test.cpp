// The installer against the stand-in SteamCMD, run as a real process on the real disk.
#include "update/installer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "platform/file_system.h"
#include "platform/install_runner.h"
#include "platform/scratch_dir.h"
#include "support/memory_file_system.h"
#include "support/standin_processes.h"

namespace quorvane::update {
namespace {

using platform::testing::FromUtf8;
using platform::testing::ScratchDir;
using platform::testing::Slurp;
using platform::testing::Utf8;

// The files `validate` puts back to stock, as the user edited them: CR LF, a tab, high bytes.
const std::map<std::string, std::string> kEdited = {
    {"tfc/server.cfg", "hostname \"Mine\"\r\nmp_timelimit\t45\r\n// \xe9\xfc\r\n"},
    {"tfc/mapcycle.txt", "well\r\n2fort\r\n"},
    {"tfc/motd.txt", "No spawn camping.\n\xa9 the admins\n"}};

class InstallerTest : public ::testing::Test {
 protected:
  // One whole install over the user's edited files; `mode` tells the stand-in how to behave.
  InstallResult Install(const std::string& mode, std::function<bool(const Installer&)> cancelWhen = {}) {
    dir.Make("steamcmd-standin-mode", mode);
    for (const auto& [file, bytes] : kEdited) dir.Make(file, bytes);
    Installer installer(files, {dir.Text(), program, platform::BackupStampNow()});
    const auto cancel = [&] { return cancelWhen && cancelWhen(installer); };
    return platform::RunInstaller(installer, cancel);
  }

  ScratchDir dir;
  platform::NativeFileSystem files;
  std::string program = std::filesystem::path(QUORVANE_STEAMCMD_STANDIN).make_preferred().string();
};

TEST_F(InstallerTest, fiveRunsWithoutSuccess_giveUpSayingWhyAndWhatWasPutBack) {
  const InstallResult result = Install("short");
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.runs, kMaxRuns);
  EXPECT_EQ(result.message,
            "SteamCMD stopped in state 0x10e. Its last error: Error! App '90' state is 0x10E after update job. "
            "(after 5 runs)\nPut back your own tfc/server.cfg, tfc/mapcycle.txt, tfc/motd.txt (SteamCMD had replaced "
            "them).");
}

TEST_F(InstallerTest, programThatCannotStart_isNamedAndNotRetried) {
  program = (dir.Path() / "no-steamcmd").string();
  const InstallResult result = Install("ok");
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.runs, 1);
  EXPECT_EQ(result.message.rfind("SteamCMD could not be started: Cannot start " + program, 0), 0u) << result.message;
}

TEST_F(InstallerTest, cancelEndsSteamCmdAndPutsTheFilesBackByteForByte) {
  const auto downloading = [](const Installer& i) { return i.StateText().starts_with("downloading 45.2"); };
  const InstallResult result = Install("hang", downloading);
  EXPECT_FALSE(result.ok);
  EXPECT_TRUE(result.cancelled);
  EXPECT_EQ(result.message.rfind("Cancelled.", 0), 0u) << result.message;
  for (const auto& [file, bytes] : kEdited) EXPECT_EQ(Slurp(dir.Path() / file), bytes) << file;
  EXPECT_EQ(Slurp(std::filesystem::path(result.backupDir) / "tfc/server.cfg"), kEdited.at("tfc/server.cfg"));
  EXPECT_FALSE(test_support::IsRunning(std::stoll(Slurp(dir.Path() / "steamcmd-standin-pid"))));
}

// Folders named in scripts the game's code page may not hold: the install folder is this machine's
// own text from the window to SteamCMD and back, never passed through the code page.
struct NamedFolder {
  const char* name;
  const char8_t* folder;
};
void PrintTo(const NamedFolder& f, std::ostream* out) { *out << f.name; }

class InstallIntoNamedFolderTest : public ::testing::TestWithParam<NamedFolder> {};

TEST_P(InstallIntoNamedFolderTest, installsThere_putsTheEditedFilesBack_andNamesTheFolderAsItIs) {
  ScratchDir scratch;
  const std::filesystem::path dir = scratch.Path() / GetParam().folder;
  std::filesystem::create_directories(dir / "tfc");
  std::ofstream(dir / "tfc" / "server.cfg", std::ios::binary) << kEdited.at("tfc/server.cfg");
  platform::NativeFileSystem files(platform::PathText::Native);
  const std::string program = std::filesystem::path(QUORVANE_STEAMCMD_STANDIN).make_preferred().string();
  Installer installer(files, {Utf8(dir), program, platform::BackupStampNow()});
  const InstallResult result = platform::RunInstaller(installer);
  ASSERT_TRUE(result.ok) << result.message;
  EXPECT_EQ(result.message.rfind("Installed in " + Utf8(dir) + "\n", 0), 0u) << result.message;
  EXPECT_TRUE(std::filesystem::exists(dir / "tfc" / "liblist.gam"));
  EXPECT_EQ(Slurp(dir / "tfc" / "server.cfg"), kEdited.at("tfc/server.cfg"));
  EXPECT_EQ(Slurp(FromUtf8(result.backupDir) / "tfc" / "server.cfg"), kEdited.at("tfc/server.cfg"));
}

INSTANTIATE_TEST_SUITE_P(Scripts, InstallIntoNamedFolderTest,
                         ::testing::Values(NamedFolder{"latin", u8"Serveur de José"},
                                           NamedFolder{"cyrillic", u8"Сервер"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(InstallerRefusals, fileThatCannotBeKeptStopsBeforeSteamCmd) {
  test_support::MemoryFileSystem fs;
  fs.AddFile("C:\\hlds\\tfc\\motd.txt", "x");
  fs.FailOn(test_support::MemoryFileSystem::Op::Read, "C:\\hlds\\tfc\\motd.txt", "Permission denied");
  Installer installer(fs, {"C:\\hlds", "steamcmd.exe", "2026-12-07_05-30-12"});
  EXPECT_FALSE(installer.Begin());
  EXPECT_EQ(installer.Result().message,
            "Cannot read C:\\hlds\\tfc\\motd.txt to keep a copy: Permission denied. SteamCMD was not started.");
}

}  // namespace
}  // namespace quorvane::update
