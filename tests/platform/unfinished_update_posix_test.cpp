// What is left running of an update whose program was killed: the stand-in SteamCMD, waiting in its own
// process group as the real one would go on downloading.
#include <gtest/gtest.h>

#include <string>

#include "platform/child_process.h"
#include "platform/install_runner.h"
#include "platform/scratch_dir.h"
#include "support/standin_processes.h"
#include "update/steamcmd_run.h"

namespace quorvane::platform {
namespace {

TEST(UnfinishedUpdate, steamCmdStillRunningFromTheMarkersGroupIsEnded) {
  testing::ScratchDir dir;
  dir.Make("steamcmd-standin-mode", "hang\n");
  ChildProcess steamCmd;
  ASSERT_TRUE(steamCmd.Start(QUORVANE_STEAMCMD_STANDIN, update::SteamCmdArguments(dir.Text())));
  std::string output;
  while (output.find("downloading") == std::string::npos &&
         steamCmd.Read(output, 5000) != ChildProcess::ReadStatus::Closed) {
  }
  const update::UpdateMarker marker{"2026-12-07 05:30:12", 0, steamCmd.ProcessGroup(), QUORVANE_STEAMCMD_STANDIN, {}};
  EXPECT_TRUE(SettleUnfinishedUpdate(marker));
  update::ChildExit exit;
  EXPECT_TRUE(steamCmd.TryWait(exit));
}

// The group's number may belong to something else by now.
TEST(UnfinishedUpdate, groupRunningSomethingElseIsLeftAlone) {
  ChildProcess other;
  ASSERT_TRUE(other.Start("/bin/sleep", {"1000"}));
  const update::UpdateMarker marker{"2026-12-07 05:30:12", 0, other.ProcessGroup(), QUORVANE_STEAMCMD_STANDIN, {}};
  EXPECT_TRUE(SettleUnfinishedUpdate(marker));
  EXPECT_TRUE(other.Running());
  update::ChildExit exit;
  EXPECT_FALSE(other.TryWait(exit));
}

}  // namespace
}  // namespace quorvane::platform
