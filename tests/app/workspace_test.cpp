// The start-up load of a workspace on the in-memory file system when a file fails; the loads that
// succeed are followed whole, effect by effect, in the effects-order test.
#include "app/workspace.h"

#include <gtest/gtest.h>

#include "support/memory_file_system.h"

namespace quorvane::app {
namespace {

using Names = std::vector<std::string>;
using test_support::MemoryFileSystem;
constexpr const char* kGameDir = "C:\\HL\\";

struct LoadWorkspaceTest : testing::Test {
  WorkspaceView Load() {
    return LoadWorkspace(fs, kGameDir, {}, [this](const std::string& text) { said.push_back(text); });
  }

  MemoryFileSystem fs;
  Names said;
};

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
