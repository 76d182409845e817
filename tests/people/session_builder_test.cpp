#include "people/session_builder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quorvane::people {
namespace {

constexpr Stamp kT = 1'706'735'109;  // 01/31/2024 - 21:05:09

struct PlayerCase {
  const char* name;
  std::string quoted;
  bool ok;
  LogPlayer expected;
};

class PlayerRead : public testing::TestWithParam<PlayerCase> {};

TEST_P(PlayerRead, readsTheNameFromTheRight) {
  LogPlayer got;
  ASSERT_EQ(ParsePlayer(GetParam().quoted, got), GetParam().ok);
  if (GetParam().ok) {
    EXPECT_EQ(got, GetParam().expected);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, PlayerRead,
    testing::Values(PlayerCase{"plain", "\"A<12><STEAM_0:1:234><Blue>\"", true, {"A", 12, "STEAM_0:1:234", "Blue"}},
                    PlayerCase{"nameWithBrackets",
                               "\"<x><1><y>\"<3><STEAM_0:0:9><Red>\"",
                               true,
                               {"<x><1><y>\"", 3, "STEAM_0:0:9", "Red"}},
                    PlayerCase{"cp1251Name",
                               "\"\xcf\xf0\xe8\xe2\xe5\xf2<4><STEAM_0:0:5><>\"",
                               true,
                               {"\xcf\xf0\xe8\xe2\xe5\xf2", 4, "STEAM_0:0:5", ""}},
                    PlayerCase{"emptyName", "\"<4><BOT><>\"", true, {"", 4, "BOT", ""}},
                    PlayerCase{"userIdNotANumber", "\"A<x><STEAM_0:1:2><>\"", false, {}},
                    PlayerCase{"twoGroups", "\"A<STEAM_0:1:2><>\"", false, {}},
                    PlayerCase{"noClosingQuote", "\"A<1><STEAM_0:1:2><>", false, {}}),
    [](const auto& info) { return std::string(info.param.name); });

struct StatusCase {
  const char* name;
  std::string line;
  bool read;
  StatusEntry expected;
};

class StatusRead : public testing::TestWithParam<StatusCase> {};

TEST_P(StatusRead, readsThePlayerLine) {
  bool complete = false;
  const std::vector<StatusEntry> got = ParseStatusPlayers(GetParam().line, complete);
  ASSERT_EQ(got.size(), GetParam().read ? 1U : 0U);
  if (GetParam().read) {
    EXPECT_EQ(got[0], GetParam().expected);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Lines, StatusRead,
    testing::Values(StatusCase{"hoursAndQuotedName",
                               "# 2 \"a \"b\" c\" 7 STEAM_ID_LAN 0 1:02:03 5 0 10.0.0.2:27005\r",
                               true,
                               {"a \"b\" c", 7, "STEAM_ID_LAN", 3723, "10.0.0.2"}},
                    StatusCase{"botWithoutAddress", "#  3 \"Bot\" 4 BOT  0 00:40", true, {"Bot", 4, "BOT", 40, ""}},
                    StatusCase{"columnHeads", "# name userid uniqueid frag time ping loss adr", false, {}},
                    StatusCase{
                        "timeNotATime", "#  1 \"Name\" 12 STEAM_0:1:2345  5 soon 48 0 1.2.3.4:27005", false, {}}),
    [](const auto& info) { return std::string(info.param.name); });

class Builder : public testing::Test {
 protected:
  SessionBuilder builder{"/srv/hlds/tfc", 27015};
  void Feed(Stamp when, const std::string& message) { builder.AddLogMessage(when, message); }
};

TEST_F(Builder, followsOneConnectionFromConnectToDisconnect) {
  Feed(kT - 100, "Started map \"2fort\" (CRC \"-123456\")");
  Feed(kT, "\"A<12><STEAM_0:1:234><>\" connected, address \"1.2.3.4:27005\"");
  Feed(kT + 5, "\"A<12><STEAM_0:1:234><>\" entered the game");
  Feed(kT + 9, "\"A<12><STEAM_0:1:234><Blue>\" joined team \"Blue\"");
  Feed(kT + 60, "\"A<12><STEAM_0:1:234><Blue>\" changed name to \"B \"the\" <best>\"");
  Feed(kT + 70, "Loading map \"well\"");
  Feed(kT + 71, "Started map \"well\" (CRC \"77\")");
  Feed(kT + 80, "\"A<12><STEAM_0:1:234><>\" connected, address \"1.2.3.4:27005\"");
  Feed(kT + 90, "\"B \"the\" <best><12><STEAM_0:1:234><Red>\" disconnected");
  const std::vector<Session> got = builder.TakeChanged();
  ASSERT_EQ(got.size(), 1U);
  Session expected{"STEAM_0:1:234",
                   "STEAM_0:1:234",
                   12,
                   PlayerKind::Person,
                   {"B \"the\" <best>", "A"},
                   "1.2.3.4",
                   kT,
                   kT + 90,
                   kT + 90,
                   {"2fort", "well"},
                   "/srv/hlds/tfc",
                   27015};
  EXPECT_EQ(got[0], expected);
  EXPECT_EQ(builder.OpenCount(), 0U);
}

struct KeyCase {
  const char* name;
  std::string connect;
  std::string key;
  PlayerKind kind;
};

class KeyedBy : public testing::TestWithParam<KeyCase> {};

TEST_P(KeyedBy, keysTheSessionByWhatIdentifiesThePlayer) {
  SessionBuilder builder("tfc", 27015);
  builder.AddLogMessage(kT, GetParam().connect);
  const std::vector<Session> got = builder.TakeChanged();
  ASSERT_EQ(got.size(), 1U);
  EXPECT_EQ(got[0].key, GetParam().key);
  EXPECT_EQ(got[0].kind, GetParam().kind);
}

INSTANTIATE_TEST_SUITE_P(
    Ids, KeyedBy,
    testing::Values(KeyCase{"steamId", "\"A<2><STEAM_0:0:1><>\" connected, address \"1.2.3.4:27005\"", "STEAM_0:0:1",
                            PlayerKind::Person},
                    KeyCase{"lanByAddress", "\"A<2><STEAM_ID_LAN><>\" connected, address \"10.0.0.5:27005\"",
                            "10.0.0.5", PlayerKind::Person},
                    KeyCase{"pendingByAddress", "\"A<2><STEAM_ID_PENDING><>\" connected, address \"10.0.0.6:27005\"",
                            "10.0.0.6", PlayerKind::Person},
                    KeyCase{"bot", "\"Bot Joe<3><BOT><>\" connected, address \"none\"", "BOT Bot Joe", PlayerKind::Bot},
                    KeyCase{"hltv", "\"TV<4><HLTV><>\" connected, address \"5.6.7.8:27020\"", "HLTV 5.6.7.8",
                            PlayerKind::Tv},
                    KeyCase{"enteredWithoutConnect", "\"A<2><STEAM_0:0:1><Blue>\" entered the game", "STEAM_0:0:1",
                            PlayerKind::Person}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Builder, aPendingSteamIdBecomesTheRealOneOnTheSameSession) {
  Feed(kT, "\"A<2><STEAM_ID_PENDING><>\" connected, address \"10.0.0.6:27005\"");
  Feed(kT + 3, "\"A<2><STEAM_0:1:77><>\" entered the game");
  const std::vector<Session> got = builder.TakeChanged();
  ASSERT_EQ(got.size(), 1U);
  EXPECT_EQ(got[0].key, "STEAM_0:1:77");
  EXPECT_EQ(got[0].joined, kT);
}

TEST_F(Builder, aKickEndsTheSessionAndTheDisconnectAfterItChangesNothing) {
  Feed(kT, "\"A<2><STEAM_0:0:1><>\" connected, address \"1.2.3.4:27005\"");
  Feed(kT + 30, "Kick: \"A<2><STEAM_0:0:1><>\" was kicked by \"Console\" (message \"bye\")");
  Feed(kT + 31, "\"A<2><STEAM_0:0:1><>\" disconnected");
  const std::vector<Session> got = builder.TakeChanged();
  ASSERT_EQ(got.size(), 1U);
  EXPECT_EQ(got[0].left, kT + 30);
}

TEST_F(Builder, aNewConnectionUnderTheSameUserIdEndsTheOldOne) {
  Feed(kT, "\"A<2><STEAM_0:0:1><>\" connected, address \"1.2.3.4:27005\"");
  Feed(kT + 50, "\"C<2><STEAM_0:0:3><>\" connected, address \"1.2.3.9:27005\"");
  const std::vector<Session> got = builder.TakeChanged();
  ASSERT_EQ(got.size(), 2U);
  EXPECT_EQ(got[0].key, "STEAM_0:0:1");
  EXPECT_EQ(got[0].left, kT + 50);
  EXPECT_EQ(got[1].key, "STEAM_0:0:3");
  EXPECT_FALSE(got[1].left);
}

TEST_F(Builder, statusBringsInPlayersWhoCameBeforeTheLogAndEndsThoseWhoLeft) {
  Feed(kT - 500, "\"Gone<9><STEAM_0:0:9><>\" entered the game");
  builder.TakeChanged();
  builder.AddStatus(kT,
                    "hostname: x\nplayers : 1 active (32 max)\n\n# name userid uniqueid frag time ping loss adr\n"
                    "#  1 \"Early\" 12 STEAM_0:1:2345  5 10:12 48 0 1.2.3.4:27005\n1 users\n");
  const std::vector<Session> got = builder.TakeChanged();
  ASSERT_EQ(got.size(), 2U);
  EXPECT_EQ(got[0].key, "STEAM_0:0:9");
  EXPECT_EQ(got[0].left, kT);
  EXPECT_EQ(got[1].key, "STEAM_0:1:2345");
  EXPECT_EQ(got[1].joined, kT - 612);
  EXPECT_EQ(got[1].address, "1.2.3.4");
}

TEST_F(Builder, reportsASessionOnlyWhenItChanged) {
  Feed(kT, "\"A<2><STEAM_0:0:1><>\" connected, address \"1.2.3.4:27005\"");
  EXPECT_EQ(builder.TakeChanged().size(), 1U);
  EXPECT_TRUE(builder.TakeChanged().empty());
  Feed(kT, "World triggered \"Round_Start\"");
  EXPECT_TRUE(builder.TakeChanged().empty());
}

TEST(Stamp, countsSecondsFromTheEpoch) {
  EXPECT_EQ(MakeStamp(1970, 1, 1, 0, 0, 0), 0);
  EXPECT_EQ(MakeStamp(2024, 1, 31, 21, 5, 9), kT);
  EXPECT_EQ(MakeStamp(2024, 2, 29, 0, 0, 0), 1'709'164'800);
}

}  // namespace
}  // namespace quorvane::people
