#include "maps/map_cycle.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/memory_file_system.h"

namespace quorvane::maps {
namespace {

using test_support::MemoryFileSystem;
using Names = std::vector<std::string>;

constexpr const char* kCycle = "C:\\HL\\Tfc\\mapcycle.txt";

struct CycleFile {
  const char* name;
  std::string bytes;
  Names entries;
};

class LoadMapCycleTest : public ::testing::TestWithParam<CycleFile> {};

TEST_P(LoadMapCycleTest, readsEntries) {
  MemoryFileSystem fs;
  fs.AddFile("C:\\HL\\tfc\\MapCycle.txt", GetParam().bytes);
  Names entries{"stale"};
  ASSERT_TRUE(LoadMapCycle(fs, kCycle, entries));
  EXPECT_EQ(entries, GetParam().entries);
}

INSTANTIATE_TEST_SUITE_P(
    Files, LoadMapCycleTest,
    ::testing::Values(CycleFile{"finalLineEndAddsNothing", "2fort\r\nwell\r\n", {"2fort", "well"}},
                      CycleFile{"noFinalLineEnd", "2fort\nwell", {"2fort", "well"}},
                      CycleFile{"commaLine", "2fort,well\r\n", {"2fort", "well"}},
                      CycleFile{"blankLine", "2fort\r\n\r\nwell\r\n", {"2fort", "", "well"}},
                      CycleFile{"quotedLine", "\"rock2\"\r\n\"a,b\"\r\n", {"rock2", "a,b"}},
                      CycleFile{"onlyLineEnd", "\r\n", {""}},
                      CycleFile{"empty", "", {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LoadMapCycleTest, unreadableFile_leavesListEmptyAndSaysWhy) {
  MemoryFileSystem fs;
  Names entries{"2fort"};
  const install::IoResult result = LoadMapCycle(fs, kCycle, entries);
  EXPECT_FALSE(result);
  EXPECT_FALSE(result.error.empty());
  EXPECT_TRUE(entries.empty());
}

TEST(SaveMapCycleTest, writesOneLinePerEntry) {
  const std::pair<Names, std::string> cases[] = {
      {{"2fort", "well"}, "2fort\r\nwell\r\n"},
      {{"2fort", "", "well"}, "2fort\r\n\r\nwell\r\n"},
      {{}, ""},
  };
  for (const auto& [entries, bytes] : cases) {
    MemoryFileSystem fs;
    fs.AddFile(kCycle, "previous contents\r\n");
    ASSERT_TRUE(SaveMapCycle(fs, kCycle, entries));
    EXPECT_EQ(fs.Bytes(kCycle), bytes);
  }
}

TEST(SaveMapCycleTest, saveThenLoad_roundTrip) {
  const Names lists[] = {{"2fort", "well"}, {"a", "", "", "b"}, {""}, {"x", ""}, {"", "y"}, {}, {"my.map", "push"}};
  for (const Names& list : lists) {
    MemoryFileSystem fs;
    fs.AddDirectory("C:\\HL\\Tfc");
    ASSERT_TRUE(SaveMapCycle(fs, kCycle, list));
    Names back;
    ASSERT_TRUE(LoadMapCycle(fs, kCycle, back));
    EXPECT_EQ(back, list);
  }
}

TEST(SaveMapCycleTest, missingDirectoryOrFullDisk_isReported) {
  MemoryFileSystem missing;
  EXPECT_FALSE(SaveMapCycle(missing, kCycle, {"2fort"}));

  MemoryFileSystem full;
  full.AddDirectory("C:\\HL\\Tfc");
  full.SetCapacity(4);
  const install::IoResult result = SaveMapCycle(full, kCycle, {"2fort", "well"});
  EXPECT_FALSE(result);
  EXPECT_EQ(result.error, MemoryFileSystem::kNoSpace);
}

}  // namespace
}  // namespace quorvane::maps
