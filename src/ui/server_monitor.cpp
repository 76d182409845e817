#include "ui/server_monitor.h"

#include <QBoxLayout>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QFormLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QShortcut>
#include <QSplitter>
#include <QStringList>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <utility>

#include "install/game_paths.h"
#include "maps/map_catalogue.h"
#include "people/session_builder.h"
#include "ui/accessibility.h"
#include "ui/ansi_text.h"
#include "ui/ban_sender.h"
#include "ui/bans_tab.h"
#include "ui/crashes_tab.h"
#include "ui/dialogs.h"
#include "ui/history_tab.h"
#include "ui/keep_running.h"
#include "ui/log_pane.h"
#include "ui/main_form.h"
#include "ui/monitor_settings.h"
#include "ui/player_history.h"
#include "ui/restarts_box.h"
#include "ui/rules_view.h"
#include "ui/scheduled_restarts.h"
#include "ui/server_watch.h"
#include "ui/status_line.h"
#include "ui/stop_countdown.h"
#include "ui/supervision_driver.h"

namespace quorvane::ui {
namespace {

QString Duration(float seconds) {
  const std::optional<int> total = monitor::WholeSeconds(seconds);
  if (!total) return QString(QChar(0x2014));  // em dash: the server sent no real duration
  return QString("%1:%2").arg(*total / 60).arg(*total % 60, 2, 10, QChar('0'));
}

}  // namespace

ServerMonitor::ServerMonitor(MonitorSources sources, QWidget* parent)
    : QWidget(parent, Qt::Window), m_sources(std::move(sources)) {
  setObjectName(QStringLiteral("ServerMonitor"));
  setWindowTitle(QStringLiteral("Server Monitor"));

  const std::unique_ptr<QSettings> settings = OpenMonitorSettings(m_sources.settingsFile);
  m_log = monitor::LogBook(
      settings->value(QStringLiteral("monitor/scrollback"), static_cast<qulonglong>(monitor::LogBook::kDefaultCap))
          .toULongLong());
  const QSize size = settings->value(QStringLiteral("monitor/size"), QSize(760, 620)).toSize();
  m_countdown = m_sources.countdown != nullptr ? m_sources.countdown : new StopCountdown(this);

  QWidget* top = BuildStatusPane();
  QWidget* console = BuildConsolePane();
  QWidget* log = BuildLogPane();
  auto* split = new QSplitter(Qt::Vertical);
  split->addWidget(top);
  split->addWidget(console);
  split->addWidget(m_sources.crashesDir.isEmpty() ? log : WithCrashesTab(log));
  m_notice = new QLabel;
  m_notice->setObjectName(QStringLiteral("PasswordNotice"));
  m_notice->setWordWrap(true);
  m_notice->setTextFormat(Qt::PlainText);
  m_notice->hide();
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(split, 1);
  layout->addWidget(m_notice);
  layout->addWidget(BuildCountdownRow());
  layout->addWidget(BuildButtons());
  if (m_sources.supervision != nullptr)
    layout->addWidget(new KeepRunningBox(m_sources.settingsFile, *m_sources.supervision));
  if (m_sources.restarts != nullptr) layout->addWidget(new RestartsBox(m_sources.settingsFile, *m_sources.restarts));
  NameControls(*this);
  m_consoleControls.insert(m_consoleControls.end(), {m_input, m_filter, m_logView});
  resize(size);

  ConnectSignals();
  OpenLinks();
  if (m_sources.history) connect(m_sources.history, &PlayerHistory::notice, this, &ServerMonitor::Print);
  // What became of the bans sent, whichever tab is in front.
  if (m_sources.bans) connect(m_sources.bans, &BanSender::said, this, &ServerMonitor::Print);
}

// The live log and, beside it, the reports of the crashes the supervision saw.
QWidget* ServerMonitor::WithCrashesTab(QWidget* log) {
  auto* pages = new QTabWidget;
  pages->setObjectName(QStringLiteral("MonitorPages"));
  pages->addTab(log, QStringLiteral("Log"));
  pages->addTab(new CrashesTab(m_sources.crashesDir, m_sources.openFolder), QStringLiteral("Crashes"));
  return pages;
}

// The server's answer to the query beside its players and rules.
QWidget* ServerMonitor::BuildStatusPane() {
  m_info = new QLabel(QStringLiteral("Waiting for the server's answer"));
  m_info->setObjectName(QStringLiteral("Info"));
  m_info->setTextFormat(Qt::PlainText);
  m_players = NewReadOnlyTable({QStringLiteral("Name"), QStringLiteral("Score"), QStringLiteral("Time")}, 0);
  m_players->setObjectName(QStringLiteral("Players"));
  m_players->setAccessibleName(QStringLiteral("Players"));
  // Kick acts on one player.
  m_players->setSelectionMode(QAbstractItemView::SingleSelection);
  auto* top = new QWidget;
  auto* topLayout = new QHBoxLayout(top);
  topLayout->setContentsMargins(0, 0, 0, 0);
  topLayout->addWidget(m_info);
  topLayout->addWidget(BuildPlayersAndRules(), 1);
  return top;
}

QWidget* ServerMonitor::BuildConsolePane() {
  m_output = new QPlainTextEdit;
  m_output->setObjectName(QStringLiteral("ConsoleOutput"));
  m_output->setAccessibleName(QStringLiteral("Console output"));
  m_output->setReadOnly(true);
  m_output->setMaximumBlockCount(5000);
  m_input = new QLineEdit;
  m_input->setObjectName(QStringLiteral("ConsoleInput"));
  m_input->setPlaceholderText(QStringLiteral("Console command"));
  m_input->installEventFilter(this);
  auto* console = new QWidget;
  auto* consoleLayout = new QVBoxLayout(console);
  consoleLayout->setContentsMargins(0, 0, 0, 0);
  consoleLayout->addWidget(m_output, 1);
  consoleLayout->addWidget(m_input);
  return console;
}

QWidget* ServerMonitor::BuildLogPane() {
  m_filter = new QLineEdit;
  m_filter->setObjectName(QStringLiteral("LogFilter"));
  m_filter->setPlaceholderText(QStringLiteral("Show only lines containing"));
  m_logView = new LogPane(m_log);
  m_logView->setObjectName(QStringLiteral("LogView"));
  m_logView->setAccessibleName(QStringLiteral("Log"));
  auto* log = new QWidget;
  auto* logLayout = new QVBoxLayout(log);
  logLayout->setContentsMargins(0, 0, 0, 0);
  logLayout->addWidget(m_filter);
  logLayout->addWidget(m_logView, 1);
  return log;
}

void ServerMonitor::ConnectSignals() {
  connect(m_input, &QLineEdit::returnPressed, this, [this] {
    const QString command = m_input->text();
    m_input->clear();
    RunTyped(command);
  });
  connect(m_filter, &QLineEdit::textChanged, this, [this] { Refilter(); });
  connect(m_countdown, &StopCountdown::changed, this, &ServerMonitor::ShowCountdown);
  connect(m_countdown, &StopCountdown::problem, this, &ServerMonitor::Print);
}

// A link that cannot start says so in the window; the others still work.
void ServerMonitor::OpenLinks() {
  m_query = m_sources.links.query({[this](const monitor::ServerInfo& i, int ms) { ShowInfo(i, ms); },
                                   [this](const std::vector<monitor::Player>& p) { ShowPlayers(p); },
                                   {},
                                   {}});
  m_query->WantPlayers(true);
  if (const monitor::NetResult started = m_query->Start(m_sources.host, m_sources.port); !started)
    m_info->setText(QStringLiteral("The query cannot start: ") + QString::fromStdString(started.reason));
  m_console = m_sources.links.console();
  if (const monitor::NetResult opened = m_console->Open(m_sources.host, m_sources.port); !opened)
    Print(QStringLiteral("The console cannot open its socket: ") + QString::fromStdString(opened.reason));
  // The log comes from the watch, which hears it whether or not this window is open.
  if (m_sources.watch == nullptr) return;
  connect(m_sources.watch, &ServerWatch::logLine, this, &ServerMonitor::AddLogLine);
  connect(m_sources.watch, &ServerWatch::problem, this, &ServerMonitor::Print);
}

ServerMonitor::~ServerMonitor() {
  const std::unique_ptr<QSettings> settings = OpenMonitorSettings(m_sources.settingsFile);
  settings->setValue(QStringLiteral("monitor/size"), size());
  settings->setValue(QStringLiteral("monitor/scrollback"), static_cast<qulonglong>(m_log.Cap()));
}

// The time left of "Warn and stop", shown only while it runs.
QWidget* ServerMonitor::BuildCountdownRow() {
  auto* box = new QWidget;
  box->setObjectName(QStringLiteral("CountdownRow"));
  auto* row = new QHBoxLayout(box);
  row->setContentsMargins(0, 0, 0, 0);
  m_countdownLeft = new QLabel;
  m_countdownLeft->setObjectName(QStringLiteral("CountdownLeft"));
  m_countdownLeft->setTextFormat(Qt::PlainText);
  m_cancelStop = new QPushButton(QStringLiteral("&Cancel stop"));
  m_cancelStop->setObjectName(QStringLiteral("CancelStop"));
  connect(m_cancelStop, &QPushButton::clicked, this, &ServerMonitor::CancelStop);
  row->addWidget(m_countdownLeft, 1);
  row->addWidget(m_cancelStop);
  box->setVisible(m_countdown->Active());
  if (m_countdown->Active()) m_countdownLeft->setText(QStringLiteral("The server stops in ") + m_countdown->Left());
  return box;
}

QWidget* ServerMonitor::BuildButtons() {
  auto* box = new QWidget;
  auto* row = new QHBoxLayout(box);
  row->setContentsMargins(0, 0, 0, 0);
  auto button = [&](const char* name, const QString& caption, void (ServerMonitor::*action)()) {
    auto* b = new QPushButton(caption);
    b->setObjectName(QString::fromLatin1(name));
    connect(b, &QPushButton::clicked, this, action);
    m_consoleControls.push_back(b);
    return b;
  };
  m_mapChoice = new QComboBox;
  m_mapChoice->setObjectName(QStringLiteral("MapChoice"));
  m_mapChoice->setAccessibleName(QStringLiteral("Map"));
  m_sayText = new QLineEdit;
  m_sayText->setObjectName(QStringLiteral("SayText"));
  m_sayText->setPlaceholderText(QStringLiteral("Message to all players"));
  m_consoleControls.insert(m_consoleControls.end(), {m_mapChoice, m_sayText});
  row->addWidget(m_mapChoice);
  row->addWidget(button("ChangeMap", QStringLiteral("Change Map"), &ServerMonitor::ChangeMap));
  row->addWidget(m_sayText, 1);
  row->addWidget(button("Say", QStringLiteral("Say"), &ServerMonitor::Say));
  row->addWidget(button("Kick", QStringLiteral("Kick Player"), &ServerMonitor::KickSelected));
  row->addWidget(button("BanPlayer", QStringLiteral("Ban\u2026"), &ServerMonitor::BanSelected));
  row->addWidget(button("RestartServer", QStringLiteral("Restart"), &ServerMonitor::Restart));
  row->addWidget(button("WarnAndStop", QStringLiteral("&Warn and stop"), &ServerMonitor::WarnAndStop));
  // Not a console command, so it works without the console password.
  auto* update = new QPushButton(QStringLiteral("Update server\u2026"));
  update->setObjectName(QStringLiteral("UpdateServer"));
  update->setEnabled(static_cast<bool>(m_sources.updateServer));
  connect(update, &QPushButton::clicked, this, [this] {
    if (m_sources.updateServer) m_sources.updateServer();
  });
  row->addWidget(update);
  if (m_sources.maps)
    for (const std::string& map : m_sources.maps()) m_mapChoice->addItem(FromAnsi(map));
  return box;
}

void ServerMonitor::SetConsoleEnabled(bool on) {
  for (QWidget* w : m_consoleControls) w->setEnabled(on);
}

void ServerMonitor::Connect() {
  const monitor::ConsolePassword file = m_sources.filePassword ? m_sources.filePassword() : monitor::ConsolePassword{};
  const std::string field = m_sources.fieldPassword ? m_sources.fieldPassword() : file.password;
  const std::optional<std::string> notice = monitor::PasswordNotice(file, field, m_sources.serverCfgPath);
  m_notice->setVisible(notice.has_value());
  if (notice) m_notice->setText(FromAnsi(*notice));
  const bool usable = monitor::ConsoleUsable(file);
  SetConsoleEnabled(usable);
  if (!usable) return;
  m_input->setFocus();
  if (file.password != m_password) m_console->ForgetRefusal();
  m_password = file.password;
  // The password may have been put right since the server refused it.
  if (m_sources.watch != nullptr) m_sources.watch->AskForLog();
}

bool ServerMonitor::ConsoleIdle() const { return !m_running && m_pending.empty(); }

void ServerMonitor::Queue(std::string command, bool echo, std::function<void(const monitor::ConsoleStep&)> then) {
  m_pending.push_back({std::move(command), echo, std::move(then)});
  if (!m_running) RunNext();
}

void ServerMonitor::RunNext() {
  // One command at a time: what a finished command queues may already have started.
  if (m_running || m_pending.empty()) return;
  Pending next = std::move(m_pending.front());
  m_pending.pop_front();
  m_running = true;
  if (next.echo) Print("] " + FromAnsi(next.command));
  QPointer<ServerMonitor> self(this);
  m_console->Run(next.command, m_password, [self, next](const monitor::ConsoleStep& step) {
    if (!self) return;
    self->m_running = false;
    const bool refused =
        step.type == monitor::ConsoleStep::Type::Refused || step.type == monitor::ConsoleStep::Type::Banned;
    if (next.echo || step.type != monitor::ConsoleStep::Type::Done) {
      const std::string text = monitor::ConsoleOutcomeText(step);
      if (!text.empty()) self->Print(FromAnsi(text));
    }
    if (next.then) next.then(step);
    // A refusal stops what was waiting: nothing is sent again with that password on its own.
    if (refused) self->m_pending.clear();
    self->RunNext();
  });
}

void ServerMonitor::RunTyped(const QString& command) {
  const std::string bytes = ToAnsi(command.trimmed());
  if (bytes.empty()) return;
  m_history.Add(bytes);
  Connect();
  if (!m_input->isEnabled()) return;
  Queue(bytes, true);
}

void ServerMonitor::Print(const QString& text) {
  QString shown = text;
  while (shown.endsWith('\n')) shown.chop(1);
  m_output->appendPlainText(shown);
}

bool ServerMonitor::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_input && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    std::optional<std::string> shown;
    if (key == Qt::Key_Up) shown = m_history.Up(ToAnsi(m_input->text()));
    if (key == Qt::Key_Down) shown = m_history.Down();
    if (key == Qt::Key_Up || key == Qt::Key_Down) {
      if (shown) m_input->setText(FromAnsi(*shown));
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void ServerMonitor::ShowInfo(const monitor::ServerInfo& i, int roundTripMs) {
  const QString yes = QStringLiteral("yes"), no = QStringLiteral("no");
  m_info->setText(
      QStringLiteral("Name: %1\nMap: %2\nPlayers: %3/%4\nBots: %5\nPassword: %6\nVAC: %7\n"
                     "Version: %8\nReply: %9\nRound trip: %10 ms")
          .arg(FromAnsi(i.name), FromAnsi(i.map))
          .arg(i.players)
          .arg(i.maxPlayers)
          .arg(i.bots)
          .arg(i.password ? yes : no, i.vac ? yes : no, i.version.empty() ? QStringLiteral("-") : FromAnsi(i.version),
               i.layout == monitor::InfoLayout::Current ? QStringLiteral("current (I)") : QStringLiteral("old (m)"))
          .arg(roundTripMs));
}

void ServerMonitor::ShowPlayers(const std::vector<monitor::Player>& players) {
  const QString selected = m_players->currentRow() >= 0 && m_players->item(m_players->currentRow(), 0)
                               ? m_players->item(m_players->currentRow(), 0)->text()
                               : QString();
  m_players->setRowCount(static_cast<int>(players.size()));
  for (int row = 0; row < static_cast<int>(players.size()); ++row) {
    const monitor::Player& p = players[static_cast<std::size_t>(row)];
    m_players->setItem(row, 0, new QTableWidgetItem(FromAnsi(p.name)));
    m_players->setItem(row, 1, new QTableWidgetItem(QString::number(p.score)));
    m_players->setItem(row, 2, new QTableWidgetItem(Duration(p.seconds)));
    if (!selected.isEmpty() && m_players->item(row, 0)->text() == selected) m_players->selectRow(row);
  }
}

QWidget* ServerMonitor::BuildPlayersAndRules() {
  auto* tabs = new QTabWidget;
  tabs->setObjectName(QStringLiteral("PlayersAndRules"));
  tabs->addTab(m_players, QStringLiteral("Players"));
  // The query is made after the window's parts, but the view asks only once it is shown.
  tabs->addTab(new RulesView([this](monitor::LiveQuery::RulesDone done) { m_query->AskRules(std::move(done)); }),
               QStringLiteral("Rules"));
  auto* history = new HistoryTab(m_sources.history, m_sources.dialogs);
  tabs->addTab(history, QStringLiteral("History"));
  m_bansTab = new BansTab(m_sources.bans, m_sources.dialogs);
  tabs->addTab(m_bansTab, QStringLiteral("Bans"));
  connect(history, &HistoryTab::banAsked, m_bansTab, &BansTab::Offer);
  connect(m_bansTab, &BansTab::offered, tabs, [tabs, this] { tabs->setCurrentWidget(m_bansTab); });
  return tabs;
}

void ServerMonitor::AddLogLine(const monitor::LogLine& line) {
  m_log.Add(monitor::MakeLogEntry(line));
  m_logView->LinesAdded();
}

void ServerMonitor::Refilter() {
  m_log.SetFilter(ToAnsi(m_filter->text()));
  m_logView->Refilter();
}

void ServerMonitor::ChangeMap() {
  if (m_mapChoice->currentText().isEmpty()) return;
  Queue(monitor::ChangeLevelCommand(ToAnsi(m_mapChoice->currentText())), true);
}

void ServerMonitor::Say() {
  if (m_sayText->text().trimmed().isEmpty()) return;
  Queue(monitor::SayCommand(ToAnsi(m_sayText->text())), true);
  m_sayText->clear();
}

void ServerMonitor::KickSelected() {
  const int row = m_players->currentRow();
  if (row < 0 || m_players->item(row, 0) == nullptr) {
    Print(QStringLiteral("Select the player to kick in the player list first."));
    return;
  }
  const QString name = m_players->item(row, 0)->text();
  if (m_sources.dialogs == nullptr ||
      !m_sources.dialogs->AskYesNo(QStringLiteral("Kick ") + name + QStringLiteral(" from the server?"),
                                   QStringLiteral("Kick Player"), Dialogs::Icon::Question))
    return;
  // Query replies carry no user id; the console's status has it.
  const std::string wanted = ToAnsi(name);
  Queue("status", false, [this, wanted](const monitor::ConsoleStep& step) {
    if (step.type != monitor::ConsoleStep::Type::Done) return;
    const monitor::KickStep kick = monitor::KickFromStatus(step.text, wanted);
    if (kick.command)
      Queue(*kick.command, true);
    else
      Print(FromAnsi(kick.message));
  });
}

void ServerMonitor::BanSelected() {
  const int row = m_players->currentRow();
  if (row < 0 || m_players->item(row, 0) == nullptr) {
    Print(QStringLiteral("Select the player to ban in the player list first."));
    return;
  }
  // Query replies carry no SteamID; the console's status has it.
  const std::string wanted = ToAnsi(m_players->item(row, 0)->text());
  Queue("status", false, [this, wanted](const monitor::ConsoleStep& step) {
    if (step.type != monitor::ConsoleStep::Type::Done) return;
    if (m_sources.history) m_sources.history->HeardStatus(step.text);
    bool complete = false;
    for (const people::StatusEntry& p : people::ParseStatusPlayers(step.text, complete))
      if (p.name == wanted) {
        m_bansTab->Offer(QString::fromStdString(p.steamId), QString::fromStdString(p.address), FromAnsi(p.name));
        return;
      }
    Print(FromAnsi(wanted) + QStringLiteral(" is no longer on the server."));
  });
}

void ServerMonitor::Restart() { Queue("restart", true); }

void ServerMonitor::WarnAndStop() {
  if (m_countdown->Active() || m_sources.dialogs == nullptr ||
      !m_sources.dialogs->AskYesNo(QStringLiteral("Warn the players and stop the server in 60 seconds?"),
                                   QStringLiteral("Warn and stop"), Dialogs::Icon::Question))
    return;
  // The password the console uses now; Connect has read it.
  if (const monitor::NetResult begun =
          m_countdown->Begin(m_sources.links, m_sources.host, m_sources.port, m_password, m_sources.stop);
      !begun)
    Print(QStringLiteral("The countdown cannot open its console socket: ") + QString::fromStdString(begun.reason));
}

void ServerMonitor::CancelStop() { m_countdown->Cancel(); }

void ServerMonitor::ShowCountdown() {
  m_countdownLeft->parentWidget()->setVisible(m_countdown->Active());
  m_countdownLeft->setText(m_countdown->Active() ? QStringLiteral("The server stops in ") + m_countdown->Left()
                                                 : QString());
}

void ServerMonitor::closeEvent(QCloseEvent* event) {
  // The countdown can go on without this window; the user says whether it should.
  if (m_countdown->Active() &&
      (m_sources.dialogs == nullptr ||
       !m_sources.dialogs->AskYesNo(QStringLiteral("The server stops in ") + m_countdown->Left() +
                                        QStringLiteral(". Keep the countdown running after this window closes?"),
                                    QStringLiteral("Warn and stop"), Dialogs::Icon::Question)))
    m_countdown->Cancel();
  QWidget::closeEvent(event);
}

void AttachServerMonitor(MainForm& form, QBoxLayout* layout, install::FileSystem& fs, Dialogs& dialogs) {
  auto* line = new StatusLine(
      {[&form] { return form.Values().GetText("port"); }, [&form] { return form.Launcher().WatchStartedServer(); }},
      &form);
  layout->addWidget(line);
  auto* countdown = new StopCountdown(&form);
  line->SetNote([countdown, &form] {
    if (countdown->Active()) return QStringLiteral("stopping in ") + countdown->Left();
    const QString note = form.Supervision().driver != nullptr ? form.Supervision().driver->Note() : QString();
    if (!note.isEmpty() || form.Supervision().restarts == nullptr) return note;
    QStringList words;
    for (const QString& text : {form.Supervision().restarts->StatusText(), form.Supervision().restarts->UpdateNotice()})
      if (!text.isEmpty()) words << text;
    return words.join(QStringLiteral("; "));
  });
  QObject::connect(countdown, &StopCountdown::changed, line, &StatusLine::Refresh);
  auto monitor = std::make_shared<QPointer<ServerMonitor>>();
  auto open = [&form, &fs, &dialogs, line, monitor, countdown] {
    if (*monitor && (*monitor)->Port() != line->Port()) {
      (*monitor)->close();
      delete monitor->data();
    }
    if (!*monitor) {
      MonitorSources sources;
      sources.links = line->Links();
      sources.port = line->Port();
      sources.serverCfgPath = install::GamePath(form.GameDir(), install::kServerCfg);
      sources.filePassword = [&fs, path = sources.serverCfgPath] { return monitor::ReadConsolePassword(fs, path); };
      sources.fieldPassword = [&form] { return form.Values().GetText("rcon_password"); };
      sources.maps = [&fs, &form] { return maps::ScanMaps(fs, form.GameDir()); };
      sources.stop = [&form] { form.StopDedicatedServer(); };
      sources.supervision = form.Supervision().driver;
      sources.restarts = form.Supervision().restarts;
      sources.crashesDir = form.Supervision().crashesDir;
      sources.openFolder = form.Supervision().openFolder;
      sources.countdown = countdown;
      sources.updateServer = [&form] { emit form.updateServerRequested(); };
      sources.dialogs = &dialogs;
      sources.watch = form.Watch();
      sources.history = form.Watch() != nullptr ? form.Watch()->History() : nullptr;
      sources.bans = form.Bans();
      *monitor = new ServerMonitor(std::move(sources), &form);
    }
    (*monitor)->show();
    (*monitor)->raise();
    (*monitor)->activateWindow();
    (*monitor)->Connect();
  };
  QObject::connect(line, &StatusLine::clicked, &form, open);
  // The monitor's title carries the status line, so it can be read from outside too.
  QObject::connect(line, &StatusLine::shown, &form, [monitor](const QString& text) {
    if (*monitor) (*monitor)->setWindowTitle(QStringLiteral("Server Monitor - ") + text);
  });
  auto* key = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_O), &form);
  QObject::connect(key, &QShortcut::activated, &form, open);
  QObject::connect(line, &StatusLine::serverEnded, &form, [&dialogs, monitor] {
    const std::vector<std::string> last = *monitor ? (*monitor)->Log().Last(20) : std::vector<std::string>{};
    dialogs.Inform(FromAnsi(monitor::ServerEndedText(last)));
  });
  // Nothing stops the server once the program has gone: the players hear so.
  // The countdown goes with the window, before the program quits: the players hear it is off then.
  QObject::connect(&form, &MainForm::unloading, countdown, [countdown] { countdown->CancelBeforeQuit(); });
}

void FollowServer(MainForm& form, install::FileSystem& fs, ServerWatch& watch) {
  auto* line = form.findChild<StatusLine*>(QStringLiteral("StatusLine"));
  if (line == nullptr) return;
  watch.Follow(
      [&fs, &form] { return monitor::ReadConsolePassword(fs, install::GamePath(form.GameDir(), install::kServerCfg)); },
      [&form] { return form.Launcher().StartedServer(); });
  // The server the fields name, looked at each time the line is (a change of port or folder is followed).
  const auto aim = [&form, &watch, line] { watch.Watch(line->Port(), form.GameDir()); };
  QObject::connect(line, &StatusLine::shown, &watch, aim);
  aim();
  // The watch outlives the form: what it reads through the form goes with it.
  QObject::connect(&form, &QObject::destroyed, &watch, [&watch] { watch.Follow({}, {}); });
  // The crash report gets the live log whether or not the monitor is open.
  if (SupervisionDriver* driver = form.Supervision().driver)
    QObject::connect(&watch, &ServerWatch::logLine, &form, [driver](const monitor::LogLine& l) { driver->LogLine(l); });
  // The kept bans go back in force whenever the server comes up, whoever started it, the monitor open or not.
  PlayerHistory* history = watch.History();
  if (history == nullptr) return;
  BanSenderSources banSources;
  banSources.links.console = [line]() -> std::unique_ptr<monitor::LiveConsole> {
    return line->Links().console ? line->Links().console() : nullptr;
  };
  banSources.port = [line] { return line->Port(); };
  banSources.password = [&fs, &form] {
    const monitor::ConsolePassword file =
        monitor::ReadConsolePassword(fs, install::GamePath(form.GameDir(), install::kServerCfg));
    return monitor::ConsoleUsable(file) ? file.password : std::string();
  };
  banSources.store = [history] { return history->Bans(); };
  banSources.fs = &fs;
  banSources.gameDir = [&form] { return form.GameDir(); };
  auto* bans = new BanSender(std::move(banSources), &form);
  QObject::connect(&watch, &ServerWatch::cameUp, bans, &BanSender::ServerCameUp);
  form.UseBans(bans);
}

void UseServerLinks(MainForm& form, monitor::ServerLinks links) {
  if (auto* line = form.findChild<StatusLine*>(QStringLiteral("StatusLine"))) line->UseLinks(std::move(links));
}

}  // namespace quorvane::ui
