#include "people/bans.h"

#include <gtest/gtest.h>

namespace quorvane::people::test {

// Most shapes of target are read from the servers' files, see ban_files_test.cpp.
TEST(Bans, aPlaceholderIsRefusedWithThePlayersAddressOffered) {
  EXPECT_EQ(ParseBanTarget("steam_id_lan", "10.0.0.2").Error(),
            "STEAM_ID_LAN is shared by many players and is never banned by SteamID: ban the address 10.0.0.2 instead.");
}

TEST(Bans, targetsCarryingCommandsAreRefusedAndQuotedWithoutTheirControlCharacters) {
  EXPECT_FALSE(ParseBanTarget("1.2.3.4;quit"));
  EXPECT_FALSE(ParseBanTarget("STEAM_0:1:2\"; quit"));
  EXPECT_NE(ParseBanTarget("x\x1b[2J\r\nquit").Error().find("\"x?[2J??quit\""), std::string::npos);
}

TEST(Bans, lengthsTheServerWouldReadAsPermanentOrThatNeverEndAreRefused) {
  const BanTarget target = *ParseBanTarget("1.2.3.4");
  EXPECT_FALSE(MakeBan(target, "", "", WallTime{}, std::chrono::minutes(0)));
  EXPECT_FALSE(MakeBan(target, "", "", WallTime{}, kLongestBan + std::chrono::minutes(1)));
  EXPECT_TRUE(MakeBan(target, "", "", WallTime{}, kLongestBan));
}

}  // namespace quorvane::people::test
