// What the status line and the monitor window show and send, without a window.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <tuple>

#include "monitor/monitor_view.h"
#include "monitor/wire.h"
#include "support/memory_file_system.h"

namespace quorvane::monitor::test {
namespace {

// Name, whether the server this program started runs, ms since the last answer, and the status line.
using StatusRow = std::tuple<const char*, bool, std::int64_t, const char*>;

class StatusTextTest : public testing::TestWithParam<StatusRow> {};

TEST_P(StatusTextTest, saysWhatTheFactsShow) {
  const auto& [name, ownRunning, sinceMs, text] = GetParam();
  EXPECT_EQ(StatusText(StatusFacts{ownRunning, ServerInfo{}, 12, sinceMs}), text);
}

// The window tests see the line before the first answer and while answers come.
INSTANTIATE_TEST_SUITE_P(
    States, StatusTextTest,
    testing::Values(StatusRow{"ownServerGoneQuiet", true, 14500, "Server: not answering (last answer 14 s ago)"},
                    StatusRow{"otherServerRecentlyQuiet", false, 20000, "Server: not answering (last answer 20 s ago)"},
                    StatusRow{"otherServerLongGone", false, 70000, "Server: not running"}),
    RowName);

// Name, the port field, and the port queried.
using PortRow = std::tuple<const char*, const char*, std::uint16_t>;

class PortFieldTest : public testing::TestWithParam<PortRow> {};

TEST_P(PortFieldTest, givesThePortOrTheDefault) {
  const auto& [name, field, port] = GetParam();
  EXPECT_EQ(ServerPortFromField(field), port);
}

// The window tests query the port a field names.
INSTANTIATE_TEST_SUITE_P(Fields, PortFieldTest,
                         testing::Values(PortRow{"empty", "", 27015}, PortRow{"zero", "0", 27015},
                                         PortRow{"tooLarge", "70000", 27015}, PortRow{"trailingText", "27016x", 27015}),
                         RowName);

TEST(ConsolePassword, aMissingFileGivesItsReason) {
  test_support::MemoryFileSystem fs;
  const ConsolePassword file = ReadConsolePassword(fs, "C:\\hlds\\Tfc\\server.cfg");
  EXPECT_FALSE(ConsoleUsable(file));
  EXPECT_EQ(PasswordNotice(file, "", "C:\\hlds\\Tfc\\server.cfg"),
            "The console cannot read C:\\hlds\\Tfc\\server.cfg: No such file or directory. "
            "Write server.cfg on the Server Config tab, then restart the server.");
}

TEST(Commands, sayLosesQuotesAndSemicolonsThatWouldStartAnotherCommand) {
  EXPECT_EQ(SayCommand("hi\"; quit"), "say \"hi quit\"");
}

const char kStatus[] =
    "hostname:  Test\nplayers :  2 active (16 max)\n\n#      name userid uniqueid frag time ping loss adr\n"
    "# 1 \"<b>x</b>\" 7 STEAM_0:1:234 5 12:34 45 0 127.0.0.1:27005\n"
    "# 2 \"Bob\" 12 STEAM_0:0:99 1 01:02 30 0 127.0.0.1:27006\n2 users\n";

// Name, the console's answer to status, the player to kick, and the command or the message.
using KickRow = std::tuple<const char*, std::string, const char*, const char*>;
class KickFromStatusTest : public testing::TestWithParam<KickRow> {};

TEST_P(KickFromStatusTest, kicksByUserIdOrSaysWhyNot) {
  const auto& [name, answer, player, outcome] = GetParam();
  const KickStep step = KickFromStatus(answer, player);
  EXPECT_EQ(step.command.value_or(step.message), outcome);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, KickFromStatusTest,
    testing::Values(KickRow{"playerThere", kStatus, "<b>x</b>", "kick \"#7\""},
                    KickRow{"playerGone", kStatus, "Alice", "Alice is no longer on the server."},
                    KickRow{"malformedPlayerLine", "players :  1 active (16 max)\n# 1 Bob 12\n", "Bob",
                            "The server's answer to status could not be read (A player line of status is malformed), "
                            "so Bob was not kicked."},
                    KickRow{"notAStatusAnswer", "Unknown command: status\n", "Bob",
                            "The server's answer to status could not be read (it holds no player count), so Bob was "
                            "not kicked."}),
    RowName);

TEST(ServerEndedText, listsTheLastLogLinesOrSaysNoneCame) {
  EXPECT_EQ(ServerEndedText({"21:05:09  Log file closed"}),
            "The dedicated server has ended by itself. Its last log lines:\n\n21:05:09  Log file closed");
  EXPECT_EQ(ServerEndedText({}), "The dedicated server has ended by itself. No log lines came from it.");
}

// The code page's bytes as they are: the report's own conversion is the test's.
std::string AsItIs(std::string_view bytes) { return std::string(bytes); }
// Name, what a player's duration is, and how the terminal and JSON show it.
using DurationRow = std::tuple<const char*, float, const char*, const char*>;

class DurationTest : public testing::TestWithParam<DurationRow> {};

TEST_P(DurationTest, showsAWholeDurationOrADashAndNullForOneNoConnectionHas) {
  const auto& [name, seconds, line, json] = GetParam();
  const std::vector<Player> players{Player{0, "A", 1, seconds}};
  EXPECT_NE(QueryReport(ServerInfo{}, 3, players, AsItIs).find(std::string("player:    A\t1\t") + line + "\n"),
            std::string::npos);
  EXPECT_NE(QueryReportJson(ServerInfo{}, 3, players).find(std::string("\"seconds\":") + json + "}"),
            std::string::npos);
}

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInfinity = std::numeric_limits<float>::infinity();
INSTANTIATE_TEST_SUITE_P(Durations, DurationTest,
                         testing::Values(DurationRow{"anHourAndAMinute", 3661.5f, "61:01", "3661"},
                                         DurationRow{"none", 0.0f, "0:00", "0"},
                                         DurationRow{"tenYears", kMostSeconds, "5256000:00", "315360000"},
                                         DurationRow{"notANumber", kNaN, "\x97", "null"},
                                         DurationRow{"infinite", kInfinity, "\x97", "null"},
                                         DurationRow{"threeBillionSeconds", 3e9f, "\x97", "null"},
                                         DurationRow{"negative", -5.0f, "\x97", "null"}),
                         [](const auto& info) { return std::string(std::get<0>(info.param)); });

// Name, outside text in UTF-8, whether it is a console answer, and what the terminal gets.
using VisibleRow = std::tuple<const char*, const char*, bool, const char*>;

class VisibleControlsTest : public testing::TestWithParam<VisibleRow> {};

TEST_P(VisibleControlsTest, writesEveryControlCharacterAsItsCode) {
  const auto& [name, text, console, shown] = GetParam();
  EXPECT_EQ(VisibleControls(text, console), shown);
}

INSTANTIATE_TEST_SUITE_P(Texts, VisibleControlsTest,
                         testing::Values(VisibleRow{"clearScreen", "\x1b[2Jx", false, "\\x1b[2Jx"},
                                         VisibleRow{"tabAndNul", "a\tb\x01", false, "a\tb\\x01"},
                                         VisibleRow{"delete", "a\x7f", false, "a\\x7f"},
                                         VisibleRow{"c1ControlSequenceIntroducer",
                                                    "a\xc2\x9b"
                                                    "31m",
                                                    false, "a\\x9b31m"},
                                         VisibleRow{"lettersBeyondAscii", "Caf\xc3\xa9 \xe2\x80\x94 \xc2\xa0", false,
                                                    "Caf\xc3\xa9 \xe2\x80\x94 \xc2\xa0"},
                                         VisibleRow{"byteThatIsNotUtf8",
                                                    "a\x9b"
                                                    "b",
                                                    false, "a\\x9bb"},
                                         VisibleRow{"cutSequence", "a\xe2\x80", false, "a\\xe2\\x80"},
                                         VisibleRow{"consoleCrLfBecomesLf", "a\r\nb\r\n", true, "a\nb\n"},
                                         VisibleRow{"consoleLoneCr", "100%\rforged\n", true, "100%\\x0dforged\n"}),
                         [](const auto& info) { return std::string(std::get<0>(info.param)); });

TEST(QueryReportJson, isOneObjectWithHighBytesWrittenAsTheirCharacters) {
  ServerInfo info;
  info.name = "\"Caf\xE9\" \x80";
  EXPECT_EQ(QueryReportJson(info, 3, {Player{0, "A", -3, 61.9f}}),
            "{\"name\":\"\\\"Caf\\u00e9\\\" \\u20ac\",\"map\":\"\",\"folder\":\"\",\"game\":\"\",\"players\":0,"
            "\"maxPlayers\":0,\"bots\":0,\"password\":false,\"vac\":false,\"version\":\"\",\"layout\":\"I\","
            "\"pingMs\":3,\"playerList\":[{\"name\":\"A\",\"score\":-3,\"seconds\":61}]}\n");
}

}  // namespace
}  // namespace quorvane::monitor::test
