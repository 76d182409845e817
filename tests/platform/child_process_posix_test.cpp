// The child process with real programs: /bin/sh stands for SteamCMD's shell script.
#include "platform/child_process.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <string>

#include "platform/scratch_dir.h"
#include "support/standin_processes.h"

namespace quorvane::platform {
namespace {

// Reads until `text` has arrived or the output ends.
std::string ReadUntil(ChildProcess& child, const std::string& text) {
  std::string output;
  while (output.find(text) == std::string::npos && child.Read(output, 5000) != ChildProcess::ReadStatus::Closed) {
  }
  return output;
}

TEST(ChildProcess, standardErrorIsMergedAndExitCodeKept) {
  ChildProcess child;
  ASSERT_TRUE(child.Start("/bin/sh", {"-c", "echo out; echo err >&2; exit 3"}));
  EXPECT_EQ(ReadUntil(child, "err\n"), "out\nerr\n");
  std::string rest;
  EXPECT_EQ(child.Read(rest, 5000), ChildProcess::ReadStatus::Closed);
  const ChildExit exit = child.Wait();
  EXPECT_TRUE(exit.exitedNormally);
  EXPECT_EQ(exit.code, 3);
}

TEST(ChildProcess, argumentsReachTheProgramUnsplit) {
  ChildProcess child;
  ASSERT_TRUE(child.Start("/bin/sh", {"-c", "printf '[%s]' \"$@\"", "sh", "a b", "$HOME", ""}));
  EXPECT_EQ(ReadUntil(child, "[]"), "[a b][$HOME][]");
}

// SteamCMD's install folder and its own path are this machine's UTF-8, passed on byte for byte.
TEST(ChildProcess, programAndArgumentsNamedInAnyScriptReachTheSystemUnchanged) {
  const testing::ScratchDir dir;
  const std::string folder = "\xE6\x9C\x8D\xE5\x8A\xA1 \xD0\xA1\xD0\xB5\xD1\x80\xD0\xB2\xD0\xB5\xD1\x80";
  const std::filesystem::path script = dir.Make(folder + "/steamcmd.sh", "#!/bin/sh\nprintf '[%s]' \"$@\"\n");
  std::filesystem::permissions(script, std::filesystem::perms::owner_exec, std::filesystem::perm_options::add);
  ChildProcess child;
  ASSERT_TRUE(child.Start(dir.Text() + "/" + folder + "/steamcmd.sh", {"+force_install_dir", "/srv/Jos\xC3\xA9"}));
  EXPECT_EQ(ReadUntil(child, "\xA9]"), "[+force_install_dir][/srv/Jos\xC3\xA9]");
}

TEST(ChildProcess, missingProgramIsNamedInTheFailure) {
  ChildProcess child;
  const install::IoResult started = child.Start("/nonexistent/steamcmd", {});
  EXPECT_FALSE(started);
  EXPECT_EQ(started.reason, "Cannot start /nonexistent/steamcmd: No such file or directory");
  EXPECT_FALSE(child.Running());
}

// The grandchild's number arrives while the shell still waits for it.
TEST(ChildProcess, outputArrivesWhileTheProgramRuns_andCancelEndsTheWholeProcessGroup) {
  ChildProcess child;
  ASSERT_TRUE(child.Start("/bin/sh", {"-c", "sleep 1000 & echo $!; wait"}));
  const long long grandchild = std::stoll(ReadUntil(child, "\n"));
  EXPECT_TRUE(child.Running());
  child.Cancel(2000);
  EXPECT_FALSE(child.Running());
  EXPECT_TRUE(test_support::WaitForExit(grandchild, 5000));
}

TEST(ChildProcess, programDeafToTheEndRequestIsForcedAfterTheGrace) {
  ChildProcess child;
  ASSERT_TRUE(child.Start("/bin/sh", {"-c", "trap '' TERM; echo ready; while :; do sleep 1; done"}));
  ReadUntil(child, "ready");
  child.Cancel(100);
  const ChildExit exit = child.Wait();
  EXPECT_FALSE(exit.exitedNormally);
  EXPECT_EQ(exit.code, SIGKILL);
}

TEST(ChildProcess, endingTheOwnerEndsTheProgram) {
  long long pid = 0;
  {
    ChildProcess child;
    ASSERT_TRUE(child.Start("/bin/sh", {"-c", "exec sleep 1000"}));
    pid = child.ProcessId();
  }
  EXPECT_TRUE(test_support::WaitForExit(pid, 5000));
}

// A caller reading a fixed number of times per turn of its loop is held only that long.
TEST(ChildProcess, eachReadOfAFloodTakesABoundedPiece) {
  ChildProcess child;
  ASSERT_TRUE(child.Start("/bin/sh", {"-c", "exec yes 'Update state (0x61) downloading, progress: 45.23'"}));
  std::size_t total = 0;
  for (int i = 0; i < 50; ++i) {
    std::string output;
    ASSERT_EQ(child.Read(output, 5000), ChildProcess::ReadStatus::Data);
    EXPECT_LE(output.size(), kReadLimitBytes) << "read " << i;
    total += output.size();
  }
  EXPECT_GT(total, 0U);
}

}  // namespace
}  // namespace quorvane::platform
