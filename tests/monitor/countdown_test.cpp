// The countdown before a stop or restart, ticked by hand.
#include "monitor/countdown.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "monitor/wire.h"

namespace quorvane::monitor::test {
namespace {

struct CountdownRow {
  const char* name;
  int totalSeconds;
  std::vector<int> warnAt;
  std::vector<std::int64_t> ticksMs;  // after the start
  const char* heard;                  // "ms:what" for each tick that did something
};

class CountdownTest : public testing::TestWithParam<CountdownRow> {};
const auto ByName = [](const auto& info) { return std::string(info.param.name); };

TEST_P(CountdownTest, warnsAtItsTimesAndIsDueAtTheEnd) {
  const CountdownRow& row = GetParam();
  Countdown countdown(row.totalSeconds, row.warnAt, "Server stopping in", "Server stop cancelled");
  const std::int64_t start = 5000;
  countdown.Begin(start);
  std::string heard;
  for (const std::int64_t at : row.ticksMs) {
    const Countdown::Step step = countdown.Tick(start + at);
    for (const std::string& say : step.commands) heard += std::to_string(at) + ":" + say + "|";
    if (step.due) heard += std::to_string(at) + ":due|";
  }
  EXPECT_EQ(heard, row.heard);
  EXPECT_FALSE(countdown.Active());
}

INSTANTIATE_TEST_SUITE_P(
    Lists, CountdownTest,
    testing::Values(
        CountdownRow{"theButtonsMinute",
                     60,
                     {60, 30, 10},
                     {0, 500, 29999, 30000, 49000, 50000, 59999, 60000, 61000},
                     "0:say \"Server stopping in 60 seconds\"|30000:say \"Server stopping in 30 seconds\"|"
                     "50000:say \"Server stopping in 10 seconds\"|60000:due|"},
        CountdownRow{"aStalledClockSaysOnlyTheLatestWarning",
                     60,
                     {60, 30, 10},
                     {0, 52000, 60000},
                     "0:say \"Server stopping in 60 seconds\"|52000:say \"Server stopping in 10 seconds\"|60000:due|"},
        CountdownRow{"aClockPastTheEndStopsWithoutAWarning",
                     60,
                     {60, 30, 10},
                     {0, 90000},
                     "0:say \"Server stopping in 60 seconds\"|90000:due|"},
        CountdownRow{"warningsBeyondTheTotalAreNeverSaid",
                     30,
                     {60, 30, 10, 30},
                     {0, 20000, 30000},
                     "0:say \"Server stopping in 30 seconds\"|20000:say \"Server stopping in 10 seconds\"|30000:due|"}),
    ByName);

TEST(Countdown, cancelTellsThePlayersOnceAndNothingFollows) {
  Countdown countdown = WarnAndStopCountdown();
  countdown.Begin(0);
  ASSERT_EQ(countdown.Tick(0).commands.size(), 1u);
  EXPECT_EQ(countdown.Cancel(), "say \"Server stop cancelled\"");
  EXPECT_EQ(countdown.Cancel(), std::nullopt);
  const Countdown::Step later = countdown.Tick(60000);
  EXPECT_TRUE(later.commands.empty());
  EXPECT_FALSE(later.due);
  EXPECT_EQ(countdown.LeftMs(30000), 0);
}

}  // namespace
}  // namespace quorvane::monitor::test
