// The program starts with its opening window; every later step follows from
// a window's timer or a click, until the closing window ends the event loop.
// Options answered in the terminal are settled first, without a display.
#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QUrl>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/run_server.h"
#include "install/build_info.h"
#include "install/settings_file.h"
#include "monitor/monitor_view.h"
#include "platform/codepage.h"
#include "platform/display.h"
#include "platform/file_system.h"
#include "platform/install_runner.h"
#include "platform/path_resolver.h"
#include "platform/process_starter.h"
#include "platform/program_dir.h"
#include "platform/server_console.h"
#include "platform/server_control.h"
#include "platform/settings_place.h"
#include "platform/sound.h"
#include "platform/window_menu.h"
#include "server_supervision.h"
#include "ui/ansi_text.h"
#include "ui/ban_terminal.h"
#include "ui/command_line.h"
#include "ui/dialogs.h"
#include "ui/first_window.h"
#include "ui/fonts.h"
#include "ui/install_terminal.h"
#include "ui/pictures.h"
#include "ui/player_history.h"
#include "ui/server_watch.h"
#include "ui/start_sequence.h"
#include "ui/terminal_modes.h"

namespace {

QStringList RawArguments(int argc, char* argv[]) {
  QStringList arguments;
  for (const std::string& word : quorvane::platform::ProgramArguments(argc, argv))
    arguments << QString::fromStdString(word);
  return arguments;
}

int AnswerInTerminal(const quorvane::ui::CommandLine& commandLine, const quorvane::ui::CommandLineDecision& decision) {
  using quorvane::ui::CommandLine;
  std::FILE* out = CommandLine::AnswersOnStandardError(decision) ? stderr : stdout;
  std::fputs(commandLine.AnswerText(decision).toLocal8Bit().constData(), out);
  return CommandLine::ExitCode(decision);
}

// --ban, --unban, --bans: the store, and the stored location's server at its port unless --server names another.
int RunBans(int& argc, char* argv[], const quorvane::ui::CommandLineDecision& decision) {
  using quorvane::ui::BanCommand;
  using quorvane::ui::CommandLineAction;
  const QCoreApplication terminal(argc, argv);
  quorvane::platform::NativeFileSystem fs;
  const std::filesystem::path file = quorvane::platform::PlayerHistoryFile();
  quorvane::ui::BanPlace place;
  if (!file.empty()) place.storeFile = file;
  place.fs = &fs;
  place.gameDir = quorvane::install::ReadServerLocation(fs, quorvane::platform::SettingsFilePath(fs));
  BanCommand command;
  command.kind = decision.action == CommandLineAction::Ban     ? BanCommand::Kind::Ban
                 : decision.action == CommandLineAction::Unban ? BanCommand::Kind::Unban
                                                               : BanCommand::Kind::List;
  command.target = decision.command.toStdString();
  command.reason = quorvane::platform::Utf8ToAnsi(decision.reason.toStdString());
  if (decision.minutes > 0) command.length = std::chrono::minutes(decision.minutes);
  command.json = decision.json;
  if (command.kind != BanCommand::Kind::List) {
    if (!decision.server.isEmpty()) {
      const std::optional<quorvane::monitor::HostPort> target =
          quorvane::monitor::ParseHostPort(decision.server.toStdString());
      if (!target) {
        std::fprintf(stderr, "quorvane: '%s' is not HOST[:PORT].\n", decision.server.toLocal8Bit().constData());
        return quorvane::ui::kUsageExitCode;
      }
      place.host = target->host;
      place.port = target->port;
    } else {
      const quorvane::app::RunServerForm run = quorvane::app::RunServerLaunchForm(fs, place.gameDir, "-", "");
      if (place.gameDir.empty()) {
        std::fprintf(stderr, "quorvane: %s\n", quorvane::platform::AnsiToUtf8(run.problem).c_str());
        return 1;
      }
      const int port = std::atoi(run.form.fields.GetText("port").c_str());
      place.port = static_cast<std::uint16_t>(port > 0 && port < 65536 ? port : 27015);
    }
  }
  return quorvane::ui::RunBanCommand(quorvane::platform::UdpServerLinks(), command, place,
                                     std::getenv("QUORVANE_RCON_PASSWORD"), stdout, stderr);
}

// The modes settled in the terminal, each with the least of Qt it needs.
int RunInTerminal(int& argc, char* argv[], const quorvane::ui::CommandLine& commandLine,
                  const quorvane::ui::CommandLineDecision& decision) {
  if (decision.action == quorvane::ui::CommandLineAction::InstallServer) {
    // A terminal's work: no window, no sound.
    const QCoreApplication terminal(argc, argv);
    quorvane::platform::CatchTerminalInterrupt();
    // The install folder is this machine's place, never converted to the game's code page.
    const quorvane::update::InstallMachine machine = quorvane::platform::ThisMachine();
    return quorvane::ui::InstallServerInTerminal(machine, *machine.files, commandLine.InstallDir().toStdString(),
                                                 QDir::toNativeSeparators(QDir::currentPath()).toStdString(), stdout,
                                                 stderr, quorvane::platform::TerminalInterrupted);
  }
  using quorvane::ui::CommandLineAction;
  if (decision.action == CommandLineAction::CheckUpdate) {
    const QCoreApplication terminal(argc, argv);
    quorvane::platform::NativeFileSystem fs;
    const std::string stored = quorvane::install::ReadServerLocation(fs, quorvane::platform::SettingsFilePath(fs));
    return quorvane::ui::CheckUpdateInTerminal(quorvane::platform::ThisMachine(),
                                               quorvane::platform::AnsiToUtf8(stored), decision.json, stdout, stderr);
  }
  // The server kept running without a window or a display, until SIGTERM or SIGINT.
  if (decision.action == CommandLineAction::RunServer) return quorvane::RunServerHeadless(argc, argv, decision.map);
  if (decision.action == CommandLineAction::Query || decision.action == CommandLineAction::Rcon) {
    // The monitor's terminal modes: sockets and an event loop, no window system.
    const QCoreApplication terminal(argc, argv);
    const quorvane::monitor::ServerLinks links = quorvane::platform::UdpServerLinks();
    if (decision.action == CommandLineAction::Query)
      return quorvane::ui::RunQuery(links, decision.server.toStdString(), decision.json, stdout, stderr);
    return quorvane::ui::RunRcon(links, decision.server.toStdString(), decision.command.toStdString(),
                                 std::getenv("QUORVANE_RCON_PASSWORD"), stdout, stderr);
  }
  if (decision.action == CommandLineAction::History) {
    const QCoreApplication terminal(argc, argv);
    const std::filesystem::path file = quorvane::platform::PlayerHistoryFile();
    return quorvane::ui::RunHistory(file.empty() ? std::nullopt : std::optional(file), decision.command, decision.json,
                                    stdout, stderr);
  }
  if (decision.action == CommandLineAction::Ban || decision.action == CommandLineAction::Unban ||
      decision.action == CommandLineAction::ListBans)
    return RunBans(argc, argv, decision);
  // Only so that the help names the program as it was started; no window system is involved.
  const QCoreApplication terminal(argc, argv);
  return AnswerInTerminal(commandLine, decision);
}

constexpr const char* kTerminalModesHint = " The terminal modes need none: see quorvane --help.\n";

// What the window system says while it starts, held until it has started; if
// it cannot start, a plain word takes the place of its abort.
struct WindowSystemStart {
  quorvane::platform::DisplayChoice display;
  std::vector<QString> held;
};
WindowSystemStart* g_windowSystemStart = nullptr;

void HoldStartMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  WindowSystemStart& start = *g_windowSystemStart;
  if (type != QtFatalMsg) {
    start.held.push_back(qFormatLogMessage(type, context, text));
    return;
  }
  if (start.display.platform.empty()) {
    std::fprintf(stderr, "quorvane: cannot open the display %s.%s", start.display.name.c_str(), kTerminalModesHint);
  } else {
    // A window system the user chose: its own words say best what is wrong with it. Qt's last
    // word, advice to reinstall, is left out: the installation is not the fault.
    for (const QString& line : start.held) std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
    std::fprintf(stderr, "quorvane: the window system %s cannot be started.%s", start.display.platform.c_str(),
                 kTerminalModesHint);
  }
  std::fflush(stderr);
  // Exit, not abort: nothing went wrong inside the program, and there is nothing to dump.
  std::_Exit(1);
}

// The window icon, drawn from its SVG: loading it as a file would make Qt
// load every image plugin to find the one for it.
QIcon ProgramIcon(std::initializer_list<int> sizes) {
  QIcon icon;
  for (const int size : sizes) icon.addPixmap(quorvane::ui::SvgPicture(":/icons/quorvane.svg", {size, size}));
  return icon;
}

// The windows, from the opening one until the sequence ends the event loop.
int RunWindows(int& argc, char* argv[], const quorvane::platform::DisplayChoice& display) {
  WindowSystemStart start{display, {}};
  g_windowSystemStart = &start;
  const QtMessageHandler previous = qInstallMessageHandler(HoldStartMessage);
  QApplication app(argc, argv);
  qInstallMessageHandler(previous);
  g_windowSystemStart = nullptr;
  for (const QString& line : start.held) std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());

  // The window system matches the windows to the installed desktop entry, and with it the icon.
  QGuiApplication::setDesktopFileName(quorvane::install::kDesktopId);
  // The title bar's size first; the larger ones the task switcher shows once the first window is up.
  QApplication::setWindowIcon(ProgramIcon({48}));
  quorvane::ui::AfterFirstWindowShows([] { QApplication::setWindowIcon(ProgramIcon({48, 128, 256})); });
  // Windows come and go during start-up; only the sequence says when it is over.
  QApplication::setQuitOnLastWindowClosed(false);
  quorvane::ui::InstallComicFont();
  QApplication::setFont(quorvane::ui::ProgramFont());

  quorvane::platform::NativeFileSystem fs;
  quorvane::platform::NativeSoundPlayer sound;
  quorvane::platform::NativeProcessStarter starter;
  quorvane::platform::NativeServerControl server;
  quorvane::ui::Dialogs dialogs;

  quorvane::app::StartPlaces places;
  places.settingsPath = quorvane::platform::SettingsFilePath(fs);
  // A default installation becomes GameDir, the game's text: a home the code page cannot hold offers none.
  const std::string home = QDir::homePath().toStdString();
  const std::string homeText = quorvane::platform::Utf8ToAnsi(home);
  if (quorvane::platform::AnsiToUtf8(homeText) == home)
    places.nativeInstallDirs = quorvane::app::SteamInstallDirs(homeText);

  quorvane::ui::SequenceServices services{fs, sound, dialogs, starter, server, places};
  services.links = quorvane::platform::UdpServerLinks();
  // Who played is heard from the server's first answer, whether or not the monitor is open.
  std::unique_ptr<quorvane::ui::PlayerHistory> history;
  if (const std::filesystem::path file = quorvane::platform::PlayerHistoryFile(); !file.empty())
    history = std::make_unique<quorvane::ui::PlayerHistory>(file);
  quorvane::ui::ServerWatch watch({.links = services.links, .history = history.get()});
  services.watch = &watch;
  // The windows are gone by then (and on an interrupt below); the watch still knows where the server sends its log.
  QObject::connect(&app, &QCoreApplication::aboutToQuit, &watch, [&watch] { watch.RemoveLogAddress(); });
  // Owned here, not by the monitor window: the server is kept running whether or not that is open.
  quorvane::ServerSupervision supervision(fs, sound, server, quorvane::SupervisionTimes(), QString());
  supervision.UseLinks(services.links);
  services.supervision = supervision.Hooks();
  // The crash report's folder opens as the program's links do.
  services.supervision.openFolder = [&starter](const QString& folder) {
    const quorvane::launch::StartResult opened = starter.OpenLink(quorvane::platform::Utf8ToAnsi(
        QUrl::fromLocalFile(QDir::fromNativeSeparators(folder)).toString().toStdString()));
    return opened.ok ? std::string() : opened.reason;
  };
  services.machine = quorvane::platform::ThisMachine();
  services.resolvePath = [](std::string_view text) { return quorvane::platform::ResolvePath(text); };
  services.winePrefix = quorvane::platform::DefaultWinePrefix;
  services.removeCloseEntry = quorvane::platform::RemoveCloseEntry;
  // Ctrl+C in the launching terminal, or the session ending, mid-update: SteamCMD is ended and the files put back.
  quorvane::platform::CatchTerminalInterrupt();
  services.interrupted = quorvane::platform::TerminalInterrupted;
  services.endInterrupted = [&watch] {
    watch.RemoveLogAddress();
    quorvane::platform::EndAsInterrupted();
  };
  quorvane::ui::StartSequence sequence(std::move(services));
  // The sound system loads while the opening window is up, well before its first cue.
  quorvane::ui::AfterFirstWindowShows([&sound] { sound.Prepare(); });
  QObject::connect(&sequence, &quorvane::ui::StartSequence::ended, &app, &QCoreApplication::exit, Qt::QueuedConnection);
  sequence.Start();
  return app.exec();
}

}  // namespace

int main(int argc, char* argv[]) {
  quorvane::ui::UseCodePage(quorvane::platform::AnsiToUtf8, quorvane::platform::Utf8ToAnsi);
  quorvane::ui::CommandLine commandLine;
  const quorvane::ui::CommandLineDecision decision = commandLine.Read(RawArguments(argc, argv));
  if (decision.action != quorvane::ui::CommandLineAction::RunWindows)
    return RunInTerminal(argc, argv, commandLine, decision);
  const quorvane::platform::DisplayChoice display =
      quorvane::platform::FindDisplay(std::vector<std::string>(argv, argv + argc));
  if (display.platform.empty() && display.name.empty()) {
    std::fprintf(stderr, "quorvane: there is no display to open the windows on.%s", kTerminalModesHint);
    return 1;
  }
  return RunWindows(argc, argv, display);
}
