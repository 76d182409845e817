#pragma once
// Keeping one dedicated server running: a plain state machine fed with what
// happened to the server and the time it happened, answering with what to do.
// It never waits and never reads a clock; the caller ticks it at NextWake().
//
// State     | Event                                  | Actions                   | Next state
// ----------|----------------------------------------|---------------------------|-----------
// Idle      | Started (the user's start)             | crash history cleared     | Running
// Idle      | any other                              | -                         | Idle
// Launching | Started                                | -                         | Running
// Launching | StartFailed                            | Report, RestartAt         | Waiting
// Launching | StartFailed, a crash loop              | Report, Notify            | GaveUp
// Launching | StopAsked                              | -                         | Idle
// Running   | Answered                               | - (answer deadline moves) | Running
// Running   | MapChange                              | - (30 s more, once)       | Running
// Running   | Tick or Unanswered, a query due        | Query                     | Running
// Running   | Tick or Unanswered, no answer in time  | Stop                      | Ending (hung)
// Running   | FatalWindow                            | KillGroup                 | Ending (fatal)
// Running   | StopAsked                              | -                         | Ending (asked)
// Running   | Exited with status 0                   | -                         | Idle
// Running   | Exited otherwise, or Signalled         | Report, RestartAt         | Waiting
// Running   | the same, a crash loop                 | Report, Notify            | GaveUp
// Ending    | Tick 10 s after a hung server's Stop   | KillGroup                 | Ending (hung)
// Ending    | Exited or Signalled, asked             | -                         | Idle
// Ending    | Exited or Signalled, hung or fatal     | Report, RestartAt         | Waiting
// Ending    | the same, a crash loop                 | Report, Notify            | GaveUp
// Ending    | the same after StopAsked               | Report                    | Idle
// Waiting   | Tick at or after the restart time      | Start                     | Launching
// Waiting   | Started (the user started it by hand)  | -                         | Running
// Waiting   | StopAsked                              | -                         | Idle
// GaveUp    | Started (the user's start)             | crash history cleared     | Running
// GaveUp    | StopAsked                              | -                         | Idle
//
// Events about another process than the one started last are ignored, as are
// events a state does not list.
#include <chrono>
#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace quorvane::supervise {

using Clock = std::chrono::steady_clock;
using TimePoint = Clock::time_point;
using Duration = std::chrono::milliseconds;
// The started program as the system knows it (its process id).
using ProcessId = long long;

struct Settings {
  Duration startGrace = std::chrono::seconds(90);
  Duration answerTimeout = std::chrono::seconds(60);
  Duration queryEvery = std::chrono::seconds(10);
  Duration mapChangeExtra = std::chrono::seconds(30);
  Duration killAfter = std::chrono::seconds(10);  // a hung server that outlives its Stop
  Duration firstDelay = std::chrono::seconds(10);
  Duration maxDelay = std::chrono::minutes(5);
  Duration healthyReset = std::chrono::minutes(10);
  int loopCrashes = 5;
  Duration loopWindow = std::chrono::minutes(15);
};

enum class EventKind {
  Started,      // the server was started (by the user or after a Start action)
  StartFailed,  // a Start action could not start it; text: why
  Exited,       // it ended by itself; code: its exit status
  Signalled,    // it was ended by a signal; code: the signal's number
  StopAsked,    // the user or the program is stopping it
  Answered,     // it answered the status query; text: map, players
  Unanswered,   // a status query went without an answer
  MapChange,    // the log says a map is loading; text: the map
  FatalWindow,  // a fatal-error window of the server is open; text: its text
  Tick,
};

struct Event {
  EventKind kind = EventKind::Tick;
  TimePoint at;
  ProcessId process = 0;
  int code = 0;
  std::string text;
  int players = -1;
};

// How a crashed server ended, with what the report needs.
struct Crash {
  enum class End { Exited, Signalled, NotStarted };
  End end = End::Exited;
  int code = 0;              // exit status or signal number
  bool hung = false;         // it stopped answering and was stopped
  std::string fatalWindow;   // the fatal-error window's text, when one was seen
  std::string startFailure;  // why it could not be started
  Duration uptime{};         // from its start to its end
  std::string map;           // last seen, empty when never seen
  int players = -1;          // last seen, -1 when never seen
  bool crashLoop = false;    // too many crashes: not restarted
  Duration restartIn{};      // when it is restarted; zero: it is not
  bool operator==(const Crash&) const = default;
};

enum class ActionKind {
  Start,      // start the server again through the launch step
  Stop,       // end the server's process group as Stop ends it
  KillGroup,  // kill the server's process group at once
  Query,      // send the status query
  Report,     // write the crash report; crash says what
  Notify,     // tell the user plainly; text says what
  RestartAt,  // the server is started again at `at`
};

struct Action {
  ActionKind kind = ActionKind::Query;
  TimePoint at;
  std::optional<Crash> crash;
  std::string text;
  bool operator==(const Action&) const = default;
};

enum class State { Idle, Launching, Running, Ending, Waiting, GaveUp };

class Supervisor {
 public:
  explicit Supervisor(Settings settings = {}) : m_settings(settings) {}

  [[nodiscard]] std::vector<Action> Feed(const Event& event);
  State Current() const { return m_state; }
  // When the next tick is due; none while nothing is timed.
  std::optional<TimePoint> NextWake() const;
  // The delay the next crash waits before its restart.
  Duration NextDelay() const { return m_delay; }

 private:
  enum class Why { Asked, Hung, Fatal };
  std::vector<Action> OnRunning(const Event& event);
  std::vector<Action> OnEnding(const Event& event);
  std::vector<Action> OnTime(TimePoint now);
  std::vector<Action> OnCrash(Crash crash, TimePoint at, bool restart);
  void BeginRunning(const Event& event);
  TimePoint AnswerDeadline() const;
  Crash CrashOf(const Event& event) const;

  Settings m_settings;
  State m_state = State::Idle;
  Why m_why = Why::Asked;
  bool m_stopAsked = false;
  bool m_killed = false;
  ProcessId m_process = 0;
  TimePoint m_startedAt, m_lastAnswer, m_nextQuery, m_restartAt, m_stoppedAt;
  Duration m_extra{};
  std::string m_map, m_fatalWindow;
  int m_players = -1;
  Duration m_delay = m_settings.firstDelay;
  std::deque<TimePoint> m_crashes;
};

// "5 min", "90 s", "1 h 02 min 05 s": a duration as the messages say it.
std::string DurationText(Duration duration);

}  // namespace quorvane::supervise
