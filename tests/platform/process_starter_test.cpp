#include "platform/process_starter.h"

#include <gtest/gtest.h>

#include <chrono>

#include "platform/server_control.h"

namespace quorvane::platform {
namespace {

using Words = std::vector<std::string>;

struct SplitCase {
  std::string parameters;
  Words words;
};

class SplitParametersTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitParametersTest, SplitsAtBlanksAndTabsOnly) {
  EXPECT_EQ(SplitParameters(GetParam().parameters), GetParam().words);
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, SplitParametersTest,
    ::testing::Values(SplitCase{"", {}}, SplitCase{"   \t ", {}},
                      SplitCase{" -game tfc -port  +map 2fort", {"-game", "tfc", "-port", "+map", "2fort"}},
                      SplitCase{"a\tb  c ", {"a", "b", "c"}},
                      SplitCase{"\"two words\" 'x y'", {"\"two", "words\"", "'x", "y'"}},
                      SplitCase{"$(rm -rf ~);`id`|x", {"$(rm", "-rf", "~);`id`|x"}},
                      SplitCase{"caf\xe9 \x81\n", {"caf\xe9", "\x81\n"}}));

TEST(ServerPauseTest, WaitsAtLeastTheGivenTime) {
  NativeServerControl control;
  for (const int ms : {0, 30}) {
    const auto before = std::chrono::steady_clock::now();
    control.Pause(ms);
    EXPECT_GE(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(ms));
  }
}

}  // namespace
}  // namespace quorvane::platform
