#include "platform/server_query.h"

#include <utility>

namespace quorvane::platform {

ServerQuery::ServerQuery(std::unique_ptr<DatagramLink> link, Handlers handlers)
    : m_link(std::move(link)), m_handlers(std::move(handlers)) {
  m_link->SetReceiver([this](const std::vector<std::uint8_t>& d) { Receive(d); });
  m_timer.setInterval(250);
  QObject::connect(&m_timer, &QTimer::timeout, [this] { Tick(); });
}

NetResult ServerQuery::Start(const std::string& host, std::uint16_t port) {
  NetResult opened = m_link->Open(host, port);
  if (!opened) return opened;
  m_clock.start();
  m_timer.start();
  Tick();
  return {};
}

std::int64_t ServerQuery::SinceLastAnswerMs() const { return m_lastAnswer < 0 ? -1 : m_clock.elapsed() - m_lastAnswer; }

void ServerQuery::AskRules(RulesDone done) {
  m_rulesDone = std::move(done);
  m_poller.AskRules();
}

void ServerQuery::FinishRules(const monitor::Result<std::vector<monitor::Rule>>& outcome) {
  if (!m_rulesDone) return;
  const RulesDone done = std::exchange(m_rulesDone, nullptr);
  done(outcome);
}

void ServerQuery::Tick() {
  for (const monitor::Packet& p : m_poller.Tick(m_clock.elapsed())) {
    NetResult sent = m_link->Send(p);
    if (!sent && m_handlers.problem) m_handlers.problem(sent.reason);
  }
  if (std::optional<std::string> why = m_poller.TakeRulesFailure())
    FinishRules(monitor::Result<std::vector<monitor::Rule>>::Fail(std::move(*why)));
}

void ServerQuery::Receive(const std::vector<std::uint8_t>& datagram) {
  const std::int64_t now = m_clock.elapsed();
  monitor::QueryReply reply = m_poller.Feed(datagram, now);
  for (const monitor::Packet& p : reply.send) {
    NetResult sent = m_link->Send(p);
    if (!sent && m_handlers.problem) m_handlers.problem(sent.reason);
  }
  using Type = monitor::QueryReply::Type;
  if (reply.type == Type::Malformed && m_handlers.problem) m_handlers.problem(reply.error);
  if (reply.type == Type::Info || reply.type == Type::Players || reply.type == Type::Rules) m_lastAnswer = now;
  if (reply.type == Type::Info && m_handlers.info)
    m_handlers.info(reply.info, static_cast<int>(now - m_poller.AskedAt(monitor::QueryKind::Info)));
  if (reply.type == Type::Players && m_handlers.players) m_handlers.players(reply.players);
  if (reply.type == Type::Rules && m_handlers.rules) m_handlers.rules(reply.rules);
  if (reply.type == Type::Rules) FinishRules(reply.rules);
  if (std::optional<std::string> why = m_poller.TakeRulesFailure())
    FinishRules(monitor::Result<std::vector<monitor::Rule>>::Fail(std::move(*why)));
}

}  // namespace quorvane::platform
