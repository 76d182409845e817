// Ctrl+C during a terminal install is noted, not fatal, so the files can go back.
#include <gtest/gtest.h>

#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include "platform/install_runner.h"

namespace quorvane::platform {
namespace {

class TerminalInterruptTest : public ::testing::TestWithParam<int> {};

TEST_P(TerminalInterruptTest, signalIsNotedInsteadOfEndingTheProgram) {
  CatchTerminalInterrupt();
  ASSERT_EQ(std::raise(GetParam()), 0);
  EXPECT_TRUE(TerminalInterrupted());
}

// Once SteamCMD is ended and the files are back, the program ends as the signal would have ended it.
TEST_P(TerminalInterruptTest, endAsInterruptedEndsByTheSignalThatCame) {
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    CatchTerminalInterrupt();
    std::raise(GetParam());
    EndAsInterrupted();
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status)) << status;
  EXPECT_EQ(WTERMSIG(status), GetParam());
}

INSTANTIATE_TEST_SUITE_P(Signals, TerminalInterruptTest, ::testing::Values(SIGINT, SIGTERM, SIGHUP),
                         [](const auto& info) { return std::string(::sigabbrev_np(info.param)); });

}  // namespace
}  // namespace quorvane::platform
