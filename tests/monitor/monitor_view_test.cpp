// What the status line and the monitor window show and send, without a window.
#include <gtest/gtest.h>

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

TEST(LogBook, dropsTheOldestLinesBeyondItsCap) {
  LogBook book(LogBook::kMinCap);
  for (int i = 0; i < 250; ++i) book.Add({"line " + std::to_string(i), LogTone::Plain});
  EXPECT_EQ(book.Size(), LogBook::kMinCap);
  EXPECT_EQ(book.Entries().front().text, "line 150");
  EXPECT_EQ(book.Last(1), std::vector<std::string>{"line 249"});
}

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

TEST(WarnAndStop, saysSixtyThirtyAndTenSecondsThenStops) {
  WarnAndStop warning;
  warning.Begin(1000);
  EXPECT_EQ(warning.Tick(1000).commands, std::vector<std::string>{"say \"Server stopping in 60 seconds\""});
  EXPECT_TRUE(warning.Tick(30000).commands.empty());
  EXPECT_EQ(warning.Tick(31000).commands, std::vector<std::string>{"say \"Server stopping in 30 seconds\""});
  EXPECT_EQ(warning.Tick(51000).commands, std::vector<std::string>{"say \"Server stopping in 10 seconds\""});
  EXPECT_FALSE(warning.Tick(60999).stop);
  EXPECT_TRUE(warning.Tick(61000).stop);
  EXPECT_FALSE(warning.Active());
}

TEST(ServerEndedText, listsTheLastLogLinesOrSaysNoneCame) {
  EXPECT_EQ(ServerEndedText({"21:05:09  Log file closed"}),
            "The dedicated server has ended by itself. Its last log lines:\n\n21:05:09  Log file closed");
  EXPECT_EQ(ServerEndedText({}), "The dedicated server has ended by itself. No log lines came from it.");
}

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
