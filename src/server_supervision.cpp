#include "server_supervision.h"

#include <QCoreApplication>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>
#include <optional>

#include "app/run_server.h"
#include "install/game_paths.h"
#include "install/settings_file.h"
#include "monitor/monitor_view.h"
#include "platform/codepage.h"
#include "platform/fatal_window.h"
#include "platform/file_system.h"
#include "platform/install_runner.h"
#include "platform/path_resolver.h"
#include "platform/server_console.h"
#include "platform/server_control.h"
#include "platform/settings_place.h"
#include "store/sqlite_player_store.h"
#include "ui/ban_sender.h"
#include "ui/command_line.h"
#include "ui/install_terminal.h"
#include "ui/keep_running.h"
#include "ui/monitor_settings.h"
#include "ui/player_history.h"
#include "ui/server_watch.h"
#include "update/interrupted_update.h"

namespace quorvane {

namespace {

// A stop the server does not obey within this time is forced.
constexpr int kStopGraceMs = 10000;
// How often --run-server looks whether SIGTERM or SIGINT came.
constexpr int kInterruptPollMs = 250;

// --run-server has no cue to play.
struct Silence : launch::SoundPlayer {
  void PlaySoundCue(const std::string&) override {}
};

std::uint16_t PortOf(const launch::LaunchForm& form) {
  const int port = std::atoi(form.fields.GetText("port").c_str());
  return static_cast<std::uint16_t>(port > 0 && port < 65536 ? port : 27015);
}

supervise::WallTime WallNow() { return std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now()); }

}  // namespace

supervise::Settings SupervisionTimes() {
  const char* times = std::getenv("QUORVANE_SUPERVISE_TIMES");
  return times != nullptr ? app::SupervisionSettings(times) : supervise::Settings{};
}

ServerSupervision::ServerSupervision(install::FileSystem& fs, launch::SoundPlayer& sound, launch::ServerControl& server,
                                     supervise::Settings settings, QString monitorSettings,
                                     std::function<void(const std::string&)> say)
    : m_launcher(fs, sound, m_starter, server), m_monitorSettings(std::move(monitorSettings)) {
  app::SupervisionServices services;
  services.start = [this] { return Restart(); };
  services.ended = [this] { return m_starter.TryWait(); };
  services.stop = [this] { m_starter.Stop(); };
  services.kill = [this] { m_starter.Kill(); };
  services.fatalWindow = [this] { return platform::FatalErrorWindowText(m_starter.ProcessId()); };
  services.writeReport = [this](const supervise::Crash& crash, const std::vector<std::string>& lines) {
    return Report(crash, lines);
  };
  services.say = say;
  // The status line and the monitor say it; a crash loop is said in the same words.
  services.notify = [](const std::string&) {};
  m_driver = std::make_unique<ui::SupervisionDriver>(std::move(services), settings);
  // The players are warned of a restart through the console, with the password of the written server.cfg.
  m_driver->UseConsolePassword([this, &fs] {
    if (m_form.gameDir.empty()) return std::string();
    const monitor::ConsolePassword file =
        monitor::ReadConsolePassword(fs, install::GamePath(m_form.gameDir, install::kServerCfg));
    return monitor::ConsoleUsable(file) ? file.password : std::string();
  });
  m_restarts = std::make_unique<ui::ScheduledRestarts>(*m_driver, m_zone, WallNow);
  ui::UpdateDoors doors;
  doors.serverDir = [this] { return platform::AnsiToUtf8(m_form.gameDir); };
  // An update marker in the folder: SteamCMD runs for it, from this program or another.
  doors.steamCmdBusy = [](const std::string& dir) {
    const update::InstallMachine machine = platform::ThisMachine();
    return !dir.empty() && !update::FindInterruptedUpdates(*machine.files, dir).empty();
  };
  doors.check = [](const std::string& dir, const std::function<bool()>& cancelled) {
    return ui::CheckServerBuildOn(platform::ThisMachine(), dir, cancelled);
  };
  doors.update = [](const std::string& dir, const std::function<void(const std::string&)>& say,
                    const std::function<bool()>& cancelled) {
    const update::InstallMachine machine = platform::ThisMachine();
    return ui::InstallServerSaying(
        machine, *machine.files, dir, dir, [&say](bool, const std::string& line) { say(line); }, cancelled);
  };
  m_restarts->UseUpdates(std::move(doors));
  m_restarts->Use(RestartSchedule(m_monitorSettings));
  if (say)
    QObject::connect(m_restarts.get(), &ui::ScheduledRestarts::said,
                     [say](const QString& line) { say(line.toStdString()); });
}

ui::RestartSettings RestartSchedule(const QString& monitorSettings) {
  ui::RestartSettings settings = ui::ReadRestartSettings(monitorSettings);
  if (const char* times = std::getenv("QUORVANE_RESTART_TIMES"))
    settings.schedule = ui::RestartTestTimes(times, settings.schedule);
  return settings;
}

ui::SupervisedStartHooks ServerSupervision::Hooks() {
  ui::SupervisedStartHooks hooks;
  hooks.driver = m_driver.get();
  hooks.restarts = m_restarts.get();
  hooks.on = [this] { return ui::KeepServerRunning(m_monitorSettings); };
  hooks.start = [this](const launch::LaunchForm& form) { return StartFromButton(form); };
  hooks.crashesDir = QString::fromStdString(m_crashes.Directory().string());
  return hooks;
}

std::string ServerSupervision::TakeLock(const std::string& gameDir, long long* holder) {
  const platform::LockOutcome lock = m_lock.Take(platform::ResolvePath(gameDir).string());
  if (holder != nullptr) *holder = lock.holder;
  if (lock.taken) return {};
  if (!lock.error.empty()) return "Quorvane could not keep the server running: " + lock.error;
  return "Quorvane does not keep the server in " + gameDir + " running: process " +
         (lock.holder != 0 ? std::to_string(lock.holder) : std::string("unknown")) + " keeps it running already.";
}

launch::LaunchOutcome ServerSupervision::StartFromButton(const launch::LaunchForm& form) {
  if (std::string refused = TakeLock(form.gameDir); !refused.empty()) return {std::move(refused), false};
  m_startedAt = std::chrono::system_clock::now();
  launch::LaunchOutcome outcome = m_launcher.StartDedicatedServer(form);
  if (outcome.message.empty() && m_launcher.StartedServer()) {
    RememberStart(form);
    m_driver->UseLinks(m_links, PortOf(form));
    m_driver->Started(*m_launcher.StartedServer());
  }
  return outcome;
}

bool ServerSupervision::StartHeadless(const launch::LaunchForm& form) {
  m_form = form;
  m_driver->UseLinks(m_links, PortOf(form));
  m_driver->Start();
  return m_driver->Supervising();
}

launch::StartResult ServerSupervision::Restart() {
  m_startedAt = std::chrono::system_clock::now();
  const launch::LaunchOutcome outcome = m_launcher.LaunchDedicatedServer(m_form);
  if (!outcome.message.empty()) return launch::StartResult::Failure(outcome.message);
  RememberStart(m_form);
  return launch::StartResult::Success(m_launcher.StartedServer());
}

void ServerSupervision::RememberStart(const launch::LaunchForm& form) {
  m_form = form;
  ui::OpenMonitorSettings(m_monitorSettings)
      ->setValue(QString::fromLatin1(ui::kLastMapKey), QString::fromStdString(platform::AnsiToUtf8(form.startingMap)));
}

app::WrittenReport ServerSupervision::Report(const supervise::Crash& crash, const std::vector<std::string>& lines) {
  platform::ReportInputs inputs;
  inputs.when = WallNow();
  inputs.liveLog = lines;
  inputs.serverFolder = platform::ResolvePath(m_form.gameDir);
  inputs.processId = m_starter.ProcessId();
  inputs.startedAt = m_startedAt;
  const platform::ReportWritten written = platform::WriteCrashReport(m_crashes, crash, inputs);
  if (!written) return {false, {}, "Quorvane could not write " + written.file + ": " + written.reason};
  return {true, written.folder.string(), {}};
}

int RunServerHeadless(int& argc, char* argv[], const QString& map) {
  const QCoreApplication terminal(argc, argv);
  platform::CatchTerminalInterrupt();
  auto say = [](const std::string& line) {
    char stamp[32];
    const std::time_t now = std::time(nullptr);
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", std::localtime(&now));
    std::fprintf(stderr, "%s %s\n", stamp, line.c_str());
    std::fflush(stderr);
  };

  platform::NativeFileSystem fs;
  Silence silence;
  platform::NativeServerControl server;
  const std::string gameDir = install::ReadServerLocation(fs, platform::SettingsFilePath(fs));
  const QString monitorSettings;
  const QString lastMap =
      ui::OpenMonitorSettings(monitorSettings)->value(QString::fromLatin1(ui::kLastMapKey)).toString();
  const app::RunServerForm run = app::RunServerLaunchForm(fs, gameDir, platform::Utf8ToAnsi(map.toStdString()),
                                                          platform::Utf8ToAnsi(lastMap.toStdString()));
  if (!run.problem.empty()) {
    say(platform::AnsiToUtf8(run.problem));
    return ui::kUsageExitCode;
  }

  ServerSupervision supervision(fs, silence, server, SupervisionTimes(), monitorSettings, say);
  if (const std::string refused = supervision.TakeLock(run.form.gameDir); !refused.empty()) {
    say(platform::AnsiToUtf8(refused));
    return ui::kRunServerLockedCode;
  }
  const monitor::ServerLinks links = platform::UdpServerLinks();
  supervision.UseLinks(links);
  // The live log, heard from the server's first answer, goes into the crash reports and the player history.
  std::unique_ptr<ui::PlayerHistory> history;
  if (const std::filesystem::path file = platform::PlayerHistoryFile(); !file.empty())
    history = std::make_unique<ui::PlayerHistory>(file);
  const std::string serverCfg = install::GamePath(run.form.gameDir, install::kServerCfg);
  ui::ServerWatch watch({.links = links,
                         .password = [&fs, serverCfg] { return monitor::ReadConsolePassword(fs, serverCfg); },
                         .startedServer = [&supervision]() -> std::optional<long long> {
                           const long long process = supervision.Starter().ProcessId();
                           return process != 0 ? std::optional(process) : std::nullopt;
                         },
                         .settingsFile = monitorSettings,
                         .history = history.get()});
  QObject::connect(&watch, &ui::ServerWatch::logLine, &supervision.Driver(), &ui::SupervisionDriver::LogLine);
  QObject::connect(&watch, &ui::ServerWatch::problem, [say](const QString& text) { say(text.toStdString()); });
  if (history)
    QObject::connect(history.get(), &ui::PlayerHistory::notice,
                     [say](const QString& text) { say(text.toStdString()); });
  watch.Watch(PortOf(run.form), run.form.gameDir);
  // The kept bans back in force whenever the server comes up, through the history's own store.
  std::unique_ptr<ui::BanSender> bans;
  if (history) {
    ui::BanSenderSources banSources;
    banSources.links = links;
    banSources.port = [port = PortOf(run.form)] { return port; };
    banSources.password = [&fs, serverCfg] {
      const monitor::ConsolePassword file = monitor::ReadConsolePassword(fs, serverCfg);
      return monitor::ConsoleUsable(file) ? file.password : std::string();
    };
    banSources.store = [&history] { return history->Bans(); };
    banSources.fs = &fs;
    banSources.gameDir = [dir = run.form.gameDir] { return dir; };
    bans = std::make_unique<ui::BanSender>(std::move(banSources));
    QObject::connect(bans.get(), &ui::BanSender::said, [say](const QString& text) { say(text.toStdString()); });
    QObject::connect(&watch, &ui::ServerWatch::cameUp, bans.get(), &ui::BanSender::ServerCameUp);
  }
  if (!supervision.StartHeadless(run.form)) return ui::kRunServerStartFailedCode;

  int code = 0;
  bool stopping = false;
  QObject::connect(&supervision.Driver(), &ui::SupervisionDriver::changed, [&] {
    const supervise::State state = supervision.Driver().Current();
    if (state == supervise::State::GaveUp) code = ui::kRunServerCrashLoopCode;
    // A restart passes through a stopped server; only a stop that stays one ends the run.
    if (state == supervise::State::GaveUp || (state == supervise::State::Idle && !supervision.Driver().Restarting()))
      QCoreApplication::exit(code);
  });
  QTimer interrupts;
  QObject::connect(&interrupts, &QTimer::timeout, [&] {
    if (stopping || !platform::TerminalInterrupted()) return;
    stopping = true;
    say("Stopping the server.");
    supervision.Driver().Stop();
    QTimer::singleShot(kStopGraceMs, [&] { supervision.Starter().Kill(); });
  });
  interrupts.start(kInterruptPollMs);
  return QCoreApplication::exec();
}

}  // namespace quorvane
