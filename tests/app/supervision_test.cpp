// The supervision runner over fake doors and a hand-moved clock: what it
// starts, stops, kills and reports for each course of the server's life.
#include "app/supervision.h"

#include <gtest/gtest.h>

#include "supervise/crash_report.h"

#include <string>
#include <vector>

namespace quorvane::app {
namespace {

using std::chrono::seconds;

// Short times, so a row reads in seconds: grace 20, answer 10, queries every 5,
// kill 5 s after a stop, restarts after 2, 4, 8 (at most) s, loop 3 crashes in 60 s.
supervise::Settings Short() {
  return SupervisionSettings("grace=20,answer=10,query=5,map=5,kill=5,first=2,max=8,healthy=30,loop=3/60");
}

// One thing happening at a second of the run: t tick, x exit with code, s signal,
// a answer, p stop asked, f fatal window open, n the next start fails, m map change,
// l a log line, r restart asked, U the restart updates first, u the update is done.
struct Step {
  int at;
  char what;
  int code = 0;
};

struct Row {
  const char* name;
  std::vector<Step> steps;
  std::vector<std::string> calls;  // what the doors were asked, queries left out
  supervise::State last;
};

class Fake {
 public:
  SupervisionServices Services() {
    SupervisionServices s;
    s.start = [this] {
      calls.push_back("start");
      m_exit.reset();
      m_fatal.reset();
      if (failNext) {
        failNext = false;
        return launch::StartResult::Failure("No such file or directory");
      }
      return launch::StartResult::Success(++m_pid);
    };
    s.ended = [this] { return m_exit; };
    s.stop = [this] { calls.push_back("stop"); };
    s.kill = [this] { calls.push_back("kill"); };
    s.query = [] {};
    s.fatalWindow = [this] { return m_fatal; };
    s.writeReport = [this](const supervise::Crash& crash, const std::vector<std::string>& lines) {
      calls.push_back("report " + supervise::HowItEnded(crash) + (lines.empty() ? "" : " with " + lines.back()));
      return WrittenReport{true, "/crashes/" + std::to_string(calls.size()), {}};
    };
    s.say = [this](const std::string& line) { said.push_back(line); };
    s.notify = [this](const std::string& text) { calls.push_back("notify " + text); };
    s.beforeRestart = [this] {
      if (updates) calls.push_back("update");
      return updates;
    };
    return s;
  }
  void End(bool normally, int code) { m_exit = update::ChildExit{normally, code}; }
  void OpenFatal() { m_fatal = "Host_Error: no map"; }

  std::vector<std::string> calls, said;
  bool failNext = false;
  bool updates = false;

 private:
  long long m_pid = 100;
  std::optional<update::ChildExit> m_exit;
  std::optional<std::string> m_fatal;
};

// Runs the steps, ticking at every due wake in between, as the program's timer does.
void Drive(Supervision& runner, Fake& fake, const std::vector<Step>& steps) {
  const supervise::TimePoint zero{};
  runner.Start(zero);
  for (const Step& step : steps) {
    const supervise::TimePoint at = zero + seconds(step.at);
    while (runner.NextWake() && *runner.NextWake() <= at) runner.Tick(*runner.NextWake());
    switch (step.what) {
      case 'x':
      case 's':
        fake.End(step.what == 'x', step.code);
        break;
      case 'a':
        runner.Answered(at, "2fort", 3);
        break;
      case 'm':
        runner.MapChange(at, "well");
        break;
      case 'l':
        runner.LogLine("L 12/07/2026 - 21:05:09: FATAL ERROR (shutting down): Host_Error");
        break;
      case 'p':
        runner.Stop(at);
        break;
      case 'f':
        fake.OpenFatal();
        break;
      case 'n':
        fake.failNext = true;
        break;
      case 'r':
        runner.RestartNow(at);
        break;
      case 'U':
        fake.updates = true;
        break;
      case 'u':
        runner.ResumeRestart(at);
        break;
      default:
        break;
    }
    runner.Tick(at);
  }
}

TEST(Supervision, eachCourseOfTheServersLifeGetsItsActions) {
  const Row rows[] = {
      {"a crash is reported and the server started again after the first delay",
       {{3, 'a'}, {5, 's', 11}, {6, 't'}, {8, 't'}},
       {"start", "report SIGSEGV (signal 11)", "start"},
       supervise::State::Running},
      {"an end with status 0 is no crash and is not restarted",
       {{3, 'a'}, {5, 'x', 0}, {100, 't'}},
       {"start"},
       supervise::State::Idle},
      {"a stop asked for is no crash",
       {{3, 'a'}, {4, 'p'}, {5, 's', 15}, {100, 't'}},
       {"start", "stop"},
       supervise::State::Idle},
      {"a server that stops answering is stopped, killed when it stays, reported hung and restarted",
       {{3, 'a'}, {20, 't'}, {30, 't'}, {36, 't'}, {37, 's', 9}, {40, 't'}},
       {"start", "stop", "kill", "report stopped answering", "start"},
       supervise::State::Running},
      {"a fatal-error window ends the server at once and is reported",
       {{3, 'a'}, {4, 'f'}, {5, 's', 9}, {8, 't'}},
       {"start", "kill", "report fatal error window", "start"},
       supervise::State::Running},
      {"three quick crashes are a crash loop: reported, said, and no more starts",
       {{1, 's', 11}, {4, 's', 11}, {10, 's', 11}, {100, 't'}},
       {"start", "report SIGSEGV (signal 11)", "start", "report SIGSEGV (signal 11)", "start",
        "report SIGSEGV (signal 11)", "notify The server crashed 3 times within 1 min: it is not started again."},
       supervise::State::GaveUp},
      {"a restart that cannot start counts as a crash and is tried again later",
       {{1, 'n'}, {2, 'x', 1}, {5, 't'}, {10, 't'}},
       {"start", "report exit status 1", "start", "report could not be started: No such file or directory", "start"},
       supervise::State::Running},
      {"a restart asked for stops the server and starts it once it has ended, no crash reported",
       {{3, 'a'}, {4, 'r'}, {5, 's', 15}, {6, 't'}},
       {"start", "stop", "start"},
       supervise::State::Running},
      {"a restart with an update starts the server only once the update is done",
       {{1, 'U'}, {3, 'a'}, {4, 'r'}, {5, 's', 15}, {30, 't'}, {31, 'u'}},
       {"start", "stop", "update", "start"},
       supervise::State::Running},
      {"a stop during the restart's update starts nothing after it",
       {{1, 'U'}, {3, 'a'}, {4, 'r'}, {5, 's', 15}, {6, 'p'}, {7, 'u'}, {100, 't'}},
       {"start", "stop", "update"},
       supervise::State::Idle},
      {"a stop while waiting to restart starts nothing",
       {{1, 'x', 1}, {2, 'p'}, {100, 't'}},
       {"start", "report exit status 1"},
       supervise::State::Idle},
  };
  for (const Row& row : rows) {
    Fake fake;
    Supervision runner(fake.Services(), Short());
    Drive(runner, fake, row.steps);
    EXPECT_EQ(fake.calls, row.calls) << row.name;
    EXPECT_EQ(runner.Current(), row.last) << row.name;
  }
}

TEST(Supervision, restartDelaysDoubleUpToTheLongest) {
  Fake fake;
  supervise::Settings settings = Short();
  settings.loopCrashes = 100;
  Supervision runner(fake.Services(), settings);
  Drive(runner, fake, {{1, 's', 11}, {4, 's', 11}, {9, 's', 11}, {18, 's', 11}, {27, 's', 11}, {28, 't'}});
  std::vector<std::string> delays;
  for (const std::string& line : fake.said)
    if (const auto at = line.find("restarting in "); at != std::string::npos) delays.push_back(line.substr(at + 14, 3));
  EXPECT_EQ(delays, (std::vector<std::string>{"2 s", "4 s", "8 s", "8 s", "8 s"}));
}

TEST(Supervision, reportCarriesTheLogLinesAndEveryEventIsSaidInOneLine) {
  Fake fake;
  Supervision runner(fake.Services(), Short());
  Drive(runner, fake, {{3, 'a'}, {4, 'l'}, {5, 's', 11}, {6, 't'}});
  EXPECT_EQ(fake.calls.back(),
            "report SIGSEGV (signal 11) with L 12/07/2026 - 21:05:09: FATAL ERROR (shutting down): Host_Error");
  EXPECT_EQ(fake.said, (std::vector<std::string>{
                           "The server started (process 101).", "The server answers (map 2fort).",
                           "The server crashed (SIGSEGV (signal 11)); restarting in 2 s. Report: /crashes/2"}));
  EXPECT_EQ(runner.StatusText(), fake.said.back());
}

TEST(SupervisionSettings, testTimesOverrideOnlyWhatTheyName) {
  const supervise::Settings s = SupervisionSettings("grace=2,answer=3,bad,query=x,loop=4/30,max=-1");
  EXPECT_EQ(s.startGrace, seconds(2));
  EXPECT_EQ(s.answerTimeout, seconds(3));
  EXPECT_EQ(s.queryEvery, supervise::Settings{}.queryEvery);
  EXPECT_EQ(s.maxDelay, supervise::Settings{}.maxDelay);
  EXPECT_EQ(s.loopCrashes, 4);
  EXPECT_EQ(s.loopWindow, seconds(30));
}

}  // namespace
}  // namespace quorvane::app
