#include "install/settings_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "install/keep_previous.h"
#include "support/memory_file_system.h"

namespace quorvane::install {
namespace {

using test_support::MemoryFileSystem;
using Items = std::vector<std::string>;
constexpr const char* kIni = "C:\\Quorvane\\Quorvane.ini";

TEST(SettingsFile, textSplitsIntoItemsAtCommasAndLineEnds) {
  const std::pair<std::string, Items> cases[] = {
      {"C:\\SIERRA\\HALF-LIFE\r\n", {"C:\\SIERRA\\HALF-LIFE"}}, {"  \tC:\\Games", {"C:\\Games"}},
      {"C:\\Games, Old\r\n", {"C:\\Games", "Old"}},             {"\"C:\\Games, Old\"\r\n", {"C:\\Games, Old"}},
      {"\"a\" junk,b", {"a", "b"}},                              {"\"open, still\r\nnext", {"open, still", "next"}},
      {"2fort  ,well", {"2fort  ", "well"}},                     {"a\nb\rc", {"a", "b", "c"}},
      {"a\r\n\r\nb\r\n", {"a", "", "b"}},                        {"   \r\nb", {"", "b"}},
      {"a,\r\nb", {"a", "", "b"}},                               {std::string("m\0p\xff", 4), {std::string("m\0p\xff", 4)}},
      {"", {}}};
  for (const auto& [text, expected] : cases) {
    Items items;
    for (std::size_t pos = 0; pos < text.size();) {
      const std::size_t before = pos;
      items.push_back(ReadItem(text, pos));
      ASSERT_GT(pos, before) << "no progress in " << text;
    }
    EXPECT_EQ(items, expected) << text;
  }
}

TEST(SettingsFile, locationIsSavedAsOneItemAndReadsBackUnchanged) {
  const std::pair<std::string, std::string> cases[] = {
      {"C:\\SIERRA\\HALF-LIFE", "C:\\SIERRA\\HALF-LIFE\r\n"}, {"C:\\Games, Old", "\"C:\\Games, Old\"\r\n"},
      {"C:\\a,b,c\\", "\"C:\\a,b,c\\\"\r\n"},                 {"", "\r\n"}};
  for (const auto& [location, bytes] : cases) {
    MemoryFileSystem fs;
    fs.AddFile(kIni, "a longer old value\r\n");
    ASSERT_TRUE(SaveServerLocation(fs, kIni, location)) << location;
    EXPECT_EQ(fs.Bytes(kIni), bytes);
    EXPECT_EQ(ReadServerLocation(fs, kIni), location);
  }
  // Files a fuzzer found: the location they give must survive a save and a read.
  for (const std::string bytes : {"  \"  \"1\xff\\ld\\HL\"\x0f\nsecond Dd\r\n", "\"\t C:\\Half-Life\"\r\n",
                                  "\" C:\\Games, Old\"", "D:\\HL\r\nE:\\Other\r\n"}) {
    MemoryFileSystem fs;
    fs.AddFile(kIni, bytes);
    const std::string location = ReadServerLocation(fs, kIni);
    ASSERT_TRUE(SaveServerLocation(fs, kIni, location));
    EXPECT_EQ(ReadServerLocation(fs, kIni), location) << bytes;
  }
  MemoryFileSystem missing;
  EXPECT_EQ(ReadServerLocation(missing, kIni), "");
}

TEST(SettingsFile, failedRewriteLeavesThePreviousBytesAndSaysWhy) {
  using Op = MemoryFileSystem::Op;
  const char* noSpace = MemoryFileSystem::kNoSpace;
  struct Case { Op op; int times; std::optional<std::size_t> keep; std::optional<std::string> after; std::string reason; };
  for (const Case& c : {Case{Op::Write, 1, 4, "old\r\n", noSpace}, Case{Op::Write, -1, {}, "old\r\n", noSpace},
                        Case{Op::Write, 2, 3, "old", noSpace + std::string(" (the previous content could not be put back)")},
                        Case{Op::Read, -1, {}, "old\r\n", noSpace}}) {
    MemoryFileSystem fs;
    fs.AddFile(kIni, "old\r\n");
    fs.FailOn(c.op, kIni, noSpace, c.times, c.keep);
    const IoResult r = WriteKeepingPrevious(fs, kIni, "new location\r\n");
    EXPECT_TRUE(!r && r.error == c.reason) << r.error;
    EXPECT_EQ(fs.Bytes(kIni), c.after);
  }
}

}  // namespace
}  // namespace quorvane::install
