#include "supervise/lock_key.h"

#include <gtest/gtest.h>

#include <string>

#include "supervise/rows.h"

namespace quorvane::supervise::test {
namespace {

TEST(LockKey, isStableAcrossBuilds) { EXPECT_EQ(LockFileName("/srv/hlds"), "quorvane-f9106f9dd5a66e2d-hlds.lock"); }

struct SameRow {
  const char* name;
  const char* one;
  const char* other;
};

class SameFolder : public testing::TestWithParam<SameRow> {};

TEST_P(SameFolder, sharesOneLock) { EXPECT_EQ(LockFileName(GetParam().one), LockFileName(GetParam().other)); }

INSTANTIATE_TEST_SUITE_P(LockKey, SameFolder,
                         testing::Values(SameRow{"closingSlash", "/srv/hlds/", "/srv/hlds"},
                                         SameRow{"letterCase", "C:\\Servers\\HLDS", "c:\\servers\\hlds"},
                                         SameRow{"separators", "C:\\Servers\\hlds", "C:/Servers/hlds"}),
                         RowName);

TEST(LockKey, foldersWithTheSameNameElsewhereDiffer) {
  EXPECT_NE(LockFileName("/srv/one/hlds"), LockFileName("/srv/two/hlds"));
}

struct NameRow {
  const char* name;
  std::string folder;
  std::string tail;  // what follows the hash
};

class LockNames : public testing::TestWithParam<NameRow> {};

TEST_P(LockNames, areSafeFileNames) {
  const std::string name = LockFileName(GetParam().folder);
  ASSERT_EQ(name.substr(0, 9), "quorvane-");
  EXPECT_EQ(name.substr(9 + 16), GetParam().tail);
}

INSTANTIATE_TEST_SUITE_P(
    LockKey, LockNames,
    testing::Values(NameRow{"spacesAndQuotes", "/home/ann/my \"server\"", "-my__server_.lock"},
                    NameRow{"notAscii", "/srv/s\xc3\xa9rver", "-s__rver.lock"},
                    NameRow{"driveRoot", "C:\\", "-c_.lock"}, NameRow{"empty", "", ".lock"},
                    NameRow{"longName", "/srv/" + std::string(100, 'a'), "-" + std::string(32, 'a') + ".lock"}),
    RowName);

}  // namespace
}  // namespace quorvane::supervise::test
