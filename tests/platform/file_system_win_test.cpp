// The Win32 file system under the program's own path text.
#include <gtest/gtest.h>

#include "install/game_paths.h"
#include "install/settings_file.h"
#include "platform/file_system.h"
#include "platform/program_dir.h"
#include "platform/win_scratch.h"

namespace quorvane::platform {
namespace {

using testing::ReadAll;

TEST(FileSystemWinTest, presenceCountsOrdinaryFilesOnly_whateverTheLetterCase) {
  testing::WinScratch dir;
  NativeFileSystem files;
  const std::pair<DWORD, bool> cases[] = {{FILE_ATTRIBUTE_NORMAL, true},  {FILE_ATTRIBUTE_READONLY, true},
                                          {FILE_ATTRIBUTE_ARCHIVE, true}, {FILE_ATTRIBUTE_HIDDEN, false},
                                          {FILE_ATTRIBUTE_SYSTEM, false}};
  for (const auto& [attributes, present] : cases) {
    EXPECT_EQ(files.IsPresent(dir.MakeFile(std::to_string(attributes) + ".cfg", "x", attributes)), present) << attributes;
  }
  CreateDirectoryA((dir / "dir.cfg").c_str(), nullptr);
  CreateDirectoryA((dir / "tfc").c_str(), nullptr);
  dir.MakeFile("tfc\\MapCycle.txt");
  // Letter case does not matter, nor the doubled backslash a GameDir with a closing one gives.
  EXPECT_TRUE(files.IsPresent(install::GamePath(dir.Path() + "\\", install::kMapCycle)));
  for (const char* absent : {"dir.cfg", "missing.cfg"}) EXPECT_FALSE(files.IsPresent(dir / absent)) << absent;
}

TEST(FileSystemWinTest, backupRenameNeverReplacesTheOldBackup_andAReadOnlyOneStays) {
  testing::WinScratch dir;
  const std::string cfg = dir.MakeFile("server.cfg", "new");
  const std::string bak = dir.MakeFile("server.bak", "old");
  NativeFileSystem files;
  EXPECT_FALSE(files.Rename(cfg, bak));
  SetFileAttributesA(bak.c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_FALSE(files.Remove(bak));
  EXPECT_EQ(ReadAll(bak), "old");
  SetFileAttributesA(bak.c_str(), FILE_ATTRIBUTE_NORMAL);
  ASSERT_TRUE(files.Remove(bak));
  ASSERT_TRUE(files.Rename(cfg, bak));
  EXPECT_EQ(ReadAll(bak), "new");
  EXPECT_FALSE(files.IsPresent(cfg));
}

TEST(SettingsFileWinTest, livesBesideTheProgram) {
  const std::string dir = ProgramDirectory();
  char self[MAX_PATH];
  EXPECT_EQ(std::string(self, GetModuleFileNameA(nullptr, self, MAX_PATH)), dir + "\\platform_tests.exe");
  NativeFileSystem files;
  ASSERT_TRUE(install::SaveServerLocation(files, dir + std::string(install::kSettingsFileName), "C:\\SIERRA"));
  EXPECT_EQ(ReadAll(dir + "\\Quorvane.ini"), "C:\\SIERRA\r\n");
  files.Remove(dir + "\\Quorvane.ini");
}

}  // namespace
}  // namespace quorvane::platform
