#include "people/ban_console.h"

#include <gtest/gtest.h>

#include "people/rows.h"

namespace quorvane::people::test {
namespace {

using std::chrono::minutes;
using std::chrono::seconds;
using Commands = std::vector<std::string>;

const WallTime kT0{seconds(1'800'000'000)};

BanTarget Target(const std::string& text) { return *ParseBanTarget(text); }

// A ban made at `madeAt` for `length` (none: permanent). Its name and reason
// are console commands, which must never reach the console.
Ban Made(const std::string& target, std::optional<minutes> length, WallTime madeAt = kT0) {
  return *MakeBan(Target(target), "x\"; quit", "a\nrcon_password x", madeAt, length);
}

class Apply : public testing::TestWithParam<Row<Ban, Commands>> {};

TEST_P(Apply, bansWithTheMinutesLeftAndWritesPermanentOnesToTheServersFile) {
  EXPECT_EQ(ApplyCommands(GetParam().in, kT0 + minutes(10)), GetParam().out);
}

const std::vector<Row<Ban, Commands>> kApplyRows = {
    {"permanentSteamId", Made("STEAM_0:1:2", {}), {"banid 0 STEAM_0:1:2 kick", "writeid"}},
    {"permanentMaskedAddress", Made("10.0.0.0/8", {}), {"addip 0 10.0.0.0/8", "writeip"}},
    {"timedMinutesLeft", Made("1.2.3.4", minutes(20)), {"addip 10 1.2.3.4"}},
    {"timedAtItsEnd", Made("1.2.3.4", minutes(10)), {}},
};
INSTANTIATE_TEST_SUITE_P(BanConsole, Apply, testing::ValuesIn(kApplyRows), RowName);

using ListRow = Row<std::string, std::optional<std::vector<ListedBan>>>;  // none: not a list
class ListAnswers : public testing::TestWithParam<ListRow> {};

TEST_P(ListAnswers, giveTheBansTheServerHolds) {
  const auto read = GetParam().in.starts_with("IP") ? ParseListIp(GetParam().in) : ParseListId(GetParam().in);
  EXPECT_EQ(read ? std::optional(read->bans) : std::nullopt, GetParam().out) << read.Error();
}

const std::vector<ListRow> kListRows = {
    {"idsCrLfWithAJunkLine", "UserID filter list: 2 entries\r\n1 STEAM_0:1:2 : permanent\r\n2 #5 : permanent\r\n",
     std::vector<ListedBan>{{Target("STEAM_0:1:2"), {}}}},
    {"ipsPaddedTimed", "IP filter list:\n  1.  2. 33.  4 : 60.000 min\n",
     std::vector<ListedBan>{{Target("1.2.33.4"), 60.0}}},
    {"refused", "Bad rcon_password.\n", std::nullopt},
};
INSTANTIATE_TEST_SUITE_P(BanConsole, ListAnswers, testing::ValuesIn(kListRows), RowName);

TEST(BanConsole, liftRemovesTheBanRewritesTheServersFileAndTheAnswerSaysWhetherItWasThere) {
  EXPECT_EQ(LiftCommands(Target("STEAM_0:1:2")), (Commands{"removeid STEAM_0:1:2", "writeid"}));
  EXPECT_EQ(LiftCommands(Target("10.0.0.0/8")), (Commands{"removeip 10.0.0.0/8", "writeip"}));
  EXPECT_EQ(ParseRemoveAnswer("UserID filter removed for STEAM_0:1:2, ID 3\n"), RemoveAnswer::Removed);
  EXPECT_EQ(ParseRemoveAnswer("removeid: couldn't find STEAM_0:1:2\n"), RemoveAnswer::NotFound);
  EXPECT_EQ(ParseRemoveAnswer("\r\nIP filter removed.\r\n"), RemoveAnswer::Removed);
  EXPECT_EQ(ParseRemoveAnswer("removeip: couldn't find 1.2.3.4.\n"), RemoveAnswer::NotFound);
  EXPECT_EQ(ParseRemoveAnswer("Bad rcon_password.\n"), RemoveAnswer::Other);
}

// The plan as its commands, each after its milliseconds: "500 writeid, 1000 writeip".
std::string Plan(const std::vector<Ban>& bans, const std::vector<ListedBan>& listed, WallTime now) {
  std::string plan;
  for (const PlannedCommand& c : PlanRestore(bans, listed, now))
    plan += (plan.empty() ? "" : ", ") + std::to_string(c.at.count()) + " " + c.command;
  return plan;
}

TEST(BanConsole, restoreSendsTimedBansAtTheirTurnThenPermanentOnesNotHeldAndTakesBackThoseNoLongerInForce) {
  Ban lifted = Made("STEAM_0:1:3", {});
  lifted.liftedAt = kT0 - minutes(5);
  const std::vector<Ban> bans = {
      Made("1.2.3.4", {}),                                 // missing from listip.cfg
      lifted,                                              // lifted while the server was down
      Made("9.9.9.9", minutes(60)),                        // listed timed: held
      Made("1.0.0.0/8", {}),                               // listed without its mask: held
      Made("STEAM_0:1:5", minutes(5), kT0 - minutes(10)),  // ended, banned for good since, listed only as timed
      Made("STEAM_0:1:5", {}, kT0 - minutes(4)),
      Made("STEAM_0:1:6", minutes(1), kT0 - seconds(59)),  // of two timed ones the later end holds
      Made("STEAM_0:1:6", minutes(2), kT0 - seconds(59)),  // 61 s now, 60 s at its turn: one minute
      Made("1.1.1.1", minutes(1), kT0 - seconds(59)),      // 1 s: gone by its turn
  };
  const std::vector<ListedBan> listed = {
      {Target("STEAM_0:1:3"), {}}, {Target("9.9.9.9"), 60}, {Target("1.0.0.0"), {}}, {Target("STEAM_0:1:5"), 30}};
  EXPECT_EQ(Plan(bans, listed, kT0),
            "500 banid 1 STEAM_0:1:6 kick, 1000 addip 0 1.2.3.4, 1500 banid 0 STEAM_0:1:5 kick, "
            "2000 removeid STEAM_0:1:3, 2500 writeid, 3000 writeip");
  // Timed where the server's file holds it for good: the file is rewritten without the permanent entry.
  EXPECT_EQ(Plan({Made("STEAM_0:1:2", minutes(30), kT0 - minutes(10))}, {{Target("STEAM_0:1:2"), {}}}, kT0),
            "500 banid 20 STEAM_0:1:2 kick, 1000 writeid");
}

}  // namespace
}  // namespace quorvane::people::test
