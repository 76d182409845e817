#pragma once
// The remote console and the live log of one server, driven by the event loop.
#include <QElapsedTimer>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>

#include "monitor/console.h"
#include "monitor/log_line.h"
#include "monitor/server_links.h"
#include "platform/udp_link.h"

namespace quorvane::platform {

class ConsoleLink : public monitor::LiveConsole {
 public:
  explicit ConsoleLink(std::unique_ptr<DatagramLink> link);
  NetResult Open(const std::string& host, std::uint16_t port) override;
  void Run(const std::string& command, const std::string& password, Finished finished) override;
  bool Busy() const override { return m_session.Busy(); }
  void ForgetRefusal() override { m_session.ForgetRefusal(); }

 private:
  void Handle(const monitor::ConsoleStep& step);

  std::unique_ptr<DatagramLink> m_link;
  monitor::ConsoleSession m_session;
  QElapsedTimer m_clock;
  QTimer m_timer;
  Finished m_finished;
};

class LogListener : public monitor::LiveLog {
 public:
  LogListener(std::unique_ptr<DatagramLink> link, LineHandler handler, std::string secret = {});
  NetResult Open(const std::string& host, std::uint16_t port) override;
  std::uint16_t LocalPort() const override { return m_link->LocalPort(); }

 private:
  std::unique_ptr<DatagramLink> m_link;
  LineHandler m_handler;
  std::string m_secret;
};

// Each of the above on a socket of its own (MakeUdpLink).
monitor::ServerLinks UdpServerLinks();

}  // namespace quorvane::platform
