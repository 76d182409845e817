#include "supervise/schedule.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <functional>

namespace quorvane::supervise {
namespace {

using std::chrono::hours;
using std::chrono::minutes;
using std::chrono::seconds;

// Far enough either side of a local time to see the zone's offset before and
// after any clock change that concerns it.
constexpr hours kAround{26};

seconds OffsetAt(const TimeZone& zone, WallTime at) { return CivilSeconds(zone.ToLocal(at)) - at; }

// The first instant the clock shows `naive` or later, for a time the clock skips.
WallTime AfterSkip(const TimeZone& zone, std::chrono::sys_seconds naive) {
  const seconds before = OffsetAt(zone, naive - kAround), after = OffsetAt(zone, naive + kAround);
  // Shows a time before the skip at `low`, one after it at `high`.
  WallTime low = naive - std::max(before, after), high = naive - std::min(before, after);
  while (high - low > seconds(1)) {
    const WallTime middle = low + (high - low) / 2;
    (CivilSeconds(zone.ToLocal(middle)) >= naive ? high : low) = middle;
  }
  return high;
}

// Built in a buffer: "0" + std::to_string(...) makes the mingw compiler warn of an overlap that cannot happen.
std::string TwoDigits(long long value) {
  char text[24];
  std::snprintf(text, sizeof text, "%02lld", value);
  return text;
}

// "2 h 13 min", "13 min", "45 s".
std::string LeftText(seconds left) {
  const long long total = std::max<long long>(left.count(), 0);
  const long long h = total / 3600, m = total / 60 % 60;
  if (h > 0) return std::to_string(h) + " h " + TwoDigits(m) + " min";
  if (m > 0) return std::to_string(m) + " min";
  return std::to_string(total) + " s";
}

std::string Plural(long long count, const char* unit) {
  return std::to_string(count) + " " + unit + (count == 1 ? "" : "s");
}

}  // namespace

LocalTime CivilTime(std::chrono::sys_seconds naive) {
  const auto day = std::chrono::floor<std::chrono::days>(naive);
  const std::chrono::year_month_day date{day};
  const std::chrono::hh_mm_ss time{naive - day};
  return {static_cast<int>(date.year()),
          static_cast<int>(static_cast<unsigned>(date.month())),
          static_cast<int>(static_cast<unsigned>(date.day())),
          static_cast<int>(time.hours().count()),
          static_cast<int>(time.minutes().count()),
          static_cast<int>(time.seconds().count())};
}

std::chrono::sys_seconds CivilSeconds(const LocalTime& local) {
  // Out-of-range days roll over as the calendar does: the 32nd of May is the 1st of June.
  const std::chrono::sys_days day{std::chrono::year(local.year) /
                                  std::chrono::month(static_cast<unsigned>(local.month)) / 1};
  return day + std::chrono::days(local.day - 1) + hours(local.hour) + minutes(local.minute) + seconds(local.second);
}

std::vector<WallTime> FromLocal(const TimeZone& zone, const LocalTime& local) {
  const std::chrono::sys_seconds naive = CivilSeconds(local);
  std::vector<WallTime> instants;
  for (const seconds offset : {OffsetAt(zone, naive - kAround), OffsetAt(zone, naive + kAround)}) {
    const WallTime candidate = naive - offset;
    if (CivilSeconds(zone.ToLocal(candidate)) == naive) instants.push_back(candidate);
  }
  std::ranges::sort(instants);
  instants.erase(std::unique(instants.begin(), instants.end()), instants.end());
  return instants;
}

std::optional<std::vector<DailyTime>> ParseDailyTimes(std::string_view text) {
  std::vector<DailyTime> times;
  std::size_t at = 0;
  while (true) {
    at = text.find_first_not_of(", \t", at);
    if (at == std::string_view::npos) break;
    const std::size_t end = std::min(text.find_first_of(", \t", at), text.size());
    const std::string_view item = text.substr(at, end - at);
    at = end;
    const std::size_t colon = item.find(':');
    if (colon == std::string_view::npos || colon == 0 || colon > 2 || item.size() - colon != 3) return std::nullopt;
    DailyTime time;
    const auto hour = std::from_chars(item.data(), item.data() + colon, time.hour);
    const auto minute = std::from_chars(item.data() + colon + 1, item.data() + item.size(), time.minute);
    if (hour.ptr != item.data() + colon || minute.ptr != item.data() + item.size()) return std::nullopt;
    if (hour.ec != std::errc{} || minute.ec != std::errc{} || time.hour < 0 || time.hour > 23 || time.minute < 0 ||
        time.minute > 59) {
      return std::nullopt;
    }
    if (std::ranges::find(times, time) == times.end()) times.push_back(time);
  }
  return times;
}

std::optional<WallTime> NextScheduledRestart(const ScheduleSettings& settings, const TimeZone& zone, WallTime after,
                                             WallTime anchor) {
  std::optional<WallTime> next;
  const auto consider = [&](WallTime candidate) {
    if (candidate > after && (!next || candidate < *next)) next = candidate;
  };
  const LocalTime today = zone.ToLocal(after);
  for (int day = -1; day <= 2; ++day) {
    for (const DailyTime& daily : settings.daily) {
      const LocalTime local{today.year, today.month, today.day + day, daily.hour, daily.minute, 0};
      // Read back through the calendar, so the day after the 31st is the 1st.
      const LocalTime rolled = CivilTime(CivilSeconds(local));
      const std::vector<WallTime> instants = FromLocal(zone, rolled);
      consider(instants.empty() ? AfterSkip(zone, CivilSeconds(rolled)) : instants.front());
    }
  }
  if (settings.every > seconds(0)) {
    const seconds period = settings.every;
    const long long periods = after < anchor ? 0 : (after - anchor) / period;
    consider(anchor + period * (periods + 1));
  }
  return next;
}

std::string WarningText(seconds left) {
  const long long total = std::max<long long>(left.count(), 1);
  std::string amount;
  if (total >= 3600 && total % 3600 == 0) {
    amount = Plural(total / 3600, "hour");
  } else if (total >= 120 || total % 60 == 0) {
    amount = Plural(total / 60, "minute");
  } else {
    amount = Plural(total, "second");
  }
  return "Server restart in " + amount + ".";
}

RestartSchedule::RestartSchedule(ScheduleSettings settings, const TimeZone& zone, WallTime now)
    : m_settings(std::move(settings)), m_zone(&zone) {
  auto& warnings = m_settings.warnings;
  std::erase_if(warnings, [](seconds w) { return w <= seconds(0); });
  std::ranges::sort(warnings, std::greater<>());
  warnings.erase(std::unique(warnings.begin(), warnings.end()), warnings.end());
  if (m_settings.waitAtMost < minutes(0)) m_settings.waitAtMost = minutes(0);
  Schedule(now, now);
}

void RestartSchedule::Schedule(WallTime after, WallTime anchor) {
  m_target = NextScheduledRestart(m_settings, *m_zone, after, anchor);
  m_restarting = false;
  m_reachedTarget = false;
  m_lateDeadline.reset();
  m_nextWarning = 0;
  m_players = -1;
}

WallTime RestartSchedule::Deadline() const {
  if (m_lateDeadline) return *m_lateDeadline;
  return *m_target + (m_settings.waitForEmpty ? seconds(m_settings.waitAtMost) : seconds(0));
}

SchedulePhase RestartSchedule::Current() const {
  if (!m_target) return SchedulePhase::Off;
  if (m_restarting) return SchedulePhase::Restarting;
  if (m_nextWarning > 0 || m_reachedTarget) return SchedulePhase::Warning;
  return SchedulePhase::Waiting;
}

std::vector<ScheduleAction> RestartSchedule::Feed(const ScheduleEvent& event) {
  if (!m_target) return {};
  switch (event.kind) {
    case ScheduleEventKind::RestartDone:
      // Every N hours counts again from the restart, whoever asked for it.
      Schedule(event.at, event.at);
      return {};
    case ScheduleEventKind::Cancel: {
      if (m_restarting) return {};
      const bool warned = m_nextWarning > 0;
      const WallTime skipped = *m_target;
      Schedule(std::max(skipped, event.at), skipped);
      if (!warned) return {};
      return {ScheduleAction{ScheduleActionKind::Say, std::string(kCancelledText)}};
    }
    case ScheduleEventKind::Players:
      if (m_restarting) return {};
      m_players = event.players;
      return OnTime(event.at);
    case ScheduleEventKind::Tick:
      if (m_restarting) return {};
      return OnTime(event.at);
  }
  return {};
}

std::vector<ScheduleAction> RestartSchedule::OnTime(WallTime now) {
  const auto& warnings = m_settings.warnings;
  WallTime deadline = Deadline();
  if (now >= deadline) {
    // No tick came while the last warning was due (the machine slept): the
    // players still hear the whole countdown before the restart.
    if (m_players == 0 || m_nextWarning >= warnings.size()) return RestartNow();
    m_lateDeadline = deadline = now + warnings.front();
    m_nextWarning = 0;
  }
  if (now >= *m_target) {
    m_reachedTarget = true;
    if (m_players == 0) return RestartNow();
  }
  // The latest warning whose time has come; one missed while no tick came is
  // not said late, its successor says the time truly left.
  std::optional<std::size_t> due;
  for (std::size_t i = m_nextWarning; i < warnings.size() && deadline - warnings[i] <= now; ++i) due = i;
  if (!due) return {};
  m_nextWarning = *due + 1;
  return {ScheduleAction{ScheduleActionKind::Say, WarningText(std::chrono::duration_cast<seconds>(deadline - now))}};
}

std::vector<ScheduleAction> RestartSchedule::RestartNow() {
  m_restarting = true;
  return {ScheduleAction{ScheduleActionKind::RestartNow, {}}};
}

std::optional<WallTime> RestartSchedule::NextWake() const {
  if (!m_target || m_restarting) return std::nullopt;
  WallTime wake = Deadline();
  if (m_nextWarning < m_settings.warnings.size())
    wake = std::min(wake, Deadline() - m_settings.warnings[m_nextWarning]);
  if (m_settings.waitForEmpty && !m_reachedTarget) wake = std::min(wake, *m_target);
  return wake;
}

std::string RestartSchedule::ClockText(WallTime at) const {
  const LocalTime local = m_zone->ToLocal(at);
  return TwoDigits(local.hour) + ":" + TwoDigits(local.minute);
}

std::string RestartSchedule::StatusText(WallTime now) const {
  if (!m_target) return {};
  if (m_restarting) return "restarting now";
  if (m_settings.waitForEmpty && m_reachedTarget && !m_lateDeadline) {
    return "restart when the server is empty, at the latest at " + ClockText(Deadline()) + ", in " +
           LeftText(Deadline() - now);
  }
  const WallTime when = m_lateDeadline.value_or(*m_target);
  return "restart at " + ClockText(when) + ", in " + LeftText(when - now);
}

}  // namespace quorvane::supervise
