#include "maps/map_catalogue.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "maps/map_cycle.h"
#include "support/memory_file_system.h"

namespace quorvane::maps {
namespace {

using test_support::MemoryFileSystem;
using Names = std::vector<std::string>;
constexpr const char* kCycle = "C:\\HL\\Tfc\\mapcycle.txt";

TEST(Maps, scanGivesTheStandardMapsAndEveryFileCutAtItsLastDotSortedWithoutCase_butNoNameWithALineBreak) {
  MemoryFileSystem fs;
  for (const char* file : {"xyz.bsp", "2fort.bsp", "2fort.txt", "my.map.bsp", "noext", "a\nb.bsp", "c\rd.bsp"})
    fs.AddFile(std::string("C:\\HL\\tfc\\maps\\") + file, "");
  fs.AddDirectory("C:\\HL\\tfc\\maps\\sub.dir");
  EXPECT_EQ(ScanMaps(fs, "C:\\HL\\"),
            (Names{"2Fort", "2fort", "2fort", "cz2", "hunted", "my.map", "noext", "push", "rock2", "well", "xyz"}));
}

// The item rules are the settings file's, and the map tab's tests write and read the cycle and the message
// through the window; here the cycle's pieces of a line, a blank line and quotes, and the bytes saved.
TEST(Maps, cycleReadsAnEntryPerItemOfALine_andIsSavedAsALinePerEntry) {
  MemoryFileSystem fs;
  fs.AddFile(kCycle, "2fort,\"a b\"\n\r\nwell");
  const install::Read<Names> loaded = LoadMapCycle(fs, kCycle);
  ASSERT_TRUE(loaded);
  EXPECT_EQ(loaded.value(), (Names{"2fort", "a b", "", "well"}));
  ASSERT_TRUE(SaveMapCycle(fs, kCycle, loaded.value()));
  EXPECT_EQ(fs.Bytes(kCycle), "2fort\r\na b\r\n\r\nwell\r\n");
}

}  // namespace
}  // namespace quorvane::maps
