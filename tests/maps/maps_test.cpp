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

struct MotdEnding {
  const char* name;
  const char* file;   // as found on disk
  const char* text;   // as the window shows it
  const char* saved;  // as written back
};
void PrintTo(const MotdEnding& row, std::ostream* out) { *out << row.name; }

class MotdRoundTrip : public ::testing::TestWithParam<MotdEnding> {};

TEST_P(MotdRoundTrip, oneFinalLineEndIsDroppedOnLoad_andSavingAndLoadingAgainGivesTheSameText) {
  const MotdEnding& row = GetParam();
  constexpr const char* kMotd = "C:\\HL\\Tfc\\motd.txt";
  MemoryFileSystem fs;
  fs.AddFile(kMotd, row.file);
  const install::Read<std::string> loaded = LoadMotd(fs, kMotd);
  ASSERT_TRUE(loaded);
  EXPECT_EQ(loaded.value(), row.text);
  ASSERT_TRUE(SaveMotd(fs, kMotd, loaded.value()));
  EXPECT_EQ(fs.Bytes(kMotd), row.saved);
  const install::Read<std::string> again = LoadMotd(fs, kMotd);
  ASSERT_TRUE(again);
  EXPECT_EQ(again.value(), row.text);
}

INSTANTIATE_TEST_SUITE_P(
    Endings, MotdRoundTrip,
    ::testing::Values(MotdEnding{"CrLf", "Welcome\r\nNo camping\r\n", "Welcome\r\nNo camping",
                                 "Welcome\r\nNo camping\r\n"},
                      MotdEnding{"Lf", "Welcome\nNo camping\n", "Welcome\nNo camping", "Welcome\nNo camping\r\n"},
                      MotdEnding{"Cr", "Welcome\rNo camping\r", "Welcome\rNo camping", "Welcome\rNo camping\r\n"},
                      MotdEnding{"OnlyTheLastOfTwo", "Welcome\r\n\r\n", "Welcome\r\n", "Welcome\r\n\r\n"},
                      MotdEnding{"None", "Welcome", "Welcome", "Welcome\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quorvane::maps
