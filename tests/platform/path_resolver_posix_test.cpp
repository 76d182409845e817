#include "platform/path_resolver.h"

#include <gtest/gtest.h>

#include "install/settings_file.h"
#include "platform/file_system.h"
#include "platform/program_dir.h"
#include "platform/scratch_dir.h"

namespace quorvane::platform {
namespace {

namespace fs = std::filesystem;

class PathResolverTest : public ::testing::Test {
 protected:
  PathResolverTest() {
    m_dir.Make("hl/tfc/MapCycle.txt", "2fort\r\n");
    for (const char* dir : {"hl/tfc/maps/", "hl/\xC3\xA9quipe/"}) m_dir.Make(dir);
  }
  std::string GameDir() const { return m_dir.Text() + "/hl"; }
  fs::path Native(const std::string& relative) const { return m_dir.Path() / "hl" / relative; }
  testing::ScratchDir m_dir;
};

TEST_F(PathResolverTest, matchesExistingComponentsWithoutCase_andANewFileGoesIntoTheLowerCaseDirectory) {
  const std::pair<std::string, std::string> cases[] = {
      {"\\Tfc\\mapcycle.txt", "tfc/MapCycle.txt"},
      {"\\Tfc\\Maps\\", "tfc/maps/"},
      {"\\\\Tfc\\\\mapcycle.txt", "tfc/MapCycle.txt"},  // GameDir with a trailing backslash
      {"\\\xC9QUIPE\\x", "\xC3\xA9quipe/x"},  // code-page text against UTF-8 names
  };
  for (const auto& [relative, expected] : cases)
    EXPECT_EQ(ResolvePath(GameDir() + relative), Native(expected)) << relative;
  ASSERT_TRUE(NativeFileSystem().WriteFile(GameDir() + "\\Tfc\\Maps\\Well.bsp", "hi"));
  EXPECT_EQ(testing::Slurp(Native("tfc/maps/Well.bsp")), "hi");
  EXPECT_FALSE(fs::exists(Native("Tfc")));
}

// Entries that differ in case only: the all-lower-case one, else the first in byte order, whatever the spelling.
struct CaseTwinsDir {
  CaseTwinsDir() {
    m_dir.Make("hl/Tfc/mapcycle.txt", "upper");
    m_dir.Make("hl/tfc/mapcycle.txt", "lower");
    for (const char* dir : {"hl/tfc/Maps/", "hl/tfc/MAPS/", "hl/Sound/", "hl/SOUND/"}) m_dir.Make(dir);
  }
  testing::ScratchDir m_dir;
};

struct Spelling {
  const char* name;
  const char* text;  // under the installation
  const char* native;
};
void PrintTo(const Spelling& s, std::ostream* out) { *out << s.name; }

class CaseTwins : public ::testing::TestWithParam<Spelling>, protected CaseTwinsDir {};

TEST_P(CaseTwins, everySpellingReachesTheSameEntry) {
  EXPECT_EQ(ResolvePath(m_dir.Text() + "/hl" + GetParam().text), m_dir.Path() / "hl" / GetParam().native);
}

INSTANTIATE_TEST_SUITE_P(Spellings, CaseTwins, ::testing::Values(
    Spelling{"AsTheUpperDirectory", "\\Tfc\\mapcycle.txt", "tfc/mapcycle.txt"},
    Spelling{"AsTheLowerDirectory", "\\tfc\\mapcycle.txt", "tfc/mapcycle.txt"},
    Spelling{"AllCapitals", "\\TFC\\MAPCYCLE.TXT", "tfc/mapcycle.txt"},
    Spelling{"NewFileWithoutALowerCaseTwin", "\\tfc\\maps\\New.bsp", "tfc/MAPS/New.bsp"},
    Spelling{"DirectoryWithoutALowerCaseTwin", "\\Tfc\\Maps\\", "tfc/MAPS/"},
    Spelling{"FirstInByteOrder", "\\sound", "SOUND"}),
    [](const auto& info) { return std::string(info.param.name); });

class CaseTwinFiles : public ::testing::Test, protected CaseTwinsDir {};

TEST_F(CaseTwinFiles, presenceReadAndWriteAgreeOnOneFile) {
  NativeFileSystem files;
  EXPECT_TRUE(files.IsPresent(m_dir.Text() + "/hl\\Tfc\\MapCycle.txt"));
  const install::Read<std::string> bytes = files.ReadFile(m_dir.Text() + "/hl\\Tfc\\mapcycle.txt");
  ASSERT_TRUE(bytes);
  EXPECT_EQ(bytes.value(), "lower");
  ASSERT_TRUE(files.WriteFile(m_dir.Text() + "/hl\\TFC\\mapcycle.txt", "new"));
  EXPECT_EQ(testing::Slurp(m_dir.Path() / "hl/tfc/mapcycle.txt"), "new");
  EXPECT_EQ(testing::Slurp(m_dir.Path() / "hl/Tfc/mapcycle.txt"), "upper");
}

TEST_F(PathResolverTest, driveLettersGoThroughWineMappingOrToTheRoot) {
  const fs::path prefix = m_dir.Path() / "wine";
  m_dir.Make("wine/drive_c/Sierra/Half-Life/hlds.exe", "MZ");
  m_dir.Make("wine/dosdevices/");
  fs::create_directory_symlink("../drive_c", prefix / "dosdevices" / "c:");
  EXPECT_EQ(ResolvePath("c:\\sierra\\half-life\\\\hlds.exe", prefix),
            prefix / "dosdevices/c:/Sierra/Half-Life/hlds.exe");
  EXPECT_EQ(ResolvePath("c:" + m_dir.Text() + "\\HL\\TFC", m_dir.Path() / "no-wine-here"), Native("tfc"));
}

TEST(ProgramDirectoryTest, isThisTestProgramsDirectory_andHoldsTheSettingsFile) {
  const std::string dir = ProgramDirectory();
  EXPECT_TRUE(fs::is_regular_file(fs::path(dir) / "platform_tests")) << dir;
  EXPECT_EQ(ResolvePath(dir + std::string(install::kSettingsFileName)), fs::path(dir) / "Quorvane.ini");
}

}  // namespace
}  // namespace quorvane::platform
