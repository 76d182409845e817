// What the status line and the monitor window show and send, without a window.
#include <gtest/gtest.h>

#include "monitor/monitor_view.h"
#include "support/memory_file_system.h"

namespace quorvane::monitor {
namespace {

ServerInfo TwoFort() {
  ServerInfo info;
  info.map = "2fort";
  info.players = 5;
  info.maxPlayers = 16;
  info.game = "Team Fortress";
  return info;
}

constexpr const char* kLive = "Server: 2fort \xB7 5/16 players \xB7 12 ms \xB7 Team Fortress";

struct StatusCase {
  const char* name;
  bool ownRunning;
  bool answered;
  std::int64_t sinceMs;
  const char* text;
};

class StatusTextTest : public testing::TestWithParam<StatusCase> {};

TEST_P(StatusTextTest, saysWhatTheFactsShow) {
  const StatusCase& c = GetParam();
  StatusFacts facts;
  facts.ownServerRunning = c.ownRunning;
  if (c.answered) facts.info = TwoFort();
  facts.roundTripMs = 12;
  facts.sinceAnswerMs = c.sinceMs;
  EXPECT_EQ(StatusText(facts), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    States, StatusTextTest,
    testing::Values(StatusCase{"nothingAnywhere", false, false, -1, "Server: not running"},
                    StatusCase{"ownServerBeforeItsFirstAnswer", true, false, -1, "Server: starting\x85"},
                    StatusCase{"freshAnswer", true, true, 900, kLive},
                    StatusCase{"otherServerAnswering", false, true, 100, kLive},
                    StatusCase{"ownServerGoneQuiet", true, true, 14500, "Server: not answering (last answer 14 s ago)"},
                    StatusCase{"otherServerRecentlyQuiet", false, true, 20000,
                               "Server: not answering (last answer 20 s ago)"},
                    StatusCase{"otherServerLongGone", false, true, 70000, "Server: not running"}),
    [](const testing::TestParamInfo<StatusCase>& info) { return std::string(info.param.name); });

struct PortCase {
  const char* name;
  const char* field;
  std::uint16_t port;
};

class PortFieldTest : public testing::TestWithParam<PortCase> {};

TEST_P(PortFieldTest, givesThePortOrTheDefault) {
  EXPECT_EQ(ServerPortFromField(GetParam().field), GetParam().port);
}

INSTANTIATE_TEST_SUITE_P(Fields, PortFieldTest,
                         testing::Values(PortCase{"empty", "", 27015}, PortCase{"number", "27020", 27020},
                                         PortCase{"zero", "0", 27015}, PortCase{"tooLarge", "70000", 27015},
                                         PortCase{"trailingText", "27016x", 27015}, PortCase{"negative", "-5", 27015}),
                         [](const testing::TestParamInfo<PortCase>& info) { return std::string(info.param.name); });

TEST(CommandHistory, upWalksBackAndDownReturnsToWhatWasBeingTyped) {
  CommandHistory history;
  history.Add("status");
  history.Add("users");
  EXPECT_EQ(history.Up("hal"), "users");
  EXPECT_EQ(history.Up("ignored"), "status");
  EXPECT_EQ(history.Up("ignored"), std::nullopt);
  EXPECT_EQ(history.Down(), "users");
  EXPECT_EQ(history.Down(), "hal");
  EXPECT_EQ(history.Down(), std::nullopt);
}

TEST(CommandHistory, aRepeatedCommandIsKeptOnce) {
  CommandHistory history;
  history.Add("status");
  history.Add("status");
  EXPECT_EQ(history.Size(), 1u);
}

TEST(LogBook, dropsTheOldestLinesBeyondItsCap) {
  LogBook book(LogBook::kMinCap);
  for (int i = 0; i < 250; ++i) book.Add({"line " + std::to_string(i), LogTone::Plain});
  EXPECT_EQ(book.Size(), LogBook::kMinCap);
  EXPECT_EQ(book.Entries().front().text, "line 150");
  EXPECT_EQ(book.Last(1), std::vector<std::string>{"line 249"});
}

TEST(LogBook, filterKeepsMatchingLinesIgnoringCase) {
  LogBook book;
  book.Add({"12:00:00  \"Alpha<2>\" say \"hi\"", LogTone::Chat});
  book.Add({"12:00:01  Started map \"well\"", LogTone::Map});
  book.SetFilter("ALPHA");
  ASSERT_EQ(book.Shown().size(), 1u);
  EXPECT_EQ(book.Shown()[0]->tone, LogTone::Chat);
}

struct ToneCase {
  const char* name;
  const char* message;
  LogTone tone;
};

class LogToneTest : public testing::TestWithParam<ToneCase> {};

TEST_P(LogToneTest, picksOutTheLine) {
  LogLine line;
  line.message = GetParam().message;
  EXPECT_EQ(MakeLogEntry(line).tone, GetParam().tone);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, LogToneTest,
    testing::Values(
        ToneCase{"kill", "\"A<2><STEAM_0:1:2><Blue>\" killed \"B<3><STEAM_0:1:3><Red>\" with \"rocket\"",
                 LogTone::Kill},
        ToneCase{"join", "\"A<2><STEAM_0:1:2><>\" entered the game", LogTone::Join},
        ToneCase{"map", "Started map \"well\" (CRC \"123\")", LogTone::Map},
        ToneCase{"chat", "\"A<2><STEAM_0:1:2><Blue>\" say \"hello\"", LogTone::Chat},
        ToneCase{"other", "Server cvars start", LogTone::Plain}),
    [](const testing::TestParamInfo<ToneCase>& info) { return std::string(info.param.name); });

TEST(MakeLogEntry, showsTheTimeAndMasksTheConsolePassword) {
  LogLine line;
  line.hour = 9;
  line.minute = 5;
  line.second = 7;
  line.message = "Rcon: \"rcon 123 \"se cret\" status\" from \"127.0.0.1:27005\"";
  const LogEntry entry = MakeLogEntry(line);
  EXPECT_EQ(entry.text.substr(0, 10), "09:05:07  ");
  EXPECT_EQ(entry.text.find("se cret"), std::string::npos);
}

TEST(ConsolePassword, isReadFromTheWrittenServerCfg) {
  test_support::MemoryFileSystem fs;
  fs.AddFile("C:\\hlds\\Tfc\\server.cfg", "hostname \"x\"\r\nrcon_password \"abc\"\r\n");
  const ConsolePassword file = ReadConsolePassword(fs, "C:\\hlds\\Tfc\\server.cfg");
  EXPECT_TRUE(file.readable);
  EXPECT_EQ(file.password, "abc");
}

TEST(ConsolePassword, aMissingFileGivesItsReason) {
  test_support::MemoryFileSystem fs;
  const ConsolePassword file = ReadConsolePassword(fs, "C:\\hlds\\Tfc\\server.cfg");
  EXPECT_FALSE(file.readable);
  EXPECT_FALSE(ConsoleUsable(file));
  const std::optional<std::string> notice = PasswordNotice(file, "", "C:\\hlds\\Tfc\\server.cfg");
  ASSERT_TRUE(notice);
  EXPECT_NE(notice->find("C:\\hlds\\Tfc\\server.cfg: " + file.reason), std::string::npos);
}

struct NoticeCase {
  const char* name;
  const char* file;
  const char* field;
  const char* says;  // a piece of the notice, or "" for none
};

class PasswordNoticeTest : public testing::TestWithParam<NoticeCase> {};

TEST_P(PasswordNoticeTest, saysWhatNeedsTheUsersHand) {
  const ConsolePassword file{true, "", GetParam().file};
  const std::optional<std::string> notice = PasswordNotice(file, GetParam().field, "server.cfg");
  if (*GetParam().says == '\0') {
    EXPECT_EQ(notice, std::nullopt);
  } else {
    ASSERT_TRUE(notice);
    EXPECT_NE(notice->find(GetParam().says), std::string::npos) << *notice;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Passwords, PasswordNoticeTest,
    testing::Values(NoticeCase{"none", "", "", "restart the server"}, NoticeCase{"same", "pw", "pw", ""},
                    NoticeCase{"fieldDiffers", "pw", "new", "differs from the written server.cfg"}),
    [](const testing::TestParamInfo<NoticeCase>& info) { return std::string(info.param.name); });

TEST(Commands, sayLosesQuotesAndSemicolonsThatWouldStartAnotherCommand) {
  EXPECT_EQ(SayCommand("hi\"; quit"), "say \"hi quit\"");
}

TEST(Commands, kickNamesTheUserId) { EXPECT_EQ(KickCommand(3), "kick \"#3\""); }

TEST(Commands, userIdComesFromTheStatusLineOfThatName) {
  const std::vector<StatusPlayer> status{{1, "Alpha", 2, "STEAM_0:1:234"}, {2, "Bob", 7, "STEAM_0:0:1"}};
  EXPECT_EQ(UserIdOf(status, "Bob"), 7);
  EXPECT_EQ(UserIdOf(status, "Carol"), std::nullopt);
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

TEST(ServerEndedText, listsTheLastLogLines) {
  EXPECT_EQ(ServerEndedText({"21:05:09  Log file closed"}),
            "The dedicated server has ended by itself. Its last log lines:\n\n21:05:09  Log file closed");
}

TEST(ServerEndedText, saysSoWhenNoLogLinesCame) {
  EXPECT_EQ(ServerEndedText({}), "The dedicated server has ended by itself. No log lines came from it.");
}

struct HostCase {
  const char* name;
  const char* text;
  bool valid;
  const char* host;
  std::uint16_t port;
};

class HostPortTest : public testing::TestWithParam<HostCase> {};

TEST_P(HostPortTest, readsHostAndPort) {
  const std::optional<HostPort> parsed = ParseHostPort(GetParam().text);
  ASSERT_EQ(parsed.has_value(), GetParam().valid);
  if (!parsed) return;
  EXPECT_EQ(parsed->host, GetParam().host);
  EXPECT_EQ(parsed->port, GetParam().port);
}

INSTANTIATE_TEST_SUITE_P(
    Targets, HostPortTest,
    testing::Values(HostCase{"hostOnly", "example.org", true, "example.org", 27015},
                    HostCase{"hostAndPort", "127.0.0.1:27020", true, "127.0.0.1", 27020},
                    HostCase{"emptyHost", ":27015", false, "", 0}, HostCase{"emptyPort", "h:", false, "", 0},
                    HostCase{"portTooLarge", "h:65536", false, "", 0}, HostCase{"wordPort", "h:abc", false, "", 0},
                    HostCase{"space", "a b:1", false, "", 0}),
    [](const testing::TestParamInfo<HostCase>& info) { return std::string(info.param.name); });

TEST(QueryReportJson, escapesQuotesAndWritesHighBytesAsTheirCharacters) {
  ServerInfo info = TwoFort();
  info.name = "\"Caf\xE9\" \x80";
  const std::string json = QueryReportJson(info, 3, {});
  EXPECT_NE(json.find("\"name\":\"\\\"Caf\\u00e9\\\" \\u20ac\""), std::string::npos) << json;
}

}  // namespace
}  // namespace quorvane::monitor
