#include "update/update_check.h"

#include <gtest/gtest.h>

namespace quorvane::update {
namespace {

using std::chrono::hours;
using std::chrono::seconds;

constexpr auto RowName = [](const auto& info) { return std::string(info.param.name); };

struct CompareRow {
  const char* name;
  std::optional<BuildId> installed, latest;
  UpdateState state;
  int exitCode;
};

void PrintTo(const CompareRow& row, std::ostream* os) { *os << row.name; }

class Compare : public testing::TestWithParam<CompareRow> {};

TEST_P(Compare, decidesTheStateAndTheCheckUpdateExitCode) {
  const UpdateCheck check = CompareBuilds(GetParam().installed, GetParam().latest);
  EXPECT_EQ(check.state, GetParam().state);
  EXPECT_EQ(CheckUpdateExitCode(check.state), GetParam().exitCode);
}

INSTANTIATE_TEST_SUITE_P(UpdateCheck, Compare,
                         testing::Values(CompareRow{"sameBuild", 100, 100, UpdateState::UpToDate, 0},
                                         CompareRow{"newerBuild", 100, 101, UpdateState::UpdateAvailable, 10},
                                         CompareRow{"staleAnswer", 101, 100, UpdateState::CouldNotCheck, 1},
                                         CompareRow{"noAnswer", 100, std::nullopt, UpdateState::CouldNotCheck, 1},
                                         CompareRow{"noManifest", std::nullopt, 100, UpdateState::CouldNotCheck, 1}),
                         RowName);

TEST(UpdateCheck, noticeNamesTheLatestAndTheInstalledBuild) {
  EXPECT_EQ(UpdateNotice(CompareBuilds(8421976, 8479102)),
            "An update of the server is available (build 8479102, installed 8421976).");
  EXPECT_EQ(UpdateNotice(CompareBuilds(8479102, 8479102)), "");
}

struct DueRow {
  const char* name;
  std::optional<WallTime> last;
  bool steamCmdRunning;
  bool due;
};

void PrintTo(const DueRow& row, std::ostream* os) { *os << row.name; }

const WallTime kNow{seconds(1'800'000'000)};

class Due : public testing::TestWithParam<DueRow> {};

TEST_P(Due, asksSteamCmdAtMostEverySixHours) {
  EXPECT_EQ(CheckDue(GetParam().last, kNow, GetParam().steamCmdRunning), GetParam().due);
}

INSTANTIATE_TEST_SUITE_P(UpdateCheck, Due,
                         testing::Values(DueRow{"firstCheck", std::nullopt, false, true},
                                         DueRow{"neverWhileSteamCmdRuns", std::nullopt, true, false},
                                         DueRow{"notBeforeSixHours", kNow - hours(6) + seconds(1), false, false},
                                         DueRow{"atSixHours", kNow - hours(6), false, true},
                                         DueRow{"clockSetBack", kNow + hours(1), false, true}),
                         RowName);

}  // namespace
}  // namespace quorvane::update
