#pragma once
// Keeping the dedicated server running: the runner that owns the supervisor
// state machine, feeds it what happened to the server and carries out what it
// asks for. It never waits and never reads a clock: the caller ticks it at
// NextWake() with the time, and passes on what the monitor sees.
#include <chrono>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "launch/launcher.h"
#include "supervise/supervisor.h"
#include "update/install_machine.h"

namespace quorvane::app {

// What a crash report's writing gave: the folder, or the message saying why not.
struct WrittenReport {
  bool ok = false;
  std::string folder;   // written: where
  std::string failure;  // not written: "Quorvane could not write <file>: <reason>"
};

// The doors to the server process and to the user.
struct SupervisionServices {
  // Starts the server through the launch step alone (no sound cue, no message box).
  std::function<launch::StartResult()> start;
  // How the server started last ended; none while it runs.
  std::function<std::optional<update::ChildExit>()> ended;
  std::function<void()> stop;   // the polite end, to its group, as Stop ends it
  std::function<void()> kill;   // the forced end, to its group
  std::function<void()> query;  // one status query; its answer comes back through Answered/Unanswered
  // The text of a fatal-error window the server has open; none when it has none.
  std::function<std::optional<std::string>()> fatalWindow;
  // Writes the crash's report, with the live log's lines seen since the start.
  std::function<WrittenReport(const supervise::Crash&, const std::vector<std::string>& logLines)> writeReport;
  std::function<void(const std::string&)> say;     // one plain line per event
  std::function<void(const std::string&)> notify;  // the desktop's notification, where it has one
  // Between the stop and the start of a restart the program asked for: true when it
  // began work of its own (an update) and will call ResumeRestart once done.
  std::function<bool()> beforeRestart;
};

// How often the server's process is looked at while it runs.
inline constexpr std::chrono::milliseconds kProcessPollEvery{500};

class Supervision {
 public:
  using TimePoint = supervise::TimePoint;

  Supervision(SupervisionServices services, supervise::Settings settings = {});

  // Starts the server and supervises it (--run-server, and a restart).
  void Start(TimePoint now);
  // The user started it (the start button) as process `process`: it is supervised from now.
  void Started(TimePoint now, long long process);
  // The user or the program stops it: its end is no crash.
  void Stop(TimePoint now);
  // Supervision is turned off: the server runs on, no longer watched.
  void Release();
  // A restart the program asks for (a scheduled one): the server is stopped as
  // Stop stops it, and once it has ended started again. Only a running server is restarted.
  void RestartNow(TimePoint now);
  // The work beforeRestart began is done: the server is started.
  void ResumeRestart(TimePoint now);
  // Between the stop and the start of such a restart.
  bool Restarting() const { return m_restart != Restart::None; }
  // How many times the server was started under supervision, restarts included.
  int Starts() const { return m_starts; }

  // What happened, as the monitor sees it.
  void Answered(TimePoint now, const std::string& map, int players);
  void Unanswered(TimePoint now);
  void MapChange(TimePoint now, const std::string& map);
  void LogLine(const std::string& line);

  // Looks at the process and carries out what is due.
  void Tick(TimePoint now);
  // When Tick is next due; none while nothing is supervised.
  std::optional<TimePoint> NextWake() const;

  supervise::State Current() const { return m_supervisor.Current(); }
  // The last event's line, for the status line; empty until the first.
  const std::string& StatusText() const { return m_status; }

 private:
  void Feed(const supervise::Event& event);
  void Carry(const supervise::Action& action);
  void Say(std::string line);
  supervise::Event At(TimePoint now, supervise::EventKind kind) const;

  SupervisionServices m_services;
  supervise::Settings m_settings;
  supervise::Supervisor m_supervisor;
  long long m_process = 0;
  bool m_answered = false;
  bool m_reported = false;
  enum class Restart { None, Stopping, Between } m_restart = Restart::None;
  int m_starts = 0;
  std::optional<TimePoint> m_nextPoll;
  std::deque<std::string> m_log;
  std::string m_status;
};

// Each "name=value" item of a test's comma-separated setting text; items without "=" are skipped.
void ForEachTestItem(std::string_view text,
                     const std::function<void(std::string_view name, std::string_view value)>& item);

// The supervisor's times, shortened for tests by QUORVANE_SUPERVISE_TIMES:
// "grace=2,answer=2,query=1,map=1,kill=1,first=1,max=4,healthy=10,loop=5/30"
// (seconds; loop is crashes/window). Unknown or bad items are left as they were.
supervise::Settings SupervisionSettings(std::string_view testTimes, supervise::Settings settings = {});

}  // namespace quorvane::app
