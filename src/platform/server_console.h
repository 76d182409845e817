#pragma once
// The remote console and the live log of one server, driven by the event loop.
#include <QElapsedTimer>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>

#include "monitor/console.h"
#include "monitor/log_line.h"
#include "platform/udp_link.h"

namespace quorvane::platform {

class ConsoleLink {
 public:
  // Called once per command: Done with the whole answer, or Refused, Banned, Failed.
  using Finished = std::function<void(const monitor::ConsoleStep&)>;
  explicit ConsoleLink(std::unique_ptr<DatagramLink> link);
  NetResult Open(const std::string& host, std::uint16_t port);
  // Sends one command; `finished` is called from the event loop (or at once when it cannot be sent).
  void Run(const std::string& command, const std::string& password, Finished finished);
  bool Busy() const { return m_session.Busy(); }
  void ForgetRefusal() { m_session.ForgetRefusal(); }

 private:
  void Handle(const monitor::ConsoleStep& step);

  std::unique_ptr<DatagramLink> m_link;
  monitor::ConsoleSession m_session;
  QElapsedTimer m_clock;
  QTimer m_timer;
  Finished m_finished;
};

// Hears the log lines the server sends after `logaddress_add 127.0.0.1 <LocalPort()>`.
class LogListener {
 public:
  using LineHandler = std::function<void(const monitor::LogLine&)>;
  LogListener(std::unique_ptr<DatagramLink> link, LineHandler handler, std::string secret = {});
  NetResult Open(const std::string& host, std::uint16_t port);
  std::uint16_t LocalPort() const { return m_link->LocalPort(); }

 private:
  std::unique_ptr<DatagramLink> m_link;
  LineHandler m_handler;
  std::string m_secret;
};

}  // namespace quorvane::platform
