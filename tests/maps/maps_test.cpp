#include "maps/map_catalogue.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "maps/map_cycle.h"
#include "maps/motd.h"
#include "support/memory_file_system.h"

namespace quorvane::maps {
namespace {

using test_support::MemoryFileSystem;
using Names = std::vector<std::string>;
constexpr const char* kCycle = "C:\\HL\\Tfc\\mapcycle.txt";
constexpr const char* kMotd = "C:\\HL\\Tfc\\motd.txt";

TEST(Maps, nameIsTheFileNameCutAtItsLastDot) {
  for (const auto& [file, name] : {std::pair{"2fort.bsp", "2fort"}, {"my.map.bsp", "my.map"}, {"noext", "noext"},
                                   {".hidden", ""}, {"trailing.", "trailing"}})
    EXPECT_EQ(MapNameOf(file), name) << file;
}

TEST(Maps, scanGivesTheStandardMapsAndEveryFileSortedWithoutCase) {
  MemoryFileSystem fs;
  for (const char* file : {"xyz.bsp", "2fort.bsp", "2fort.txt"}) fs.AddFile(std::string("C:\\HL\\tfc\\maps\\") + file, "");
  fs.AddDirectory("C:\\HL\\tfc\\maps\\sub.dir");
  EXPECT_EQ(ScanMaps(fs, "C:\\HL\\"), (Names{"2Fort", "2fort", "2fort", "cz2", "hunted", "push", "rock2", "well", "xyz"}));
}

TEST(Maps, cycleReadsAnItemPerPieceOfLineAndWritesOneLineEach) {
  const std::pair<std::string, Names> loads[] = {
      {"2fort\nwell", {"2fort", "well"}},  {"2fort,well\r\n", {"2fort", "well"}},
      {"2fort\r\n\r\nwell\r\n", {"2fort", "", "well"}}, {"\"rock2\"\r\n\"a,b\"\r\n", {"rock2", "a,b"}}, {"", {}}};
  for (const auto& [bytes, entries] : loads) {
    MemoryFileSystem fs;
    fs.AddFile(kCycle, bytes);
    Names loaded{"stale"};
    ASSERT_TRUE(LoadMapCycle(fs, kCycle, loaded));
    EXPECT_EQ(loaded, entries) << bytes;
  }
  const std::pair<Names, std::string> saves[] = {
      {{"2fort", "well"}, "2fort\r\nwell\r\n"}, {{"a", "", "b"}, "a\r\n\r\nb\r\n"}, {{""}, "\r\n"}, {{}, ""}};
  for (const auto& [entries, bytes] : saves) {
    MemoryFileSystem fs;
    fs.AddFile(kCycle, "previous contents\r\n");
    ASSERT_TRUE(SaveMapCycle(fs, kCycle, entries));
    EXPECT_EQ(fs.Bytes(kCycle), bytes);
    Names back;
    ASSERT_TRUE(LoadMapCycle(fs, kCycle, back));
    EXPECT_EQ(back, entries);
  }
  MemoryFileSystem missing;
  Names entries{"2fort"};
  EXPECT_FALSE(LoadMapCycle(missing, kCycle, entries) || SaveMapCycle(missing, kCycle, {"2fort"}));
  EXPECT_TRUE(entries.empty());
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
    std::string box = "previous";
    ASSERT_TRUE(LoadMotd(fs, kMotd, box));
    EXPECT_EQ(box, text);
  }
  for (const auto& [bytes, text] : {std::pair{"Welcome\n", "Welcome"}, {"Welcome", "Welcome"}, {"a\n\n", "a\n"},
                                    {"<b>hi</b>\n\r", "<b>hi</b>\n"}}) {
    MemoryFileSystem fs;
    fs.AddFile(kMotd, bytes);
    std::string box;
    EXPECT_TRUE(LoadMotd(fs, kMotd, box) && box == text) << bytes;
  }
}

}  // namespace
}  // namespace quorvane::maps
