// The Win32 file system under the program's own path text.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "install/game_paths.h"
#include "install/settings_file.h"
#include "platform/file_system.h"
#include "platform/program_dir.h"
#include "platform/win_scratch.h"

namespace quorvane::platform {
namespace {

using testing::ReadAll;
using testing::WinScratch;

struct PresenceCase {
  const char* name;
  DWORD attributes;  // 0: a plain file as created
  bool directory;
  bool present;
};
void PrintTo(const PresenceCase& c, std::ostream* os) { *os << c.name; }

class PresenceWinTest : public ::testing::TestWithParam<PresenceCase> {};

TEST_P(PresenceWinTest, countsOrdinaryFilesOnly) {
  const PresenceCase& c = GetParam();
  WinScratch dir;
  ASSERT_FALSE(dir.Path().empty());
  const std::string path =
      c.directory ? dir.MakeDir("server.cfg") : dir.MakeFile("server.cfg", "hostname \"x\"\r\n", c.attributes);
  NativeFileSystem files;
  EXPECT_EQ(files.IsPresent(path), c.present);
  EXPECT_EQ(files.IsDirectory(path), c.directory);
}

INSTANTIATE_TEST_SUITE_P(
    Attributes, PresenceWinTest,
    ::testing::Values(PresenceCase{"normal", 0, false, true},
                      PresenceCase{"readOnly", FILE_ATTRIBUTE_READONLY, false, true},
                      PresenceCase{"archive", FILE_ATTRIBUTE_ARCHIVE, false, true},
                      PresenceCase{"readOnlyArchive", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE, false, true},
                      PresenceCase{"hidden", FILE_ATTRIBUTE_HIDDEN, false, false},
                      PresenceCase{"system", FILE_ATTRIBUTE_SYSTEM, false, false},
                      PresenceCase{"directory", 0, true, false}),
    [](const ::testing::TestParamInfo<PresenceCase>& info) { return std::string(info.param.name); });

TEST(FileSystemWinTest, missingFilesAndPatternsAreAbsent) {
  WinScratch dir;
  dir.MakeFile("server.cfg");
  NativeFileSystem files;
  for (const std::string& text : {dir / "missing.cfg", dir / "*.cfg", dir / "server.cf?", dir / "no\\server.cfg",
                                  std::string()}) {
    EXPECT_FALSE(files.IsPresent(text)) << text;
  }
}

TEST(FileSystemWinTest, pathsIgnoreLetterCaseAndDoubledBackslashes) {
  WinScratch dir;
  dir.MakeDir("tfc");
  dir.MakeFile("tfc\\MapCycle.txt", "2fort\r\nwell\r\n");
  NativeFileSystem files;
  // GameDir with a closing backslash gives a doubled one in every built path.
  const std::string gameDirs[] = {dir.Path(), dir.Path() + "\\"};
  for (const std::string& gameDir : gameDirs) {
    for (std::string_view relative : {install::kMapCycle, install::kMapCycleCheck, install::kMapCycleCreate}) {
      const std::string path = install::GamePath(gameDir, relative);
      EXPECT_TRUE(files.IsPresent(path)) << path;
      std::string bytes;
      EXPECT_TRUE(files.ReadFile(path, bytes)) << path;
      EXPECT_EQ(bytes, "2fort\r\nwell\r\n");
    }
  }
  EXPECT_TRUE(files.IsDirectory(install::GamePath(dir.Path(), "\\TFC")));
}

TEST(FileSystemWinTest, writeThenReadKeepsEveryByte) {
  WinScratch dir;
  std::string bytes = "// header\r\nhostname\t\t\"caf\xE9\"\r\n";
  for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
  bytes += std::string(200000, 'x');  // more than one buffer's worth
  NativeFileSystem files;
  const std::string path = dir / "server.cfg";
  ASSERT_TRUE(files.WriteFile(path, bytes));
  EXPECT_EQ(ReadAll(path), bytes);
  std::string back;
  ASSERT_TRUE(files.ReadFile(path, back));
  EXPECT_EQ(back, bytes);
  // Rewriting truncates: nothing of the longer text stays behind.
  ASSERT_TRUE(files.WriteFile(path, "short\r\n"));
  EXPECT_EQ(ReadAll(path), "short\r\n");
}

TEST(FileSystemWinTest, failuresCarryTheSystemsReason) {
  WinScratch dir;
  const std::string readOnly = dir.MakeFile("server.cfg", "old", FILE_ATTRIBUTE_READONLY);
  NativeFileSystem files;
  std::string bytes = "untouched";
  const install::IoResult results[] = {
      files.ReadFile(dir / "missing.cfg", bytes),
      files.WriteFile(dir / "no such dir\\server.cfg", "x"),
      files.WriteFile(readOnly, "new"),
      files.Remove(dir / "missing.cfg"),
      files.Rename(dir / "missing.cfg", dir / "other.cfg"),
      files.CreateDirectory(dir / "no such dir\\Maps"),
      files.CreateDirectory(dir.MakeDir("Maps")),
  };
  for (const install::IoResult& r : results) {
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.error.find(dir.Path()), std::string::npos) << r.error;
    // The reason follows the path; it must be the system's words, not a number.
    EXPECT_GT(r.error.size(), r.error.rfind(": ") + 6) << r.error;
  }
  EXPECT_TRUE(bytes.empty()) << "a failed read leaves no stale bytes";
  EXPECT_EQ(ReadAll(readOnly), "old");
}

TEST(FileSystemWinTest, backupRenameWaitsForTheOldBackupToGo) {
  WinScratch dir;
  const std::string cfg = dir.MakeFile("server.cfg", "new");
  const std::string bak = dir.MakeFile("server.bak", "old");
  NativeFileSystem files;
  EXPECT_FALSE(files.Rename(cfg, bak)) << "the rename must not replace an existing file";
  EXPECT_EQ(ReadAll(bak), "old");
  ASSERT_TRUE(files.Remove(bak));
  ASSERT_TRUE(files.Rename(cfg, bak));
  EXPECT_EQ(ReadAll(bak), "new");
  EXPECT_FALSE(files.IsPresent(cfg));
}

TEST(FileSystemWinTest, readOnlyBackupStaysAndSoDoesTheFile) {
  WinScratch dir;
  const std::string cfg = dir.MakeFile("server.cfg", "current");
  const std::string bak = dir.MakeFile("server.bak", "old", FILE_ATTRIBUTE_READONLY);
  NativeFileSystem files;
  EXPECT_TRUE(files.IsPresent(bak));
  const install::IoResult removed = files.Remove(bak);
  EXPECT_FALSE(removed.ok);
  EXPECT_FALSE(removed.error.empty());
  EXPECT_FALSE(files.Rename(cfg, bak));
  EXPECT_EQ(ReadAll(bak), "old");
  EXPECT_EQ(ReadAll(cfg), "current");
}

TEST(FileSystemWinTest, listingHoldsOrdinaryFilesWithTheirAnsiNames) {
  WinScratch dir;
  dir.MakeDir("Maps");
  dir.MakeFile("Maps\\2fort.bsp");
  dir.MakeFile("Maps\\caf\xE9.bsp");
  dir.MakeFile("Maps\\rock2.bsp", "", FILE_ATTRIBUTE_READONLY);
  dir.MakeFile("Maps\\secret.bsp", "", FILE_ATTRIBUTE_HIDDEN);
  dir.MakeFile("Maps\\system.bsp", "", FILE_ATTRIBUTE_SYSTEM);
  dir.MakeDir("Maps\\sub.bsp");
  NativeFileSystem files;
  for (const std::string& text : {dir / "Maps", dir / "maps\\", dir / "MAPS\\\\"}) {
    std::vector<std::string> names = files.ListFiles(text);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"2fort.bsp", "caf\xE9.bsp", "rock2.bsp"})) << text;
  }
  EXPECT_TRUE(files.ListFiles(dir / "missing").empty());
  // The name the listing gave opens the file it named.
  EXPECT_TRUE(files.IsPresent(dir / "Maps\\caf\xE9.bsp"));
}

TEST(FileSystemWinTest, fullDiskFailsTheWrite) {
  // scripts/test_windows.sh mounts a small file system and names it here.
  const char* full = std::getenv("QUORVANE_WIN_FULL_DIR");
  if (full == nullptr || *full == '\0') GTEST_SKIP() << "QUORVANE_WIN_FULL_DIR names no small file system to fill";
  NativeFileSystem files;
  const std::string path = std::string(full) + "\\server.cfg";
  const install::IoResult r = files.WriteFile(path, std::string(1 << 20, 'x'));
  EXPECT_FALSE(r.ok);
  EXPECT_FALSE(r.error.empty());
  files.Remove(path);
}

TEST(SettingsFileWinTest, livesBesideTheProgramAndRoundTrips) {
  const std::string dir = ProgramDirectory();
  ASSERT_FALSE(dir.empty());
  char self[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
  ASSERT_GT(length, 0u);
  const std::string program(self, length);
  EXPECT_EQ(program.substr(0, dir.size() + 1), dir + "\\") << program;
  EXPECT_EQ(program.find('\\', dir.size() + 1), std::string::npos) << "the program lies in that directory itself";

  const std::string settings = dir + std::string(install::kSettingsFileName);
  NativeFileSystem files;
  std::string previous;
  const bool hadOne = files.ReadFile(settings, previous).ok;
  ASSERT_TRUE(install::SaveServerLocation(files, settings, "C:\\SIERRA\\HALF-LIFE"));
  EXPECT_EQ(ReadAll(settings), "C:\\SIERRA\\HALF-LIFE\r\n");
  EXPECT_TRUE(files.IsPresent(settings));
  EXPECT_EQ(install::ReadServerLocation(files, settings), "C:\\SIERRA\\HALF-LIFE");
  if (hadOne) files.WriteFile(settings, previous);
  else files.Remove(settings);
}

}  // namespace
}  // namespace quorvane::platform
