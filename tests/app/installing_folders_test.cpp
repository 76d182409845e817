#include "app/installing_folders.h"

#include <gtest/gtest.h>

namespace quorvane::app {
namespace {

struct FolderCase {
  const char* name;
  const char* installing;
  const char* written;
  bool touches;
};
void PrintTo(const FolderCase& c, std::ostream* out) { *out << c.name; }

class InstallingFoldersTest : public ::testing::TestWithParam<FolderCase> {};

TEST_P(InstallingFoldersTest, aWriteIsRefusedOnlyWhereTheInstallWrites) {
  InstallingFolders installing([](std::string_view folder) { return std::string(folder); });
  installing.Add(GetParam().installing);
  EXPECT_EQ(installing.Touches(GetParam().written), GetParam().touches);
}

INSTANTIATE_TEST_SUITE_P(Places, InstallingFoldersTest,
                         ::testing::Values(FolderCase{"closingSeparator", "/srv/hlds/", "/srv/hlds", true},
                                           FolderCase{"doubledAndBackSeparators", "C:\\srv\\\\hlds", "C:/srv/hlds",
                                                      true},
                                           FolderCase{"letterCase", "/srv/HLDS", "/srv/hlds", true},
                                           FolderCase{"folderInsideTheInstall", "/srv/hlds", "/srv/hlds/tfc", true},
                                           FolderCase{"installInsideTheFolder", "/srv/hlds/tfc", "/srv/hlds", true},
                                           FolderCase{"installIntoTheRoot", "/", "/srv/hlds", true},
                                           FolderCase{"siblingSharingItsNamesStart", "/srv/hlds", "/srv/hlds2", false},
                                           FolderCase{"otherFolder", "/srv/hlds", "/home/me/hlds", false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(InstallingFolders, placesAreComparedAsTheLookUpResolvesThem) {
  InstallingFolders installing([](std::string_view folder) {
    return folder == "C:\\HLDS" ? std::string("/home/me/.wine/drive_c/hlds") : std::string(folder);
  });
  installing.Add("C:\\HLDS");
  EXPECT_TRUE(installing.Touches("/home/me/.wine/drive_c/hlds"));
}

TEST(InstallingFolders, anEndedInstallRefusesNothing_whileAnotherStillDoes) {
  InstallingFolders installing([](std::string_view folder) { return std::string(folder); });
  installing.Add("/srv/a");
  installing.Add("/srv/b");
  installing.Remove("/srv/a");
  EXPECT_FALSE(installing.Touches("/srv/a"));
  EXPECT_TRUE(installing.Touches("/srv/b"));
}

// The folder's place may change while the install runs (it creates it); the end still finds it.
TEST(InstallingFolders, anInstallEndsByTheTextItBeganWith) {
  bool created = false;
  InstallingFolders installing(
      [&created](std::string_view folder) { return created ? std::string("/srv/hlds") : std::string(folder); });
  installing.Add("/srv/HLDS-new");
  created = true;
  installing.Remove("/srv/HLDS-new");
  EXPECT_FALSE(installing.Touches("/srv/hlds"));
}

}  // namespace
}  // namespace quorvane::app
