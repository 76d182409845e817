#pragma once
// The running server reached over the network, as the monitor window, the
// status line and the terminal modes use it: each piece is created per use
// and answers from the event loop. The platform's sockets implement them.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "monitor/console.h"
#include "monitor/log_line.h"
#include "monitor/query.h"
#include "monitor/result.h"

namespace quorvane::monitor {

// Shaped like the file results of the other layers; a socket has no file.
struct [[nodiscard]] NetResult {
  bool ok = true;
  std::string reason;
  explicit operator bool() const { return ok; }
};

// Asks one server for its info (every 2 s), players (while wanted) and rules (when asked).
class LiveQuery {
 public:
  struct Handlers {
    std::function<void(const ServerInfo&, int roundTripMs)> info;
    std::function<void(const std::vector<Player>&)> players;
    std::function<void(const std::vector<Rule>&)> rules;
    std::function<void(const std::string&)> problem;
  };
  // The rules asked for, or the plain reason they will not come.
  using RulesDone = std::function<void(const Result<std::vector<Rule>>&)>;

  virtual ~LiveQuery() = default;
  virtual NetResult Start(const std::string& host, std::uint16_t port) = 0;
  virtual void WantPlayers(bool on) = 0;
  // Asks for the rules once, three tries at most.
  virtual void AskRules(RulesDone done) = 0;
  // Milliseconds since the last answer; -1 before the first.
  virtual std::int64_t SinceLastAnswerMs() const = 0;
};

// The remote console of one server.
class LiveConsole {
 public:
  // Called once per command: Done with the whole answer, or Refused, Banned, Failed.
  using Finished = std::function<void(const ConsoleStep&)>;

  virtual ~LiveConsole() = default;
  virtual NetResult Open(const std::string& host, std::uint16_t port) = 0;
  // Sends one command; `finished` is called from the event loop (or at once when it cannot be sent).
  virtual void Run(const std::string& command, const std::string& password, Finished finished) = 0;
  virtual bool Busy() const = 0;
  virtual void ForgetRefusal() = 0;
};

// Hears the log lines the server sends after `logaddress_add 127.0.0.1 <LocalPort()>`.
class LiveLog {
 public:
  using LineHandler = std::function<void(const LogLine&)>;

  virtual ~LiveLog() = default;
  virtual NetResult Open(const std::string& host, std::uint16_t port) = 0;
  virtual std::uint16_t LocalPort() const = 0;
};

// Makes each of them on a socket of its own.
struct ServerLinks {
  std::function<std::unique_ptr<LiveQuery>(LiveQuery::Handlers)> query;
  std::function<std::unique_ptr<LiveConsole>()> console;
  std::function<std::unique_ptr<LiveLog>(LiveLog::LineHandler)> log;
};

}  // namespace quorvane::monitor
