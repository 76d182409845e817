#include "platform/server_console.h"

#include "platform/server_query.h"

namespace quorvane::platform {

ConsoleLink::ConsoleLink(std::unique_ptr<DatagramLink> link) : m_link(std::move(link)) {
  m_link->SetReceiver([this](const std::vector<std::uint8_t>& d) { Handle(m_session.Feed(d, m_clock.elapsed())); });
  // Often enough to see the quiet gap end within a tenth of its length.
  m_timer.setInterval(30);
  QObject::connect(&m_timer, &QTimer::timeout, [this] { Handle(m_session.Tick(m_clock.elapsed())); });
  m_clock.start();
}

NetResult ConsoleLink::Open(const std::string& host, std::uint16_t port) { return m_link->Open(host, port); }

void ConsoleLink::Run(const std::string& command, const std::string& password, Finished finished) {
  m_finished = std::move(finished);
  Handle(m_session.Start(command, password, m_clock.elapsed()));
}

void ConsoleLink::Handle(const monitor::ConsoleStep& step) {
  using Type = monitor::ConsoleStep::Type;
  if (step.type == Type::Nothing) return;
  if (step.type == Type::Send) {
    NetResult sent = m_link->Send(step.send);
    if (sent) {
      m_timer.start();
      return;
    }
    m_session.Abandon();
    return Handle({Type::Failed, {}, sent.reason});
  }
  m_timer.stop();
  if (m_finished) {
    Finished finished = std::move(m_finished);
    m_finished = nullptr;
    finished(step);
  }
}

LogListener::LogListener(std::unique_ptr<DatagramLink> link, LineHandler handler, std::string secret)
    : m_link(std::move(link)), m_handler(std::move(handler)), m_secret(std::move(secret)) {
  m_link->SetReceiver([this](const std::vector<std::uint8_t>& d) {
    monitor::Result<monitor::LogLine> line = monitor::ParseLogPacket(d, m_secret);
    if (line && m_handler) m_handler(*line);
  });
}

NetResult LogListener::Open(const std::string& host, std::uint16_t port) { return m_link->Open(host, port); }

monitor::ServerLinks UdpServerLinks() {
  monitor::ServerLinks links;
  links.query = [](monitor::LiveQuery::Handlers handlers) {
    return std::make_unique<ServerQuery>(MakeUdpLink(), std::move(handlers));
  };
  links.console = [] { return std::make_unique<ConsoleLink>(MakeUdpLink()); };
  links.log = [](monitor::LiveLog::LineHandler handler) {
    return std::make_unique<LogListener>(MakeUdpLink(), std::move(handler));
  };
  return links;
}

}  // namespace quorvane::platform
