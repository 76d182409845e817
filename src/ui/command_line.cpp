#include "ui/command_line.h"

#include <utility>

#include "install/build_info.h"
#include "people/bans.h"

namespace quorvane::ui {
namespace {

// The options Qt's application objects take from the command line themselves;
// known here only so that they pass, and not listed in the help.
struct QtOption {
  const char* name;
  bool takesValue;
};
constexpr QtOption kQtOptions[] = {
    {"platform", true},      {"platformpluginpath", true},
    {"platformtheme", true}, {"plugin", true},
    {"qmljsdebugger", true}, {"qwindowgeometry", true},
    {"qwindowicon", true},   {"qwindowtitle", true},
    {"session", true},       {"display", true},
    {"geometry", true},      {"style", true},
    {"stylesheet", true},    {"reverse", false},
    {"widgetcount", false},  {"nograb", false},
    {"dograb", false},
};

QString ProgramName() { return QString::fromLatin1(install::kProgramName); }

// The console command from the words after HOST, keeping the shell's quoting:
// one word goes as written; of several, a later word holding a blank or empty
// goes in double quotes. A double quote or a line break inside one of several
// words cannot be sent as one word, so the user is told; the error is set then.
QString ConsoleCommand(const QStringList& words, QString& error) {
  if (words.size() == 1) return words.first();
  QStringList sent;
  for (const QString& word : words) {
    if (word.contains('"') || word.contains('\n') || word.contains('\r')) {
      error = QString(
                  "The word '%1' of the command holds a %2; give the whole command as one argument to send it "
                  "as written.")
                  .arg(QString(word).replace('\n', ' ').replace('\r', ' '),
                       word.contains('"') ? "double quote" : "line break");
      return {};
    }
    const bool quoted = !sent.isEmpty() && (word.isEmpty() || word.contains(' ') || word.contains('\t'));
    sent << (quoted ? '"' + word + '"' : word);
  }
  return sent.join(' ');
}

// The option's name when `argument` is one (--name, -name or either with =value),
// and whether its value is in it.
std::pair<QString, bool> OptionName(const QString& argument) {
  if (!argument.startsWith('-') || argument == "-" || argument == "--") return {};
  QString name = argument.mid(argument.startsWith("--") ? 2 : 1);
  const qsizetype equals = name.indexOf('=');
  return {name.left(equals), equals >= 0};
}

bool TakesValue(const QString& name) {
  for (const char* valued :
       {"install-server", "query", "rcon", "history", "map", "ban", "unban", "reason", "minutes", "server"})
    if (name == QLatin1String(valued)) return true;
  for (const QtOption& qt : kQtOptions)
    if (name == QLatin1String(qt.name)) return qt.takesValue;
  return false;
}

// Everything after --rcon's HOST is the console command, options too (say -v hi):
// a "--" there ends the options for the parser.
QStringList EndOptionsAfterRconHost(QStringList arguments) {
  for (qsizetype i = 1; i < arguments.size(); ++i) {
    if (arguments[i] == "--") break;
    const auto [name, hasValue] = OptionName(arguments[i]);
    if (!TakesValue(name)) continue;
    const qsizetype host = hasValue ? i : i + 1;
    if (name == "rcon") {
      if (host < arguments.size()) arguments.insert(host + 1, "--");
      break;
    }
    i = host;
  }
  return arguments;
}

}  // namespace

CommandLine::CommandLine()
    : m_help(QStringList{"h", "help"}, "Displays help on commandline options."),
      m_version(QStringList{"v", "version"}, "Displays version information."),
      m_installServer("install-server",
                      "Installs or updates the dedicated server in <dir> with SteamCMD, keeping your edited files,\n"
                      "and exits: 0 when installed, 1 otherwise.",
                      "dir"),
      m_query("query",
              "Prints the info and players of the server at HOST[:PORT] (27015 when left out). "
              "Control characters in the server's text are printed as \\xHH, their code in hex.",
              "HOST[:PORT]"),
      m_rcon("rcon",
             "Runs one console command on the server at HOST[:PORT]; the password is taken from "
             "the environment variable QUORVANE_RCON_PASSWORD. Everything after HOST is the command: "
             "its words holding blanks are sent in double quotes, and control characters in the "
             "answer other than its line breaks are printed as \\xHH.",
             "HOST[:PORT]"),
      m_json("json", "With --query, --check-update, --history or --bans: prints the answer as JSON."),
      m_checkUpdate("check-update",
                    "Prints the installed and the latest build of the dedicated server at the stored location, "
                    "asking SteamCMD, and exits: 0 when up to date, 10 when an update is available, 1 when it "
                    "could not check."),
      m_history("history",
                "Prints the players kept in the player history whose name, SteamID or address contains TEXT, "
                "one row a player: last name, SteamID, other names, first and last seen, total time, sessions "
                "and last address.",
                "TEXT"),
      m_runServer("run-server",
                  "Runs the stored location's dedicated server without a window and keeps it running: restarts it\n"
                  "when it crashes or stops answering, writes a report for every crash, says each event on\n"
                  "standard error. SIGTERM or SIGINT stops the server. Exits 0 when stopped so (or when the\n"
                  "server ended by itself with status 0), 1 when the server could not be started, 2 for a\n"
                  "usage error, 3 after a crash loop, 4 when another program keeps this server running."),
      m_map("map", "With --run-server: the starting map (default: the last start's, else mapcycle.txt's first).",
            "MAP"),
      m_ban("ban",
            "Bans a SteamID or address with --reason, for --minutes or for good: kept in the player history and "
            "sent to the running server of the stored location (or --server's) through its console, the password "
            "taken as for --rcon; a server that does not answer gets it when it next comes up. Exits 0 when kept, "
            "1 when it could not be kept or the server refused the password, 2 for a usage error.",
            "STEAMID|ADDRESS"),
      m_unban("unban", "Lifts the bans on a SteamID or address, kept and on the server, as --ban sends them.",
              "STEAMID|ADDRESS"),
      m_bans("bans", "Prints every kept ban: target, name, reason, made by, made, until and state."),
      m_reason("reason", "With --ban: why.", "TEXT"),
      m_minutes("minutes", "With --ban: how long (default: for good).", "N"),
      m_server("server", "With --ban or --unban: the server at HOST[:PORT] instead of the stored location's.",
               "HOST[:PORT]") {
  m_parser.setApplicationDescription(
      "Edits the configuration of a Team Fortress Classic server (server.cfg, listenserver.cfg, autoexec.cfg),\n"
      "its map cycle and message of the day, and starts and stops the dedicated server, listen server and game.\n"
      "Without options it opens its windows.");
  // Qt's options are single-dash words (-platform, -style): read them as such.
  m_parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
  m_parser.addOption(m_help);
  m_parser.addOption(m_version);
  m_parser.addOption(m_installServer);
  m_parser.addOption(m_query);
  m_parser.addOption(m_rcon);
  m_parser.addOption(m_json);
  m_parser.addOption(m_checkUpdate);
  m_parser.addOption(m_history);
  m_parser.addOption(m_runServer);
  m_parser.addOption(m_map);
  for (const QCommandLineOption* o : {&m_ban, &m_unban, &m_bans, &m_reason, &m_minutes, &m_server})
    m_parser.addOption(*o);
  m_parser.addPositionalArgument("COMMAND", "With --rcon: the console command and its arguments.", "[COMMAND...]");
  for (const QtOption& qt : kQtOptions) {
    QCommandLineOption option(QString::fromLatin1(qt.name), QString(), qt.takesValue ? "value" : QString());
    option.setFlags(QCommandLineOption::HiddenFromHelp);
    m_parser.addOption(option);
  }
}

CommandLineDecision CommandLine::Read(const QStringList& arguments) {
  if (!m_parser.parse(EndOptionsAfterRconHost(arguments))) return {CommandLineAction::Refuse, m_parser.errorText()};
  if (m_parser.isSet(m_help)) return {CommandLineAction::ShowHelp, {}};
  if (m_parser.isSet(m_version)) return {CommandLineAction::ShowVersion, {}};
  if (m_parser.isSet(m_ban) || m_parser.isSet(m_unban) || m_parser.isSet(m_bans)) return ReadBans();
  if (m_parser.isSet(m_reason) || m_parser.isSet(m_minutes) || m_parser.isSet(m_server))
    return {CommandLineAction::Refuse, "--reason and --minutes go with --ban, --server with --ban or --unban."};
  if (m_parser.isSet(m_checkUpdate)) {
    if (m_parser.isSet(m_installServer) || m_parser.isSet(m_query) || m_parser.isSet(m_rcon) ||
        m_parser.isSet(m_history) || m_parser.isSet(m_runServer))
      return {CommandLineAction::Refuse,
              "Give --check-update without --install-server, --query, --rcon, --history or --run-server."};
    if (const QStringList extra = m_parser.positionalArguments(); !extra.isEmpty())
      return {CommandLineAction::Refuse, QString("Unexpected argument '%1'.").arg(extra.first())};
    return {CommandLineAction::CheckUpdate, {}, {}, m_parser.isSet(m_json), {}};
  }
  if (m_parser.isSet(m_runServer) && (m_parser.isSet(m_installServer) || m_parser.isSet(m_query) ||
                                      m_parser.isSet(m_rcon) || m_parser.isSet(m_history)))
    return {CommandLineAction::Refuse, "Give --run-server without --install-server, --query, --rcon and --history."};
  if (m_parser.isSet(m_installServer) && (m_parser.isSet(m_query) || m_parser.isSet(m_rcon)))
    return {CommandLineAction::Refuse, "Give only one of --install-server, --query and --rcon."};
  if (m_parser.isSet(m_query) && m_parser.isSet(m_history))
    return {CommandLineAction::Refuse, "Give either --query or --history, not both."};
  if (m_parser.isSet(m_query) && m_parser.isSet(m_rcon))
    return {CommandLineAction::Refuse, "Give either --query or --rcon, not both."};
  if (m_parser.isSet(m_query)) {
    if (const QStringList extra = m_parser.positionalArguments(); !extra.isEmpty())
      return {CommandLineAction::Refuse, QString("Unexpected argument '%1'.").arg(extra.first())};
    return {CommandLineAction::Query, {}, m_parser.value(m_query), m_parser.isSet(m_json), {}};
  }
  if (m_parser.isSet(m_history)) {
    if (m_parser.isSet(m_installServer) || m_parser.isSet(m_rcon))
      return {CommandLineAction::Refuse, "Give only one of --install-server, --query, --rcon and --history."};
    if (const QStringList extra = m_parser.positionalArguments(); !extra.isEmpty())
      return {CommandLineAction::Refuse, QString("Unexpected argument '%1'.").arg(extra.first())};
    return {CommandLineAction::History, {}, {}, m_parser.isSet(m_json), m_parser.value(m_history)};
  }
  if (m_parser.isSet(m_json))
    return {CommandLineAction::Refuse, "--json goes with --query, --check-update, --history or --bans."};
  if (m_parser.isSet(m_rcon)) {
    if (m_parser.positionalArguments().isEmpty()) return {CommandLineAction::Refuse, "--rcon needs a command."};
    QString error;
    const QString command = ConsoleCommand(m_parser.positionalArguments(), error);
    if (!error.isEmpty()) return {CommandLineAction::Refuse, error};
    return {CommandLineAction::Rcon, {}, m_parser.value(m_rcon), false, command};
  }
  if (const QStringList extra = m_parser.positionalArguments(); !extra.isEmpty()) {
    return {CommandLineAction::Refuse, QString("Unexpected argument '%1'.").arg(extra.first())};
  }
  if (m_parser.isSet(m_map) && !m_parser.isSet(m_runServer))
    return {CommandLineAction::Refuse, "--map goes with --run-server."};
  if (m_parser.isSet(m_runServer)) {
    if (m_parser.isSet(m_map) && m_parser.value(m_map).trimmed().isEmpty())
      return {CommandLineAction::Refuse, "The option --map needs a map."};
    CommandLineDecision run{CommandLineAction::RunServer, {}};
    run.map = m_parser.value(m_map).trimmed();
    return run;
  }
  if (m_parser.isSet(m_installServer)) {
    if (InstallDir().trimmed().isEmpty()) {
      return {CommandLineAction::Refuse, "The option --install-server needs a directory."};
    }
    return {CommandLineAction::InstallServer, {}};
  }
  return {};
}

CommandLineDecision CommandLine::ReadBans() {
  const int modes = int(m_parser.isSet(m_ban)) + int(m_parser.isSet(m_unban)) + int(m_parser.isSet(m_bans));
  for (const QCommandLineOption* other :
       {&m_installServer, &m_query, &m_rcon, &m_checkUpdate, &m_history, &m_runServer, &m_map})
    if (m_parser.isSet(*other) || modes > 1)
      return {CommandLineAction::Refuse, "Give one of --ban, --unban and --bans, and no other action."};
  if (const QStringList extra = m_parser.positionalArguments(); !extra.isEmpty())
    return {CommandLineAction::Refuse, QString("Unexpected argument '%1'.").arg(extra.first())};
  if (m_parser.isSet(m_bans)) {
    if (m_parser.isSet(m_reason) || m_parser.isSet(m_minutes) || m_parser.isSet(m_server))
      return {CommandLineAction::Refuse, "--bans prints the kept bans: give it only --json."};
    return {CommandLineAction::ListBans, {}, {}, m_parser.isSet(m_json), {}};
  }
  const bool ban = m_parser.isSet(m_ban);
  if (m_parser.isSet(m_json))
    return {CommandLineAction::Refuse, "--json goes with --query, --check-update, --history or --bans."};
  if (!ban && (m_parser.isSet(m_reason) || m_parser.isSet(m_minutes)))
    return {CommandLineAction::Refuse, "--reason and --minutes go with --ban."};
  const QString target = m_parser.value(ban ? m_ban : m_unban).trimmed();
  if (const auto checked = people::ParseBanTarget(target.toStdString()); !checked)
    return {CommandLineAction::Refuse, QString::fromStdString(checked.Error())};
  CommandLineDecision decision{ban ? CommandLineAction::Ban : CommandLineAction::Unban, {}, m_parser.value(m_server)};
  decision.command = target;
  if (!ban) return decision;
  decision.reason = m_parser.value(m_reason).trimmed();
  if (decision.reason.isEmpty()) return {CommandLineAction::Refuse, "--ban needs a --reason."};
  if (m_parser.isSet(m_minutes)) {
    bool number = false;
    decision.minutes = m_parser.value(m_minutes).toLongLong(&number);
    if (!number || decision.minutes <= 0 || decision.minutes > people::kLongestBan.count())
      return {CommandLineAction::Refuse, QString("--minutes takes a whole number from 1 to %1; leave it out for a "
                                                 "permanent ban.")
                                             .arg(people::kLongestBan.count())};
  }
  return decision;
}

QString CommandLine::AnswerText(const CommandLineDecision& decision) const {
  switch (decision.action) {
    case CommandLineAction::ShowHelp:
      return m_parser.helpText();
    case CommandLineAction::ShowVersion:
      return ProgramName() + ' ' + QString::fromLatin1(install::kProgramVersion) + '\n';
    case CommandLineAction::Refuse:
      return ProgramName() + ": " + decision.error + '\n' +
             QString("Try '%1 --help' for more information.\n").arg(ProgramName());
    case CommandLineAction::RunWindows:
    case CommandLineAction::InstallServer:
    case CommandLineAction::Query:
    case CommandLineAction::Rcon:
    case CommandLineAction::CheckUpdate:
    case CommandLineAction::History:
    case CommandLineAction::RunServer:
    case CommandLineAction::Ban:
    case CommandLineAction::Unban:
    case CommandLineAction::ListBans:
      break;
  }
  return {};
}

bool CommandLine::AnswersOnStandardError(const CommandLineDecision& decision) {
  return decision.action == CommandLineAction::Refuse;
}

int CommandLine::ExitCode(const CommandLineDecision& decision) {
  return decision.action == CommandLineAction::Refuse ? kUsageExitCode : 0;
}

}  // namespace quorvane::ui
