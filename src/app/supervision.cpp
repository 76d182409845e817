#include "app/supervision.h"

#include <algorithm>
#include <charconv>
#include <utility>

#include "supervise/crash_report.h"

namespace quorvane::app {

using supervise::ActionKind;
using supervise::EventKind;

Supervision::Supervision(SupervisionServices services, supervise::Settings settings)
    : m_services(std::move(services)), m_settings(settings), m_supervisor(settings) {}

supervise::Event Supervision::At(TimePoint now, EventKind kind) const {
  supervise::Event event;
  event.kind = kind;
  event.at = now;
  event.process = m_process;
  return event;
}

void Supervision::Start(TimePoint now) {
  // A start from rest is the user's start; the state machine starts one itself only when waiting.
  const launch::StartResult result = m_services.start();
  if (!result) {
    Say("The server could not be started: " + result.reason);
    return;
  }
  Started(now, result.started.value_or(0));
}

void Supervision::Started(TimePoint now, long long process) {
  m_process = process;
  m_answered = false;
  m_log.clear();
  m_nextPoll = now + kProcessPollEvery;
  ++m_starts;
  Say("The server started (process " + std::to_string(process) + ").");
  Feed(At(now, EventKind::Started));
}

void Supervision::Stop(TimePoint now) {
  m_restart = Restart::None;
  const supervise::State before = m_supervisor.Current();
  Feed(At(now, EventKind::StopAsked));
  if (before == supervise::State::Running || before == supervise::State::Ending) m_services.stop();
  if (before == supervise::State::Waiting || before == supervise::State::GaveUp) Say("The server is not restarted.");
}

void Supervision::RestartNow(TimePoint now) {
  if (m_supervisor.Current() != supervise::State::Running || m_restart != Restart::None) return;
  m_restart = Restart::Stopping;
  Say("The server is being restarted.");
  Feed(At(now, EventKind::StopAsked));
  m_services.stop();
}

void Supervision::ResumeRestart(TimePoint now) {
  if (m_restart != Restart::Between) return;
  m_restart = Restart::None;
  Start(now);
}

void Supervision::Release() {
  m_restart = Restart::None;
  if (m_supervisor.Current() == supervise::State::Idle) return;
  m_supervisor = supervise::Supervisor(m_settings);
  m_nextPoll.reset();
  Say("The server is no longer kept running.");
}

void Supervision::Answered(TimePoint now, const std::string& map, int players) {
  if (m_supervisor.Current() != supervise::State::Running) return;
  if (!m_answered) Say("The server answers (map " + (map.empty() ? std::string("unknown") : map) + ").");
  m_answered = true;
  supervise::Event event = At(now, EventKind::Answered);
  event.text = map;
  event.players = players;
  Feed(event);
}

void Supervision::Unanswered(TimePoint now) { Feed(At(now, EventKind::Unanswered)); }

void Supervision::MapChange(TimePoint now, const std::string& map) {
  supervise::Event event = At(now, EventKind::MapChange);
  event.text = map;
  Feed(event);
}

void Supervision::LogLine(const std::string& line) {
  m_log.push_back(line);
  while (m_log.size() > supervise::kReportLogLines) m_log.pop_front();
}

void Supervision::Tick(TimePoint now) {
  const supervise::State state = m_supervisor.Current();
  const bool watching = state == supervise::State::Running || state == supervise::State::Ending;
  if (watching && m_nextPoll && now >= *m_nextPoll) {
    m_nextPoll = now + kProcessPollEvery;
    if (const std::optional<update::ChildExit> exit = m_services.ended()) {
      supervise::Event event = At(now, exit->exitedNormally ? EventKind::Exited : EventKind::Signalled);
      event.code = exit->code;
      m_reported = false;
      Feed(event);
      const bool idle = m_supervisor.Current() == supervise::State::Idle;
      if (idle && m_restart == Restart::Stopping) {
        m_restart = Restart::Between;
        Say("The server was stopped for its restart.");
        if (!m_services.beforeRestart || !m_services.beforeRestart()) ResumeRestart(now);
        return;
      }
      // A crash says itself with its report; an end that is none is said here.
      if (!m_reported && idle)
        Say(state == supervise::State::Ending ? "The server was stopped."
                                              : "The server ended by itself (exit status 0); it is not restarted.");
      return;
    }
    if (state == supervise::State::Running) {
      if (std::optional<std::string> text = m_services.fatalWindow()) {
        supervise::Event event = At(now, EventKind::FatalWindow);
        event.text = std::move(*text);
        Feed(event);
        return;
      }
    }
  }
  Feed(At(now, EventKind::Tick));
}

std::optional<Supervision::TimePoint> Supervision::NextWake() const {
  std::optional<TimePoint> wake = m_supervisor.NextWake();
  const supervise::State state = m_supervisor.Current();
  if ((state == supervise::State::Running || state == supervise::State::Ending) && m_nextPoll)
    wake = wake ? std::min(*wake, *m_nextPoll) : *m_nextPoll;
  return wake;
}

void Supervision::Feed(const supervise::Event& event) {
  for (const supervise::Action& action : m_supervisor.Feed(event)) Carry(action);
}

void Supervision::Carry(const supervise::Action& action) {
  switch (action.kind) {
    case ActionKind::Start: {
      const launch::StartResult result = m_services.start();
      if (result) {
        Started(action.at, result.started.value_or(0));
      } else {
        supervise::Event failed = At(action.at, EventKind::StartFailed);
        failed.text = result.reason;
        Feed(failed);
      }
      return;
    }
    case ActionKind::Stop:
      Say("The server stopped answering; it is being stopped.");
      m_services.stop();
      return;
    case ActionKind::KillGroup:
      m_services.kill();
      return;
    case ActionKind::Query:
      m_services.query();
      return;
    case ActionKind::Report: {
      m_reported = true;
      const supervise::Crash& crash = *action.crash;
      const WrittenReport written = m_services.writeReport(crash, {m_log.begin(), m_log.end()});
      std::string line = crash.end == supervise::Crash::End::NotStarted
                             ? "The server could not be started (" + crash.startFailure + ")"
                             : "The server crashed (" + supervise::HowItEnded(crash) + ")";
      if (crash.restartIn > supervise::Duration{})
        line += "; restarting in " + supervise::DurationText(crash.restartIn) + ".";
      else
        line += ".";
      Say(written.ok ? line + " Report: " + written.folder : line + " " + written.failure);
      return;
    }
    case ActionKind::Notify:
      Say(action.text);
      m_services.notify(action.text);
      return;
    case ActionKind::RestartAt:
      return;  // said with the report
  }
}

void Supervision::Say(std::string line) {
  m_status = line;
  m_services.say(m_status);
}

void ForEachTestItem(std::string_view text,
                     const std::function<void(std::string_view name, std::string_view value)>& item) {
  while (!text.empty()) {
    const std::size_t comma = text.find(',');
    const std::string_view one = text.substr(0, comma);
    text.remove_prefix(comma == std::string_view::npos ? text.size() : comma + 1);
    if (const std::size_t equals = one.find('='); equals != std::string_view::npos)
      item(one.substr(0, equals), one.substr(equals + 1));
  }
}

supervise::Settings SupervisionSettings(std::string_view testTimes, supervise::Settings settings) {
  using std::chrono::seconds;
  ForEachTestItem(testTimes, [&settings](std::string_view name, std::string_view value) {
    long long number = 0, second = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
    if (error != std::errc() || number < 0) return;
    const seconds time{number};
    if (name == "grace") settings.startGrace = time;
    if (name == "answer") settings.answerTimeout = time;
    if (name == "query") settings.queryEvery = time;
    if (name == "map") settings.mapChangeExtra = time;
    if (name == "kill") settings.killAfter = time;
    if (name == "first") settings.firstDelay = time;
    if (name == "max") settings.maxDelay = time;
    if (name == "healthy") settings.healthyReset = time;
    const std::string_view rest(end, static_cast<std::size_t>(value.data() + value.size() - end));
    if (name == "loop" && rest.size() > 1 && rest[0] == '/' &&
        std::from_chars(rest.data() + 1, rest.data() + rest.size(), second).ec == std::errc() && number > 0) {
      settings.loopCrashes = static_cast<int>(number);
      settings.loopWindow = seconds(second);
    }
  });
  return settings;
}

}  // namespace quorvane::app
