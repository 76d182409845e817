// The installer against the stand-in SteamCMD, run as a real process on the real disk.
#include "update/installer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/install_runner.h"
#include "platform/scratch_dir.h"
#include "support/memory_file_system.h"
#include "support/standin_processes.h"

namespace quorvane::update {
namespace {

using platform::testing::ScratchDir;
using platform::testing::Slurp;

const std::string kEdited = "hostname \"Mine\"\r\nmp_timelimit 45\r\n// \xe9\xfc\r\n";
const std::string kStandIn = std::filesystem::path(QUORVANE_STEAMCMD_STANDIN).make_preferred().string();

class InstallerTest : public ::testing::Test {
 protected:
  // One whole install in the scratch directory; `mode` tells the stand-in how to behave.
  InstallResult Install(const std::string& mode, std::function<bool(const Installer&)> cancelWhen = {}) {
    if (!mode.empty()) dir.Make("steamcmd-standin-mode", mode);
    Installer::Observer observer;
    observer.onProgress = [this](double percent, const std::string& state) {
      percents.push_back(percent);
      states.push_back(state);
    };
    Installer installer(files, {dir.Text(), program, platform::BackupStampNow()}, observer);
    const auto cancel = [&] { return cancelWhen && cancelWhen(installer); };
    return platform::RunInstaller(installer, cancel);
  }
  bool Saw(const std::string& state) const { return std::find(states.begin(), states.end(), state) != states.end(); }

  ScratchDir dir;
  platform::NativeFileSystem files;
  std::string program = kStandIn;
  std::vector<double> percents;
  std::vector<std::string> states;
};

TEST_F(InstallerTest, freshInstallNeedingTwoRunsSucceeds) {
  const InstallResult result = Install("twice");
  EXPECT_TRUE(result.ok) << result.message;
  EXPECT_EQ(result.runs, 2);
  EXPECT_EQ(result.message, "Installed in " + dir.Text());
  EXPECT_TRUE(std::filesystem::exists(dir.Path() / "hlds_run"));
  EXPECT_TRUE(Saw("downloading 45.2 % (123.4 of 272.9 MB)"));
  EXPECT_TRUE(Saw("run 2 of at most 5"));
}

TEST_F(InstallerTest, progressMovesForwardWithinARun) {
  ASSERT_TRUE(Install("ok").ok);
  const auto downloading = std::find(states.begin(), states.end(), "downloading 10.0 % (27.3 of 272.9 MB)");
  ASSERT_NE(downloading, states.end());
  const auto at = percents.begin() + (downloading - states.begin());
  EXPECT_EQ(std::vector<double>(at, at + 4), (std::vector<double>{10, 45.23, 80, 100}));
}

TEST_F(InstallerTest, upToDateInstallSucceedsAtOnce) {
  ASSERT_TRUE(Install("ok").ok);
  const InstallResult again = Install("");
  EXPECT_TRUE(again.ok) << again.message;
  EXPECT_EQ(again.runs, 1);
  EXPECT_TRUE(Saw("up to date"));
}

TEST_F(InstallerTest, editedFilesComeBackByteForByteAfterSuccess) {
  ASSERT_TRUE(Install("ok").ok);
  dir.Make("tfc/server.cfg", kEdited);
  dir.Make("tfc/motd.txt", "my motd\n");
  const InstallResult result = Install("");
  ASSERT_TRUE(result.ok) << result.message;
  EXPECT_EQ(Slurp(dir.Path() / "tfc/server.cfg"), kEdited);
  EXPECT_EQ(Slurp(dir.Path() / "tfc/motd.txt"), "my motd\n");
  EXPECT_EQ(result.restored, (std::vector<std::string>{"tfc/server.cfg", "tfc/motd.txt"}));
  EXPECT_EQ(Slurp(std::filesystem::path(result.backupDir) / "tfc/server.cfg"), kEdited);
}

TEST_F(InstallerTest, fullDiskFailsAtOnceAndKeepsTheUserFile) {
  dir.Make("tfc/server.cfg", kEdited);
  const InstallResult result = Install("fail");
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.runs, 1);
  EXPECT_EQ(result.message.rfind("Not enough disk space", 0), 0u) << result.message;
  EXPECT_EQ(Slurp(dir.Path() / "tfc/server.cfg"), kEdited);
}

TEST_F(InstallerTest, noNetworkIsReportedAsFailure) {
  const InstallResult result = Install("nonet");
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.message.rfind("SteamCMD could not reach Steam", 0), 0u) << result.message;
}

TEST_F(InstallerTest, runsThatNeverSucceedStopAfterFive) {
  const InstallResult result = Install("short");
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.runs, kMaxRuns);
  EXPECT_EQ(Slurp(dir.Path() / "steamcmd-standin-runs"), "5\n");
  EXPECT_NE(result.message.find("(after 5 runs)"), std::string::npos) << result.message;
}

TEST_F(InstallerTest, missingProgramIsNamedAsTheFailure) {
  program = (dir.Path() / "no-steamcmd").string();
  const InstallResult result = Install("ok");
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.message.rfind("SteamCMD could not be started: Cannot start " + program, 0), 0u) << result.message;
}

TEST_F(InstallerTest, cancelEndsSteamCmdAndPutsTheFilesBack) {
  dir.Make("tfc/server.cfg", kEdited);
  const auto downloading = [](const Installer& i) { return i.StateText().starts_with("downloading 45.2"); };
  const InstallResult result = Install("hang", downloading);
  EXPECT_FALSE(result.ok);
  EXPECT_TRUE(result.cancelled);
  EXPECT_EQ(result.message.rfind("Cancelled.", 0), 0u) << result.message;
  EXPECT_EQ(Slurp(dir.Path() / "tfc/server.cfg"), kEdited);
  EXPECT_FALSE(test_support::IsRunning(std::stoll(Slurp(dir.Path() / "steamcmd-standin-pid"))));
}

TEST(InstallerRefusals, runningServerIsRefusedWithoutTouchingFiles) {
  test_support::MemoryFileSystem fs;
  fs.AddFile("C:\\hlds\\tfc\\server.cfg", "x");
  Installer installer(fs, {"C:\\hlds", "steamcmd.exe", "2026-12-07_05-30-12", true});
  EXPECT_FALSE(installer.Begin());
  EXPECT_FALSE(installer.Result().ok);
  EXPECT_NE(installer.Result().message.find("still running"), std::string::npos);
  EXPECT_FALSE(fs.Exists("C:\\hlds\\quorvane-backup"));
}

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
