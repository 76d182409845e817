#include "platform/codepage.h"

#include <gtest/gtest.h>

namespace quorvane::platform {
namespace {

TEST(CodePageTest, everyByteRoundTrips_andWhatTheCodePageLacksBecomesAQuestionMark) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(Utf8ToAnsi(AnsiToUtf8(all)), all);
  EXPECT_EQ(AnsiToUtf8("\x80\x81\x9F\xE9"),
            "\xE2\x82\xAC\xC2\x81\xC5\xB8\xC3\xA9");  // euro, undefined, Y umlaut, e acute
  // What the code page lacks, or is no UTF-8 at all, becomes a question mark.
  const std::pair<std::string, std::string> cases[] = {
      {"\xE6\x97\xA5", "?"}, {"a\xF0\x9F\x98\x80z", "a?z"}, {"ok\xC3(", "ok?("}};
  for (const auto& [utf8, ansi] : cases) EXPECT_EQ(Utf8ToAnsi(utf8), ansi) << ::testing::PrintToString(utf8);
}

}  // namespace
}  // namespace quorvane::platform
