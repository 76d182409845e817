#include "people/ban_store.h"

#include <gtest/gtest.h>

namespace quorvane::people::test {

const WallTime kNow{std::chrono::seconds(1'800'000'000)};

TEST(NewlyFound, keepsOnlyListedTargetsTheStoreKnowsNothingAbout) {
  Ban lifted = *MakeBan(*ParseBanTarget("STEAM_0:1:2"), "", "", kNow, std::nullopt);
  lifted.liftedAt = kNow;
  const Ban masked = *MakeBan(*ParseBanTarget("10.0.0.0/8"), "", "", kNow, std::nullopt);
  const std::vector<ListedBan> listed = {{*ParseBanTarget("STEAM_0:1:2"), std::nullopt},
                                         {*ParseBanTarget("10.0.0.0"), std::nullopt},
                                         {*ParseBanTarget("STEAM_0:0:9"), 30.0},
                                         {*ParseBanTarget("STEAM_0:0:9"), std::nullopt}};
  const std::vector<Ban> found = NewlyFound({{1, lifted}, {2, masked}}, listed, kNow);
  // The lifted one is the restore plan's to take off again; the list's masks are not shown.
  ASSERT_EQ(found.size(), 1U);
  EXPECT_EQ(found[0].target.Text(), "STEAM_0:0:9");
  EXPECT_EQ(found[0].source, BanSource::FoundOnServer);
  EXPECT_EQ(found[0].until, kNow + std::chrono::minutes(30));
}

}  // namespace quorvane::people::test
