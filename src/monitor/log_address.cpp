#include "monitor/log_address.h"

#include "monitor/monitor_view.h"
#include "monitor/poller.h"

namespace quorvane::monitor {

std::vector<std::string> LogAddressKeeper::AddCommands(std::uint16_t port) const {
  std::vector<std::string> commands;
  if (m_stale) commands.push_back(LogAddressDel(*m_stale));
  commands.push_back(LogAddressAdd(port));
  return commands;
}

bool LogAddressKeeper::Answer(std::int64_t nowMs, std::optional<long long> process) {
  // Answers come one poll apart; half a poll more allows for a late timer.
  constexpr std::int64_t kSilenceMs = (kMissedPolls + 1) * QueryPoller::kInfoEveryMs - QueryPoller::kInfoEveryMs / 2;
  const bool first = !m_lastAnswerMs;
  const bool silent = !first && nowMs - *m_lastAnswerMs >= kSilenceMs;
  const bool otherProcess = !first && process != m_process;
  m_lastAnswerMs = nowMs;
  m_process = process;
  return silent || otherProcess;
}

}  // namespace quorvane::monitor
