#include "config/number_text.h"

#include <gtest/gtest.h>

#include <optional>

namespace quorvane::config {
namespace {

TEST(NumberText, leadingNumberAndWholeText) {
  struct Case {
    const char* text;
    double leading;
    std::optional<double> whole;
  };
  for (Case c : {Case{"21", 21, 21}, Case{" \t21 ", 21, 21}, Case{"21.0", 21, 21}, Case{"-1.5", -1.5, -1.5},
                 Case{".5", 0.5, 0.5}, Case{"5.", 5, 5}, Case{"1e2", 100, 100}, Case{"1e", 1, std::nullopt},
                 Case{"12ab", 12, std::nullopt}, Case{"abc", 0, std::nullopt}, Case{"", 0, std::nullopt},
                 Case{".", 0, std::nullopt}, Case{"-", 0, std::nullopt}, Case{"2 1", 2, std::nullopt}}) {
    EXPECT_DOUBLE_EQ(LeadingNumber(c.text), c.leading) << '"' << c.text << '"';
    EXPECT_EQ(WholeTextNumber(c.text), c.whole) << '"' << c.text << '"';
  }
}

TEST(NumberText, roundingTiesToEvenAndRefusesWhatAnIntCannotHold) {
  struct Case {
    double value;
    std::optional<int> rounded;
  };
  for (Case c : {Case{0.4, 0}, Case{0.5, 0}, Case{1.5, 2}, Case{1.6, 2}, Case{2.5, 2}, Case{-0.5, 0},
                 Case{-1.5, -2}, Case{1e20, std::nullopt}, Case{-1e20, std::nullopt}})
    EXPECT_EQ(RoundToInt(c.value), c.rounded) << c.value;
}

}  // namespace
}  // namespace quorvane::config
