#include "platform/path_resolver.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "platform/file_system.h"
#include "platform/scratch_dir.h"

namespace quorvane::platform {
namespace {

namespace fs = std::filesystem;
using testing::ScratchDir;

class PathResolverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(m_dir.Path().empty());
    m_dir.MakeDir("hl/tfc/maps");
    m_dir.MakeFile("hl/tfc/MapCycle.txt", "2fort\r\n");
    m_dir.MakeDir("hl/valve");
    m_dir.MakeDir("hl/Sound");
    m_dir.MakeDir("hl/sound");
    m_dir.MakeDir("hl/\xC3\xA9quipe");  // UTF-8 on disk
  }
  std::string GameDir() const { return m_dir.Text() + "/hl"; }
  fs::path Native(std::string_view relative) const { return m_dir.Path() / "hl" / relative; }

  ScratchDir m_dir;
};

TEST_F(PathResolverTest, matchesExistingComponentsWithoutCase) {
  const std::pair<std::string, std::string> cases[] = {
      {"\\TFC\\mapcycle.txt", "tfc/MapCycle.txt"},
      {"\\Tfc\\mapcycle.txt", "tfc/MapCycle.txt"},
      {"\\tfc\\MAPCYCLE.TXT", "tfc/MapCycle.txt"},
      {"\\Tfc\\Maps\\", "tfc/maps/"},
      {"\\\\Tfc\\\\mapcycle.txt", "tfc/MapCycle.txt"},  // GameDir with a trailing backslash
      {"\\Tfc/Maps//", "tfc/maps/"},
      {"\\Valve\\autoexec.cfg", "valve/autoexec.cfg"},  // missing file kept as written
      {"\\Tfc\\New\\Deeper\\x.cfg", "tfc/New/Deeper/x.cfg"},
      {"\\Sound\\a.wav", "Sound/a.wav"},  // an exact match wins
      {"\\sound\\a.wav", "sound/a.wav"},
      {"\\SOUND\\a.wav", "Sound/a.wav"},  // otherwise the smallest name, whatever the directory order
      {"\\\xC9QUIPE\\x", "\xC3\xA9quipe/x"},  // code-page text against UTF-8 names
      {"\\Tfc\\mapcycle.txt\\x", "tfc/MapCycle.txt/x"},
  };
  for (const auto& [relative, expected] : cases) {
    EXPECT_EQ(ResolvePath(GameDir() + relative), Native(expected)) << relative;
  }
}

TEST_F(PathResolverTest, newFileGoesIntoTheExistingLowerCaseDirectory) {
  NativeFileSystem files;
  ASSERT_TRUE(files.WriteFile(GameDir() + "\\Tfc\\motd.txt", "hi\r\n"));
  ASSERT_TRUE(files.WriteFile(GameDir() + "\\Tfc\\Maps\\" + "Well.bsp", ""));
  EXPECT_EQ(testing::Slurp(Native("tfc/motd.txt")), "hi\r\n");
  EXPECT_TRUE(fs::exists(Native("tfc/maps/Well.bsp")));
  EXPECT_FALSE(fs::exists(Native("Tfc")));
}

TEST_F(PathResolverTest, relativeTextStartsAtTheCurrentDirectory) {
  const fs::path before = fs::current_path();
  fs::current_path(m_dir.Path() / "hl");
  const fs::path resolved = ResolvePath("TFC\\mapcycle.txt");
  const fs::path dot = ResolvePath("");
  fs::current_path(before);
  EXPECT_EQ(resolved, fs::path("tfc/MapCycle.txt"));
  EXPECT_EQ(dot, fs::path("."));
}

TEST_F(PathResolverTest, driveLettersGoThroughWineMapping) {
  const fs::path prefix = m_dir.Path() / "wine";
  m_dir.MakeFile("wine/drive_c/Sierra/Half-Life/hlds.exe", "MZ");
  m_dir.MakeDir("wine/dosdevices");
  fs::create_directory_symlink("../drive_c", prefix / "dosdevices" / "c:");

  EXPECT_EQ(ResolvePath("c:\\sierra\\half-life\\hlds.exe", prefix), prefix / "dosdevices/c:/Sierra/Half-Life/hlds.exe");
  EXPECT_EQ(ResolvePath("C:\\Sierra\\Half-Life\\\\Tfc\\server.cfg", prefix),
            prefix / "dosdevices/c:/Sierra/Half-Life/Tfc/server.cfg");

  // An unmapped drive, or no Wine at all, starts at the root.
  EXPECT_EQ(ResolvePath("D:\\", prefix), fs::path("/"));
  EXPECT_EQ(ResolvePath("C:\\", m_dir.Path() / "no-wine-here"), fs::path("/"));
  EXPECT_EQ(ResolvePath("c:" + m_dir.Text() + "\\HL\\TFC", m_dir.Path() / "no-wine-here"), Native("tfc"));
  EXPECT_EQ(ResolvePath("\\" + m_dir.Text() + "\\HL", prefix), m_dir.Path() / "hl");
}

}  // namespace
}  // namespace quorvane::platform
