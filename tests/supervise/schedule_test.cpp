#include "supervise/schedule.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "supervise/rows.h"

namespace quorvane::supervise {
// Failures name the actions.
void PrintTo(const ScheduleAction& action, std::ostream* os) {
  *os << (action.kind == ScheduleActionKind::Say ? "Say \"" + action.text + "\"" : std::string("RestartNow"));
}
}  // namespace quorvane::supervise

namespace quorvane::supervise::test {
namespace {

using std::chrono::hours;
using std::chrono::minutes;
using std::chrono::seconds;
using K = ScheduleEventKind;
using A = ScheduleActionKind;

WallTime Utc(int year, int month, int day, int hour, int minute = 0) {
  return CivilSeconds({year, month, day, hour, minute, 0});
}

// Central European time in 2026: UTC+1, and UTC+2 from 29 March 01:00 UTC
// (02:00 becomes 03:00) to 25 October 01:00 UTC (03:00 becomes 02:00).
class SummerTimeZone : public TimeZone {
 public:
  LocalTime ToLocal(WallTime utc) const override {
    const bool summer = utc >= Utc(2026, 3, 29, 1) && utc < Utc(2026, 10, 25, 1);
    return CivilTime(utc + hours(summer ? 2 : 1));
  }
};

const SummerTimeZone kZone;

// A local time the clock shows once.
WallTime Local(int month, int day, int hour, int minute = 0) {
  const auto instants = FromLocal(kZone, {2026, month, day, hour, minute, 0});
  EXPECT_EQ(instants.size(), 1u);
  return instants.empty() ? WallTime{} : instants.front();
}

struct NextRow {
  const char* name;
  std::vector<DailyTime> daily;
  int everyHours;
  WallTime anchor, after;
  std::optional<WallTime> next;
};

class Next : public testing::TestWithParam<NextRow> {};

TEST_P(Next, isTheFirstScheduledTimeAfter) {
  ScheduleSettings settings;
  settings.daily = GetParam().daily;
  settings.every = hours(GetParam().everyHours);
  EXPECT_EQ(NextScheduledRestart(settings, kZone, GetParam().after, GetParam().anchor), GetParam().next);
}

INSTANTIATE_TEST_SUITE_P(
    Schedule, Next,
    testing::Values(
        NextRow{"earliestOfTheDailyTimes", {{17, 30}, {5, 0}}, 0, {}, Local(6, 10, 6), Local(6, 10, 17, 30)},
        NextRow{"everyNHoursFromTheAnchor", {}, 6, Local(6, 10, 0), Local(6, 10, 13), Local(6, 10, 18)},
        NextRow{"earlierOfDailyAndEvery", {{5, 0}}, 6, Local(6, 10, 0), Local(6, 10, 1), Local(6, 10, 5)},
        NextRow{
            "everyNHoursIsRealHoursAcrossTheChange", {}, 24, Local(10, 24, 5), Local(10, 24, 5), Utc(2026, 10, 25, 3)}),

    RowName);

// Daily at 05:00 on 10 June; the schedule is set an hour before.
const WallTime kRestart = Local(6, 10, 5);
WallTime T(int secondsFromRestart) { return kRestart + seconds(secondsFromRestart); }
ScheduleEvent Tick(int s) { return {K::Tick, T(s), -1}; }
ScheduleEvent Players(int s, int count) { return {K::Players, T(s), count}; }
ScheduleEvent Cancel(int s) { return {K::Cancel, T(s), -1}; }
ScheduleAction Say(const char* text) { return {A::Say, text}; }
const ScheduleAction kRestartNow{A::RestartNow, {}};

ScheduleSettings Daily() {
  ScheduleSettings settings;
  settings.daily = {{5, 0}};
  return settings;
}
ScheduleSettings DailyWaitingForEmpty() {
  ScheduleSettings settings = Daily();
  settings.waitForEmpty = true;
  settings.waitAtMost = minutes(15);
  return settings;
}

// Every default warning said on time, before the restart and the end of the wait.
const std::vector<ScheduleEvent> kWarned = {Tick(-600), Tick(-300), Tick(-60), Tick(-30), Tick(-10)};
const std::vector<ScheduleEvent> kBusyAndWarned = {Players(-60, 3), Tick(0),   Tick(300), Tick(600),
                                                   Tick(840),       Tick(870), Tick(890)};

struct StepRow {
  const char* name;
  ScheduleSettings settings;
  std::vector<ScheduleEvent> before;
  ScheduleEvent event;
  std::vector<ScheduleAction> actions;
  SchedulePhase next;
};

class Steps : public testing::TestWithParam<StepRow> {};

TEST_P(Steps, leadToTheirActionsAndPhase) {
  RestartSchedule schedule(GetParam().settings, kZone, T(-3600));
  for (const ScheduleEvent& e : GetParam().before) (void)schedule.Feed(e);
  EXPECT_EQ(schedule.Feed(GetParam().event), GetParam().actions);
  EXPECT_EQ(schedule.Current(), GetParam().next);
}

const auto kWaiting = SchedulePhase::Waiting, kWarning = SchedulePhase::Warning;
const auto kRestarting = SchedulePhase::Restarting;

INSTANTIATE_TEST_SUITE_P(
    Schedule, Steps,
    testing::Values(
        StepRow{"nothingScheduledIsOff", {}, {}, Tick(0), {}, SchedulePhase::Off},
        StepRow{"quietBeforeTheFirstWarning", Daily(), {}, Tick(-601), {}, kWaiting},
        StepRow{
            "firstWarningTenMinutesBefore", Daily(), {}, Tick(-600), {Say("Server restart in 10 minutes.")}, kWarning},
        StepRow{
            "missedWarningsSayTheTimeLeft", Daily(), {}, Tick(-200), {Say("Server restart in 3 minutes.")}, kWarning},
        StepRow{"restartAtItsTime", Daily(), kWarned, Tick(0), {kRestartNow}, kRestarting},
        StepRow{"restartNoticedLateCountsDownFirst",
                Daily(),
                {},
                Tick(7200),
                {Say("Server restart in 10 minutes.")},
                kWarning},
        StepRow{"restartNoticedLateOnAnEmptyServerComesAtOnce",
                Daily(),
                {Players(-60, 0)},
                Tick(7200),
                {kRestartNow},
                kRestarting},
        StepRow{"nothingMoreWhileRestarting", Daily(), {Tick(-10), Tick(0)}, Tick(5), {}, kRestarting},
        StepRow{"cancelBeforeAnyWarningIsSilent", Daily(), {}, Cancel(-3000), {}, kWaiting},
        StepRow{"cancelAfterAWarningTellsThePlayers",
                Daily(),
                {Tick(-600)},
                Cancel(-300),
                {Say("The scheduled server restart is cancelled.")},
                kWaiting},
        StepRow{"cancelledRestartDoesNotCome", Daily(), {Tick(-600), Cancel(-300)}, Tick(0), {}, kWaiting},
        StepRow{"emptyServerRestartsAtItsTime",
                DailyWaitingForEmpty(),
                {Players(-60, 0)},
                Tick(0),
                {kRestartNow},
                kRestarting},
        StepRow{"emptyServerIsNotRestartedEarly", DailyWaitingForEmpty(), {}, Players(-60, 0), {}, kWaiting},
        StepRow{"busyServerWaits", DailyWaitingForEmpty(), {Players(-60, 3)}, Tick(0), {}, kWarning},
        StepRow{"unknownPlayerCountWaits", DailyWaitingForEmpty(), {}, Tick(0), {}, kWarning},
        StepRow{"serverEmptyingRestartsAtOnce",
                DailyWaitingForEmpty(),
                {Players(-60, 3), Tick(0)},
                Players(120, 0),
                {kRestartNow},
                kRestarting},
        StepRow{"warningsCountDownToTheEndOfTheWait",
                DailyWaitingForEmpty(),
                {Players(-60, 3), Tick(0)},
                Tick(300),
                {Say("Server restart in 10 minutes.")},
                kWarning},
        StepRow{"busyServerRestartsAtTheLimit",
                DailyWaitingForEmpty(),
                kBusyAndWarned,
                Tick(900),
                {kRestartNow},
                kRestarting}),
    RowName);

// Ticks the schedule whenever it asks to be, restarting in a minute each time
// it says so, from `from` to `to`; returns the restarts' times.
std::vector<WallTime> Restarts(const ScheduleSettings& settings, WallTime from, WallTime to) {
  RestartSchedule schedule(settings, kZone, from);
  std::vector<WallTime> restarts;
  for (auto wake = schedule.NextWake(); wake && *wake < to; wake = schedule.NextWake()) {
    for (const ScheduleAction& action : schedule.Feed({K::Tick, *wake, -1})) {
      if (action.kind != A::RestartNow) continue;
      restarts.push_back(*wake);
      (void)schedule.Feed({K::RestartDone, *wake + minutes(1), -1});
    }
  }
  return restarts;
}

struct NightRow {
  const char* name;
  WallTime from, to;
  std::vector<WallTime> restarts;
};

class ClockChange : public testing::TestWithParam<NightRow> {};

TEST_P(ClockChange, neitherSkipsNorDoublesADailyRestart) {
  ScheduleSettings settings;
  settings.daily = {{2, 30}};
  EXPECT_EQ(Restarts(settings, GetParam().from, GetParam().to), GetParam().restarts);
}

INSTANTIATE_TEST_SUITE_P(Schedule, ClockChange,
                         testing::Values(NightRow{"springForward",
                                                  Local(3, 27, 12),
                                                  Local(3, 30, 12),
                                                  {Local(3, 28, 2, 30), Utc(2026, 3, 29, 1), Local(3, 30, 2, 30)}},
                                         NightRow{
                                             "fallBack",
                                             Local(10, 23, 12),
                                             Local(10, 26, 12),
                                             {Local(10, 24, 2, 30), Utc(2026, 10, 25, 0, 30), Local(10, 26, 2, 30)}}),
                         RowName);

TEST(Schedule, cancelSkipsToTheFollowingRestart) {
  ScheduleSettings settings = Daily();
  settings.every = hours(8);
  RestartSchedule schedule(settings, kZone, T(-3600));  // every 8 h from 04:00: 12:00
  (void)schedule.Feed(Cancel(-60));
  EXPECT_EQ(schedule.NextRestart(), Local(6, 10, 13));  // 8 h after the cancelled 05:00
}

struct StatusRow {
  const char* name;
  ScheduleSettings settings;
  std::vector<ScheduleEvent> before;
  WallTime now;
  const char* text;
};

class Status : public testing::TestWithParam<StatusRow> {};

TEST_P(Status, saysWhenTheNextRestartComes) {
  RestartSchedule schedule(GetParam().settings, kZone, T(-4 * 3600));
  for (const ScheduleEvent& e : GetParam().before) (void)schedule.Feed(e);
  EXPECT_EQ(schedule.StatusText(GetParam().now), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Schedule, Status,
    testing::Values(
        StatusRow{"hoursAndMinutes", Daily(), {}, T(-(2 * 3600 + 13 * 60 + 59)), "restart at 05:00, in 2 h 13 min"},
        StatusRow{"lastSeconds", Daily(), {}, T(-45), "restart at 05:00, in 45 s"},
        StatusRow{"waitingForEmpty",
                  DailyWaitingForEmpty(),
                  {Tick(0)},
                  T(60),
                  "restart when the server is empty, at the latest at 05:15, in 14 min"},
        StatusRow{"restarting", Daily(), {Tick(-10), Tick(0)}, T(1), "restarting now"},
        StatusRow{"nothingScheduled", {}, {}, T(0), ""}),
    RowName);

struct ParseRow {
  const char* name;
  const char* text;
  std::optional<std::vector<DailyTime>> times;
};

class Parse : public testing::TestWithParam<ParseRow> {};

TEST_P(Parse, readsDailyTimesAsTheUserWritesThem) { EXPECT_EQ(ParseDailyTimes(GetParam().text), GetParam().times); }

using Times = std::vector<DailyTime>;
INSTANTIATE_TEST_SUITE_P(Schedule, Parse,
                         testing::Values(ParseRow{"one", "05:00", Times{{5, 0}}},
                                         ParseRow{"severalWithoutLeadingZero", "5:00, 17:30", Times{{5, 0}, {17, 30}}},
                                         ParseRow{"twiceIsOnce", "05:00 05:00", Times{{5, 0}}},
                                         ParseRow{"hourOutOfRange", "24:00", std::nullopt},
                                         ParseRow{"oneDigitMinute", "5:7", std::nullopt},
                                         ParseRow{"trailingWord", "05:00pm", std::nullopt}),
                         RowName);

}  // namespace
}  // namespace quorvane::supervise::test
