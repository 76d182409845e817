// The child process with real programs: /bin/sh stands for SteamCMD's shell script.
#include "platform/child_process.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <future>
#include <string>

#include "platform/file_system.h"
#include "platform/install_runner.h"
#include "platform/scratch_dir.h"
#include "support/standin_processes.h"
#include "update/installer.h"

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

// The shell stands for steamcmd.sh; the loop it leaves behind for the real program it started.
TEST(ChildProcess, installerStopsReadingAGrandchildThatKeepsWritingAfterTheProgramEnded) {
  testing::ScratchDir dir;
  // It ends only once the loop is under way, so that the loop writes all through the drain.
  const std::filesystem::path script = dir.Make(
      "steamcmd.sh", "#!/bin/sh\nflag='" + (dir.Path() / "writing").string() +
                         "'\nfor n in 1 2 3 4; do yes 'still here' & done\n(: > \"$flag\"; exec yes 'still here') &\n"
                         "while [ ! -e \"$flag\" ]; do :; done\necho \"Success! App '90' fully installed.\"\n");
  std::filesystem::permissions(script, std::filesystem::perms::owner_all);
  NativeFileSystem files;
  update::Installer installer(files, {dir.Text(), script.string(), "2026-12-07_05-30-12"});
  std::future<update::InstallResult> done =
      std::async(std::launch::async, [&installer] { return RunInstaller(installer); });
  ASSERT_EQ(done.wait_for(std::chrono::seconds(30)), std::future_status::ready) << "the drain never ended";
  const update::InstallResult result = done.get();
  EXPECT_TRUE(result.ok) << result.message;
}

}  // namespace
}  // namespace quorvane::platform
