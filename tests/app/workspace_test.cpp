// The start-up load of a workspace on the in-memory file system.
#include "app/workspace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/memory_file_system.h"

namespace quorvane::app {
namespace {

using Names = std::vector<std::string>;
using test_support::MemoryFileSystem;
constexpr const char* kGameDir = "C:\\HL\\";
const Names kStandardMaps{"2Fort", "cz2", "hunted", "push", "rock2", "well"};

struct LoadWorkspaceTest : testing::Test {
  // Copies a test installation from tests/data into memory, under kGameDir.
  void CopyInstallation(const std::filesystem::path& from) {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(from)) {
      if (!entry.is_regular_file()) continue;
      std::ifstream in(entry.path(), std::ios::binary);
      std::ostringstream bytes;
      bytes << in.rdbuf();
      std::string relative = std::filesystem::relative(entry.path(), from).generic_string();
      std::replace(relative.begin(), relative.end(), '/', '\\');
      fs.AddFile(kGameDir + relative, bytes.str());
    }
  }

  WorkspaceView Load() {
    return LoadWorkspace(fs, kGameDir, {}, [this](const std::string& text) { said.push_back(text); });
  }

  MemoryFileSystem fs;
  Names said;
};

TEST_F(LoadWorkspaceTest, completeInstallation_fillsEveryListQuietlyAndFixesUpTheServerFieldsAfterReading) {
  CopyInstallation(QUORVANE_TEST_DATA "/app/complete");
  const WorkspaceView view = Load();
  Names maps = kStandardMaps;
  // Two files named 2fort add the name twice after the standard "2Fort".
  maps.insert(maps.end(), {"2fort", "2fort"});
  EXPECT_EQ(view.startingMaps, maps);
  EXPECT_EQ(view.availableMaps, maps);
  EXPECT_EQ(view.mapCycle, (Names{"2fort", "well", "avanti"}));
  EXPECT_EQ(view.motd, "Welcome!\r\nNo spawn camping.");
  EXPECT_EQ(view.fields.GetText("hostname"), "Friday Night TFC");
  EXPECT_EQ(view.fields.GetText("rate"), "9999");
  EXPECT_EQ(view.fields.GetText("port"), "27016");
  EXPECT_EQ(view.fields.GetText("mp_teamplay"), "21");
  EXPECT_TRUE(view.report.ok());
  EXPECT_TRUE(said.empty());
}

TEST_F(LoadWorkspaceTest, missingMapsCycleAndMessage_areCreatedEmpty) {
  fs.AddFile("C:\\HL\\Valve\\autoexec.cfg", "");
  fs.AddFile("C:\\HL\\Tfc\\server.cfg", "");
  const WorkspaceView view = Load();
  EXPECT_EQ(view.startingMaps, kStandardMaps);
  EXPECT_FALSE(view.mapCycle.has_value());
  EXPECT_FALSE(view.motd.has_value());
  EXPECT_TRUE(fs.IsDirectory("C:\\HL\\Tfc\\Maps"));
  EXPECT_EQ(fs.Bytes("C:\\HL\\Tfc\\mapcycle.txt"), "");
  EXPECT_EQ(fs.Bytes("C:\\HL\\Tfc\\motd.txt"), "");
}

TEST_F(LoadWorkspaceTest, missingConfigurationFiles_areAnnouncedThenWrittenFromTheDefaults) {
  fs.AddDirectory("C:\\HL\\Valve");
  fs.AddDirectory("C:\\HL\\Tfc");
  const WorkspaceView view = Load();
  EXPECT_EQ(said, (Names{MissingAutoexecMessage(kGameDir), kAutoexecDefaultsMessage, MissingServerCfgMessage(kGameDir),
                         kServerCfgDefaultsMessage}));
  EXPECT_EQ(view.fields.GetText("hostname"), "TFC Battle");
  EXPECT_EQ(view.fields.GetCheck("cl_himodels"), 1);
  ASSERT_TRUE(fs.Bytes("C:\\HL\\Tfc\\server.cfg").has_value());
  EXPECT_NE(fs.Bytes("C:\\HL\\Tfc\\server.cfg")->find("hostname\t\"TFC Battle\"\r\n"), std::string::npos);
}

TEST_F(LoadWorkspaceTest, aFileThatCannotBeRead_isReportedByNameAndReason) {
  fs.AddDirectory("C:\\HL\\Valve");
  fs.AddFile("C:\\HL\\Tfc\\motd.txt", "");
  fs.FailOn(MemoryFileSystem::Op::Read, "C:\\HL\\Tfc\\motd.txt", "Input/output error");
  EXPECT_EQ(Load().report.failures, Names{"Quorvane could not read C:\\HL\\\\Tfc\\motd.txt: Input/output error"});
}

TEST_F(LoadWorkspaceTest, aBasicFileThatCannotBeWritten_isReportedAndTheDefaultsStillShown) {
  fs.AddFile("C:\\HL\\Valve\\autoexec.cfg", "");
  fs.AddDirectory("C:\\HL\\Tfc");
  fs.FailOn(MemoryFileSystem::Op::Write, "C:\\HL\\Tfc\\server.cfg", MemoryFileSystem::kNoSpace);
  const WorkspaceView view = Load();
  EXPECT_EQ(view.report.failures, Names{"Quorvane could not write C:\\HL\\\\Tfc\\server.cfg: No space left on device"});
  EXPECT_EQ(view.fields.GetText("hostname"), "TFC Battle");
}

}  // namespace
}  // namespace quorvane::app
