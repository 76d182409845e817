#include "update/steamcmd_output.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quorvane::update {
namespace {

struct LineCase {
  const char* name;
  const char* line;
  LineKind kind;
  bool hasState;
  std::uint32_t state;
  double percent;
  std::uint64_t done, total;
};

class ClassifyLineTest : public ::testing::TestWithParam<LineCase> {};

TEST_P(ClassifyLineTest, readsKindStateAndProgress) {
  const LineCase& c = GetParam();
  const OutputLine line = ClassifyLine(c.line);
  EXPECT_EQ(line.kind, c.kind);
  EXPECT_EQ(line.hasState, c.hasState);
  EXPECT_EQ(line.state, c.state);
  EXPECT_DOUBLE_EQ(line.percent, c.percent);
  EXPECT_EQ(line.done, c.done);
  EXPECT_EQ(line.total, c.total);
}

constexpr LineKind P = LineKind::Progress, S = LineKind::StartUp, E = LineKind::Error, O = LineKind::Other;

INSTANTIATE_TEST_SUITE_P(
    RealShapedLines, ClassifyLineTest,
    ::testing::Values(
        LineCase{"downloading", " Update state (0x61) downloading, progress: 45.23 (123456789 / 272896000)", P, true,
                 0x61, 45.23, 123456789, 272896000},
        LineCase{"verifyingInstall", "Update state (0x5) verifying install, progress: 3.52 (9 / 256)", P, true, 0x5,
                 3.52, 9, 256},
        LineCase{"committing", " Update state (0x101) committing, progress: 100.00 (272896000 / 272896000)", P, true,
                 0x101, 100, 272896000, 272896000},
        LineCase{"unknownState", " Update state (0x3) reconfiguring, progress: 0.00 (0 / 0)", P, true, 0x3, 0, 0, 0},
        LineCase{"withoutByteCounts", " Update state (0x11) preallocating, progress: 7.5", P, true, 0x11, 7.5, 0, 0},
        LineCase{"percentOverHundred", " Update state (0x61) downloading, progress: 250.00 (5 / 2)", P, true, 0x61,
                 100, 5, 2},
        LineCase{"negativePercent", " Update state (0x61) downloading, progress: -4 (1 / 2)", P, true, 0x61, 0, 0, 0},
        LineCase{"stateTooLong", " Update state (0x123456789) downloading, progress: 1", O, false, 0, 0, 0, 0},
        LineCase{"fullyInstalled", "Success! App '90' fully installed.", LineKind::Installed, false, 0, 0, 0, 0},
        LineCase{"upToDate", "  Success! App '90' already up to date.  ", LineKind::UpToDate, false, 0, 0, 0, 0},
        LineCase{"diskFull", "Error! App '90' state is 0x202 after update job.", E, true, 0x202, 0, 0, 0},
        LineCase{"stoppedShort", "Error! App '90' state is 0x10E after update job.", E, true, 0x10e, 0, 0, 0},
        LineCase{"noSubscription", "ERROR! Failed to install app '90' (No subscription)", E, false, 0, 0, 0, 0},
        LineCase{"failedLogin", "FAILED login with result code No Connection", E, false, 0, 0, 0, 0},
        LineCase{"redirecting", "Redirecting stderr to '/home/u/Steam/logs/stderr.txt'", S, false, 0, 0, 0, 0},
        LineCase{"checkingUpdates", "[  0%] Checking for available updates...", S, false, 0, 0, 0, 0},
        LineCase{"verifyingClient", "[----] Verifying installation...", S, false, 0, 0, 0, 0},
        LineCase{"loadingApi", "Loading Steam API...OK", S, false, 0, 0, 0, 0},
        LineCase{"connecting", "Connecting anonymously to Steam Public...OK", S, false, 0, 0, 0, 0},
        LineCase{"userInfo", "Waiting for user info...OK", S, false, 0, 0, 0, 0},
        LineCase{"otherLine", "Steam>", O, false, 0, 0, 0, 0},
        LineCase{"successOfOtherWords", "Success! App '90' is being looked at", O, false, 0, 0, 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

struct SplitCase {
  const char* name;
  std::vector<std::string> chunks;
  std::vector<std::string> lines;  // Feed's lines, then Finish's
};

class LineSplitterTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(LineSplitterTest, cutsLinesAndDropsEscapes) {
  LineSplitter splitter;
  std::vector<std::string> lines;
  for (const std::string& chunk : GetParam().chunks) {
    for (std::string& line : splitter.Feed(chunk)) lines.push_back(std::move(line));
  }
  for (std::string& line : splitter.Finish()) lines.push_back(std::move(line));
  EXPECT_EQ(lines, GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    Streams, LineSplitterTest,
    ::testing::Values(
        SplitCase{"lineFeeds", {"a\nb\n"}, {"a", "b"}},
        SplitCase{"crlfIsOneEnd", {"a\r\nb\r\n"}, {"a", "b"}},
        SplitCase{"crlfAcrossChunks", {"a\r", "\nb"}, {"a", "b"}},
        SplitCase{"crOnlyUpdates", {"p: 1\rp: 2\rp: 3\n"}, {"p: 1", "p: 2", "p: 3"}},
        SplitCase{"blankLinesDropped", {"\n\n a\n\r\n"}, {" a"}},
        SplitCase{"colourCodes", {"\x1b[1mOK\x1b[0m\n"}, {"OK"}},
        SplitCase{"escapeAcrossChunks", {"x\x1b", "[3", "1my\n"}, {"xy"}},
        SplitCase{"titleSequence", {"\x1b]0;steamcmd\x07line\n"}, {"line"}},
        SplitCase{"twoByteEscape", {"a\x1b" "cb\n"}, {"ab"}},
        SplitCase{"brokenEscapeEndsAtLine", {"a\x1b[12\nb\n"}, {"a", "b"}},
        SplitCase{"controlBytesDropped", {"a\x08\x07z\tq\n"}, {"az\tq"}},
        SplitCase{"unfinishedLastLine", {"a\nrest"}, {"a", "rest"}},
        SplitCase{"longLineCut", {std::string(LineSplitter::kMaxLine + 10, 'x') + "\n"},
                  {std::string(LineSplitter::kMaxLine, 'x')}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(StateWords, namesKnownStatesAndShowsOthersInHex) {
  EXPECT_EQ(StateWords(0x5), "verifying install");
  EXPECT_EQ(StateWords(0x11), "preallocating");
  EXPECT_EQ(StateWords(0x61), "downloading");
  EXPECT_EQ(StateWords(0x81), "verifying update");
  EXPECT_EQ(StateWords(0x101), "committing");
  EXPECT_EQ(StateWords(0x202), "stopped, usually by a full disk");
  EXPECT_EQ(StateWords(0x10e), "state 0x10e");
}

TEST(DescribeProgress, showsStatePercentAndMegabytes) {
  const OutputLine line = ClassifyLine(" Update state (0x61) downloading, progress: 45.23 (123456789 / 272896000)");
  EXPECT_EQ(DescribeProgress(line), "downloading 45.2 % (123.5 of 272.9 MB)");
}

}  // namespace
}  // namespace quorvane::update
