#include "monitor/poller.h"

namespace quorvane::monitor {

int QueryPoller::SentLastMinute(std::int64_t nowMs) {
  while (!m_sent.empty() && m_sent.front() <= nowMs - 60000) m_sent.pop_front();
  return static_cast<int>(m_sent.size());
}

bool QueryPoller::Spend(std::int64_t nowMs) {
  if (SentLastMinute(nowMs) >= kBudgetPerMinute) return false;
  m_sent.push_back(nowMs);
  return true;
}

void QueryPoller::Ask(QueryKind kind, std::int64_t nowMs, std::vector<Packet>& out) {
  if (m_client.InFlight(kind) || SentLastMinute(nowMs) >= kBudgetPerMinute) return;
  std::optional<Packet> request = m_client.Begin(kind);
  if (!request || !Spend(nowMs)) return;
  m_askedAt[static_cast<int>(kind)] = nowMs;
  out.push_back(std::move(*request));
}

std::vector<Packet> QueryPoller::Tick(std::int64_t nowMs) {
  for (QueryKind kind : {QueryKind::Info, QueryKind::Players, QueryKind::Rules})
    if (m_client.InFlight(kind) && nowMs - m_askedAt[static_cast<int>(kind)] >= kGiveUpAfterMs) m_client.Abandon(kind);
  std::vector<Packet> out;
  if (nowMs >= m_nextInfo) {
    Ask(QueryKind::Info, nowMs, out);
    m_nextInfo = nowMs + kInfoEveryMs;
  }
  if (m_wantPlayers && nowMs >= m_nextPlayers) {
    Ask(QueryKind::Players, nowMs, out);
    m_nextPlayers = nowMs + kPlayersEveryMs;
  }
  if (m_rulesWanted && !m_client.InFlight(QueryKind::Rules)) {
    if (m_rulesTries == 0) {
      m_rulesWanted = false;
      m_rulesFailure = "The server did not answer the rules request after " + std::to_string(kRulesTries) + " tries";
    } else {
      const std::size_t before = out.size();
      Ask(QueryKind::Rules, nowMs, out);
      if (out.size() > before) --m_rulesTries;
    }
  }
  return out;
}

QueryReply QueryPoller::Feed(Bytes datagram, std::int64_t nowMs) {
  QueryReply reply = m_client.Feed(datagram);
  const bool malformedRules = reply.type == QueryReply::Type::Malformed && reply.request == QueryKind::Rules;
  if (malformedRules && m_rulesWanted) m_rulesFailure = reply.error;
  if (reply.type == QueryReply::Type::Rules || malformedRules) {
    m_rulesTries = 0;
    m_rulesWanted = false;
  }
  std::vector<Packet> allowed;
  for (Packet& p : reply.send)
    if (Spend(nowMs)) allowed.push_back(std::move(p));
  // What the budget did not allow waits for the give-up time and the next turn.
  reply.send = std::move(allowed);
  return reply;
}

}  // namespace quorvane::monitor
