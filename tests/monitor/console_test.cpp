#include "monitor/console.h"

#include <gtest/gtest.h>

#include <optional>
#include <tuple>

#include "monitor/wire.h"

namespace quorvane::monitor::test {
namespace {

using Type = ConsoleStep::Type;

Packet Print(const std::string& text) { return Wire().Head().U8('l').Str(text); }
Packet ChallengeText(const std::string& number) { return Wire().Head().Str("challenge rcon " + number + "\n"); }

// A session that fetched its challenge (42) and sent `command` with it, the password quoted.
ConsoleSession Sent(const std::string& command, const std::string& password) {
  ConsoleSession s;
  EXPECT_EQ(s.Start(command, password, 0).send, ConsoleChallengeRequest());
  EXPECT_EQ(s.Feed(ChallengeText("42"), 10).send, Packet(Wire().Head().Str("rcon 42 \"" + password + "\" " + command)));
  return s;
}

TEST(Console, aRefusedPasswordIsNeverSentAgainOnItsOwn) {
  ConsoleSession s = Sent("status", "wr ong");
  const ConsoleStep refused = s.Feed(Print("Bad rcon_password.\n"), 50);
  EXPECT_EQ(refused.type, Type::Refused);
  EXPECT_EQ(refused.text, "Bad rcon_password.");
  EXPECT_EQ(s.Start("status", "wr ong", 100).type, Type::Failed);
  EXPECT_EQ(s.Start("status", "right", 100).type, Type::Send);
}

TEST(Console, aBadChallengeIsFetchedAgainOnceAndIsNotARefusal) {
  ConsoleSession s = Sent("status", "pw");
  const ConsoleStep again = s.Feed(Print("Bad rcon_password.\nBad challenge.\n"), 50);
  ASSERT_EQ(again.type, Type::Send);
  EXPECT_EQ(again.send, ConsoleChallengeRequest());
  ASSERT_EQ(s.Feed(ChallengeText("43"), 60).type, Type::Send);
  EXPECT_EQ(s.Feed(Print("Bad rcon_password.\nBad challenge.\n"), 70).type, Type::Refused);
}

TEST(Console, silenceAfterTheCommandFailsPlainly) {
  ConsoleSession s = Sent("status", "pw");
  EXPECT_EQ(s.Tick(2999).type, Type::Nothing);
  EXPECT_EQ(s.Tick(3010).type, Type::Failed);
  EXPECT_FALSE(s.Busy());
}

// Name, command, password, and whether it goes out.
using StartRow = std::tuple<const char*, std::string, std::string, bool>;

class ConsoleStart : public testing::TestWithParam<StartRow> {};

TEST_P(ConsoleStart, refusesUpFrontWhatTheServerWouldDropOrRefuse) {
  const auto& [name, command, password, sent] = GetParam();
  ConsoleSession s;
  EXPECT_EQ(s.Start(command, password, 0).type == Type::Send, sent);
}

// "rcon " + 10 challenge digits + " \"pw\" " + command + NUL stays under 512 bytes up to 489 command bytes.
INSTANTIATE_TEST_SUITE_P(Console, ConsoleStart,
                         testing::Values(StartRow{"longestThatFits", std::string(489, 'x'), "pw", true},
                                         StartRow{"oneByteTooLong", std::string(490, 'x'), "pw", false},
                                         StartRow{"noPassword", "status", "", false},
                                         StartRow{"quoteInPassword", "status", "a\"b", false},
                                         StartRow{"newlineInCommand", "status\nquit", "pw", false},
                                         StartRow{"emptyCommand", "  ", "pw", false}),
                         RowName);

// Name, the answer, and its players; a malformed answer has none.
using StatusRow = std::tuple<const char*, std::string, std::optional<std::vector<StatusPlayer>>>;

class StatusAnswers : public testing::TestWithParam<StatusRow> {};

TEST_P(StatusAnswers, giveEachPlayersUserId) {
  const auto& [name, answer, players] = GetParam();
  const Result<std::vector<StatusPlayer>> read = ParseStatus(answer);
  EXPECT_EQ(read ? std::optional(*read) : std::nullopt, players);
}

// The stand-in's whole status answer is read in the link tests; these are the odd lines.
INSTANTIATE_TEST_SUITE_P(Console, StatusAnswers,
                         testing::Values(StatusRow{"quotesInName", "# 3 \"a \"x\" 9\" 4 STEAM_0:0:1 0 00:01 1 0 x\n",
                                                   std::vector<StatusPlayer>{{3, "a \"x\" 9", 4, "STEAM_0:0:1"}}},
                                         StatusRow{"nameNotQuoted", "# 1 Alpha 2 STEAM_0:1:2\n", std::nullopt},
                                         StatusRow{"userIdMissing", "# 1 \"Alpha\" STEAM_0:1:2\n", std::nullopt}),
                         RowName);

}  // namespace
}  // namespace quorvane::monitor::test
