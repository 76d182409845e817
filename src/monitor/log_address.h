#pragma once
// When the monitor has to tell the server (again) where to send its log: a
// server forgets the address when it restarts, and an address left behind by
// a run of this program that died keeps the log (console passwords included)
// going to a port anyone may bind later.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quorvane::monitor {

class LogAddressKeeper {
 public:
  // Missed info polls after which the next answer counts as a server that came back.
  static constexpr int kMissedPolls = 3;

  // `remembered`: the port an earlier run added and may not have taken off.
  explicit LogAddressKeeper(std::optional<std::uint16_t> remembered = std::nullopt) : m_stale(remembered) {}

  // The commands that put `port` on the server: the remembered address off first.
  std::vector<std::string> AddCommands(std::uint16_t port) const;
  // The remembered address is off the server.
  void StaleRemoved() { m_stale.reset(); }
  std::optional<std::uint16_t> Stale() const { return m_stale; }

  // An info answer at `nowMs` from a server running as `process` (the one this
  // program started; none when it did not start one). True when the server
  // came back since the last answer, so the address has to be added again:
  // after kMissedPolls polls without an answer, or in another process.
  bool Answer(std::int64_t nowMs, std::optional<long long> process);

 private:
  std::optional<std::uint16_t> m_stale;
  std::optional<std::int64_t> m_lastAnswerMs;
  std::optional<long long> m_process;
};

}  // namespace quorvane::monitor
