#pragma once
// When to ask a server what: info every 2 s, players every 4 s while someone
// looks at them, rules only when asked; requests without an answer are given
// up after a while. Every packet, challenges included, is counted against a
// budget far under the server's limit of 3 a second per address.
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "monitor/query.h"

namespace quorvane::monitor {

class QueryPoller {
 public:
  static constexpr std::int64_t kInfoEveryMs = 2000;
  static constexpr std::int64_t kPlayersEveryMs = 4000;
  static constexpr std::int64_t kGiveUpAfterMs = 1500;
  // 90 a minute is half of what the server allows.
  static constexpr int kBudgetPerMinute = 90;
  static constexpr int kRulesTries = 3;

  // Players are asked at once when switched on, then every 4 s.
  void WantPlayers(bool on) {
    if (on && !m_wantPlayers) m_nextPlayers = 0;
    m_wantPlayers = on;
  }
  // Asked until answered, three times at most.
  void AskRules() {
    m_rulesTries = kRulesTries;
    m_rulesWanted = true;
    m_rulesFailure.reset();
  }
  // Why the rules last asked for will not come (no answer to any try, or a
  // malformed reply), once; nothing while they may still come or have come.
  [[nodiscard]] std::optional<std::string> TakeRulesFailure() { return std::exchange(m_rulesFailure, std::nullopt); }
  // The packets to send now; each is counted against the budget.
  std::vector<Packet> Tick(std::int64_t nowMs);
  // A datagram from the server; requests sent again in answer to a challenge are in `send`.
  QueryReply Feed(Bytes datagram, std::int64_t nowMs);
  // When the request of `kind` now in flight (or the last one) was sent.
  std::int64_t AskedAt(QueryKind kind) const { return m_askedAt[static_cast<int>(kind)]; }
  // How many packets went out during the last minute.
  int SentLastMinute(std::int64_t nowMs);

 private:
  bool Spend(std::int64_t nowMs);
  void Ask(QueryKind kind, std::int64_t nowMs, std::vector<Packet>& out);

  QueryClient m_client;
  std::deque<std::int64_t> m_sent;
  std::int64_t m_nextInfo = 0, m_nextPlayers = 0;
  std::int64_t m_askedAt[3] = {0, 0, 0};
  bool m_wantPlayers = false;
  bool m_rulesWanted = false;  // asked for and neither answered nor given up
  int m_rulesTries = 0;
  std::optional<std::string> m_rulesFailure;
};

}  // namespace quorvane::monitor
