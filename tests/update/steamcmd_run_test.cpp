#include "update/steamcmd_run.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace quorvane::update {
namespace {

// Name, the run's lines, whether it exited by itself and its exit code, runs so far, whether it was cancelled,
// the next step, and a part of the failure text (empty: no failure).
using RunRow = std::tuple<const char*, std::vector<const char*>, bool, int, int, bool, NextStep, const char*>;

class DecideNextTest : public ::testing::TestWithParam<RunRow> {};

TEST_P(DecideNextTest, choosesNextStepAndExplainsFailure) {
  const auto& [name, lines, exitedNormally, exitCode, runsSoFar, cancelled, next, failureHas] = GetParam();
  RunSummary run;
  for (const char* line : lines) run.Add(ClassifyLine(line));
  run.Ended(exitedNormally, exitCode);
  EXPECT_EQ(DecideNext(run, runsSoFar, cancelled), next);
  const std::string failure = run.FailureText();
  EXPECT_EQ(failure.empty(), *failureHas == '\0') << failure;
  EXPECT_NE(failure.find(failureHas), std::string::npos) << failure;
}

const char* const kInstalled = "Success! App '90' fully installed.";
const char* const kShort = "Error! App '90' state is 0x10E after update job.";
const char* const kDiskFull = "Error! App '90' state is 0x202 after update job.";
const char* const kNoNet = "FAILED login with result code No Connection";

INSTANTIATE_TEST_SUITE_P(
    Runs, DecideNextTest,
    ::testing::Values(
        RunRow{"installed", {kInstalled}, true, 0, 1, false, NextStep::Done, ""},
        RunRow{"upToDateOnLastRun", {"Success! App '90' already up to date."}, true, 0, 5, false, NextStep::Done, ""},
        RunRow{"successWinsOverExitCode", {kInstalled}, true, 7, 1, false, NextStep::Done, ""},
        RunRow{"stoppedShortRunsAgain", {kShort}, true, 0, 1, false, NextStep::RunAgain, "in state 0x10e"},
        RunRow{"noSuccessLineRunsAgain", {"Steam>"}, true, 0, 2, false, NextStep::RunAgain, "without reporting"},
        RunRow{"exitCodeIsNamed", {}, true, 6, 1, false, NextStep::RunAgain, "exit code 6"},
        RunRow{"errorAfterSuccessFails", {kInstalled, kShort}, true, 0, 1, false, NextStep::RunAgain, "0x10E"},
        RunRow{"fifthRunIsTheLast", {kShort}, true, 0, 5, false, NextStep::GiveUp, "0x10E"},
        RunRow{"diskFullIsHopeless", {kDiskFull}, true, 8, 1, false, NextStep::GiveUp, "Not enough disk space"},
        RunRow{"noNetworkIsHopeless", {kNoNet}, true, 5, 1, false, NextStep::GiveUp, "network"},
        RunRow{"cancelStops", {}, false, 15, 1, true, NextStep::GiveUp, "ended before it finished"}),
    [](const auto& info) { return std::string(std::get<0>(info.param)); });

}  // namespace
}  // namespace quorvane::update
