#include "update/locations.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <tuple>

namespace quorvane::update {
namespace {

// Name, the system, PATH, the files present, and the program found (empty: none).
using FindRow = std::tuple<const char*, System, const char*, std::set<std::string>, const char*>;

class FindSteamCmdTest : public ::testing::TestWithParam<FindRow> {};

TEST_P(FindSteamCmdTest, looksInTheUsualOrder) {
  const auto& [name, system, path, files, found] = GetParam();
  const std::string home = system == System::Windows ? "C:\\Users\\u" : "/home/u";
  const auto present = [&files](const std::string& p) { return files.contains(p); };
  EXPECT_EQ(FindSteamCmd(path, home, system, present).value_or(""), found);
}

INSTANTIATE_TEST_SUITE_P(
    Places, FindSteamCmdTest,
    ::testing::Values(
        FindRow{
            "pathFirst", System::Posix, "/bin:/opt/s", {"/opt/s/steamcmd", "/usr/games/steamcmd"}, "/opt/s/steamcmd"},
        FindRow{"emptyPathEntrySkipped", System::Posix, "::/bin", {"/steamcmd", "./steamcmd"}, ""},
        FindRow{"homeSteamcmd",
                System::Posix,
                "/bin",
                {"/home/u/steamcmd/steamcmd.sh", "/home/u/.steam/steamcmd/steamcmd.sh"},
                "/home/u/steamcmd/steamcmd.sh"},
        FindRow{"windowsPath",
                System::Windows,
                "C:\\Windows;D:\\steam",
                {"D:\\steam\\steamcmd.exe"},
                "D:\\steam\\steamcmd.exe"}),
    [](const auto& info) { return std::string(std::get<0>(info.param)); });

}  // namespace
}  // namespace quorvane::update
