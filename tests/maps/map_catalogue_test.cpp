#include "maps/map_catalogue.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/memory_file_system.h"

namespace quorvane::maps {
namespace {

using test_support::MemoryFileSystem;
using Names = std::vector<std::string>;

constexpr const char* kGameDir = "C:\\Sierra\\Half-Life";

TEST(MapNameOfTest, cutsAtTheLastDot) {
  const std::pair<const char*, const char*> cases[] = {
      {"2fort.bsp", "2fort"}, {"my.map.bsp", "my.map"}, {".hidden", ""},
      {"noext", "noext"},     {"trailing.", "trailing"}, {"", ""},
  };
  for (const auto& [file, name] : cases) EXPECT_EQ(MapNameOf(file), name) << file;
}

TEST(ScanMapsTest, standardMapsAndEveryFileSortedWithoutCase) {
  MemoryFileSystem fs;
  fs.AddFile("C:\\Sierra\\Half-Life\\tfc\\maps\\xyz.bsp", "x");
  fs.AddFile("C:\\Sierra\\Half-Life\\tfc\\maps\\2fort.bsp", "b");
  fs.AddFile("C:\\Sierra\\Half-Life\\tfc\\maps\\2fort.txt", "t");
  EXPECT_EQ(ScanMaps(fs, kGameDir), (Names{"2Fort", "2fort", "2fort", "cz2", "hunted", "push", "rock2", "well", "xyz"}));
}

TEST(ScanMapsTest, missingDirectory_givesStandardMapsOnly) {
  MemoryFileSystem fs;
  EXPECT_EQ(ScanMaps(fs, kGameDir), (Names{"2Fort", "cz2", "hunted", "push", "rock2", "well"}));
}

TEST(ScanMapsTest, trailingBackslashInGameDir_stillFindsMaps) {
  MemoryFileSystem fs;
  fs.AddFile("C:\\HL\\Tfc\\Maps\\Avanti.bsp", "");
  fs.AddDirectory("C:\\HL\\Tfc\\Maps\\sub.dir");
  EXPECT_EQ(ListMapFiles(fs, "C:\\HL\\"), (Names{"Avanti"}));
}

TEST(SortMapNamesTest, ignoresCaseAndKeepsOrderOfEqualNames) {
  Names names{"well", "Badlands", "2fort", "avanti", "2FORT", "Well", "2Fort", "\xC9t\xE9", "\xE9t\xE9", "zz"};
  SortMapNames(names);
  EXPECT_EQ(names, (Names{"2fort", "2FORT", "2Fort", "avanti", "Badlands", "well", "Well", "zz", "\xC9t\xE9", "\xE9t\xE9"}));
}

}  // namespace
}  // namespace quorvane::maps
