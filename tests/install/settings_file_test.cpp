#include "install/settings_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/memory_file_system.h"

namespace quorvane::install {
namespace {

using test_support::MemoryFileSystem;

constexpr const char* kIni = "C:\\Quorvane\\Quorvane.ini";

struct ItemCase {
  const char* name;
  std::string text;
  std::vector<std::string> items;  // every item, read until the text runs out
};

class ReadItemTest : public ::testing::TestWithParam<ItemCase> {};

TEST_P(ReadItemTest, splitsTextIntoItems) {
  const ItemCase& c = GetParam();
  std::vector<std::string> items;
  std::size_t pos = 0;
  while (pos < c.text.size()) {
    const std::size_t before = pos;
    items.push_back(ReadItem(c.text, pos));
    ASSERT_GT(pos, before) << "no progress at offset " << before;
  }
  EXPECT_EQ(items, c.items);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, ReadItemTest,
    ::testing::Values(
        ItemCase{"plain", "C:\\SIERRA\\HALF-LIFE\r\n", {"C:\\SIERRA\\HALF-LIFE"}},
        ItemCase{"leadingBlanksSkipped", "  \tC:\\Games", {"C:\\Games"}},
        ItemCase{"commaEndsItem", "C:\\Games, Old\r\n", {"C:\\Games", "Old"}},
        ItemCase{"quotedKeepsCommas", "\"C:\\Games, Old\"\r\n", {"C:\\Games, Old"}},
        ItemCase{"quotedThenJunk", "\"a\" junk,b", {"a", "b"}},
        ItemCase{"unclosedQuoteEndsAtLine", "\"open, still\r\nnext", {"open, still", "next"}},
        ItemCase{"trailingBlanksKept", "2fort  ,well", {"2fort  ", "well"}},
        ItemCase{"lfLines", "a\nb\n", {"a", "b"}},
        ItemCase{"crLines", "a\rb\r", {"a", "b"}},
        ItemCase{"blankLineIsEmptyItem", "a\r\n\r\nb\r\n", {"a", "", "b"}},
        ItemCase{"blanksOnlyLine", "   \r\nb", {"", "b"}},
        ItemCase{"commaBeforeLineEnd", "a,\r\nb", {"a", "", "b"}},
        ItemCase{"binaryBytesKept", std::string("m\0p\xff", 4), {std::string("m\0p\xff", 4)}},
        ItemCase{"emptyText", "", {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReadServerLocationTest, firstItemOfTheFileOrEmpty) {
  const std::pair<std::string, std::string> cases[] = {
      {"D:\\HL\r\nE:\\Other\r\n", "D:\\HL"}, {"\"C:\\Games, Old\"", "C:\\Games, Old"}, {"", ""}};
  for (const auto& [bytes, location] : cases) {
    MemoryFileSystem fs;
    fs.AddFile(kIni, bytes);
    EXPECT_EQ(ReadServerLocation(fs, kIni), location);
  }
  MemoryFileSystem missing;
  EXPECT_EQ(ReadServerLocation(missing, kIni), "");
}

TEST(SaveServerLocationTest, writesExactBytesAndReadsBack) {
  const std::pair<std::string, std::string> cases[] = {
      {"C:\\SIERRA\\HALF-LIFE", "C:\\SIERRA\\HALF-LIFE\r\n"},
      {"C:\\Sierra\\Half-Life\\", "C:\\Sierra\\Half-Life\\\r\n"},
      {"C:\\Games, Old", "\"C:\\Games, Old\"\r\n"},
      {"C:\\a,b,c\\", "\"C:\\a,b,c\\\"\r\n"},
      {"", "\r\n"},
  };
  for (const auto& [location, bytes] : cases) {
    MemoryFileSystem fs;
    fs.AddFile(kIni, "a longer old value\r\n");
    ASSERT_TRUE(SaveServerLocation(fs, kIni, location)) << location;
    EXPECT_EQ(fs.Bytes(kIni), bytes);
    EXPECT_EQ(ReadServerLocation(fs, kIni), location);
  }
}

TEST(SaveServerLocationTest, failedWrite_isReported) {
  MemoryFileSystem fs;
  fs.AddFile(kIni, "C:\\Old\r\n");
  fs.FailOn(MemoryFileSystem::Op::Write, kIni, MemoryFileSystem::kDenied);
  const IoResult result = SaveServerLocation(fs, kIni, "C:\\New");
  EXPECT_FALSE(result);
  EXPECT_EQ(result.error, MemoryFileSystem::kDenied);
}

}  // namespace
}  // namespace quorvane::install
