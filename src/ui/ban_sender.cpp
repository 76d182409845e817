#include "ui/ban_sender.h"

#include <QPointer>
#include <algorithm>
#include <chrono>

#include "monitor/monitor_view.h"
#include "people/ban_console.h"
#include "ui/ansi_text.h"

namespace quorvane::ui {
namespace {

people::WallTime WallNow() { return std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now()); }

std::string WriteCommand(const people::BanTarget& target) { return people::LiftCommands(target).back(); }

}  // namespace

BanSender::BanSender(BanSenderSources sources, QObject* parent) : QObject(parent), m_sources(std::move(sources)) {
  m_clock.start();
  m_wait.setSingleShot(true);
  connect(&m_wait, &QTimer::timeout, this, &BanSender::RunNext);
}

BanSender::~BanSender() = default;

people::BanStore* BanSender::Store() {
  people::BanStore* store = m_sources.store ? m_sources.store() : nullptr;
  if (store == nullptr || m_imported || m_sources.fs == nullptr || !m_sources.gameDir) return store;
  // No server location yet: its files are taken over once there is one.
  const std::string gameDir = m_sources.gameDir();
  if (gameDir.empty()) return store;
  // Once a run: a file that cannot be read now is tried again at the next start.
  m_imported = true;
  const people::BanImport imported = people::ImportServerBanFiles(*store, *m_sources.fs, gameDir, WallNow());
  for (const std::string& note : imported.notes) emit said(FromAnsi(note));
  if (imported.added > 0) {
    emit said(
        QStringLiteral("%1 ban(s) were taken over from the server's banned.cfg and listip.cfg.").arg(imported.added));
    emit bansChanged();
  }
  return store;
}

bool BanSender::OpenConsole() {
  const std::string password = m_sources.password ? m_sources.password() : std::string();
  if (password.empty()) {
    emit said(QStringLiteral(
        "The bans cannot be sent to the server: its server.cfg sets no console password (rcon_password). They are "
        "kept and sent once it has one."));
    return false;
  }
  const std::uint16_t port = m_sources.port ? m_sources.port() : 0;
  // Another port takes another console, once the one in hand has no command out.
  if (!m_console || (port != m_consolePort && Idle())) {
    m_console = m_sources.links.console ? m_sources.links.console() : nullptr;
    m_consolePort = port;
    if (!m_console) return false;
    if (const monitor::NetResult opened = m_console->Open(m_sources.host, port); !opened) {
      emit said(QStringLiteral("The bans cannot be sent: the console cannot open its socket: ") +
                QString::fromStdString(opened.reason));
      m_console.reset();
      return false;
    }
  }
  // A password refused before is tried again only once it has changed.
  if (password != m_password) m_console->ForgetRefusal();
  m_password = password;
  return true;
}

void BanSender::ServerCameUp() {
  if (m_restoring) return;
  m_down = false;
  if (!OpenConsole()) return;
  m_restoring = true;
  m_ids.reset();
  m_ips.reset();
  Store();
  const std::int64_t start = m_clock.elapsed();
  const auto list = [this](auto parse, std::optional<std::vector<people::ListedBan>>& into) {
    return [this, parse, &into](const monitor::ConsoleStep& step) {
      const auto read = parse(step.text);
      into = read ? read->bans : std::vector<people::ListedBan>{};
      if (!read) emit said(FromAnsi(read.Error()));
      if (m_ids && m_ips) ListsRead();
    };
  };
  for (const people::PlannedCommand& c : people::RestoreOpening()) {
    Item item{c.command, start + c.at.count(), std::nullopt, {}};
    if (c.command == "listid") item.then = list(people::ParseListId, m_ids);
    if (c.command == "listip") item.then = list(people::ParseListIp, m_ips);
    Queue(std::move(item));
  }
}

// The server's lists are in: what it lacks goes, what it has that the store does not know is kept.
void BanSender::ListsRead() {
  std::vector<people::ListedBan> listed = *m_ids;
  listed.insert(listed.end(), m_ips->begin(), m_ips->end());
  people::BanStore* store = Store();
  const auto kept = store != nullptr ? store->Bans() : people::StoreAnswer<std::vector<people::StoredBan>>{};
  if (!kept) {
    if (store != nullptr) emit said(FromAnsi(kept.message));
    m_restoring = false;
    return;
  }
  const people::WallTime now = WallNow();
  if (const std::vector<people::Ban> found = people::NewlyFound(*kept, listed, now);
      !found.empty() && store->Writable()) {
    if (const auto added = store->AddBans(found); added)
      emit bansChanged();
    else
      emit said(FromAnsi(added.message));
  }
  const std::vector<people::PlannedCommand> plan = people::PlanRestore(people::BansOf(*kept), listed, now);
  if (plan.empty()) {
    m_restoring = false;
    return;
  }
  const std::int64_t start = m_clock.elapsed();
  for (std::size_t i = 0; i < plan.size(); ++i) {
    Item item{plan[i].command, start + plan[i].at.count(), std::nullopt, {}};
    if (i + 1 == plan.size())
      item.then = [this, count = plan.size()](const monitor::ConsoleStep&) {
        m_restoring = false;
        emit said(QStringLiteral("The kept bans are back in force on the server (%1 command(s) sent).").arg(count));
      };
    Queue(std::move(item));
  }
}

void BanSender::Send(const people::Ban& ban, const std::optional<people::Ban>& before) {
  // While the server is down the store alone changes; it gets the ban when it comes up.
  if (m_down) return;
  const people::WallTime now = WallNow();
  std::vector<std::string> commands;
  if (!ban.InForce(now)) {
    if (!before || before->InForce(now)) commands = people::LiftCommands(ban.target);
  } else {
    commands = people::ApplyCommands(ban, now);
    // A permanent ban made timed leaves the server's file too.
    if (before && before->Permanent() && !ban.Permanent()) commands.push_back(WriteCommand(ban.target));
  }
  if (commands.empty() || !OpenConsole()) return;
  for (std::size_t i = 0; i < commands.size(); ++i)
    Queue({commands[i], 0, i == 0 && !ban.Permanent() && ban.InForce(now) ? std::optional(ban) : std::nullopt, {}});
}

void BanSender::Queue(Item item) {
  m_queue.push_back(std::move(item));
  RunNext();
}

void BanSender::RunNext() {
  if (m_running) return;
  if (m_queue.empty()) {
    emit idle();
    return;
  }
  const std::int64_t now = m_clock.elapsed();
  // Two commands a second at most, whatever asked for them.
  const std::int64_t due = std::max(m_queue.front().notBeforeMs,
                                    m_lastStartMs ? *m_lastStartMs + people::kCommandGap.count() : std::int64_t{0});
  if (now < due) {
    m_wait.start(static_cast<int>(due - now));
    return;
  }
  Item item = std::move(m_queue.front());
  m_queue.pop_front();
  if (item.timed) {
    // Its minutes left as it goes; one that ended meanwhile is not sent.
    const std::vector<std::string> commands = people::ApplyCommands(*item.timed, WallNow());
    if (commands.empty()) {
      RunNext();
      return;
    }
    item.command = commands.front();
  }
  m_running = true;
  m_lastStartMs = now;
  QPointer<BanSender> self(this);
  m_console->Run(item.command, m_password, [self, then = std::move(item.then)](const monitor::ConsoleStep& step) {
    if (!self) return;
    self->m_running = false;
    using Type = monitor::ConsoleStep::Type;
    if (step.type == Type::Done) {
      self->m_outcome = Outcome::Sent;
      if (then) then(step);
    } else {
      self->m_outcome = step.type == Type::Failed ? Outcome::NoAnswer : Outcome::Refused;
      // Nothing more goes now: what the server lacks goes when it next comes up.
      self->m_down = step.type == Type::Failed;
      self->m_queue.clear();
      self->m_restoring = false;
      emit self->said(FromAnsi(monitor::ConsoleOutcomeText(step)) +
                      QStringLiteral(" The bans are kept and sent when the server next comes up."));
    }
    // Never from inside the console's own call.
    QMetaObject::invokeMethod(self.data(), &BanSender::RunNext, Qt::QueuedConnection);
  });
}

}  // namespace quorvane::ui
