#include "update/steamcmd_output.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

namespace quorvane::update {
namespace {

// Name, the line, its kind, and the progress it gives (the percent, and the words the install window shows).
// Error, success and state lines are read in the run decision's table; these are the rest.
using LineRow = std::tuple<const char*, const char*, LineKind, double, const char*>;

class ClassifyLineTest : public ::testing::TestWithParam<LineRow> {};

TEST_P(ClassifyLineTest, readsTheKindAndTheProgressShown) {
  const auto& [name, text, kind, percent, described] = GetParam();
  const OutputLine line = ClassifyLine(text);
  EXPECT_EQ(line.kind, kind);
  EXPECT_DOUBLE_EQ(line.percent, percent);
  EXPECT_EQ(line.kind == LineKind::Progress ? DescribeProgress(line) : "", described);
}

constexpr LineKind P = LineKind::Progress, S = LineKind::StartUp, O = LineKind::Other;

INSTANTIATE_TEST_SUITE_P(
    RealShapedLines, ClassifyLineTest,
    ::testing::Values(
        LineRow{"downloading", " Update state (0x61) downloading, progress: 45.23 (123456789 / 272896000)", P, 45.23,
                "downloading 45.2 % (123.5 of 272.9 MB)"},
        LineRow{"withoutByteCounts", " Update state (0x11) preallocating, progress: 7.5", P, 7.5,
                "preallocating 7.5 %"},
        LineRow{"percentOverHundred", " Update state (0x61) downloading, progress: 250.00 (5 / 2)", P, 100,
                "downloading 100.0 % (0.0 of 0.0 MB)"},
        LineRow{"negativePercent", " Update state (0x61) downloading, progress: -4 (1 / 2)", P, 0, "downloading 0.0 %"},
        LineRow{"stateTooLong", " Update state (0x123456789) downloading, progress: 1", O, 0, ""},
        LineRow{"upToDateAmidBlanks", "  Success! App '90' already up to date.  ", LineKind::UpToDate, 0, ""},
        LineRow{"successOfOtherWords", "Success! App '90' is being looked at", O, 0, ""},
        LineRow{"clientUpdating", "[  0%] Checking for available updates...", S, 0, ""},
        LineRow{"prompt", "Steam>", O, 0, ""}),
    [](const auto& info) { return std::string(std::get<0>(info.param)); });

// Name, the chunks as they come, and the lines (Feed's, then Finish's).
using SplitRow = std::tuple<const char*, std::vector<std::string>, std::vector<std::string>>;

class LineSplitterTest : public ::testing::TestWithParam<SplitRow> {};

TEST_P(LineSplitterTest, cutsLinesAndDropsEscapes) {
  const auto& [name, chunks, expected] = GetParam();
  LineSplitter splitter;
  std::vector<std::string> lines;
  for (const std::string& chunk : chunks) std::ranges::move(splitter.Feed(chunk), std::back_inserter(lines));
  std::ranges::move(splitter.Finish(), std::back_inserter(lines));
  EXPECT_EQ(lines, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Streams, LineSplitterTest,
    ::testing::Values(SplitRow{"crOnlyUpdates", {"p: 1\rp: 2\rp: 3\n"}, {"p: 1", "p: 2", "p: 3"}},
                      SplitRow{"blankLinesDropped", {"\n\n a\n\r\n"}, {" a"}},
                      SplitRow{"colourCodesAcrossChunks", {"\x1b[1mO", "K\x1b", "[3", "1m!\n"}, {"OK!"}},
                      SplitRow{"titleSequence", {"\x1b]0;steamcmd\x07line\n"}, {"line"}},
                      SplitRow{"twoByteEscape", {"a\033cb\n"}, {"ab"}},
                      SplitRow{"brokenEscapeEndsAtLine", {"a\x1b[12\nb\n"}, {"a", "b"}},
                      SplitRow{"controlBytesDropped", {"a\x08\x07z\tq\n"}, {"az\tq"}},
                      SplitRow{"unfinishedLastLine", {"a\nrest"}, {"a", "rest"}},
                      SplitRow{"longLineCut",
                               {std::string(LineSplitter::kMaxLine + 10, 'x') + "\n"},
                               {std::string(LineSplitter::kMaxLine, 'x')}}),
    [](const auto& info) { return std::string(std::get<0>(info.param)); });

}  // namespace
}  // namespace quorvane::update
