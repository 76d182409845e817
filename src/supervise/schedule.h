#pragma once
// Restarting the dedicated server on a schedule: daily local times and/or
// every N hours, with warnings said in the game before, optionally waiting
// for the server to empty. Like the supervisor, a state machine fed with
// events and the time they happened, answering with what to do; the machine's
// time zone comes in through TimeZone, so it is never read here.
//
// Phase      | Event                                     | Actions          | Next phase
// -----------|-------------------------------------------|------------------|-----------
// Off        | any (no daily time, no interval)          | -                | Off
// Waiting    | Tick at or after a warning's time         | Say              | Warning
// Waiting    | Cancel                                    | -                | Waiting (the one after)
// Warning    | Tick at or after the next warning's time  | Say              | Warning
// Warning    | Cancel                                    | Say (cancelled)  | Waiting (the one after)
// either     | Tick at the restart time, no waiting      | RestartNow       | Restarting
// either     | Tick past the restart time, the last      | Say              | Warning (a new
//            | warning unsaid, players not known 0       |                  | countdown)
// either     | Tick or Players at or after the restart   | RestartNow       | Restarting
//            | time, waiting for empty, 0 players seen   |                  |
// either     | Tick at the end of the wait for empty     | RestartNow       | Restarting
// any but Off| RestartDone                               | -                | Waiting (the next)
//
// While waiting for an empty server the warnings count down to the end of the
// wait, so players hear them only when the restart will really come. A busy
// server is never restarted before its last warning was said: a restart time
// passed while no tick came (the machine slept) starts the countdown anew.
#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane::supervise {

using WallTime = std::chrono::sys_seconds;

// A time as the machine's clock shows it.
struct LocalTime {
  int year = 1970, month = 1, day = 1, hour = 0, minute = 0, second = 0;
  auto operator<=>(const LocalTime&) const = default;
};

// The machine's time zone: what its clock shows at an instant.
class TimeZone {
 public:
  virtual ~TimeZone() = default;
  virtual LocalTime ToLocal(WallTime utc) const = 0;
};

// The broken-down form of a zone-free count of seconds, and back: the zone's
// offset is the difference between an instant and its local time read so.
LocalTime CivilTime(std::chrono::sys_seconds naive);
std::chrono::sys_seconds CivilSeconds(const LocalTime& local);

// The instants at which the clock shows `local`, earliest first: none in the
// hour skipped when the clocks go forward, two in the hour shown twice when
// they go back.
std::vector<WallTime> FromLocal(const TimeZone& zone, const LocalTime& local);

struct DailyTime {
  int hour = 0, minute = 0;
  bool operator==(const DailyTime&) const = default;
};

// "05:00", "5:00, 17:30": daily times as the user writes them, separated by
// commas or spaces. None when any of them is not a time of day.
std::optional<std::vector<DailyTime>> ParseDailyTimes(std::string_view text);

struct ScheduleSettings {
  std::vector<DailyTime> daily;
  std::chrono::seconds every{0};  // every N hours (seconds, so tests can be short); 0: none
  std::vector<std::chrono::seconds> warnings = {std::chrono::minutes(10), std::chrono::minutes(5),
                                                std::chrono::minutes(1), std::chrono::seconds(30),
                                                std::chrono::seconds(10)};
  bool waitForEmpty = false;
  std::chrono::minutes waitAtMost{15};
  bool operator==(const ScheduleSettings&) const = default;
};

// The first scheduled restart after `after`: a daily time the clock skips
// comes at the first instant after the skip, one it shows twice comes at the
// first showing only; every N hours counts from `anchor`. None when nothing
// is scheduled.
std::optional<WallTime> NextScheduledRestart(const ScheduleSettings& settings, const TimeZone& zone, WallTime after,
                                             WallTime anchor);

// "Server restart in 10 minutes.", "Server restart in 30 seconds.": what the
// players are told with `left` to go (whole minutes from two minutes on,
// never more than is left).
std::string WarningText(std::chrono::seconds left);

inline constexpr std::string_view kCancelledText = "The scheduled server restart is cancelled.";

enum class ScheduleEventKind {
  Tick,
  Players,      // the status query answered; players: how many
  Cancel,       // the user cancels the next restart
  RestartDone,  // the server was stopped and started again (by the schedule or not)
};

struct ScheduleEvent {
  ScheduleEventKind kind = ScheduleEventKind::Tick;
  WallTime at;
  int players = -1;
};

enum class ScheduleActionKind {
  Say,         // say text in the game (and log it)
  RestartNow,  // stop the server and start it as the supervisor does
};

struct ScheduleAction {
  ScheduleActionKind kind = ScheduleActionKind::Say;
  std::string text;
  bool operator==(const ScheduleAction&) const = default;
};

enum class SchedulePhase { Off, Waiting, Warning, Restarting };

class RestartSchedule {
 public:
  // The zone must outlive the schedule. Every N hours counts from `now`.
  RestartSchedule(ScheduleSettings settings, const TimeZone& zone, WallTime now);

  [[nodiscard]] std::vector<ScheduleAction> Feed(const ScheduleEvent& event);
  SchedulePhase Current() const;
  // The scheduled time of the next restart; none when nothing is scheduled.
  std::optional<WallTime> NextRestart() const { return m_target; }
  // When the next tick is due; none while nothing is timed.
  std::optional<WallTime> NextWake() const;
  // "restart at 05:00, in 2 h 13 min"; empty when nothing is scheduled.
  std::string StatusText(WallTime now) const;

 private:
  WallTime Deadline() const;
  void Schedule(WallTime after, WallTime anchor);
  std::vector<ScheduleAction> OnTime(WallTime now);
  std::vector<ScheduleAction> RestartNow();
  std::string ClockText(WallTime at) const;

  ScheduleSettings m_settings;
  const TimeZone* m_zone;
  std::optional<WallTime> m_target;
  bool m_restarting = false;
  bool m_reachedTarget = false;            // waiting for the server to empty
  std::optional<WallTime> m_lateDeadline;  // a restart noticed late, counted down from then
  std::size_t m_nextWarning = 0;
  int m_players = -1;  // -1: not seen since the schedule was armed
};

}  // namespace quorvane::supervise
