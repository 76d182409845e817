#include "platform/path_resolver.h"

#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "platform/scratch_dir.h"

namespace quorvane::platform {
namespace {

namespace fs = std::filesystem;

// An installation whose entries differ in case only: of such twins the
// all-lower-case one counts, else the first in byte order, whatever the spelling.
class PathResolverTest : public ::testing::Test {
 protected:
  PathResolverTest() {
    m_dir.Make("hl/Tfc/mapcycle.txt", "upper");
    m_dir.Make("hl/tfc/MapCycle.txt", "lower");
    for (const char* dir :
         {"hl/tfc/Maps/", "hl/tfc/MAPS/", "hl/Sound/", "hl/SOUND/", "hl/\xC3\xA9quipe/",
          "hl/\xD0\xA1\xD0\xB5\xD1\x80\xD0\xB2\xD0\xB5\xD1\x80/tfc/", "hl/\xE6\x9C\x8D\xE5\x8A\xA1/"}) {
      m_dir.Make(dir);
    }
  }
  std::string GameDir() const { return m_dir.Text() + "/hl"; }
  testing::ScratchDir m_dir;
};

struct Spelling {
  const char* name;
  const char* text;  // under the installation
  const char* native;
};
void PrintTo(const Spelling& s, std::ostream* out) { *out << s.name; }

class Spellings : public PathResolverTest, public ::testing::WithParamInterface<Spelling> {};

TEST_P(Spellings, reachTheEntryThatIsThere) {
  EXPECT_EQ(ResolvePath(GameDir() + GetParam().text), m_dir.Path() / "hl" / GetParam().native);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, Spellings,
    ::testing::Values(Spelling{"FileInAnotherCase", "\\tfc\\mapcycle.txt", "tfc/MapCycle.txt"},
                      Spelling{"LowerCaseTwinBeforeAnExactSpelling", "\\Tfc\\mapcycle.txt", "tfc/MapCycle.txt"},
                      Spelling{"DoubledBackslashOfAGameDirEndingInOne", "\\\\Tfc\\\\mapcycle.txt", "tfc/MapCycle.txt"},
                      Spelling{"CodePageTextAgainstUtf8Names", "\\\xC9QUIPE\\x", "\xC3\xA9quipe/x"},
                      Spelling{"NewFileWithoutALowerCaseTwin", "\\tfc\\maps\\New.bsp", "tfc/MAPS/New.bsp"},
                      Spelling{"DirectoryWithoutALowerCaseTwin", "\\Tfc\\Maps\\", "tfc/MAPS/"},
                      Spelling{"FirstInByteOrder", "\\sound", "SOUND"}),
    [](const auto& info) { return std::string(info.param.name); });

// This machine's own text: any name the disk holds is reached, and only ASCII letters fold,
// since the code page's capitals are UTF-8 lead bytes.
class NativeSpellings : public PathResolverTest, public ::testing::WithParamInterface<Spelling> {};

TEST_P(NativeSpellings, reachTheEntryThatIsThere) {
  EXPECT_EQ(ResolveNativePath(GameDir() + GetParam().text), m_dir.Path() / "hl" / GetParam().native);
}

INSTANTIATE_TEST_SUITE_P(Paths, NativeSpellings,
                         ::testing::Values(Spelling{"AsciiCaseStillFolds", "/TFC/mapcycle.txt", "tfc/MapCycle.txt"},
                                           Spelling{"LatinNameAsItStands", "/\xC3\xA9quipe/x", "\xC3\xA9quipe/x"},
                                           Spelling{"LatinCapitalIsNotFoldedAsCodePageBytes", "/\xC3\x89QUIPE/x",
                                                    "\xC3\x89QUIPE/x"},
                                           Spelling{"CyrillicFolderThenAnotherCase",
                                                    "/\xD0\xA1\xD0\xB5\xD1\x80\xD0\xB2\xD0\xB5\xD1\x80/TFC/server.cfg",
                                                    "\xD0\xA1\xD0\xB5\xD1\x80\xD0\xB2\xD0\xB5\xD1\x80/tfc/server.cfg"},
                                           Spelling{"CjkFolder", "\\\xE6\x9C\x8D\xE5\x8A\xA1\\hlds_run",
                                                    "\xE6\x9C\x8D\xE5\x8A\xA1/hlds_run"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PathResolverTest, presenceReadAndWriteAgreeOnOneOfTheTwins) {
  NativeFileSystem files;
  EXPECT_TRUE(files.IsPresent(GameDir() + "\\Tfc\\MAPCYCLE.txt"));
  const install::Read<std::string> bytes = files.ReadFile(GameDir() + "\\Tfc\\mapcycle.txt");
  ASSERT_TRUE(bytes);
  EXPECT_EQ(bytes.value(), "lower");
  ASSERT_TRUE(files.WriteFile(GameDir() + "\\TFC\\mapcycle.txt", "new"));
  EXPECT_EQ(testing::Slurp(m_dir.Path() / "hl/tfc/MapCycle.txt"), "new");
  EXPECT_EQ(testing::Slurp(m_dir.Path() / "hl/Tfc/mapcycle.txt"), "upper");
}

TEST_F(PathResolverTest, driveLettersGoThroughWineMappingOrToTheRoot) {
  const fs::path prefix = m_dir.Path() / "wine";
  m_dir.Make("wine/drive_c/Sierra/Half-Life/hlds.exe", "MZ");
  m_dir.Make("wine/dosdevices/");
  fs::create_directory_symlink("../drive_c", prefix / "dosdevices" / "c:");
  EXPECT_EQ(ResolvePath("c:\\sierra\\half-life\\\\hlds.exe", prefix),
            prefix / "dosdevices/c:/Sierra/Half-Life/hlds.exe");
  EXPECT_EQ(ResolvePath("c:" + m_dir.Text() + "\\HL\\TFC", m_dir.Path() / "no-wine-here"), m_dir.Path() / "hl/tfc");
}

}  // namespace
}  // namespace quorvane::platform
