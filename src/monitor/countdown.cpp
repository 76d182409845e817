#include "monitor/countdown.h"

#include <algorithm>
#include <functional>

#include "monitor/monitor_view.h"

namespace quorvane::monitor {

Countdown::Countdown(int totalSeconds, std::vector<int> warnAtSeconds, std::string warning, std::string cancelled)
    : m_totalMs(std::max(totalSeconds, 0) * 1000LL),
      m_warnAt(std::move(warnAtSeconds)),
      m_warning(std::move(warning)),
      m_cancelled(std::move(cancelled)) {
  std::erase_if(m_warnAt, [totalSeconds](int s) { return s <= 0 || s > totalSeconds; });
  std::sort(m_warnAt.begin(), m_warnAt.end(), std::greater<>());
  m_warnAt.erase(std::unique(m_warnAt.begin(), m_warnAt.end()), m_warnAt.end());
}

void Countdown::Begin(std::int64_t nowMs) {
  m_active = true;
  m_endMs = nowMs + m_totalMs;
  m_said = 0;
}

Countdown::Step Countdown::Tick(std::int64_t nowMs) {
  Step step;
  if (!m_active) return step;
  const std::int64_t left = m_endMs - nowMs;
  std::optional<int> latest;
  while (m_said < m_warnAt.size() && left <= m_warnAt[m_said] * 1000LL) latest = m_warnAt[m_said++];
  if (left <= 0) {
    m_active = false;
    step.due = true;
    return step;
  }
  if (latest) step.commands.push_back(SayCommand(m_warning + " " + TimeLeftWords(*latest)));
  return step;
}

std::optional<std::string> Countdown::Cancel() {
  if (!m_active) return std::nullopt;
  m_active = false;
  return SayCommand(m_cancelled);
}

std::int64_t Countdown::LeftMs(std::int64_t nowMs) const {
  return m_active ? std::max<std::int64_t>(m_endMs - nowMs, 0) : 0;
}

Countdown WarnAndStopCountdown() { return Countdown(60, {60, 30, 10}, "Server stopping in", "Server stop cancelled"); }

std::string TimeLeftWords(int seconds) {
  // "60 seconds", as the question asking for the stop says it.
  const bool minutes = seconds >= 120 && seconds % 60 == 0;
  const int count = minutes ? seconds / 60 : seconds;
  return std::to_string(count) + (minutes ? " minute" : " second") + (count == 1 ? "" : "s");
}

std::string TimeLeftClock(std::int64_t leftMs) {
  const std::int64_t seconds = (std::max<std::int64_t>(leftMs, 0) + 999) / 1000;
  const std::int64_t rest = seconds % 60;
  return std::to_string(seconds / 60) + (rest < 10 ? ":0" : ":") + std::to_string(rest);
}

}  // namespace quorvane::monitor
