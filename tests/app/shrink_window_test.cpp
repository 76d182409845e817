#include "app/shrink_window.h"

#include <gtest/gtest.h>

namespace quorvane::app {
namespace {

constexpr int kScreenW = 19200;  // 1280 x 1024 pixels at 96 DPI
constexpr int kScreenH = 15360;

struct ShrinkCase {
  const char* name;
  TwipRect start;
  std::size_t steps;
  TwipRect last;
};

class ShrinkStepsTest : public ::testing::TestWithParam<ShrinkCase> {};

TEST_P(ShrinkStepsTest, endsAtTheExpectedGeometry) {
  const ShrinkCase& c = GetParam();
  const std::vector<TwipRect> steps = ShrinkSteps(c.start, kScreenW, kScreenH);
  ASSERT_EQ(steps.size(), c.steps);
  EXPECT_EQ(steps.back(), c.last);
}

INSTANTIATE_TEST_SUITE_P(
    Windows, ShrinkStepsTest,
    ::testing::Values(
        // Narrower than 2000: one step, the width test comes after it.
        ShrinkCase{"narrow", {100, 200, 1950, 3000}, 1, {(kScreenW - 1850) / 2, (kScreenH - 2900) / 2, 1850, 2900}},
        ShrinkCase{"tiny", {0, 0, 500, 300}, 1, {(kScreenW - 400) / 2, 0, 400, 300}},
        // Width sets the number of steps; height stops between 350 and 449.
        ShrinkCase{"splash", {0, 0, 7200, 4800}, 54, {(kScreenW - 1800) / 2, (kScreenH - 400) / 2, 1800, 400}},
        ShrinkCase{"exactly1900", {0, 0, 1900, 1000}, 1, {(kScreenW - 1800) / 2, (kScreenH - 900) / 2, 1800, 900}},
        ShrinkCase{"exactly2000", {0, 0, 2000, 1000}, 2, {(kScreenW - 1800) / 2, (kScreenH - 800) / 2, 1800, 800}},
        // The height stops after one step; the top keeps where that step put it.
        ShrinkCase{"wide", {0, 0, 19451, 451}, 176, {(kScreenW - 1851) / 2, (kScreenH - 351) / 2, 1851, 351}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ShrinkStepsTest, heightUnder450_isLeftAloneWithItsTop) {
  for (const TwipRect& step : ShrinkSteps({10, 1234, 3000, 449}, kScreenW, kScreenH)) {
    EXPECT_EQ(step.height, 449);
    EXPECT_EQ(step.top, 1234);
  }
}

TEST(ShrinkStepsTest, negativeDifference_truncatesTowardZero) {
  const std::vector<TwipRect> steps = ShrinkSteps({0, 0, 1101, 2101}, 1000, 1000);
  ASSERT_EQ(steps.size(), 1u);
  EXPECT_EQ(steps[0].left, 0);     // (1000 - 1001) / 2 is -0.5: 0, not -1
  EXPECT_EQ(steps[0].top, -500);   // -500.5 becomes -500
}

TEST(TwipsTest, pixelsRoundTripAtCommonDpi) {
  for (double dpi : {96.0, 120.0, 144.0}) {
    for (int px : {0, 1, 37, 480, 1920}) EXPECT_EQ(TwipsToPixels(PixelsToTwips(px, dpi), dpi), px) << dpi;
  }
  EXPECT_EQ(PixelsToTwips(96, 96.0), 1440);
  EXPECT_EQ(PixelsToTwips(96, 0.0), 1440);  // an unknown DPI counts as 96
}

}  // namespace
}  // namespace quorvane::app
