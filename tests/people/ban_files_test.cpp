#include "people/ban_files.h"

#include <gtest/gtest.h>

#include "people/rows.h"

namespace quorvane::people::test {

class BanFileShapes : public testing::TestWithParam<Row<std::string, std::vector<std::string>>> {};

TEST_P(BanFileShapes, giveEveryBanFoundOnTheServerThenTheLinesSkipped) {
  const BanFileRead read = ReadBanFile(GetParam().in, WallTime{});
  std::vector<std::string> found;
  for (const Ban& b : read.bans)
    found.push_back(b.target.Text() +
                    (b.until ? " " + std::to_string(b.until->time_since_epoch().count()) + " s" : ""));
  for (const int line : read.skippedLines) found.push_back("line " + std::to_string(line));
  EXPECT_EQ(found, GetParam().out);
}

const std::vector<Row<std::string, std::vector<std::string>>> kFileRows = {
    {"writeid", "banid 0.0 STEAM_0:1:1\nbanid 0.0 STEAM_0:0:7\n", {"STEAM_0:1:1", "STEAM_0:0:7"}},
    {"comments", "// x\r\n\r\n \r\n\tbanid 0.0 STEAM_0:1:1 // aimbot\r\n// //\r\n", {"STEAM_0:1:1"}},
    {"kickQuotesCase", "banid 0 \"STEAM_0:1:1\" kick\nBANID 0 steam_0:1:2\n", {"STEAM_0:1:1", "STEAM_0:1:2"}},
    {"timed", "banid 30 STEAM_0:1:1\nbanid 0.25 STEAM_0:1:2\n", {"STEAM_0:1:1 1800 s", "STEAM_0:1:2 15 s"}},
    {"writeipOlderBuildCrLfMasks",
     "addip 0.0 1.2.3.4\r\naddip 0 10.0.0.0/8\r\naddip 0 1.2.0.0/255.255.0.0",
     {"1.2.3.4", "10.0.0.0/8", "1.2.0.0/255.255.0.0"}},
    {"laterLineWins", "banid 30 STEAM_0:1:2\nbanid 0 STEAM_0:1:2\n", {"STEAM_0:1:2"}},
    {"junk",
     "writeid\nbanid 0.0 #12\nbanid 0 STEAM_ID_LAN\naddip 0 STEAM_0:1:2\nbanid -5 STEAM_0:1:2\n"
     "banid 0 STEAM_0:1:2 now\naddip 1e3 1.2.3.4\nhello world\naddip 0 1.2.3.256\naddip 0 1.2.3\n"
     "banid 0 STEAM_0:1:4294967296\nbanid 0 STEAM_0:1:3\n",
     {"STEAM_0:1:3", "line 1", "line 2", "line 3", "line 4", "line 5", "line 6", "line 7", "line 8", "line 9",
      "line 10", "line 11"}},
    {"hiddenCommands", "banid 0 STEAM_0:1:2;quit\naddip 0 \"1.2.3.4;quit\"\n", {"STEAM_0:1:2", "line 1", "line 2"}},
};
INSTANTIATE_TEST_SUITE_P(BanFiles, BanFileShapes, testing::ValuesIn(kFileRows), RowName);

}  // namespace quorvane::people::test
