#include "maps/motd.h"

#include <gtest/gtest.h>

#include <string>

#include "support/memory_file_system.h"

namespace quorvane::maps {
namespace {

using test_support::MemoryFileSystem;

constexpr const char* kMotd = "C:\\HL\\Tfc\\motd.txt";

TEST(LoadMotdTest, dropsOnlyTheOneFinalLineEnd) {
  const std::pair<std::string, std::string> cases[] = {
      {"Welcome\r\n", "Welcome"},    {"Welcome\n", "Welcome"},       {"Welcome\r", "Welcome"},
      {"Welcome", "Welcome"},        {"a\r\n\r\n", "a\r\n"},         {"a\n\n", "a\n"},
      {"line1\r\nline2", "line1\r\nline2"}, {"\r\n", ""},           {"", ""},
      {"<b>hi</b>\n\r", "<b>hi</b>\n"},
  };
  for (const auto& [bytes, text] : cases) {
    MemoryFileSystem fs;
    fs.AddFile(kMotd, bytes);
    std::string box = "previous";
    ASSERT_TRUE(LoadMotd(fs, kMotd, box));
    EXPECT_EQ(box, text) << testing::PrintToString(bytes);
  }
}

TEST(LoadMotdTest, unreadableFile_keepsTextAndSaysWhy) {
  MemoryFileSystem fs;
  std::string box = "keep me";
  const install::IoResult result = LoadMotd(fs, kMotd, box);
  EXPECT_FALSE(result);
  EXPECT_FALSE(result.error.empty());
  EXPECT_EQ(box, "keep me");
}

TEST(SaveMotdTest, writesTextAndOneLineEnd) {
  const std::pair<std::string, std::string> cases[] = {
      {"Welcome", "Welcome\r\n"}, {"", "\r\n"}, {"a\r\nb", "a\r\nb\r\n"}, {"a\n", "a\n\r\n"}};
  for (const auto& [text, bytes] : cases) {
    MemoryFileSystem fs;
    fs.AddDirectory("C:\\HL\\Tfc");
    ASSERT_TRUE(SaveMotd(fs, kMotd, text));
    EXPECT_EQ(fs.Bytes(kMotd), bytes);
  }
}

TEST(SaveMotdTest, repeatedSaveAndLoad_giveBackTheText) {
  for (const std::string text : {"Welcome", "Line one\r\n\r\nLine three", "", "ends in a break\r\n", "\xE9t\xE9"}) {
    MemoryFileSystem fs;
    fs.AddDirectory("C:\\HL\\Tfc");
    std::string box = text;
    for (int round = 0; round < 3; ++round) {
      ASSERT_TRUE(SaveMotd(fs, kMotd, box));
      ASSERT_TRUE(LoadMotd(fs, kMotd, box));
    }
    EXPECT_EQ(box, text);
  }
}

TEST(SaveMotdTest, readOnlyFile_isReported) {
  MemoryFileSystem fs;
  fs.AddFile(kMotd, "old\r\n");
  fs.SetReadOnly(kMotd);
  EXPECT_FALSE(SaveMotd(fs, kMotd, "new"));
  EXPECT_EQ(fs.Bytes(kMotd), "old\r\n");
}

}  // namespace
}  // namespace quorvane::maps
