#include "people/bans.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "people/rows.h"

namespace quorvane::people::test {
namespace {

using std::chrono::minutes;
using std::chrono::seconds;

const WallTime kT0{seconds(1'800'000'000)};

BanTarget Target(const std::string& text) {
  const Result<BanTarget> t = ParseBanTarget(text);
  EXPECT_TRUE(t) << t.Error();
  return *t;
}

struct TargetRow {
  const char* name;
  std::string text;
  std::optional<std::string> kept;  // none: refused
  BanTarget::Kind kind = BanTarget::Kind::SteamId;
};

class Targets : public testing::TestWithParam<TargetRow> {};

TEST_P(Targets, areKeptAsTheServerWritesThemOrRefused) {
  const TargetRow& row = GetParam();
  const Result<BanTarget> t = ParseBanTarget(row.text);
  ASSERT_EQ(t ? std::optional(t->Text()) : std::nullopt, row.kept) << t.Error();
  if (t) {
    EXPECT_EQ(t->GetKind(), row.kind);
  }
}

using K = BanTarget::Kind;
INSTANTIATE_TEST_SUITE_P(
    Bans, Targets,
    testing::Values(TargetRow{"steamId", "STEAM_0:1:2345", "STEAM_0:1:2345"},
                    TargetRow{"steamIdLowerCaseWithBlanks", " steam_1:0:7\t", "STEAM_1:0:7"},

                    TargetRow{"accountBeyond32Bits", "STEAM_0:1:4294967296", std::nullopt},
                    TargetRow{"universeTooHigh", "STEAM_6:0:1", std::nullopt},
                    TargetRow{"bitNotZeroOrOne", "STEAM_0:2:1", std::nullopt},

                    TargetRow{"address", "1.2.3.4", "1.2.3.4", K::Address},
                    TargetRow{"addressWithPrefix", "10.0.0.0/8", "10.0.0.0/8", K::Address},
                    TargetRow{"addressWithDottedMask", "10.0.0.0/255.0.0.0", "10.0.0.0/255.0.0.0", K::Address},
                    TargetRow{"partOver255", "1.2.3.256", std::nullopt}, TargetRow{"threeParts", "1.2.3", std::nullopt},
                    TargetRow{"prefixOver32", "1.2.3.4/33", std::nullopt},
                    TargetRow{"addressWithPort", "1.2.3.4:27005", std::nullopt}, TargetRow{"empty", "", std::nullopt},
                    TargetRow{"quoteAndCommand", "STEAM_0:1:2\"; quit", std::nullopt},
                    TargetRow{"semicolonAndCommand", "1.2.3.4;quit", std::nullopt},
                    TargetRow{"newlineAndCommand", "STEAM_0:1:2\nquit", std::nullopt},
                    TargetRow{"placeholderLan", "STEAM_ID_LAN", std::nullopt},
                    TargetRow{"placeholderPending", "STEAM_ID_PENDING", std::nullopt},
                    TargetRow{"placeholderBot", "bot", std::nullopt},
                    TargetRow{"placeholderHltv", "HLTV", std::nullopt}),
    RowName);

TEST(Bans, aPlaceholderIsRefusedWithThePlayersAddressOffered) {
  const Result<BanTarget> t = ParseBanTarget("STEAM_ID_LAN", "192.168.1.20");
  ASSERT_FALSE(t);
  EXPECT_EQ(t.Error(),
            "STEAM_ID_LAN is shared by many players and is never banned by SteamID: ban the address 192.168.1.20 "
            "instead.");
  EXPECT_NE(ParseBanTarget("BOT").Error().find("ban the player's address instead"), std::string::npos);
}

TEST(Bans, aRefusalQuotesHostileTextWithoutItsControlCharacters) {
  const std::string error = ParseBanTarget("x\x1b[2J\r\nquit").Error();
  EXPECT_EQ(error.find_first_of("\x1b\r\n"), std::string::npos) << error;
  EXPECT_NE(error.find("x?[2J??quit"), std::string::npos) << error;
}

struct LeftRow {
  const char* name;
  seconds elapsed;
  std::optional<long long> left;
};

class MinutesLeftRows : public testing::TestWithParam<LeftRow> {};

TEST_P(MinutesLeftRows, roundUpAndNeverShowNoneWhileInForce) {
  const Result<Ban> ban = MakeBan(Target("STEAM_0:1:2"), "A", "spam", kT0, minutes(30));
  ASSERT_TRUE(ban);
  EXPECT_EQ(MinutesLeft(*ban, kT0 + GetParam().elapsed), GetParam().left);
  EXPECT_EQ(ban->InForce(kT0 + GetParam().elapsed), GetParam().left > 0);
}

INSTANTIATE_TEST_SUITE_P(Bans, MinutesLeftRows,
                         testing::Values(LeftRow{"justMade", seconds(0), 30}, LeftRow{"oneSecondOn", seconds(1), 30},
                                         LeftRow{"lastSecond", seconds(30 * 60 - 1), 1},
                                         LeftRow{"atItsEnd", seconds(30 * 60), 0},
                                         LeftRow{"longAfter", seconds(99 * 60), 0}),
                         RowName);

TEST(Bans, aLiftedBanIsNoLongerInForceAndHasNoMinutesLeft) {
  const Result<Ban> made = MakeBan(Target("STEAM_0:1:2"), "A", "spam", kT0, std::nullopt);
  ASSERT_TRUE(made);
  Ban ban = *made;
  ban.liftedAt = kT0 + minutes(1);
  EXPECT_TRUE(ban.InForce(kT0));
  EXPECT_FALSE(ban.InForce(kT0 + minutes(1)));
  EXPECT_EQ(MinutesLeft(ban, kT0 + minutes(1)), 0);
}

TEST(Bans, lengthsTheServerWouldReadAsPermanentOrThatNeverEndAreRefused) {
  EXPECT_FALSE(MakeBan(Target("1.2.3.4"), "", "", kT0, minutes(0)));
  EXPECT_FALSE(MakeBan(Target("1.2.3.4"), "", "", kT0, kLongestBan + minutes(1)));
  EXPECT_TRUE(MakeBan(Target("1.2.3.4"), "", "", kT0, kLongestBan));
}

}  // namespace
}  // namespace quorvane::people::test
