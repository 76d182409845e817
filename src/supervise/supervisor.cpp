#include "supervise/supervisor.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace quorvane::supervise {

namespace {

// Built in a buffer: "0" + std::to_string(...) makes the mingw compiler warn of an overlap that cannot happen.
std::string TwoDigits(long long value) {
  char text[24];
  std::snprintf(text, sizeof text, "%02lld", value);
  return text;
}

bool IsEnd(EventKind kind) { return kind == EventKind::Exited || kind == EventKind::Signalled; }

}  // namespace

std::string DurationText(Duration duration) {
  using std::chrono::duration_cast;
  const long long total = duration_cast<std::chrono::seconds>(duration).count();
  const long long hours = total / 3600, minutes = total / 60 % 60, seconds = total % 60;
  if (hours > 0) return std::to_string(hours) + " h " + TwoDigits(minutes) + " min " + TwoDigits(seconds) + " s";
  if (minutes > 0 && seconds == 0) return std::to_string(minutes) + " min";
  if (minutes > 0) return std::to_string(minutes) + " min " + TwoDigits(seconds) + " s";
  return std::to_string(seconds) + " s";
}

std::vector<Action> Supervisor::Feed(const Event& event) {
  switch (m_state) {
    case State::Idle:
    case State::GaveUp:
      if (event.kind == EventKind::Started) {
        // A start by the user begins afresh, whatever crashed before.
        m_crashes.clear();
        m_delay = m_settings.firstDelay;
        BeginRunning(event);
      } else if (event.kind == EventKind::StopAsked) {
        m_state = State::Idle;
      }
      return {};
    case State::Launching:
      if (event.kind == EventKind::Started) BeginRunning(event);
      if (event.kind == EventKind::StopAsked) m_state = State::Idle;
      if (event.kind != EventKind::StartFailed) return {};
      return OnCrash(CrashOf(event), event.at, true);
    case State::Running:
      return OnRunning(event);
    case State::Ending:
      return OnEnding(event);
    case State::Waiting:
      if (event.kind == EventKind::Started) BeginRunning(event);
      if (event.kind == EventKind::StopAsked) m_state = State::Idle;
      if (event.kind != EventKind::Tick || event.at < m_restartAt) return {};
      m_state = State::Launching;
      return {Action{ActionKind::Start, event.at, {}, {}}};
  }
  return {};
}

void Supervisor::BeginRunning(const Event& event) {
  m_state = State::Running;
  m_process = event.process;
  m_startedAt = m_lastAnswer = event.at;
  m_nextQuery = event.at + m_settings.queryEvery;
  m_extra = Duration{};
  m_map.clear();
  m_players = -1;
  m_fatalWindow.clear();
  m_stopAsked = false;
}

std::vector<Action> Supervisor::OnRunning(const Event& event) {
  if (event.process != m_process && (IsEnd(event.kind) || event.kind == EventKind::FatalWindow)) return {};
  switch (event.kind) {
    case EventKind::Answered:
      m_lastAnswer = event.at;
      m_extra = Duration{};
      m_map = event.text;
      m_players = event.players;
      return {};
    case EventKind::MapChange:
      m_map = event.text;
      // Once per silence: a log full of map changes does not keep a hung server alive.
      m_extra = m_settings.mapChangeExtra;
      return {};
    case EventKind::FatalWindow:
      m_state = State::Ending;
      m_why = Why::Fatal;
      m_fatalWindow = event.text;
      return {Action{ActionKind::KillGroup, event.at, {}, {}}};
    case EventKind::StopAsked:
      m_state = State::Ending;
      m_why = Why::Asked;
      return {};
    case EventKind::Exited:
      if (event.code == 0) {
        m_state = State::Idle;
        return {};
      }
      return OnCrash(CrashOf(event), event.at, true);
    case EventKind::Signalled:
      return OnCrash(CrashOf(event), event.at, true);
    case EventKind::Tick:
    case EventKind::Unanswered:
      return OnTime(event.at);
    default:
      return {};
  }
}

std::vector<Action> Supervisor::OnTime(TimePoint now) {
  if (now >= AnswerDeadline()) {
    m_state = State::Ending;
    m_why = Why::Hung;
    m_stoppedAt = now;
    m_killed = false;
    return {Action{ActionKind::Stop, now, {}, {}}};
  }
  if (now < m_nextQuery) return {};
  m_nextQuery = now + m_settings.queryEvery;
  return {Action{ActionKind::Query, now, {}, {}}};
}

std::vector<Action> Supervisor::OnEnding(const Event& event) {
  if (event.kind == EventKind::StopAsked) m_stopAsked = true;
  if (event.kind == EventKind::Tick && m_why == Why::Hung && !m_killed &&
      event.at >= m_stoppedAt + m_settings.killAfter) {
    m_killed = true;
    return {Action{ActionKind::KillGroup, event.at, {}, {}}};
  }
  if (!IsEnd(event.kind) || event.process != m_process) return {};
  if (m_why == Why::Asked) {
    m_state = State::Idle;
    return {};
  }
  return OnCrash(CrashOf(event), event.at, !m_stopAsked);
}

TimePoint Supervisor::AnswerDeadline() const {
  // Silence counts from the end of the start grace or from the last answer, whichever is later.
  return std::max(m_startedAt + m_settings.startGrace, m_lastAnswer) + m_settings.answerTimeout + m_extra;
}

Crash Supervisor::CrashOf(const Event& event) const {
  Crash crash;
  if (event.kind == EventKind::StartFailed) {
    crash.end = Crash::End::NotStarted;
    crash.startFailure = event.text;
    return crash;
  }
  crash.end = event.kind == EventKind::Signalled ? Crash::End::Signalled : Crash::End::Exited;
  crash.code = event.code;
  crash.hung = m_state == State::Ending && m_why == Why::Hung;
  crash.fatalWindow = m_fatalWindow;
  crash.uptime = std::max(Duration{}, std::chrono::duration_cast<Duration>(event.at - m_startedAt));
  crash.map = m_map;
  crash.players = m_players;
  return crash;
}

std::vector<Action> Supervisor::OnCrash(Crash crash, TimePoint at, bool restart) {
  if (crash.end != Crash::End::NotStarted && m_lastAnswer - m_startedAt >= m_settings.healthyReset)
    m_delay = m_settings.firstDelay;
  m_crashes.push_back(at);
  while (at - m_crashes.front() > m_settings.loopWindow) m_crashes.pop_front();
  crash.crashLoop = restart && static_cast<int>(m_crashes.size()) >= m_settings.loopCrashes;
  if (!restart) {
    m_state = State::Idle;
    return {Action{ActionKind::Report, at, std::move(crash), {}}};
  }
  if (crash.crashLoop) {
    m_state = State::GaveUp;
    const std::string text = "The server crashed " + std::to_string(m_crashes.size()) + " times within " +
                             DurationText(m_settings.loopWindow) + ": it is not started again.";
    return {Action{ActionKind::Report, at, std::move(crash), {}}, Action{ActionKind::Notify, at, {}, text}};
  }
  crash.restartIn = m_delay;
  m_restartAt = at + m_delay;
  m_delay = std::min(m_delay * 2, m_settings.maxDelay);
  m_state = State::Waiting;
  return {Action{ActionKind::Report, at, std::move(crash), {}}, Action{ActionKind::RestartAt, m_restartAt, {}, {}}};
}

std::optional<TimePoint> Supervisor::NextWake() const {
  if (m_state == State::Waiting) return m_restartAt;
  if (m_state == State::Running) return std::min(m_nextQuery, AnswerDeadline());
  if (m_state == State::Ending && m_why == Why::Hung && !m_killed) return m_stoppedAt + m_settings.killAfter;
  return std::nullopt;
}

}  // namespace quorvane::supervise
