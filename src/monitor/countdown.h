#pragma once
// A countdown to something the players should hear about first: `say`
// warnings at set times before the end, then "due". "Warn and stop" runs one
// of 60 s with warnings at 60, 30 and 10 s; a scheduled restart can run a
// longer one with its own list. Driven by the caller's clock, so it has no
// timer of its own.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quorvane::monitor {

class Countdown {
 public:
  struct Step {
    std::vector<std::string> commands;  // `say` commands due now
    bool due = false;                   // time is up; the countdown has ended
  };
  // `warnAtSeconds`: the seconds left at which the players are warned, in any
  // order; those beyond `totalSeconds` are never said. `warning` is followed by
  // the time left ("Server stopping in 30 seconds"); `cancelled` is said on Cancel.
  Countdown(int totalSeconds, std::vector<int> warnAtSeconds, std::string warning, std::string cancelled);

  void Begin(std::int64_t nowMs);
  bool Active() const { return m_active; }
  // The warnings that fell due since the last tick (only the latest, when a
  // stalled clock makes several due at once: an older one would be wrong), and
  // whether time is up.
  Step Tick(std::int64_t nowMs);
  // Ends an active countdown; the `say` that tells the players, or nothing when none ran.
  std::optional<std::string> Cancel();
  // Milliseconds to the end; 0 when none runs.
  std::int64_t LeftMs(std::int64_t nowMs) const;

 private:
  std::int64_t m_totalMs;
  std::vector<int> m_warnAt;  // seconds left, largest first
  std::string m_warning, m_cancelled;
  bool m_active = false;
  std::int64_t m_endMs = 0;
  std::size_t m_said = 0;  // warnings of m_warnAt already said or passed
};

// The button's countdown: 60 s, warned at 60, 30 and 10 s.
Countdown WarnAndStopCountdown();
// "10 minutes", "60 seconds", "90 seconds", "1 second": how a warning names the time left.
std::string TimeLeftWords(int seconds);
// "1:05": the time left shown in the windows, whole seconds rounded up.
std::string TimeLeftClock(std::int64_t leftMs);

}  // namespace quorvane::monitor
