#include "monitor/console.h"

#include <gtest/gtest.h>

#include "monitor/wire.h"

namespace quorvane::monitor {
namespace {

using test::Wire;
using Type = ConsoleStep::Type;

Packet Print(const std::string& text) { return Wire().Head().U8('l').Str(text); }
Packet ChallengeText(const std::string& number) { return Wire().Head().Str("challenge rcon " + number + "\n"); }

// A session that has its challenge (42) and sent `command`.
ConsoleSession Sent(const std::string& command, const std::string& password = "pw") {
  ConsoleSession s;
  EXPECT_EQ(s.Start(command, password, 0).send, ConsoleChallengeRequest());
  EXPECT_EQ(s.Feed(ChallengeText("42"), 10).type, Type::Send);
  return s;
}

TEST(Console, theCommandGoesWithTheChallengeAndThePasswordQuoted) {
  ConsoleSession s;
  ASSERT_EQ(s.Start("status", "se cret", 0).type, Type::Send);
  const ConsoleStep step = s.Feed(ChallengeText("123456789"), 5);
  ASSERT_EQ(step.type, Type::Send);
  EXPECT_EQ(step.send, Packet(Wire().Head().Str("rcon 123456789 \"se cret\" status")));
}

TEST(Console, theChallengeIsReusedForTheNextCommand) {
  ConsoleSession s = Sent("status");
  ASSERT_EQ(s.Feed(Print("ok"), 20).type, Type::Nothing);
  ASSERT_EQ(s.Tick(400).type, Type::Done);
  EXPECT_EQ(s.Start("say hi", "pw", 500).send, Packet(Wire().Head().Str("rcon 42 \"pw\" say hi")));
}

TEST(Console, anAnswerInSeveralPacketsIsWholeOnlyAfterTheQuietGap) {
  ConsoleSession s = Sent("cvarlist");
  ASSERT_EQ(s.Feed(Print("first "), 100).type, Type::Nothing);
  ASSERT_EQ(s.Feed(Print("second"), 350).type, Type::Nothing);
  EXPECT_EQ(s.Tick(640).type, Type::Nothing);
  const ConsoleStep done = s.Tick(650);
  EXPECT_EQ(done.type, Type::Done);
  EXPECT_EQ(done.text, "first second");
}

TEST(Console, aRefusedPasswordIsNeverSentAgainOnItsOwn) {
  ConsoleSession s = Sent("status", "wrong");
  const ConsoleStep refused = s.Feed(Print("Bad rcon_password.\n"), 50);
  EXPECT_EQ(refused.type, Type::Refused);
  EXPECT_EQ(refused.text, "Bad rcon_password.");
  EXPECT_EQ(s.Start("status", "wrong", 100).type, Type::Failed);
  EXPECT_EQ(s.Start("status", "right", 100).type, Type::Send);
}

TEST(Console, aBadChallengeIsFetchedAgainOnceAndIsNotARefusal) {
  ConsoleSession s = Sent("status");
  const ConsoleStep again = s.Feed(Print("Bad rcon_password.\nBad challenge.\n"), 50);
  ASSERT_EQ(again.type, Type::Send);
  EXPECT_EQ(again.send, ConsoleChallengeRequest());
  ASSERT_EQ(s.Feed(ChallengeText("43"), 60).type, Type::Send);
  EXPECT_EQ(s.Feed(Print("Bad rcon_password.\nBad challenge.\n"), 70).type, Type::Refused);
}

TEST(Console, aBannedAddressSendsNothingMore) {
  ConsoleSession s = Sent("status");
  EXPECT_EQ(s.Feed(Print("You have been banned from this server.\n"), 50).type, Type::Banned);
  EXPECT_EQ(s.Start("status", "other", 100).type, Type::Failed);
}

TEST(Console, silenceAfterTheCommandFailsPlainly) {
  ConsoleSession s = Sent("status");
  EXPECT_EQ(s.Tick(2999).type, Type::Nothing);
  const ConsoleStep step = s.Tick(3010);
  EXPECT_EQ(step.type, Type::Failed);
  EXPECT_FALSE(s.Busy());
}

struct StartCase {
  std::string name, command, password;
  bool sent;
};

class ConsoleStart : public testing::TestWithParam<StartCase> {};

TEST_P(ConsoleStart, refusesUpFrontWhatTheServerWouldDropOrRefuse) {
  ConsoleSession s;
  EXPECT_EQ(s.Start(GetParam().command, GetParam().password, 0).type == Type::Send, GetParam().sent);
}

// "rcon " + 10 challenge digits + " \"pw\" " + command + NUL stays under 512 bytes up to 489 command bytes.
INSTANTIATE_TEST_SUITE_P(
    Console, ConsoleStart,
    testing::Values(StartCase{"longestThatFits", std::string(489, 'x'), "pw", true},
                    StartCase{"oneByteTooLong", std::string(490, 'x'), "pw", false},
                    StartCase{"noPassword", "status", "", false}, StartCase{"quoteInPassword", "status", "a\"b", false},
                    StartCase{"newlineInCommand", "status\nquit", "pw", false},
                    StartCase{"emptyCommand", "  ", "pw", false}),
    [](const testing::TestParamInfo<StartCase>& info) { return info.param.name; });

TEST(Console, aSecondCommandWaitsForTheFirstAnswer) {
  ConsoleSession s = Sent("status");
  EXPECT_EQ(s.Start("say hi", "pw", 20).type, Type::Failed);
}

struct StatusCase {
  std::string name, answer;
  std::vector<StatusPlayer> players;
  bool ok;
};

class StatusAnswers : public testing::TestWithParam<StatusCase> {};

TEST_P(StatusAnswers, giveEachPlayersUserId) {
  const Result<std::vector<StatusPlayer>> players = ParseStatus(GetParam().answer);
  ASSERT_EQ(static_cast<bool>(players), GetParam().ok) << players.Error();
  if (players) {
    EXPECT_EQ(*players, GetParam().players);
  }
}

const char* kHeader =
    "hostname:  Box\nmap     :  2fort at: 0 x, 0 y, 0 z\n\n#      name userid uniqueid frag time ping\n";

INSTANTIATE_TEST_SUITE_P(
    Console, StatusAnswers,
    testing::Values(
        StatusCase{"two", std::string(kHeader) + "# 1  \"Alpha\" 2 STEAM_0:1:234    5 12:34   45    0 1.2.3.4:27005\n"
                                                 "#12 \"Bo b\" 17 BOT    0 00:10    0    0\n2 users\n",
                   {{1, "Alpha", 2, "STEAM_0:1:234"}, {12, "Bo b", 17, "BOT"}}, true},
        StatusCase{"quotesInName", "# 3 \"a \"x\" 9\" 4 STEAM_0:0:1 0 00:01 1 0 x\n",
                   {{3, "a \"x\" 9", 4, "STEAM_0:0:1"}}, true},
        StatusCase{"noPlayers", std::string(kHeader) + "0 users\n", {}, true},
        StatusCase{"nameNotQuoted", "# 1 Alpha 2 STEAM_0:1:2\n", {}, false},
        StatusCase{"userIdMissing", "# 1 \"Alpha\" STEAM_0:1:2\n", {}, false},
        StatusCase{"nameNeverEnds", "# 1 \"Alpha 2 STEAM", {}, false}),
    [](const testing::TestParamInfo<StatusCase>& info) { return info.param.name; });

}  // namespace
}  // namespace quorvane::monitor
