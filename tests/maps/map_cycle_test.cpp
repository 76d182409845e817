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

TEST(LoadMapCycleTest, readsItemsOfEveryLine) {
  const std::pair<std::string, Names> cases[] = {
      {"2fort\r\nwell\r\n", {"2fort", "well"}},  // the final line end adds nothing
      {"2fort\nwell", {"2fort", "well"}},
      {"2fort,well\r\n", {"2fort", "well"}},
      {"2fort\r\n\r\nwell\r\n", {"2fort", "", "well"}},
      {"\"rock2\"\r\n\"a,b\"\r\n", {"rock2", "a,b"}},
      {"\r\n", {""}},
      {"", {}},
  };
  for (const auto& [bytes, entries] : cases) {
    MemoryFileSystem fs;
    fs.AddFile("C:\\HL\\tfc\\MapCycle.txt", bytes);
    Names loaded{"stale"};
    ASSERT_TRUE(LoadMapCycle(fs, kCycle, loaded));
    EXPECT_EQ(loaded, entries) << ::testing::PrintToString(bytes);
  }
}

TEST(LoadMapCycleTest, unreadableFile_leavesListEmptyAndSaysWhy) {
  MemoryFileSystem fs;
  Names entries{"2fort"};
  const install::IoResult result = LoadMapCycle(fs, kCycle, entries);
  EXPECT_FALSE(result);
  EXPECT_FALSE(result.error.empty());
  EXPECT_TRUE(entries.empty());
}

TEST(SaveMapCycleTest, writesOneLinePerEntryAndReadsBack) {
  const std::pair<Names, std::string> cases[] = {
      {{"2fort", "well"}, "2fort\r\nwell\r\n"},
      {{"a", "", "", "b"}, "a\r\n\r\n\r\nb\r\n"},
      {{"x", ""}, "x\r\n\r\n"},
      {{""}, "\r\n"},
      {{}, ""},
  };
  for (const auto& [entries, bytes] : cases) {
    MemoryFileSystem fs;
    fs.AddFile(kCycle, "previous contents\r\n");
    ASSERT_TRUE(SaveMapCycle(fs, kCycle, entries));
    EXPECT_EQ(fs.Bytes(kCycle), bytes);
    Names back;
    ASSERT_TRUE(LoadMapCycle(fs, kCycle, back));
    EXPECT_EQ(back, entries);
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
