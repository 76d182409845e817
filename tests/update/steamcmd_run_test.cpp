#include "update/steamcmd_run.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quorvane::update {
namespace {

TEST(SteamCmdArguments, installDirComesBeforeTheLogin) {
  const std::vector<std::string> expected{"+force_install_dir", "/home/u/my hlds", "+login", "anonymous",
                                          "+app_set_config", "90", "mod", "tfc", "+app_update", "90", "validate",
                                          "+quit"};
  EXPECT_EQ(SteamCmdArguments("/home/u/my hlds"), expected);
}

struct RunCase {
  const char* name;
  std::vector<const char*> lines;
  bool exitedNormally;
  int exitCode;
  int runsSoFar;
  bool cancelled;
  NextStep next;
  const char* failureHas;  // part of FailureText; empty: no failure
};

class DecideNextTest : public ::testing::TestWithParam<RunCase> {};

TEST_P(DecideNextTest, choosesNextStepAndExplainsFailure) {
  const RunCase& c = GetParam();
  RunSummary run;
  for (const char* line : c.lines) run.Add(ClassifyLine(line));
  run.Ended(c.exitedNormally, c.exitCode);
  EXPECT_EQ(DecideNext(run, c.runsSoFar, c.cancelled), c.next);
  if (*c.failureHas == '\0') {
    EXPECT_EQ(run.FailureText(), "");
  } else {
    EXPECT_NE(run.FailureText().find(c.failureHas), std::string::npos) << run.FailureText();
  }
}

const char* const kInstalled = "Success! App '90' fully installed.";
const char* const kShort = "Error! App '90' state is 0x10E after update job.";
const char* const kDiskFull = "Error! App '90' state is 0x202 after update job.";
const char* const kNoNet = "FAILED login with result code No Connection";

INSTANTIATE_TEST_SUITE_P(
    Runs, DecideNextTest,
    ::testing::Values(
        RunCase{"installed", {kInstalled}, true, 0, 1, false, NextStep::Done, ""},
        RunCase{"upToDateOnLastRun", {"Success! App '90' already up to date."}, true, 0, 5, false, NextStep::Done, ""},
        RunCase{"successWinsOverExitCode", {kInstalled}, true, 7, 1, false, NextStep::Done, ""},
        RunCase{"stoppedShortRunsAgain", {kShort}, true, 0, 1, false, NextStep::RunAgain, "in state 0x10e"},
        RunCase{"noSuccessLineRunsAgain", {"Steam>"}, true, 0, 2, false, NextStep::RunAgain, "without reporting"},
        RunCase{"exitCodeIsNamed", {}, true, 6, 1, false, NextStep::RunAgain, "exit code 6"},
        RunCase{"errorAfterSuccessFails", {kInstalled, kShort}, true, 0, 1, false, NextStep::RunAgain, "0x10E"},
        RunCase{"fifthRunIsTheLast", {kShort}, true, 0, 5, false, NextStep::GiveUp, "0x10E"},
        RunCase{"diskFullIsHopeless", {kDiskFull}, true, 8, 1, false, NextStep::GiveUp, "Not enough disk space"},
        RunCase{"noNetworkIsHopeless", {kNoNet}, true, 5, 1, false, NextStep::GiveUp, "network"},
        RunCase{"noSubscriptionIsHopeless", {"ERROR! Failed to install app '90' (No subscription)"}, true, 8, 1,
                false, NextStep::GiveUp, "refused"},
        RunCase{"cancelStops", {}, false, 15, 1, true, NextStep::GiveUp, "ended before it finished"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RunSummary, programThatCannotStartIsHopeless) {
  RunSummary run;
  run.NotStarted("No such file or directory");
  EXPECT_EQ(DecideNext(run, 1, false), NextStep::GiveUp);
  EXPECT_EQ(run.FailureText(), "SteamCMD could not be started: No such file or directory");
}

}  // namespace
}  // namespace quorvane::update
