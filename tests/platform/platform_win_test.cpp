// The Win32 side of the platform layer on the real system (under Wine in the
// cross build): files under the program's own path text, the settings file and
// the window menu.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "install/game_paths.h"
#include "install/settings_file.h"
#include "platform/child_process.h"
#include "platform/file_system.h"
#include "platform/install_runner.h"
#include "platform/program_dir.h"
#include "platform/scratch_dir.h"
#include "platform/win32_api.h"
#include "platform/window_menu_win.h"
#include "support/standin_processes.h"
#include "update/steamcmd_run.h"

namespace quorvane::platform {
namespace {

namespace fs = std::filesystem;

TEST(FileSystemWinTest, presenceCountsOrdinaryFilesOnly_whateverTheLetterCase) {
  testing::ScratchDir dir;
  NativeFileSystem files;
  const std::pair<DWORD, bool> cases[] = {{FILE_ATTRIBUTE_NORMAL, true},
                                          {FILE_ATTRIBUTE_READONLY, true},
                                          {FILE_ATTRIBUTE_ARCHIVE, true},
                                          {FILE_ATTRIBUTE_HIDDEN, false},
                                          {FILE_ATTRIBUTE_SYSTEM, false}};
  for (const auto& [attributes, present] : cases) {
    const fs::path file = dir.Make(std::to_string(attributes) + ".cfg", "x");
    SetFileAttributesW(file.c_str(), attributes);
    EXPECT_EQ(files.IsPresent(file.string()), present) << attributes;
    SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);  // read-only would keep it from being removed
  }
  dir.Make("dir.cfg/");
  dir.Make("tfc\\MapCycle.txt");
  // Letter case does not matter, nor the doubled backslash a GameDir with a closing one gives.
  EXPECT_TRUE(files.IsPresent(install::GamePath(dir.Text() + "\\", install::kMapCycle)));
  for (const char* absent : {"dir.cfg", "missing.cfg"})
    EXPECT_FALSE(files.IsPresent(dir.Text() + "\\" + absent)) << absent;
}

TEST(FileSystemWinTest, backupRenameNeverReplacesTheOldBackup_andAReadOnlyOneStays) {
  testing::ScratchDir dir;
  const std::string cfg = dir.Make("server.cfg", "new").string();
  const std::string bak = dir.Make("server.bak", "old").string();
  NativeFileSystem files;
  EXPECT_FALSE(files.Rename(cfg, bak));
  SetFileAttributesA(bak.c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_FALSE(files.Remove(bak));
  EXPECT_EQ(testing::Slurp(bak), "old");
  SetFileAttributesA(bak.c_str(), FILE_ATTRIBUTE_NORMAL);
  ASSERT_TRUE(files.Remove(bak));
  ASSERT_TRUE(files.Rename(cfg, bak));
  EXPECT_EQ(testing::Slurp(bak), "new");
  EXPECT_FALSE(files.IsPresent(cfg));
}

// A write ended half-way leaves `.<name>.quorvane-tmp-XXXXXX`; the next write of that file replaces it whole
// and clears its own temporaries only.
TEST(FileSystemWinTest, writeReplacesTheFileWhole_andRemovesItsOwnStaleTemporariesOnly) {
  testing::ScratchDir dir;
  const char* kept[] = {".server.cfg.quorvane-tmp-ABC123", ".motd.txt.quorvane-tmp-ABC1234",
                        "motd.txt.quorvane-tmp-ABC123"};
  const fs::path file = dir.Make("motd.txt", std::string(100000, 'o'));
  const fs::path stale = dir.Make(".motd.txt.quorvane-tmp-ABC123", "half");
  for (const char* name : kept) dir.Make(name, "other");
  NativeFileSystem files;
  ASSERT_TRUE(files.WriteFile(dir.Text() + "\\MOTD.TXT", "new"));
  EXPECT_EQ(testing::Slurp(file), "new");
  EXPECT_FALSE(fs::exists(stale));
  for (const char* name : kept) EXPECT_EQ(testing::Slurp(dir.Path() / name), "other") << name;
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), {}), 1 + std::ssize(kept));
}

// This machine's places through the wide-character calls: names the code page cannot hold are
// reached, listed and read back under their own names.
struct WideName {
  const char* name;
  const wchar_t* folder;
};
void PrintTo(const WideName& w, std::ostream* out) { *out << w.name; }

const auto kWideNames =
    ::testing::Values(WideName{"latin", L"Jos\u00e9"}, WideName{"cyrillic", L"\u0421\u0435\u0440\u0432\u0435\u0440"});
const auto kWideName = [](const auto& info) { return std::string(info.param.name); };

class NativeTextWinTest : public ::testing::TestWithParam<WideName> {
 protected:
  fs::path Folder() const { return dir.Path() / GetParam().folder; }
  std::string FolderText() const { return testing::Utf8(Folder()); }
  testing::ScratchDir dir;
};

TEST_P(NativeTextWinTest, folderIsMadeWrittenListedAndEmptiedUnderItsOwnName) {
  NativeFileSystem files(PathText::Native);
  ASSERT_TRUE(files.CreateDirectory(FolderText()));
  ASSERT_TRUE(files.WriteFile(FolderText() + "\\Server.cfg", "hostname x\n"));
  EXPECT_EQ(testing::Slurp(Folder() / "server.cfg"), "hostname x\n");
  EXPECT_TRUE(files.IsPresent(FolderText() + "\\SERVER.CFG"));
  EXPECT_EQ(files.ListDirectories(dir.Text()), std::vector<std::string>{testing::Utf8(GetParam().folder)});
  ASSERT_TRUE(files.Rename(FolderText() + "\\server.cfg", FolderText() + "\\server.bak"));
  EXPECT_EQ(files.ListFiles(FolderText()), std::vector<std::string>{"server.bak"});
  ASSERT_TRUE(files.Remove(FolderText() + "\\server.bak"));
  ASSERT_TRUE(files.RemoveDirectory(FolderText()));
  EXPECT_TRUE(fs::is_empty(dir.Path()));
}

TEST_P(NativeTextWinTest, steamCmdInTheProfileFolderIsFoundUnderItsOwnName) {
  fs::create_directories(Folder() / "steamcmd");
  std::ofstream(Folder() / "steamcmd" / "steamcmd.exe") << "MZ";
  const std::string oldProfile = EnvironmentVariable("USERPROFILE"), oldPath = EnvironmentVariable("PATH");
  SetEnvironmentVariableW(L"USERPROFILE", Folder().c_str());
  SetEnvironmentVariableW(L"PATH", (dir.Path() / L"nothing-here").c_str());
  const std::optional<std::string> found = FindSteamCmdHere();
  const std::string offered = DefaultInstallDirHere("");
  SetEnvironmentVariableW(L"USERPROFILE", WideFromUtf8(oldProfile).c_str());
  SetEnvironmentVariableW(L"PATH", WideFromUtf8(oldPath).c_str());
  EXPECT_EQ(found.value_or("none"), FolderText() + "\\steamcmd\\steamcmd.exe");
  EXPECT_EQ(offered, FolderText() + "\\hlds");
}

INSTANTIATE_TEST_SUITE_P(Scripts, NativeTextWinTest, kWideNames, kWideName);

TEST(SettingsFileWinTest, livesBesideTheProgram) {
  const std::string dir = ProgramDirectory();
  EXPECT_TRUE(fs::is_regular_file(dir + "\\platform_tests.exe")) << dir;
  NativeFileSystem files;
  ASSERT_TRUE(install::SaveServerLocation(files, dir + std::string(install::kSettingsFileName), "C:\\SIERRA"));
  EXPECT_EQ(testing::Slurp(dir + "\\Quorvane.ini"), "C:\\SIERRA\r\n");
  EXPECT_TRUE(files.Remove(dir + "\\Quorvane.ini"));
}

TEST(WindowMenuWinTest, closeAndItsSeparatorLeaveTheSystemMenu) {
  auto has = [](HMENU menu, UINT command) {
    return GetMenuState(menu, command, MF_BYCOMMAND) != static_cast<UINT>(-1);
  };
  HWND window = CreateWindowExA(0, "STATIC", "Intro", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  HMENU menu = GetSystemMenu(window, FALSE);
  const int before = GetMenuItemCount(menu);
  ASSERT_TRUE(has(menu, SC_CLOSE));
  EXPECT_TRUE(RemoveCloseEntry(window));
  EXPECT_EQ(GetMenuItemCount(menu), before - 2);
  EXPECT_FALSE(has(menu, SC_CLOSE));
  EXPECT_TRUE(has(menu, SC_MOVE)) << "the other entries stay";
  EXPECT_FALSE(GetMenuState(menu, static_cast<UINT>(before - 3), MF_BYPOSITION) & MF_SEPARATOR)
      << "no separator left last";
  DestroyWindow(window);
}

// Run only as the program the next test kills: starts the stand-in SteamCMD (which waits in the
// middle of its download) in DIR and dies at once, as a program ended from outside does.
TEST(ChildProcessWinTest, helperKilledWhileSteamCmdRuns) {
  const char* dir = std::getenv("QUORVANE_JOB_TEST_DIR");
  if (dir == nullptr) GTEST_SKIP() << "run by endingTheProgramAnyHowEndsSteamCmdWithIt";
  ChildProcess* steamCmd = new ChildProcess;  // never destroyed: the program is killed
  if (!steamCmd->Start(QUORVANE_STEAMCMD_STANDIN, update::SteamCmdArguments(dir), {}))
    TerminateProcess(GetCurrentProcess(), 2);
  std::string output;
  while (output.find("downloading") == std::string::npos &&
         steamCmd->Read(output, 5000) != ChildProcess::ReadStatus::Closed) {
  }
  TerminateProcess(GetCurrentProcess(), 3);
}

// Killing the program leaves no chance to end SteamCMD; its job ends it with the program all the same.
TEST(ChildProcessWinTest, endingTheProgramAnyHowEndsSteamCmdWithIt) {
  testing::ScratchDir dir;
  dir.Make("steamcmd-standin-mode", "hang\n");
  char self[MAX_PATH];
  ASSERT_GT(GetModuleFileNameA(nullptr, self, MAX_PATH), 0U);
  ASSERT_TRUE(SetEnvironmentVariableA("QUORVANE_JOB_TEST_DIR", dir.Text().c_str()));
  std::string line = std::string("\"") + self + "\" --gtest_filter=ChildProcessWinTest.helperKilledWhileSteamCmdRuns";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION helper{};
  // The helper runs its one test whichever shard this run is.
  char shards[16] = "", shard[16] = "";
  const bool sharded = GetEnvironmentVariableA("GTEST_TOTAL_SHARDS", shards, sizeof shards) > 0 &&
                       GetEnvironmentVariableA("GTEST_SHARD_INDEX", shard, sizeof shard) > 0;
  SetEnvironmentVariableA("GTEST_TOTAL_SHARDS", nullptr);
  SetEnvironmentVariableA("GTEST_SHARD_INDEX", nullptr);
  const BOOL started =
      CreateProcessA(self, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &helper);
  SetEnvironmentVariableA("QUORVANE_JOB_TEST_DIR", nullptr);
  if (sharded) {
    SetEnvironmentVariableA("GTEST_TOTAL_SHARDS", shards);
    SetEnvironmentVariableA("GTEST_SHARD_INDEX", shard);
  }
  ASSERT_TRUE(started);
  CloseHandle(helper.hThread);
  EXPECT_EQ(WaitForSingleObject(helper.hProcess, 60000), WAIT_OBJECT_0);
  DWORD code = 0;
  GetExitCodeProcess(helper.hProcess, &code);
  CloseHandle(helper.hProcess);
  ASSERT_EQ(code, 3U) << "the helper never saw SteamCMD downloading";
  std::ifstream pidFile(dir.Path() / "steamcmd-standin-pid");
  long long pid = 0;
  ASSERT_TRUE(static_cast<bool>(pidFile >> pid));
  EXPECT_TRUE(test_support::WaitForExit(pid, 10000));
}

}  // namespace
}  // namespace quorvane::platform
