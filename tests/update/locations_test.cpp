#include "update/locations.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace quorvane::update {
namespace {

struct FindCase {
  const char* name;
  System system;
  const char* path;
  std::set<std::string> present;
  const char* found;  // empty: none
};

class FindSteamCmdTest : public ::testing::TestWithParam<FindCase> {};

TEST_P(FindSteamCmdTest, looksInTheUsualOrder) {
  const FindCase& c = GetParam();
  const std::string home = c.system == System::Windows ? "C:\\Users\\u" : "/home/u";
  const auto present = [&c](const std::string& p) { return c.present.count(p) != 0; };
  EXPECT_EQ(FindSteamCmd(c.path, home, c.system, present).value_or(""), c.found);
}

INSTANTIATE_TEST_SUITE_P(
    Places, FindSteamCmdTest,
    ::testing::Values(
        FindCase{"pathFirst", System::Posix, "/bin:/opt/s", {"/opt/s/steamcmd", "/usr/games/steamcmd"},
                 "/opt/s/steamcmd"},
        FindCase{"emptyPathEntrySkipped", System::Posix, "::/bin", {"/steamcmd", "./steamcmd"}, ""},
        FindCase{"homeSteamcmd", System::Posix, "/bin",
                 {"/home/u/steamcmd/steamcmd.sh", "/home/u/.steam/steamcmd/steamcmd.sh"},
                 "/home/u/steamcmd/steamcmd.sh"},
        FindCase{"dotSteam", System::Posix, "", {"/home/u/.steam/steamcmd/steamcmd.sh"},
                 "/home/u/.steam/steamcmd/steamcmd.sh"},
        FindCase{"debianPackage", System::Posix, "/bin", {"/usr/games/steamcmd"}, "/usr/games/steamcmd"},
        FindCase{"windowsPath", System::Windows, "C:\\Windows;D:\\steam", {"D:\\steam\\steamcmd.exe"},
                 "D:\\steam\\steamcmd.exe"},
        FindCase{"windowsProfile", System::Windows, "", {"C:\\Users\\u\\steamcmd\\steamcmd.exe"},
                 "C:\\Users\\u\\steamcmd\\steamcmd.exe"},
        FindCase{"nothing", System::Posix, "/bin", {}, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DefaultInstallDir, isTheGameDirWhenItHoldsAServer) {
  const auto present = [](const std::string& p) { return p == "/srv/hl/hlds_run"; };
  EXPECT_EQ(DefaultInstallDir("/srv/hl", "/home/u", System::Posix, present), "/srv/hl");
}

TEST(DefaultInstallDir, isHldsInTheHomeOtherwise) {
  const auto none = [](const std::string&) { return false; };
  EXPECT_EQ(DefaultInstallDir("/srv/hl", "/home/u", System::Posix, none), "/home/u/hlds");
  EXPECT_EQ(DefaultInstallDir("C:\\Sierra\\Half-Life", "C:\\Users\\u", System::Windows, none), "C:\\Users\\u\\hlds");
}

TEST(AbsoluteDir, resolvesRelativeTextAgainstTheCurrentDirectory) {
  EXPECT_EQ(AbsoluteDir("./hlds", "/home/u", System::Posix), "/home/u/hlds");
  EXPECT_EQ(AbsoluteDir("/srv/hlds", "/home/u", System::Posix), "/srv/hlds");
  EXPECT_EQ(AbsoluteDir("hlds", "D:\\games", System::Windows), "D:\\games\\hlds");
  EXPECT_EQ(AbsoluteDir("\\hlds", "D:\\games", System::Windows), "D:\\hlds");
}

}  // namespace
}  // namespace quorvane::update
