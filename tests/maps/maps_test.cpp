#include "maps/map_catalogue.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "maps/map_cycle.h"
#include "maps/motd.h"
#include "support/memory_file_system.h"

namespace quorvane::maps {
namespace {

using test_support::MemoryFileSystem;
using Names = std::vector<std::string>;
constexpr const char *kCycle = "C:\\HL\\Tfc\\mapcycle.txt", *kMotd = "C:\\HL\\Tfc\\motd.txt";

TEST(Maps, scanGivesTheStandardMapsAndEveryFileCutAtItsLastDotSortedWithoutCase) {
  MemoryFileSystem fs;
  for (const char* file : {"xyz.bsp", "2fort.bsp", "2fort.txt", "my.map.bsp", "noext"})
    fs.AddFile(std::string("C:\\HL\\tfc\\maps\\") + file, "");
  fs.AddDirectory("C:\\HL\\tfc\\maps\\sub.dir");
  EXPECT_EQ(ScanMaps(fs, "C:\\HL\\"),
            (Names{"2Fort", "2fort", "2fort", "cz2", "hunted", "my.map", "noext", "push", "rock2", "well", "xyz"}));
}

TEST(Maps, aFileWhoseNameHoldsALineBreakIsLeftOutOfTheCatalogue) {
  MemoryFileSystem fs;
  for (const char* file : {"a\nb.bsp", "c\rd.bsp", "well2.bsp"})
    fs.AddFile(std::string("C:\\HL\\tfc\\maps\\") + file, "");
  EXPECT_EQ(ListMapFiles(fs, "C:\\HL\\"), Names{"well2"});
}

TEST(Maps, cycleIsSavedAsALinePerEntryAndReadAsAnItemPerPieceOfLine) {
  // Entries, the bytes they are saved as, and other bytes that read as them.
  const std::tuple<Names, std::string, std::string> cases[] = {
      {{"2fort", "well"}, "2fort\r\nwell\r\n", "2fort,well"},   {{"a", "", "b"}, "a\r\n\r\nb\r\n", "a\n\nb"},
      {{"rock2", "a b"}, "rock2\r\na b\r\n", "\"rock2\"\r\n\"a b\""}, {{""}, "\r\n", "\r\n"}, {{}, "", ""}};
  for (const auto& [entries, saved, other] : cases) {
    MemoryFileSystem fs;
    fs.AddFile(kCycle, other);
    const install::Read<Names> loaded = LoadMapCycle(fs, kCycle);
    ASSERT_TRUE(loaded) << other;
    EXPECT_EQ(loaded.value(), entries) << other;
    ASSERT_TRUE(SaveMapCycle(fs, kCycle, entries));
    EXPECT_EQ(fs.Bytes(kCycle), saved);
    const install::Read<Names> reloaded = LoadMapCycle(fs, kCycle);
    ASSERT_TRUE(reloaded) << saved;
    EXPECT_EQ(reloaded.value(), entries) << saved;
  }
}

TEST(Maps, motdIsSavedWithOneLineEndWhichReadingDrops) {
  const std::pair<std::string, std::string> cases[] = {
      {"Welcome", "Welcome\r\n"}, {"Line one\r\n\r\nLine three", "Line one\r\n\r\nLine three\r\n"}, {"", "\r\n"},
      {"ends in a break\r\n", "ends in a break\r\n\r\n"}};
  for (const auto& [text, bytes] : cases) {
    MemoryFileSystem fs;
    fs.AddDirectory("C:\\HL\\Tfc");
    ASSERT_TRUE(SaveMotd(fs, kMotd, text));
    EXPECT_EQ(fs.Bytes(kMotd), bytes);
    const install::Read<std::string> box = LoadMotd(fs, kMotd);
    ASSERT_TRUE(box) << bytes;
    EXPECT_EQ(box.value(), text) << bytes;
  }
}

}  // namespace
}  // namespace quorvane::maps
