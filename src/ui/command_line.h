#pragma once
// The program's command line. Started without arguments it opens its windows
// as it always has; the options answered in the terminal are decided here,
// before anything touches the window system, so they need no display.
// Later options add an action and their values to the decision.
#include <QCommandLineParser>
#include <QString>
#include <QStringList>

namespace quorvane::ui {

enum class CommandLineAction {
  RunWindows, ShowHelp, ShowVersion, Refuse, InstallServer, Query, Rcon, CheckUpdate, History, RunServer, Ban, Unban,
  ListBans
};

struct CommandLineDecision {
  CommandLineAction action = CommandLineAction::RunWindows;
  QString error;  // for Refuse: what was wrong, in one line
  // Query and Rcon: the server as HOST[:PORT], the answer as JSON (CheckUpdate's too), the console command.
  // History: the text searched for in `command`, the rows as JSON.
  QString server{};
  bool json = false;
  QString command{};
  // RunServer: the starting map given with --map; empty for the last start's.
  QString map{};
  // Ban and Unban: the SteamID or address in `command`, --server's HOST[:PORT] in `server`
  // (empty: the stored location's server). Ban: the reason, and the minutes (0: permanent).
  QString reason{};
  long long minutes = 0;
};

// Exit status of a command line the program refuses (1 is Qt's own for that;
// 2 is what terminal programs use for a usage error).
inline constexpr int kUsageExitCode = 2;
// --run-server's own ends besides 0 (stopped by SIGTERM or SIGINT, or the
// server ended by itself with status 0): the server could not be started the
// first time; it crashed too often and is not started again (systemd must
// not start it again either); another program keeps this server running.
inline constexpr int kRunServerStartFailedCode = 1;
inline constexpr int kRunServerCrashLoopCode = 3;
inline constexpr int kRunServerLockedCode = 4;

class CommandLine {
 public:
  CommandLine();

  // `arguments` as the system passed them, the program's own name first.
  // Qt's own options (-platform, -style, -display, ...) are accepted and left
  // for the application object to take.
  [[nodiscard]] CommandLineDecision Read(const QStringList& arguments);

  // What a terminal answer prints, and where: help and version on standard
  // output with status 0, a refusal on standard error with kUsageExitCode.
  // The usage line names the program as started when an application object exists.
  [[nodiscard]] QString AnswerText(const CommandLineDecision& decision) const;
  [[nodiscard]] static bool AnswersOnStandardError(const CommandLineDecision& decision);
  [[nodiscard]] static int ExitCode(const CommandLineDecision& decision);
  // For InstallServer: the directory as given.
  [[nodiscard]] QString InstallDir() const { return m_parser.value(m_installServer); }

 private:
  QCommandLineParser m_parser;
  QCommandLineOption m_help;
  QCommandLineOption m_version;
  QCommandLineOption m_installServer;
  QCommandLineOption m_query;
  QCommandLineOption m_rcon;
  QCommandLineOption m_json;
  QCommandLineOption m_checkUpdate;
  QCommandLineOption m_history;
  QCommandLineOption m_runServer;
  QCommandLineOption m_map;
  QCommandLineOption m_ban;
  QCommandLineOption m_unban;
  QCommandLineOption m_bans;
  QCommandLineOption m_reason;
  QCommandLineOption m_minutes;
  QCommandLineOption m_server;

  [[nodiscard]] CommandLineDecision ReadBans();
};

}  // namespace quorvane::ui
