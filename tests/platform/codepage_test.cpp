#include "platform/codepage.h"

#include <gtest/gtest.h>

#include <string>

namespace quorvane::platform {
namespace {

TEST(CodePageTest, everyByte_roundTrips) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(Utf8ToAnsi(AnsiToUtf8(all)), all);
}

TEST(CodePageTest, knownCharacters) {
  const std::pair<std::string, std::string> cases[] = {
      {"A", "A"},
      {std::string(1, '\0'), std::string(1, '\0')},
      {"\x80", "\xE2\x82\xAC"},  // euro sign
      {"\x81", "\xC2\x81"},      // undefined in the code page: C1 control of the same value
      {"\x8D\x8F\x90\x9D", "\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D"},
      {"\x9F", "\xC5\xB8"},      // Y diaeresis
      {"\xE9t\xE9", "\xC3\xA9t\xC3\xA9"},
      {"\xFF", "\xC3\xBF"},
  };
  for (const auto& [ansi, utf8] : cases) {
    EXPECT_EQ(AnsiToUtf8(ansi), utf8) << ::testing::PrintToString(ansi);
    EXPECT_EQ(Utf8ToAnsi(utf8), ansi) << ::testing::PrintToString(utf8);
  }
}

TEST(CodePageTest, missingOrMalformed_becomeQuestionMarks) {
  const std::pair<std::string, std::string> cases[] = {
      {"\xE6\x97\xA5\xE6\x9C\xAC", "??"},     // not in the code page
      {"a\xF0\x9F\x98\x80z", "a?z"},          // outside the basic plane
      {"\xC3", "?"},                          // cut short
      {"\xC0\x80", "??"},                     // overlong
      {"\xED\xA0\x80", "???"},                // surrogate
      {"\xFF\xFE", "??"},
      {"ok\xC3(", "ok?("},
  };
  for (const auto& [utf8, ansi] : cases) EXPECT_EQ(Utf8ToAnsi(utf8), ansi) << ::testing::PrintToString(utf8);
}

}  // namespace
}  // namespace quorvane::platform
