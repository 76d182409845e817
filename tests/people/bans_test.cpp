#include "people/bans.h"

#include <gtest/gtest.h>

namespace quorvane::people::test {
namespace {

using std::chrono::minutes;

// Most shapes of target are read from the servers' files, see ban_files_test.cpp.
TEST(Bans, aPlaceholderIsRefusedWithThePlayersAddressOffered) {
  EXPECT_EQ(ParseBanTarget("steam_id_lan", "192.168.1.20").Error(),
            "STEAM_ID_LAN is shared by many players and is never banned by SteamID: ban the address 192.168.1.20 "
            "instead.");
}

TEST(Bans, targetsCarryingCommandsAreRefusedAndQuotedWithoutTheirControlCharacters) {
  EXPECT_FALSE(ParseBanTarget("1.2.3.4;quit"));
  EXPECT_FALSE(ParseBanTarget("STEAM_0:1:2\"; quit"));
  EXPECT_NE(ParseBanTarget("x\x1b[2J\r\nquit").Error().find("\"x?[2J??quit\""), std::string::npos);
}

TEST(Bans, lengthsTheServerWouldReadAsPermanentOrThatNeverEndAreRefused) {
  const BanTarget target = *ParseBanTarget("1.2.3.4");
  const WallTime now{std::chrono::seconds(1'800'000'000)};
  EXPECT_FALSE(MakeBan(target, "", "", now, minutes(0)));
  EXPECT_FALSE(MakeBan(target, "", "", now, kLongestBan + minutes(1)));
  EXPECT_TRUE(MakeBan(target, "", "", now, kLongestBan));
}

}  // namespace
}  // namespace quorvane::people::test
