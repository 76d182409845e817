#include "app/shrink_window.h"

#include <gtest/gtest.h>

namespace quorvane::app {
namespace {

constexpr int kW = 19200;  // 1280 x 1024 pixels at 96 DPI, in twips
constexpr int kH = 15360;

TEST(ShrinkSteps, stepCountAndLastGeometryFollowWidthAndHeight) {
  const struct {
    TwipRect start;
    std::size_t steps;
    TwipRect last;
    int screenW = kW, screenH = kH;
  } cases[] = {
      // Narrower than 2000: one step, the width test comes after it.
      {{100, 200, 1950, 3000}, 1, {(kW - 1850) / 2, (kH - 2900) / 2, 1850, 2900}},
      {{0, 0, 500, 300}, 1, {(kW - 400) / 2, 0, 400, 300}},
      // Width sets the number of steps; height stops between 350 and 449.
      {{0, 0, 7200, 4800}, 54, {(kW - 1800) / 2, (kH - 400) / 2, 1800, 400}},
      {{0, 0, 2000, 1000}, 2, {(kW - 1800) / 2, (kH - 800) / 2, 1800, 800}},
      // The height stops after one step; the top keeps where that step put it.
      {{0, 0, 19451, 451}, 176, {(kW - 1851) / 2, (kH - 351) / 2, 1851, 351}},
      // A negative centring offset truncates toward zero: -0.5 gives 0, -500.5 gives -500.
      {{0, 0, 1101, 2101}, 1, {0, -500, 1001, 2001}, 1000, 1000},
  };
  for (const auto& c : cases) {
    const std::vector<TwipRect> steps = ShrinkSteps(c.start, c.screenW, c.screenH);
    ASSERT_EQ(steps.size(), c.steps) << c.start.width;
    EXPECT_EQ(steps.back(), c.last) << c.start.width;
  }
  for (const TwipRect& step : ShrinkSteps({10, 1234, 3000, 449}, kW, kH))
    EXPECT_TRUE(step.height == 449 && step.top == 1234) << "a height under 450 is left alone with its top";
}

TEST(Twips, pixelsRoundTripAtCommonDpiAndAnUnknownDpiCountsAs96) {
  for (double dpi : {96.0, 120.0, 144.0})
    for (int px : {0, 1, 37, 480, 1920}) EXPECT_EQ(TwipsToPixels(PixelsToTwips(px, dpi), dpi), px) << dpi;
  EXPECT_EQ(PixelsToTwips(96, 96.0), 1440);
  EXPECT_EQ(PixelsToTwips(96, 0.0), 1440);
}

}  // namespace
}  // namespace quorvane::app
