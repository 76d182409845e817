#include "ui/server_watch.h"

#include <QEventLoop>
#include <QPointer>
#include <QSettings>

#include "ui/ansi_text.h"
#include "ui/monitor_settings.h"
#include "ui/player_history.h"

namespace quorvane::ui {
namespace {

// Where the log port added to this server is kept until it is taken off again.
QString LogPortKey(const std::string& host, std::uint16_t port) {
  return QStringLiteral("logAddress/%1_%2").arg(QString::fromStdString(host)).arg(port);
}

}  // namespace

ServerWatch::ServerWatch(Sources sources, QObject* parent) : QObject(parent), m_sources(std::move(sources)) {
  m_clock.start();
  m_silence.setSingleShot(true);
  m_silence.setInterval(kSilenceMs);
  connect(&m_silence, &QTimer::timeout, this, &ServerWatch::Silent);
  m_status.setInterval(kStatusEveryMs);
  connect(&m_status, &QTimer::timeout, this, &ServerWatch::AskStatus);
}

ServerWatch::~ServerWatch() = default;

void ServerWatch::Follow(std::function<monitor::ConsolePassword()> password,
                         std::function<std::optional<long long>()> startedServer) {
  m_sources.password = std::move(password);
  m_sources.startedServer = std::move(startedServer);
}

void ServerWatch::Watch(std::uint16_t port, const std::string& serverFolder) {
  // Taking the log off the last server waits for its console, and the events meanwhile may call again.
  if (m_switching) return;
  if (m_sources.history) m_sources.history->Listen(serverFolder, port);
  m_folder = serverFolder;
  if (port == m_port && m_query) return;
  m_switching = true;
  // The server left behind is not to send its log to a port nobody listens on.
  RemoveLogAddress();
  m_switching = false;
  m_query.reset();
  m_console.reset();
  m_log.reset();
  m_pending.clear();
  m_running = m_logAdded = m_logAsked = false;
  m_logWanted = true;
  m_refused.reset();
  m_silence.stop();
  m_status.stop();
  if (std::exchange(m_up, false)) emit wentDown();
  m_port = port;
  // A port an earlier run added and never took off: that run may have died.
  bool known = false;
  const uint stale =
      OpenMonitorSettings(m_sources.settingsFile)->value(LogPortKey(m_sources.host, port)).toUInt(&known);
  m_keeper = monitor::LogAddressKeeper(
      known && stale > 0 && stale <= 65535 ? std::optional(static_cast<std::uint16_t>(stale)) : std::nullopt);
  if (!m_sources.links.query) return;
  // Each link that cannot start says so; the others still work.
  m_query = m_sources.links.query({[this](const monitor::ServerInfo& i, int ms) { Answered(i, ms); }, {}, {}, {}});
  if (const monitor::NetResult started = m_query->Start(m_sources.host, port); !started) {
    m_query.reset();
    emit problem(QStringLiteral("The query cannot start: ") + QString::fromStdString(started.reason));
    return;
  }
  m_console = m_sources.links.console();
  if (const monitor::NetResult opened = m_console->Open(m_sources.host, port); !opened) {
    m_console.reset();
    emit problem(QStringLiteral("The console cannot open its socket: ") + QString::fromStdString(opened.reason));
  }
  m_log = m_sources.links.log([this](const monitor::LogLine& line) { Heard(line); });
  if (const monitor::NetResult opened = m_log->Open(m_sources.host, port); !opened) {
    m_log.reset();
    emit problem(QStringLiteral("The log cannot open its socket: ") + QString::fromStdString(opened.reason));
  }
}

std::uint16_t ServerWatch::LogPort() const { return m_log ? m_log->LocalPort() : 0; }

void ServerWatch::Answered(const monitor::ServerInfo& info, int roundTripMs) {
  const bool back =
      m_keeper.Answer(m_clock.elapsed(), m_sources.startedServer ? m_sources.startedServer() : std::nullopt);
  // Restarted between two polls: gone and back, as a slower restart would be.
  if (back && m_up) Silent();
  m_silence.start();
  if (!m_up) {
    m_up = true;
    // A server that has just come up knows no log address, and may take the password it refused before.
    m_logAdded = false;
    m_refused.reset();
    emit cameUp();
  }
  emit answered(info, roundTripMs);
  Ask();
}

void ServerWatch::Silent() {
  m_silence.stop();
  m_status.stop();
  if (std::exchange(m_up, false)) emit wentDown();
}

void ServerWatch::AskForLog() {
  m_logWanted = true;
  Ask();
}

void ServerWatch::Ask() {
  // Asked once the server answers: a console packet sent while it starts up is lost.
  if (!m_logWanted || !m_up || m_logAdded || m_logAsked || !m_console || !m_log) return;
  const monitor::ConsolePassword file = m_sources.password ? m_sources.password() : monitor::ConsolePassword{};
  if (!monitor::ConsoleUsable(file) || m_refused == file.password) return;
  if (file.password != m_password) m_console->ForgetRefusal();
  m_password = file.password;
  m_logAsked = true;
  const std::uint16_t port = m_log->LocalPort();
  // Never `log on`: that would also write every console line, password included, to the log files.
  const std::vector<std::string> commands = m_keeper.AddCommands(port);
  for (std::size_t i = 0; i + 1 < commands.size(); ++i)
    Queue(commands[i], [this](const monitor::ConsoleStep& step) {
      if (step.type != monitor::ConsoleStep::Type::Done) return;
      m_keeper.StaleRemoved();
      RememberLogPort(std::nullopt);
    });
  Queue(commands.back(), [this, port](const monitor::ConsoleStep& step) {
    m_logAsked = false;
    m_logAdded = step.type == monitor::ConsoleStep::Type::Done;
    if (!m_logAdded) return;
    // Kept before anything else can go wrong, so the next run can take it off.
    RememberLogPort(port);
    // Who is on already: they came before the log did.
    AskStatus();
    m_status.start();
  });
}

void ServerWatch::AskStatus() {
  if (!m_sources.history || !m_logAdded) return;
  Queue("status", [this](const monitor::ConsoleStep& step) {
    if (step.type == monitor::ConsoleStep::Type::Done && m_sources.history) m_sources.history->HeardStatus(step.text);
  });
}

void ServerWatch::Heard(const monitor::LogLine& line) {
  if (m_sources.history) m_sources.history->HeardLog(line);
  emit logLine(line);
}

void ServerWatch::Queue(std::string command, std::function<void(const monitor::ConsoleStep&)> then) {
  m_pending.push_back({std::move(command), std::move(then)});
  RunNext();
}

void ServerWatch::RunNext() {
  // One command at a time: what a finished command queues may already have started.
  if (m_running || m_pending.empty() || !m_console) return;
  Pending next = std::move(m_pending.front());
  m_pending.pop_front();
  m_running = true;
  QPointer<ServerWatch> self(this);
  m_console->Run(next.command, m_password, [self, then = std::move(next.then)](const monitor::ConsoleStep& step) {
    if (!self) return;
    self->m_running = false;
    using Type = monitor::ConsoleStep::Type;
    if (const std::string text = monitor::ConsoleOutcomeText(step); step.type != Type::Done && !text.empty())
      emit self->problem(FromAnsi(text));
    if (then) then(step);
    // A refusal stops what was waiting: nothing is sent again with that password on its own.
    if (step.type == Type::Refused || step.type == Type::Banned) {
      self->m_refused = self->m_password;
      self->m_logAsked = false;
      self->m_pending.clear();
    }
    self->RunNext();
    if (self->m_idleWait != nullptr && self->ConsoleIdle()) self->m_idleWait->quit();
  });
}

void ServerWatch::RemoveLogAddress(int waitMs) {
  m_logWanted = false;
  if (!std::exchange(m_logAdded, false) || !m_log) return;
  m_status.stop();
  // A server that stopped answering cannot take it off; the next run does, from the settings.
  if (!m_up) return;
  m_pending.clear();
  Queue(monitor::LogAddressDel(m_log->LocalPort()), [this](const monitor::ConsoleStep& step) {
    if (step.type == monitor::ConsoleStep::Type::Done) RememberLogPort(std::nullopt);
  });
  // The server keeps sending to an address it was never told to drop, so the
  // request gets a moment to go out even while the program is ending. The
  // loop sleeps until an event comes: the answer, or the deadline.
  if (ConsoleIdle()) return;
  QEventLoop wait;
  QTimer::singleShot(waitMs, &wait, &QEventLoop::quit);
  m_idleWait = &wait;
  wait.exec();
  m_idleWait = nullptr;
}

void ServerWatch::RememberLogPort(std::optional<std::uint16_t> port) {
  const std::unique_ptr<QSettings> settings = OpenMonitorSettings(m_sources.settingsFile);
  const QString key = LogPortKey(m_sources.host, m_port);
  if (port)
    settings->setValue(key, *port);
  else
    settings->remove(key);
}

}  // namespace quorvane::ui
