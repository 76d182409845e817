// What the program does with its command line before any window exists.
#include "ui/command_line.h"

#include <gtest/gtest.h>

#include <tuple>

namespace quorvane::ui {
namespace {

struct CommandLineCase {
  const char* name;
  QStringList arguments;  // after the program's name
  CommandLineAction action;
  const char* answerHolds;  // a piece of the printed answer; "" when nothing is printed
};

class CommandLineTest : public ::testing::TestWithParam<CommandLineCase> {};

TEST_P(CommandLineTest, decidesTheActionAndItsAnswer) {
  const CommandLineCase& c = GetParam();
  CommandLine commandLine;
  const CommandLineDecision decision = commandLine.Read(QStringList{"quorvane"} + c.arguments);
  EXPECT_EQ(decision.action, c.action);
  const QString answer = commandLine.AnswerText(decision);
  if (*c.answerHolds)
    EXPECT_TRUE(answer.contains(c.answerHolds)) << answer.toStdString();
  else
    EXPECT_TRUE(answer.isEmpty()) << answer.toStdString();
  const bool refused = c.action == CommandLineAction::Refuse;
  EXPECT_EQ(CommandLine::ExitCode(decision), refused ? 2 : 0);
  EXPECT_EQ(CommandLine::AnswersOnStandardError(decision), refused);
}

using A = CommandLineAction;
INSTANTIATE_TEST_SUITE_P(
    Arguments, CommandLineTest,
    ::testing::Values(
        CommandLineCase{"noArguments_opensTheWindows", {}, A::RunWindows, ""},
        CommandLineCase{"help_listsTheOptions", {"--help"}, A::ShowHelp, "-v, --version"},
        CommandLineCase{"version_printsNameAndVersion", {"--version"}, A::ShowVersion, "quorvane 1."},
        CommandLineCase{"unknownOption_isRefused", {"--bogus"}, A::Refuse, "quorvane: Unknown option 'bogus'."},
        CommandLineCase{"strayArgument_isRefused", {"server.cfg"}, A::Refuse, "Unexpected argument 'server.cfg'."},
        CommandLineCase{"refusalWinsOverVersion", {"--version", "--bogus"}, A::Refuse, "--help"},
        CommandLineCase{"qtPlatformOption_isLeftToQt", {"-platform", "offscreen"}, A::RunWindows, ""},
        CommandLineCase{"qtStyleWithEquals_isLeftToQt", {"-style=fusion"}, A::RunWindows, ""},
        CommandLineCase{"qtDisplayAndFlag_areLeftToQt", {"-display", ":1", "-reverse"}, A::RunWindows, ""},
        CommandLineCase{"qtOptionBeforeHelp_stillHelps", {"-platform", "xcb", "--help"}, A::ShowHelp, "--help"},
        CommandLineCase{"unknownAfterQtOption_isRefused", {"-style", "fusion", "-bogus"}, A::Refuse, "bogus"},
        CommandLineCase{"installServer_isDoneInTheTerminal", {"--install-server", "/srv/hlds"}, A::InstallServer, ""},
        CommandLineCase{"installServerWithoutDir_isRefused", {"--install-server"}, A::Refuse, "Missing value"},
        CommandLineCase{"installServerEmptyDir_isRefused", {"--install-server", ""}, A::Refuse, "needs a directory"},
        CommandLineCase{"query_asksTheServer", {"--query", "127.0.0.1:27016"}, A::Query, ""},
        CommandLineCase{"queryJson_asksTheServer", {"--query", "host", "--json"}, A::Query, ""},
        CommandLineCase{"queryWithoutServer_isRefused", {"--query"}, A::Refuse, "Missing value after '--query'."},
        CommandLineCase{"queryWithStrayArgument_isRefused", {"--query", "h", "x"}, A::Refuse, "argument 'x'"},
        CommandLineCase{"rcon_runsTheCommand", {"--rcon", "h", "say", "hi"}, A::Rcon, ""},
        CommandLineCase{"rconWithoutCommand_isRefused", {"--rcon", "h"}, A::Refuse, "--rcon needs a command."},
        CommandLineCase{"rconWordWithDoubleQuote_isRefused",
                        {"--rcon", "h", "say", "a\"b"},
                        A::Refuse,
                        "The word 'a\"b' of the command holds a double quote; give the whole command as one"},
        CommandLineCase{"rconWordWithLineBreak_isRefused",
                        {"--rcon", "h", "say", "a\nquit"},
                        A::Refuse,
                        "The word 'a quit' of the command holds a line break"},
        CommandLineCase{"jsonAlone_isRefused",
                        {"--json"},
                        A::Refuse,
                        "--json goes with --query, --check-update, --history or --bans."},
        CommandLineCase{"checkUpdateJson_isDoneInTheTerminal", {"--check-update", "--json"}, A::CheckUpdate, ""},
        CommandLineCase{"checkUpdateWithQuery_isRefused", {"--check-update", "--query", "h"}, A::Refuse, "without"},
        CommandLineCase{"queryAndRcon_isRefused", {"--query", "h", "--rcon", "h", "x"}, A::Refuse, "not both"},
        CommandLineCase{"installAndQuery_isRefused", {"--install-server", "d", "--query", "h"}, A::Refuse, "one of"},
        CommandLineCase{"historyJson_searchesThePlayers", {"--history", "STEAM_0:1", "--json"}, A::History, ""},
        CommandLineCase{"historyAndRcon_isRefused", {"--history", "a", "--rcon", "h", "x"}, A::Refuse, "one of"},
        CommandLineCase{"historyWithStrayArgument_isRefused", {"--history", "a", "b"}, A::Refuse, "argument 'b'"},
        CommandLineCase{"runServer_keepsTheServerRunningHeadless", {"--run-server", "--map", "well"}, A::RunServer, ""},
        CommandLineCase{"mapWithoutRunServer_isRefused", {"--map", "well"}, A::Refuse, "--map goes with --run-server."},
        CommandLineCase{"runServerWithQuery_isRefused", {"--run-server", "--query", "h"}, A::Refuse, "without"},
        CommandLineCase{"helpNamesTheRunServerExitCodes", {"--help"}, A::ShowHelp, "3 after a crash loop"},
        CommandLineCase{
            "ban_isKeptAndSent", {"--ban", "steam_0:1:2", "--reason", "spam", "--minutes", "30"}, A::Ban, ""},
        CommandLineCase{"banOnAnotherServer", {"--ban", "1.2.3.4", "--reason", "x", "--server", "h:27016"}, A::Ban, ""},
        CommandLineCase{"unban_isLifted", {"--unban", "1.2.3.0/24"}, A::Unban, ""},
        CommandLineCase{"bansJson_listsTheKeptBans", {"--bans", "--json"}, A::ListBans, ""},
        CommandLineCase{"banOfAPlaceholder_offersTheAddress",
                        {"--ban", "STEAM_ID_LAN", "--reason", "x"},
                        A::Refuse,
                        "never banned by SteamID: ban the player's address instead."},
        CommandLineCase{"banOfNoTarget_isRefused", {"--ban", "bob", "--reason", "x"}, A::Refuse, "\"bob\" is neither"},
        CommandLineCase{"banWithoutReason_isRefused", {"--ban", "1.2.3.4"}, A::Refuse, "--ban needs a --reason."},
        CommandLineCase{"banForNoMinutes_isRefused",
                        {"--ban", "1.2.3.4", "--reason", "x", "--minutes", "0"},
                        A::Refuse,
                        "--minutes takes a whole number from 1"},
        CommandLineCase{"unbanWithReason_isRefused",
                        {"--unban", "1.2.3.4", "--reason", "x"},
                        A::Refuse,
                        "--reason and --minutes go with --ban."},
        CommandLineCase{"banAndUnban_isRefused", {"--ban", "1.2.3.4", "--unban", "1.2.3.4"}, A::Refuse, "one of --ban"},
        CommandLineCase{"bansWithServer_isRefused", {"--bans", "--server", "h"}, A::Refuse, "give it only --json"},
        CommandLineCase{"reasonAlone_isRefused", {"--reason", "x"}, A::Refuse, "go with --ban"}),
    [](const auto& info) { return std::string(info.param.name); });

// Name, the words after --rcon HOST as the shell passed them, and the command sent.
using RconRow = std::tuple<const char*, QStringList, const char*>;
class RconCommandTest : public ::testing::TestWithParam<RconRow> {};

TEST_P(RconCommandTest, sendsEverythingAfterTheHostKeepingTheShellsQuoting) {
  const auto& [name, words, sent] = GetParam();
  CommandLine commandLine;
  const CommandLineDecision d = commandLine.Read(QStringList{"quorvane", "--rcon", "h"} + words);
  ASSERT_EQ(d.action, CommandLineAction::Rcon) << d.error.toStdString();
  EXPECT_EQ(d.server, "h");
  EXPECT_EQ(d.command, sent);
}

INSTANTIATE_TEST_SUITE_P(
    Words, RconCommandTest,
    ::testing::Values(RconRow{"oneWord_asWritten", {"changelevel 2fort"}, "changelevel 2fort"},
                      RconRow{"oneWordWithQuotes_asWritten", {"hostname \"My Server\""}, "hostname \"My Server\""},
                      RconRow{"laterWordWithBlank_quoted", {"hostname", "My Server"}, "hostname \"My Server\""},
                      RconRow{"laterWordWithTab_quoted", {"say", "a\tb", "c"}, "say \"a\tb\" c"},
                      RconRow{"emptyWord_quoted", {"sv_password", ""}, "sv_password \"\""},
                      RconRow{"firstWordWithBlank_asWritten", {"say hi", "all"}, "say hi all"},
                      RconRow{"optionAfterAWord_isPartOfIt", {"say", "-v", "hi"}, "say -v hi"},
                      RconRow{"optionRightAfterHost_isTheCommand", {"--help"}, "--help"},
                      RconRow{"doubleDash_isPartOfIt", {"echo", "--", "x"}, "echo -- x"}),
    [](const auto& info) { return std::string(std::get<0>(info.param)); });

TEST(CommandLineMonitorTest, rconWithItsHostAfterAnEqualsSign_takesTheRestAsTheCommand) {
  CommandLine commandLine;
  const CommandLineDecision d = commandLine.Read({"quorvane", "--rcon=h:27016", "say", "--json"});
  EXPECT_EQ(d.server, "h:27016");
  EXPECT_EQ(d.command, "say --json");
}

TEST(CommandLineMonitorTest, rcon_joinsTheCommandWordsAndKeepsTheServer) {
  CommandLine commandLine;
  const CommandLineDecision d = commandLine.Read({"quorvane", "--rcon", "127.0.0.1:27016", "say", "hello", "all"});
  EXPECT_EQ(d.server, "127.0.0.1:27016");
  EXPECT_EQ(d.command, "say hello all");
}

TEST(CommandLineHelpTest, help_hidesQtsOwnOptions) {
  CommandLine commandLine;
  const QString help = commandLine.AnswerText(commandLine.Read({"quorvane", "--help"}));
  EXPECT_FALSE(help.contains("platform")) << help.toStdString();
}

}  // namespace
}  // namespace quorvane::ui
