#include "ui/terminal_modes.h"

#include <QEventLoop>
#include <QTimer>
#include <functional>
#include <optional>

#include "monitor/monitor_view.h"
#include "monitor/poller.h"
#include "ui/ansi_text.h"

namespace quorvane::ui {
namespace {

// Sleeps until an event makes `done` true or `ms` have passed: the timer is
// the deadline and wakes the last wait itself, so no wait spins.
bool Await(int ms, const std::function<bool()>& done) {
  QEventLoop loop;
  bool expired = false;
  QTimer deadline;
  deadline.setSingleShot(true);
  QObject::connect(&deadline, &QTimer::timeout, &loop, [&expired] { expired = true; });
  deadline.start(ms);
  while (!done() && !expired) loop.processEvents(QEventLoop::WaitForMoreEvents);
  return done();
}

std::optional<monitor::HostPort> Target(const std::string& server, std::FILE* err) {
  std::optional<monitor::HostPort> target = monitor::ParseHostPort(server);
  if (!target) std::fprintf(err, "quorvane: '%s' is not HOST[:PORT].\n", server.c_str());
  return target;
}

}  // namespace

int RunQuery(const monitor::ServerLinks& links, const std::string& server, bool json, std::FILE* out, std::FILE* err) {
  const std::optional<monitor::HostPort> target = Target(server, err);
  if (!target) return kTerminalBadUsage;
  std::optional<monitor::ServerInfo> info;
  std::optional<std::vector<monitor::Player>> players;
  int roundTrip = 0;
  std::string problem;
  const std::unique_ptr<monitor::LiveQuery> query =
      links.query({[&](const monitor::ServerInfo& i, int ms) {
                     info = i;
                     roundTrip = ms;
                   },
                   [&](const std::vector<monitor::Player>& p) { players = p; },
                   {},
                   [&](const std::string& why) { problem = why; }});
  query->WantPlayers(true);
  if (const monitor::NetResult started = query->Start(target->host, target->port); !started) {
    std::fprintf(err, "quorvane: cannot query %s: %s\n", server.c_str(), started.reason.c_str());
    return kTerminalNoAnswer;
  }
  // Info is asked every 2 s, so the tries end with the last one's wait.
  const int waitMs =
      static_cast<int>((kQueryTries - 1) * monitor::QueryPoller::kInfoEveryMs + monitor::QueryPoller::kGiveUpAfterMs);
  if (!Await(waitMs, [&] { return info.has_value(); })) {
    std::fprintf(err, "quorvane: %s did not answer after %d tries%s%s\n", server.c_str(), kQueryTries,
                 problem.empty() ? "." : ": ", problem.c_str());
    return kTerminalNoAnswer;
  }
  Await(waitMs, [&] { return players.has_value(); });
  const std::vector<monitor::Player> list = players.value_or(std::vector<monitor::Player>{});
  const std::string text = json ? monitor::QueryReportJson(*info, roundTrip, list)
                                : monitor::QueryReport(*info, roundTrip, list, AnsiToUtf8);
  std::fputs(text.c_str(), out);
  return kTerminalAnswered;
}

int RunRcon(const monitor::ServerLinks& links, const std::string& server, const std::string& command,
            const char* password, std::FILE* out, std::FILE* err) {
  const std::optional<monitor::HostPort> target = Target(server, err);
  if (!target) return kTerminalBadUsage;
  if (password == nullptr || *password == '\0') {
    std::fputs("quorvane: set the console password in the environment variable QUORVANE_RCON_PASSWORD.\n", err);
    return kTerminalBadUsage;
  }
  const std::unique_ptr<monitor::LiveConsole> console = links.console();
  if (const monitor::NetResult opened = console->Open(target->host, target->port); !opened) {
    std::fprintf(err, "quorvane: cannot reach %s: %s\n", server.c_str(), opened.reason.c_str());
    return kTerminalNoAnswer;
  }
  std::optional<monitor::ConsoleStep> end;
  console->Run(Utf8ToAnsi(command), Utf8ToAnsi(password), [&](const monitor::ConsoleStep& step) { end = step; });
  // The session itself gives up when no answer comes; this only bounds the wait.
  Await(static_cast<int>(monitor::ConsoleSession::kNoAnswerMs) * 3, [&] { return end.has_value(); });
  if (!end) {
    std::fprintf(err, "quorvane: %s did not answer.\n", server.c_str());
    return kTerminalNoAnswer;
  }
  // The server's own lines, with nothing else of the control characters a terminal would act on.
  const std::string text = monitor::VisibleControls(AnsiToUtf8(end->text), true);
  if (end->type == monitor::ConsoleStep::Type::Done) {
    std::fputs(text.c_str(), out);
    if (!text.empty() && text.back() != '\n') std::fputc('\n', out);
    return kTerminalAnswered;
  }
  std::fprintf(err, "%s\n", text.c_str());
  return kTerminalNoAnswer;
}

}  // namespace quorvane::ui
