#include "install/settings_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/memory_file_system.h"

namespace quorvane::install {
namespace {

using test_support::MemoryFileSystem;
constexpr const char* kIni = "C:\\Quorvane\\Quorvane.ini";

// A whole line and a quoted item are the location reads' below.
TEST(SettingsFile, textSplitsIntoItemsAtCommasAndLineEnds) {
  const std::pair<std::string, std::vector<std::string>> cases[] = {
      {"  \tC:\\Games", {"C:\\Games"}},
      {"C:\\Games, Old\r\n", {"C:\\Games", "Old"}},
      {"\"a\" junk,b", {"a", "b"}},
      {"\"open, still\r\nnext", {"open, still", "next"}},
      {"2fort  ,well", {"2fort  ", "well"}},
      {"a\nb\rc", {"a", "b", "c"}},
      {"a\r\n\r\nb\r\n", {"a", "", "b"}},
      {"a,\r\nb", {"a", "", "b"}},
      {std::string("m\0p\xff", 4), {std::string("m\0p\xff", 4)}},
      {"", {}}};
  for (const auto& [text, expected] : cases) {
    std::vector<std::string> items;  // as many as there are bytes at most: each item moves on
    for (std::size_t pos = 0; pos < text.size() && items.size() < text.size();) items.push_back(ReadItem(text, pos));
    EXPECT_EQ(items, expected) << text;
  }
}

TEST(SettingsFile, locationReadFromAFileIsSavedAsOneItemThatReadsBackUnchanged) {
  // A file, the location read from it, and the bytes that location is saved as; the last three a fuzzer found.
  const std::string cases[][3] = {{"C:\\SIERRA\\HALF-LIFE\r\n", "C:\\SIERRA\\HALF-LIFE", "C:\\SIERRA\\HALF-LIFE\r\n"},
                                  {"", "", "\r\n"},
                                  {"\"C:\\Games, Old\"\r\nnext", "C:\\Games, Old", "\"C:\\Games, Old\"\r\n"},
                                  {"\"C:\\a,b,c\\\"", "C:\\a,b,c\\", "\"C:\\a,b,c\\\"\r\n"},
                                  {"D:\\HL\r\nE:\\Other\r\n", "D:\\HL", "D:\\HL\r\n"},
                                  {"  \"  \"1\xff\\ld\\HL\"\x0f\nsecond Dd\r\n", "  ", "\"  \"\r\n"},
                                  {"\"\t C:\\Half-Life\"\r\n", "\t C:\\Half-Life", "\"\t C:\\Half-Life\"\r\n"},
                                  {"\" C:\\Games, Old\"", " C:\\Games, Old", "\" C:\\Games, Old\"\r\n"}};
  for (const auto& [file, location, bytes] : cases) {
    MemoryFileSystem fs;
    fs.AddFile(kIni, file);
    EXPECT_EQ(ReadServerLocation(fs, kIni), location) << file;
    ASSERT_TRUE(SaveServerLocation(fs, kIni, location));
    EXPECT_EQ(fs.Bytes(kIni), bytes);
    EXPECT_EQ(ReadServerLocation(fs, kIni), location);
  }
}

}  // namespace
}  // namespace quorvane::install
