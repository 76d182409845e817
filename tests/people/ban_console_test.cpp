#include "people/ban_console.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "people/rows.h"

namespace quorvane::people {
// Failures show the plan as the console would get it.
void PrintTo(const PlannedCommand& c, std::ostream* os) { *os << c.at.count() << " ms: " << c.command; }
}  // namespace quorvane::people

namespace quorvane::people::test {
namespace {

using std::chrono::milliseconds;
using std::chrono::minutes;
using std::chrono::seconds;

const WallTime kT0{seconds(1'800'000'000)};

BanTarget Target(const std::string& text) {
  const Result<BanTarget> t = ParseBanTarget(text);
  EXPECT_TRUE(t) << t.Error();
  return *t;
}

// A ban made at `madeAt` for `length` (none: permanent).
Ban Made(const std::string& target, std::optional<seconds> length, WallTime madeAt = kT0) {
  std::optional<WallTime> until;
  if (length) until = madeAt + *length;
  return Ban{Target(target), "Name", "Reason", BanSource::ThisProgram, madeAt, until, std::nullopt};
}

struct CommandRow {
  const char* name;
  Ban ban;
  std::vector<std::string> apply, lift;
};

class Commands : public testing::TestWithParam<CommandRow> {};

TEST_P(Commands, applyWithTheMinutesLeftAndLiftWithTheServersFileRewritten) {
  EXPECT_EQ(ApplyCommands(GetParam().ban, kT0 + minutes(10)), GetParam().apply);
  EXPECT_EQ(LiftCommands(GetParam().ban.target), GetParam().lift);
}

INSTANTIATE_TEST_SUITE_P(
    BanConsole, Commands,
    testing::Values(
        CommandRow{"permanentSteamId",
                   Made("STEAM_0:1:2", std::nullopt),
                   {"banid 0 STEAM_0:1:2 kick", "writeid"},
                   {"removeid STEAM_0:1:2", "writeid"}},
        CommandRow{"timedSteamIdHalfGone",
                   Made("STEAM_0:1:2", minutes(20)),
                   {"banid 10 STEAM_0:1:2 kick"},
                   {"removeid STEAM_0:1:2", "writeid"}},
        CommandRow{"timedAddress", Made("1.2.3.4", minutes(30)), {"addip 20 1.2.3.4"}, {"removeip 1.2.3.4", "writeip"}},
        CommandRow{"permanentMaskedAddress",
                   Made("10.0.0.0/8", std::nullopt),
                   {"addip 0 10.0.0.0/8", "writeip"},
                   {"removeip 10.0.0.0/8", "writeip"}},
        CommandRow{"expired", Made("1.2.3.4", minutes(10)), {}, {"removeip 1.2.3.4", "writeip"}}),
    RowName);

TEST(BanConsole, namesAndReasonsNeverReachTheConsole) {
  Ban ban = Made("STEAM_0:1:2", std::nullopt);
  ban.name = "x\"; quit; \"";
  ban.reason = "line\nrcon_password x; exit";
  EXPECT_EQ(ApplyCommands(ban, kT0), (std::vector<std::string>{"banid 0 STEAM_0:1:2 kick", "writeid"}));
}

struct ListRow {
  const char* name;
  bool ids;  // listid, else listip
  std::string answer;
  std::optional<std::vector<ListedBan>> bans;  // none: not a list
  int skipped = 0;
};

class ListAnswers : public testing::TestWithParam<ListRow> {};

TEST_P(ListAnswers, giveTheBansTheServerHolds) {
  const ListRow& row = GetParam();
  const Result<ListedBans> read = row.ids ? ParseListId(row.answer) : ParseListIp(row.answer);
  ASSERT_EQ(read ? std::optional(read->bans) : std::nullopt, row.bans) << read.Error();
  if (read) {
    EXPECT_EQ(read->skipped, row.skipped);
  }
}

INSTANTIATE_TEST_SUITE_P(
    BanConsole, ListAnswers,
    testing::Values(ListRow{"idsEmpty", true, "UserID filter list: empty\n", std::vector<ListedBan>{}},
                    ListRow{"idsPermanentAndTimed", true,
                            "UserID filter list: 2 entries\n1 STEAM_0:1:2345 : permanent\n2 STEAM_0:0:7 : 30.000 min\n",
                            std::vector<ListedBan>{{Target("STEAM_0:1:2345"), {}}, {Target("STEAM_0:0:7"), 30.0}}},
                    ListRow{"idsCrLfWithAJunkLine", true,
                            "UserID filter list: 2 entries\r\n1 STEAM_0:1:2345 : permanent\r\n2 #5 : permanent\r\n",
                            std::vector<ListedBan>{{Target("STEAM_0:1:2345"), {}}}, 1},
                    ListRow{"idsRefused", true, "Bad rcon_password.\n", std::nullopt},
                    ListRow{"ipsEmpty", false, "IP filter list: empty\n", std::vector<ListedBan>{}},
                    ListRow{"ipsPadded", false,
                            "IP filter list:\n  1.  2. 33.  4 : permanent\n192.168.  1. 20 : 60.000 min\n",
                            std::vector<ListedBan>{{Target("1.2.33.4"), {}}, {Target("192.168.1.20"), 60.0}}},
                    ListRow{"ipsUnknownCommand", false, "Unknown command: listip\n", std::nullopt}),
    RowName);

TEST(BanConsole, bansTheServerListsAreFoundOnItForTheirWholeLength) {
  const std::vector<Ban> found =
      FoundOnServer({{{Target("STEAM_0:0:7"), 30.0}, {Target("1.2.3.4"), std::nullopt}}, 0}, kT0);
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0].source, BanSource::FoundOnServer);
  EXPECT_EQ(found[0].until, kT0 + minutes(30));
  EXPECT_TRUE(found[1].Permanent());
}

struct RemoveRow {
  const char* name;
  std::string answer;
  RemoveAnswer read;
};

class RemoveAnswers : public testing::TestWithParam<RemoveRow> {};

TEST_P(RemoveAnswers, sayWhetherTheBanWasLifted) { EXPECT_EQ(ParseRemoveAnswer(GetParam().answer), GetParam().read); }

INSTANTIATE_TEST_SUITE_P(
    BanConsole, RemoveAnswers,
    testing::Values(RemoveRow{"idRemoved", "UserID filter removed for STEAM_0:1:2, ID 3\n", RemoveAnswer::Removed},
                    RemoveRow{"idNotFound", "removeid: couldn't find STEAM_0:1:2\n", RemoveAnswer::NotFound},
                    RemoveRow{"ipRemoved", "\r\nIP filter removed.\r\n", RemoveAnswer::Removed},
                    RemoveRow{"ipNotFound", "removeip: couldn't find 1.2.3.4.\n", RemoveAnswer::NotFound},
                    RemoveRow{"refused", "Bad rcon_password.\n", RemoveAnswer::Other}),
    RowName);

TEST(BanConsole, restoreSendsTimedBansWithMinutesLeftThenPermanentOnesNotListed) {
  const WallTime now = kT0 + minutes(10);
  const std::vector<Ban> bans = {
      Made("STEAM_0:1:1", std::nullopt),       // listed after the exec: not sent
      Made("STEAM_0:1:2", minutes(30)),        // 20 minutes left
      Made("STEAM_0:1:3", std::nullopt),       // missing from banned.cfg
      Made("1.2.3.4", std::nullopt),           // missing from listip.cfg
      Made("5.6.7.8", minutes(5)),             // expired
      Made("9.9.9.9", minutes(60)),            // listed timed: still held
      Made("10.0.0.0/8", std::nullopt),        // listed without its mask
      Made("STEAM_0:1:4", std::nullopt),       // listed only as timed: made permanent again
      Made("1.1.1.1", seconds(10 * 60 + 90)),  // 90 s left: two minutes
  };
  const std::vector<ListedBan> listed = {
      {Target("STEAM_0:1:1"), {}}, {Target("9.9.9.9"), 60.0}, {Target("10.0.0.0"), {}}, {Target("STEAM_0:1:4"), 30.0}};
  EXPECT_EQ(PlanRestore(bans, listed, now),
            (std::vector<PlannedCommand>{{milliseconds(500), "banid 20 STEAM_0:1:2 kick"},
                                         {milliseconds(1000), "addip 2 1.1.1.1"},
                                         {milliseconds(1500), "banid 0 STEAM_0:1:3 kick"},
                                         {milliseconds(2000), "addip 0 1.2.3.4"},
                                         {milliseconds(2500), "banid 0 STEAM_0:1:4 kick"},
                                         {milliseconds(3000), "writeid"},
                                         {milliseconds(3500), "writeip"}}));
}

TEST(BanConsole, restoreTakesBackWhatTheServersFileHoldsAgainstTheList) {
  const WallTime now = kT0 + minutes(10);
  Ban lifted = Made("STEAM_0:1:3", std::nullopt), liftedAddress = Made("1.2.3.4", std::nullopt);
  lifted.liftedAt = liftedAddress.liftedAt = kT0 + minutes(5);
  const std::vector<Ban> bans = {
      Made("STEAM_0:1:2", minutes(30)),  // made timed while down: 20 minutes
      lifted,                            // lifted while down
      liftedAddress,                     // lifted, and not listed: nothing to do
      Made("STEAM_0:1:5", minutes(5)),   // an old ban of a target banned for good now
      Made("STEAM_0:1:5", std::nullopt, kT0 + minutes(6)),
      Made("STEAM_0:1:6", minutes(60)),  // two timed ones: the later end holds
      Made("STEAM_0:1:6", minutes(40)),
  };
  const std::vector<ListedBan> listed = {
      {Target("STEAM_0:1:2"), {}}, {Target("STEAM_0:1:3"), {}}, {Target("STEAM_0:1:5"), {}}};
  EXPECT_EQ(PlanRestore(bans, listed, now),
            (std::vector<PlannedCommand>{{milliseconds(500), "banid 20 STEAM_0:1:2 kick"},
                                         {milliseconds(1000), "banid 50 STEAM_0:1:6 kick"},
                                         {milliseconds(1500), "removeid STEAM_0:1:3"},
                                         {milliseconds(2000), "writeid"}}));
}

TEST(BanConsole, aTimedBanCountsItsMinutesAtItsTurnAndIsDroppedWhenItEndsBefore) {
  // 61 s at planning are 60 s at the first turn: one minute. 2 s are gone by the third turn.
  const std::vector<Ban> bans = {Made("1.1.1.1", seconds(61)), Made("1.1.1.2", seconds(62)),
                                 Made("1.1.1.3", seconds(2)), Made("1.1.1.4", seconds(63))};
  EXPECT_EQ(PlanRestore(bans, {}, kT0), (std::vector<PlannedCommand>{{milliseconds(500), "addip 1 1.1.1.1"},
                                                                     {milliseconds(1000), "addip 2 1.1.1.2"},
                                                                     {milliseconds(1500), "addip 2 1.1.1.4"}}));
}

}  // namespace
}  // namespace quorvane::people::test
