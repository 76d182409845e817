// The closing animation's steps.
#include "app/shrink_window.h"

#include <gtest/gtest.h>

namespace quorvane::app {
namespace {

constexpr int kW = 19200;  // 1280 x 1024 pixels at 96 DPI, in twips
constexpr int kH = 15360;

struct ShrinkCase {
  const char* name;
  TwipRect start;
  std::size_t steps;
  TwipRect last;
  int screenW = kW;
  int screenH = kH;
};

TEST(ShrinkSteps, stepCountAndLastGeometryFollowWidthAndHeight) {
  const ShrinkCase cases[] = {
      {"narrower than 2000 takes one step, the width test comes after it",
       {100, 200, 1950, 3000},
       1,
       {(kW - 1850) / 2, (kH - 2900) / 2, 1850, 2900}},
      {"width sets the number of steps", {0, 0, 7200, 4800}, 54, {(kW - 1800) / 2, (kH - 400) / 2, 1800, 400}},
      {"height stops between 350 and 449", {0, 0, 2000, 1000}, 2, {(kW - 1800) / 2, (kH - 800) / 2, 1800, 800}},
      {"a height under 450 is left alone with its top", {10, 1234, 3000, 449}, 12, {(kW - 1800) / 2, 1234, 1800, 449}},
      {"a negative centring offset truncates toward zero", {0, 0, 1101, 2101}, 1, {0, -500, 1001, 2001}, 1000, 1000},
  };
  for (const ShrinkCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<TwipRect> steps = ShrinkSteps(c.start, c.screenW, c.screenH);
    ASSERT_EQ(steps.size(), c.steps);
    EXPECT_EQ(steps.back(), c.last);
  }
}

}  // namespace
}  // namespace quorvane::app
