#include "ui/command_line.h"

#include "install/build_info.h"

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

}  // namespace

CommandLine::CommandLine()
    : m_help(QStringList{"h", "help"}, "Displays help on commandline options."),
      m_version(QStringList{"v", "version"}, "Displays version information."),
      m_installServer("install-server",
                      "Installs or updates the dedicated server in <dir> with SteamCMD, keeping your edited files,\n"
                      "and exits: 0 when installed, 1 otherwise.",
                      "dir"),
      m_query("query", "Prints the info and players of the server at HOST[:PORT] (27015 when left out).",
              "HOST[:PORT]"),
      m_rcon("rcon",
             "Runs one console command on the server at HOST[:PORT]; the password is taken from\n"
             "the environment variable QUORVANE_RCON_PASSWORD.",
             "HOST[:PORT]"),
      m_json("json", "With --query: prints the answer as JSON.") {
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
  m_parser.addPositionalArgument("COMMAND", "With --rcon: the console command and its arguments.", "[COMMAND...]");
  for (const QtOption& qt : kQtOptions) {
    QCommandLineOption option(QString::fromLatin1(qt.name), QString(), qt.takesValue ? "value" : QString());
    option.setFlags(QCommandLineOption::HiddenFromHelp);
    m_parser.addOption(option);
  }
}

CommandLineDecision CommandLine::Read(const QStringList& arguments) {
  if (!m_parser.parse(arguments)) return {CommandLineAction::Refuse, m_parser.errorText()};
  if (m_parser.isSet(m_help)) return {CommandLineAction::ShowHelp, {}};
  if (m_parser.isSet(m_version)) return {CommandLineAction::ShowVersion, {}};
  if (m_parser.isSet(m_installServer) && (m_parser.isSet(m_query) || m_parser.isSet(m_rcon)))
    return {CommandLineAction::Refuse, "Give only one of --install-server, --query and --rcon."};
  if (m_parser.isSet(m_query) && m_parser.isSet(m_rcon))
    return {CommandLineAction::Refuse, "Give either --query or --rcon, not both."};
  if (m_parser.isSet(m_query)) {
    if (const QStringList extra = m_parser.positionalArguments(); !extra.isEmpty())
      return {CommandLineAction::Refuse, QString("Unexpected argument '%1'.").arg(extra.first())};
    return {CommandLineAction::Query, {}, m_parser.value(m_query), m_parser.isSet(m_json), {}};
  }
  if (m_parser.isSet(m_json)) return {CommandLineAction::Refuse, "--json goes with --query."};
  if (m_parser.isSet(m_rcon)) {
    if (m_parser.positionalArguments().isEmpty()) return {CommandLineAction::Refuse, "--rcon needs a command."};
    return {CommandLineAction::Rcon, {}, m_parser.value(m_rcon), false, m_parser.positionalArguments().join(' ')};
  }
  if (const QStringList extra = m_parser.positionalArguments(); !extra.isEmpty()) {
    return {CommandLineAction::Refuse, QString("Unexpected argument '%1'.").arg(extra.first())};
  }
  if (m_parser.isSet(m_installServer)) {
    if (InstallDir().trimmed().isEmpty()) {
      return {CommandLineAction::Refuse, "The option --install-server needs a directory."};
    }
    return {CommandLineAction::InstallServer, {}};
  }
  return {};
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
