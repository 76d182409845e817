#include "people/ban_files.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "people/rows.h"

namespace quorvane::people::test {
namespace {

using std::chrono::seconds;

const WallTime kT0{seconds(1'800'000'000)};

// A ban as the file gave it: whom, and its seconds from the reading (none: permanent).
struct Read {
  std::string target;
  std::optional<long long> seconds;
  bool operator==(const Read&) const = default;
};
void PrintTo(const Read& r, std::ostream* os) {
  *os << r.target << " " << (r.seconds ? std::to_string(*r.seconds) + " s" : "permanent");
}

struct FileRow {
  const char* name;
  std::string bytes;
  std::vector<Read> bans;
  std::vector<int> skipped = {};
};

class BanFileShapes : public testing::TestWithParam<FileRow> {};

TEST_P(BanFileShapes, giveEveryBanFoundOnTheServerAndCountTheRest) {
  const BanFileRead read = ReadBanFile(GetParam().bytes, kT0);
  std::vector<Read> bans;
  for (const Ban& b : read.bans) {
    EXPECT_EQ(b.source, BanSource::FoundOnServer);
    bans.push_back({b.target.Text(), b.until ? std::optional((*b.until - kT0).count()) : std::nullopt});
  }
  EXPECT_EQ(bans, GetParam().bans);
  EXPECT_EQ(read.skippedLines, GetParam().skipped);
}

INSTANTIATE_TEST_SUITE_P(
    BanFiles, BanFileShapes,
    testing::Values(FileRow{"writeidAsTheEngineWritesIt",
                            "banid 0.0 STEAM_0:1:2345\nbanid 0.0 STEAM_0:0:7\n",
                            {{"STEAM_0:1:2345", {}}, {"STEAM_0:0:7", {}}}},
                    FileRow{"olderBuildCrLfNoFinalLineEnd",
                            "banid 0 STEAM_0:1:2345\r\nbanid 0 STEAM_0:0:7",
                            {{"STEAM_0:1:2345", {}}, {"STEAM_0:0:7", {}}}},
                    FileRow{"commentsAndBlankLines",
                            "// banned by the admins\r\n\r\n   \r\n\tbanid 0.0 STEAM_0:1:1 // aimbot\r\n// //\r\n",
                            {{"STEAM_0:1:1", {}}}},
                    FileRow{"kickAndQuotes",
                            "banid 0 \"STEAM_0:1:1\" kick\nBANID 0 STEAM_0:1:2\n",
                            {{"STEAM_0:1:1", {}}, {"STEAM_0:1:2", {}}}},
                    FileRow{"timedHandWritten",
                            "banid 30 STEAM_0:1:1\nbanid 0.5 STEAM_0:1:2\n",
                            {{"STEAM_0:1:1", 1800}, {"STEAM_0:1:2", 30}}},
                    FileRow{"writeipAsTheEngineWritesIt",
                            "addip 0.0 1.2.3.4\naddip 0.0 5.6.7.8\n",
                            {{"1.2.3.4", {}}, {"5.6.7.8", {}}}},
                    FileRow{"listipOlderBuildWithMaskCrLf",
                            "addip 0 1.2.3.4\r\naddip 0 10.0.0.0/8\r\n",
                            {{"1.2.3.4", {}}, {"10.0.0.0/8", {}}}},
                    FileRow{"laterLineWins", "banid 30 STEAM_0:1:2\nbanid 0 STEAM_0:1:2\n", {{"STEAM_0:1:2", {}}}},
                    FileRow{"junkSkippedAndCounted",
                            "writeid\nbanid 0.0 #12\nbanid 0 STEAM_ID_LAN\naddip 0 STEAM_0:1:2\nbanid -5 STEAM_0:1:2\n"
                            "banid 0 STEAM_0:1:2 now\naddip 1e3 1.2.3.4\nhello world\nbanid 0 STEAM_0:1:3\n",
                            {{"STEAM_0:1:3", {}}},
                            {1, 2, 3, 4, 5, 6, 7, 8}},
                    FileRow{"commandsHiddenBehindSemicolons",
                            "banid 0 STEAM_0:1:2;quit\naddip 0 \"1.2.3.4;quit\"\n",
                            {{"STEAM_0:1:2", {}}},
                            {1, 2}},
                    FileRow{"emptyFile", "", {}}),
    RowName);

}  // namespace
}  // namespace quorvane::people::test
