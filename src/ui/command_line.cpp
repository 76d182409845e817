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
    {"platform", true},        {"platformpluginpath", true}, {"platformtheme", true}, {"plugin", true},
    {"qmljsdebugger", true},   {"qwindowgeometry", true},    {"qwindowicon", true},   {"qwindowtitle", true},
    {"session", true},         {"display", true},            {"geometry", true},      {"style", true},
    {"stylesheet", true},      {"reverse", false},           {"widgetcount", false},  {"nograb", false},
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
                      "dir") {
  m_parser.setApplicationDescription(
      "Edits the configuration of a Team Fortress Classic server (server.cfg, listenserver.cfg, autoexec.cfg),\n"
      "its map cycle and message of the day, and starts and stops the dedicated server, listen server and game.\n"
      "Without options it opens its windows.");
  // Qt's options are single-dash words (-platform, -style): read them as such.
  m_parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
  m_parser.addOption(m_help);
  m_parser.addOption(m_version);
  m_parser.addOption(m_installServer);
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
