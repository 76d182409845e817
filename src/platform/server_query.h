#pragma once
// Asks one server for its info (every 2 s), players (every 4 s while wanted)
// and rules (when asked) from the event loop, and hands on what it says.
#include <QElapsedTimer>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "monitor/poller.h"
#include "monitor/server_links.h"
#include "platform/udp_link.h"

namespace quorvane::platform {

class ServerQuery : public monitor::LiveQuery {
 public:
  ServerQuery(std::unique_ptr<DatagramLink> link, Handlers handlers);
  NetResult Start(const std::string& host, std::uint16_t port) override;
  void WantPlayers(bool on) override { m_poller.WantPlayers(on); }
  // `done` is called from the event loop.
  void AskRules(RulesDone done = {}) override;
  std::int64_t SinceLastAnswerMs() const override;

 private:
  void Tick();
  void Receive(const std::vector<std::uint8_t>& datagram);
  void FinishRules(const monitor::Result<std::vector<monitor::Rule>>& outcome);

  std::unique_ptr<DatagramLink> m_link;
  Handlers m_handlers;
  monitor::QueryPoller m_poller;
  QElapsedTimer m_clock;
  QTimer m_timer;
  std::int64_t m_lastAnswer = -1;
  RulesDone m_rulesDone;
};

}  // namespace quorvane::platform
