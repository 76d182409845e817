// Ctrl+C during a terminal install is noted, not fatal, so the files can go back.
#include <gtest/gtest.h>

#include <string.h>

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

INSTANTIATE_TEST_SUITE_P(Signals, TerminalInterruptTest, ::testing::Values(SIGINT, SIGTERM, SIGHUP),
                         [](const auto& info) { return std::string(::sigabbrev_np(info.param)); });

}  // namespace
}  // namespace quorvane::platform
