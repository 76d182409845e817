#include "supervise/supervisor.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "supervise/rows.h"

namespace quorvane::supervise::test {
namespace {

using std::chrono::minutes;
using std::chrono::seconds;
using K = EventKind;
using A = ActionKind;

constexpr ProcessId kServer = 4242;

TimePoint At(int second) { return TimePoint{} + seconds(second); }

Event Ev(int second, K kind, int code = 0, std::string text = {}, ProcessId process = kServer) {
  return Event{kind, At(second), process, code, std::move(text), -1};
}
Event Start(int second) { return Ev(second, K::Started); }
Event Tick(int second) { return Ev(second, K::Tick); }
Event Exit(int second, int status) { return Ev(second, K::Exited, status); }
Event Signal(int second, int number) { return Ev(second, K::Signalled, number); }
Event Stop(int second) { return Ev(second, K::StopAsked); }
Event Fatal(int second) { return Ev(second, K::FatalWindow, 0, "Host_Error: bad model"); }
Event Answer(int second, std::string map = "2fort", int players = 12) {
  return Event{K::Answered, At(second), kServer, 0, std::move(map), players};
}

std::vector<ActionKind> Kinds(const std::vector<Action>& actions) {
  std::vector<ActionKind> kinds;
  for (const Action& a : actions) kinds.push_back(a.kind);
  return kinds;
}

// Feeds all events, returning what the last one asked for.
std::vector<Action> FeedAll(Supervisor& s, const std::vector<Event>& events) {
  std::vector<Action> last;
  for (const Event& e : events) last = s.Feed(e);
  return last;
}

// Four crashes 30 s after each start, restarted after 10, 20, 40 and 80 s; running again at 300 s.
std::vector<Event> FourQuickCrashes() {
  std::vector<Event> events;
  int t = 0;
  for (int delay : {10, 20, 40, 80}) {
    events.insert(events.end(), {Start(t), Signal(t + 30, 11), Tick(t + 30 + delay)});
    t += 30 + delay;
  }
  events.push_back(Start(300));
  return events;
}

// Histories that bring the machine where the rows begin.
const std::vector<Event> kRunning = {Start(0)};
const std::vector<Event> kAnswered = {Start(0), Answer(120)};
const std::vector<Event> kMapChanged = {Start(0), Answer(120), Ev(150, K::MapChange, 0, "well")};
const std::vector<Event> kTwoMapChanges = {Start(0), Answer(120), Ev(150, K::MapChange, 0, "well"),
                                           Ev(200, K::MapChange, 0, "rock2")};
const std::vector<Event> kHung = {Start(0), Tick(150)};
const std::vector<Event> kAsked = {Start(0), Stop(60)};
const std::vector<Event> kFatal = {Start(0), Fatal(30)};
const std::vector<Event> kWaiting = {Start(0), Exit(20, 1)};  // restart at 30 s
const std::vector<Event> kLaunching = {Start(0), Exit(20, 1), Tick(30)};
const std::vector<Event> kFourCrashes = FourQuickCrashes();
const std::vector<Event> kGaveUp = [] {
  auto events = FourQuickCrashes();
  events.push_back(Exit(360, 2));
  return events;
}();
const std::vector<ActionKind> kRestart = {A::Report, A::RestartAt};

struct TransitionRow {
  const char* name;
  std::vector<Event> before;
  Event event;
  std::vector<ActionKind> actions;
  State next;
};

class Transitions : public testing::TestWithParam<TransitionRow> {};

TEST_P(Transitions, leadToTheirActionsAndState) {
  Supervisor s;
  (void)FeedAll(s, GetParam().before);
  EXPECT_EQ(Kinds(s.Feed(GetParam().event)), GetParam().actions);
  EXPECT_EQ(s.Current(), GetParam().next);
}

INSTANTIATE_TEST_SUITE_P(
    Supervision, Transitions,
    testing::Values(
        TransitionRow{"statusZeroIsNoCrash", kRunning, Exit(60, 0), {}, State::Idle},
        TransitionRow{"nonZeroStatusIsCrash", kRunning, Exit(60, 1), kRestart, State::Waiting},
        TransitionRow{"signalIsCrash", kRunning, Signal(60, 11), kRestart, State::Waiting},
        TransitionRow{"otherProcessEndIsIgnored", kRunning, Ev(60, K::Exited, 1, {}, 7), {}, State::Running},
        TransitionRow{"askedStopIsNoCrash", kAsked, Signal(61, 15), {}, State::Idle},
        TransitionRow{"noQueryBeforeTenSeconds", kRunning, Tick(9), {}, State::Running},
        TransitionRow{"queryAfterTenSeconds", kRunning, Tick(10), {A::Query}, State::Running},
        TransitionRow{"silenceWithinGraceAndTimeout", kRunning, Tick(149), {A::Query}, State::Running},
        TransitionRow{"silencePastGraceAndTimeoutIsHung", kRunning, Tick(150), {A::Stop}, State::Ending},
        TransitionRow{"unansweredPastTimeoutIsHung", kRunning, Ev(150, K::Unanswered), {A::Stop}, State::Ending},
        TransitionRow{"answerMovesTheDeadline", kAnswered, Tick(179), {A::Query}, State::Running},
        TransitionRow{"silenceAfterAnAnswerIsHung", kAnswered, Tick(180), {A::Stop}, State::Ending},
        TransitionRow{"mapChangeGivesMoreTime", kMapChanged, Tick(209), {A::Query}, State::Running},
        TransitionRow{"mapChangeTimeRunsOut", kMapChanged, Tick(210), {A::Stop}, State::Ending},
        TransitionRow{"mapChangesDoNotAddUp", kTwoMapChanges, Tick(210), {A::Stop}, State::Ending},
        TransitionRow{"hungServerGetsTenSecondsToEnd", kHung, Tick(159), {}, State::Ending},
        TransitionRow{"hungServerOutlivingStopIsKilled", kHung, Tick(160), {A::KillGroup}, State::Ending},
        TransitionRow{"askedStopIsNotKilled", kAsked, Tick(100), {}, State::Ending},
        TransitionRow{"hungServerEndIsCrashWhatever", kHung, Exit(152, 0), kRestart, State::Waiting},
        TransitionRow{"stopAskedWhileHungOnlyReports",
                      {Start(0), Tick(150), Stop(151)},
                      Signal(152, 9),
                      {A::Report},
                      State::Idle},
        TransitionRow{"fatalWindowKillsAtOnce", kRunning, Fatal(30), {A::KillGroup}, State::Ending},
        TransitionRow{"fatalWindowEndIsCrash", kFatal, Signal(31, 9), kRestart, State::Waiting},
        TransitionRow{"noRestartBeforeItsTime", kWaiting, Tick(29), {}, State::Waiting},
        TransitionRow{"restartAtItsTime", kWaiting, Tick(30), {A::Start}, State::Launching},
        TransitionRow{"stopCancelsTheRestart", kWaiting, Stop(25), {}, State::Idle},
        TransitionRow{"userStartWhileWaiting", kWaiting, Start(25), {}, State::Running},
        TransitionRow{"failedRestartIsCrash", kLaunching, Ev(31, K::StartFailed, 0, "gone"), kRestart, State::Waiting},
        TransitionRow{"givenUpServerIsNotRestarted", kGaveUp, Tick(1800), {}, State::GaveUp},
        TransitionRow{"userStartAfterGivingUp", kGaveUp, Start(1800), {}, State::Running}),
    RowName);

TEST(Supervision, restartDelayDoublesEachCrashUpToFiveMinutes) {
  Supervisor s;
  std::vector<Duration> delays;
  int t = 0;
  // Nine-minute runs: never ten minutes healthy, never five crashes in fifteen minutes.
  for (int crash = 0; crash < 7; ++crash) {
    const auto actions = FeedAll(s, {Start(t), Answer(t + 480), Exit(t + 540, 1)});
    ASSERT_EQ(Kinds(actions), kRestart) << "crash " << crash;
    delays.push_back(actions[0].crash->restartIn);
    EXPECT_EQ(actions[1].at, At(t + 540) + delays.back());
    t += 540 + static_cast<int>(std::chrono::duration_cast<seconds>(delays.back()).count());
  }
  EXPECT_EQ(delays, (std::vector<Duration>{seconds(10), seconds(20), seconds(40), seconds(80), seconds(160), minutes(5),
                                           minutes(5)}));
}

TEST(Supervision, delayStartsAgainAfterTenMinutesOfHealthyRunning) {
  Supervisor s;
  (void)FeedAll(s, {Start(0), Signal(30, 11), Tick(40), Start(40), Signal(70, 11), Tick(90)});
  const auto actions = FeedAll(s, {Start(90), Answer(690), Signal(750, 6)});
  ASSERT_EQ(Kinds(actions), kRestart);
  EXPECT_EQ(actions[0].crash->restartIn, seconds(10));
}

TEST(Supervision, fiveCrashesSpreadOverMoreThanFifteenMinutesKeepRestarting) {
  Supervisor s;
  int t = 0;
  std::vector<Action> last;
  for (int crash = 0; crash < 5; ++crash) {
    last = FeedAll(s, {Start(t), Exit(t + 230, 1)});
    t += 230 + static_cast<int>(std::chrono::duration_cast<seconds>(last[0].crash->restartIn).count());
    (void)s.Feed(Tick(t));
  }
  EXPECT_EQ(Kinds(last), kRestart);
}

TEST(Supervision, crashLoopIsNotifiedAndReported) {
  Supervisor s;
  (void)FeedAll(s, kFourCrashes);
  const auto actions = s.Feed(Exit(360, 2));
  ASSERT_EQ(Kinds(actions), (std::vector{A::Report, A::Notify}));
  EXPECT_TRUE(actions[0].crash->crashLoop);
  EXPECT_EQ(actions[1].text, "The server crashed 5 times within 15 min: it is not started again.");
}

TEST(Supervision, crashCarriesUptimeAndWhatWasLastSeen) {
  Supervisor s;
  const auto actions =
      FeedAll(s, {Start(0), Answer(100, "well", 7), Ev(200, K::MapChange, 0, "rock2"), Signal(400, 11)});
  ASSERT_FALSE(actions.empty());
  Crash expected;
  expected.end = Crash::End::Signalled;
  expected.code = 11;
  expected.uptime = seconds(400);
  expected.map = "rock2";
  expected.players = 7;
  expected.restartIn = seconds(10);
  EXPECT_EQ(actions[0].crash, expected);
}

TEST(Supervision, shortenedTimesAreKept) {
  Settings quick;
  quick.startGrace = seconds(1);
  quick.answerTimeout = seconds(2);
  Supervisor s(quick);
  EXPECT_EQ(Kinds(FeedAll(s, {Start(0), Tick(3)})), std::vector{A::Stop});
}

TEST(Supervision, nextWakeIsTheEarliestTimedStep) {
  Supervisor s;
  EXPECT_EQ(s.NextWake(), std::nullopt);
  (void)s.Feed(Start(0));
  EXPECT_EQ(s.NextWake(), At(10));
  (void)s.Feed(Tick(145));
  EXPECT_EQ(s.NextWake(), At(150));
  (void)s.Feed(Tick(150));
  EXPECT_EQ(s.NextWake(), At(160));
  (void)s.Feed(Exit(151, 3));
  EXPECT_EQ(s.NextWake(), At(161));
}

}  // namespace
}  // namespace quorvane::supervise::test
