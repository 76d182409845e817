#include "supervise/crash_report.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "supervise/rows.h"

namespace quorvane::supervise::test {
namespace {

using std::chrono::days;
using std::chrono::hours;
using std::chrono::minutes;
using std::chrono::seconds;

// 2026-12-07 21:05:09 UTC
const WallTime kWhen = std::chrono::sys_days(std::chrono::year(2026) / 12 / 7) + hours(21) + minutes(5) + seconds(9);

Crash HungOnWell() {
  Crash crash;
  crash.end = Crash::End::Signalled;
  crash.code = 15;
  crash.hung = true;
  crash.uptime = minutes(62) + seconds(5);
  crash.map = "well";
  crash.players = 12;
  crash.restartIn = seconds(20);
  return crash;
}

TEST(CrashReport, holdsEveryFactInItsOrder) {
  ReportFacts facts{kWhen,
                    {"L 12/07/2026 - 21:04:00: \"A<2><STEAM_0:1:5><Blue>\" say \"hi\"",
                     "FATAL ERROR (shutting down): Host_Error: bad model"},
                    "the live log",
                    "#0  0x00001234 in ?? ()",
                    "core.4242"};
  EXPECT_EQ(ReportText(HungOnWell(), facts),
            "Crash of the dedicated server\n"
            "\n"
            "Time: 2026-12-07 21:05:09 UTC\n"
            "Uptime: 1 h 02 min 05 s\n"
            "How it ended: stopped answering\n"
            "Process end: SIGTERM (signal 15)\n"
            "Hung: yes\n"
            "Map: well\n"
            "Players: 12\n"
            "Fatal error: FATAL ERROR (shutting down): Host_Error: bad model\n"
            "Restart: in 20 s\n"
            "\n"
            "Last 2 lines of the live log:\n"
            "L 12/07/2026 - 21:04:00: \"A<2><STEAM_0:1:5><Blue>\" say \"hi\"\n"
            "FATAL ERROR (shutting down): Host_Error: bad model\n"
            "\n"
            "Backtrace of core.4242:\n"
            "#0  0x00001234 in ?? ()\n");
}

TEST(CrashReport, masksTheConsolePasswordAsTheLogPaneDoes) {
  const std::string rcon = "Rcon: \"rcon 123 \"secret\" status\" from \"127.0.0.1:27005\"";
  ReportFacts facts{kWhen, {"L 12/07/2026 - 21:04:00: " + rcon, rcon}, "L1207000.log", {}, {}};
  const std::string text = ReportText(HungOnWell(), facts);
  EXPECT_EQ(text.find("secret"), std::string::npos) << text;
  EXPECT_NE(text.find("L 12/07/2026 - 21:04:00: Rcon: \"rcon 123 \"********\" status\""), std::string::npos) << text;
}

TEST(CrashReport, keepsOnlyTheLastTwoHundredLogLines) {
  ReportFacts facts{kWhen, {}, "the live log", {}, {}};
  for (int i = 0; i < 250; ++i) facts.logLines.push_back("line " + std::to_string(i));
  const std::string text = ReportText(HungOnWell(), facts);
  EXPECT_NE(text.find("Last 200 lines of the live log:\nline 50\n"), std::string::npos);
  EXPECT_EQ(text.find("line 49\n"), std::string::npos);
  EXPECT_EQ(text.substr(text.size() - 9), "line 249\n");
}

TEST(CrashReport, cutsAnEndlessLogLine) {
  ReportFacts facts{kWhen, {std::string(100000, 'x')}, "the live log", {}, {}};
  EXPECT_LT(ReportText(HungOnWell(), facts).size(), 3000u);
}

TEST(CrashReport, saysWhatWasNeverSeen) {
  Crash crash;
  crash.end = Crash::End::Exited;
  crash.code = 1;
  crash.restartIn = seconds(10);
  const std::string text = ReportText(crash, ReportFacts{kWhen, {}, "the live log", {}, {}});
  EXPECT_NE(text.find("Map: not seen\nPlayers: not seen\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\nNo lines of the live log.\n"), std::string::npos) << text;
}

TEST(CrashReport, saysPlainlyThatACrashLoopEndsTheRestarts) {
  Crash crash = HungOnWell();
  crash.crashLoop = true;
  const std::string text = ReportText(crash, ReportFacts{kWhen, {}, "the live log", {}, {}});
  EXPECT_NE(text.find("\nRestart: none: it crashed too often in a short time, so it is not started again\n"),
            std::string::npos)
      << text;
}

TEST(CrashReport, fatalWindowTextIsReported) {
  Crash crash = HungOnWell();
  crash.hung = false;
  crash.fatalWindow = "Could not load model";
  const std::string text = ReportText(crash, ReportFacts{kWhen, {}, "the live log", {}, {}});
  EXPECT_NE(text.find("How it ended: fatal error window\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Fatal error window: Could not load model\n"), std::string::npos) << text;
}

struct SignalRow {
  const char* name;
  int number;
  const char* says;
};

class Signals : public testing::TestWithParam<SignalRow> {};

TEST_P(Signals, areNamedByNumber) { EXPECT_EQ(SignalName(GetParam().number), GetParam().says); }

INSTANTIATE_TEST_SUITE_P(CrashReport, Signals,
                         testing::Values(SignalRow{"lastNamed", 31, "SIGSYS"}, SignalRow{"realTime", 40, "signal 40"},
                                         SignalRow{"negative", -3, "signal -3"}),
                         RowName);

struct LinesRow {
  const char* name;
  std::string text;
  std::size_t count;
  std::vector<std::string> lines;
};

class LogTail : public testing::TestWithParam<LinesRow> {};

TEST_P(LogTail, isTheFileLastLines) { EXPECT_EQ(LastLines(GetParam().text, GetParam().count), GetParam().lines); }

INSTANTIATE_TEST_SUITE_P(CrashReport, LogTail,
                         testing::Values(LinesRow{"empty", "", 3, {}},
                                         LinesRow{"moreThanAsked", "a\nb\nc\nd\n", 2, {"c", "d"}},
                                         LinesRow{"withoutLastLineEnd", "a\nb", 3, {"a", "b"}},
                                         LinesRow{"carriageReturns", "a\r\nb\r\n", 3, {"a", "b"}},
                                         LinesRow{"emptyLinesKept", "a\n\nb\n", 3, {"a", "", "b"}}),
                         RowName);

TEST(ReportFolders, aSecondCrashInTheSameSecondGetsItsOwnFolder) {
  EXPECT_EQ(ReportFolderName(kWhen, {"2026-12-07_21-05-09", "2026-12-07_21-05-09-2"}), "2026-12-07_21-05-09-3");
}

struct FolderRow {
  const char* name;
  const char* folder;
  bool isReport;
};

class FolderNames : public testing::TestWithParam<FolderRow> {};

TEST_P(FolderNames, areReadBackOnlyInTheirOwnShape) {
  const auto time = ReportFolderTime(GetParam().folder);
  EXPECT_EQ(time.has_value(), GetParam().isReport);
  if (time) {
    EXPECT_EQ(*time, kWhen);
  }
}

INSTANTIATE_TEST_SUITE_P(ReportFolders, FolderNames,
                         testing::Values(FolderRow{"second", "2026-12-07_21-05-09-2", true},
                                         FolderRow{"danglingDash", "2026-12-07_21-05-09-", false},
                                         FolderRow{"noSuchDay", "2026-02-30_21-05-09", false},
                                         FolderRow{"foreign", "notes", false}),
                         RowName);

TEST(ReportFolders, olderThanThirtyDaysAreRemoved) {
  const std::vector<std::string> folders = {ReportFolderName(kWhen - days(30), {}),
                                            ReportFolderName(kWhen - days(30) - seconds(1), {}),
                                            ReportFolderName(kWhen - days(2), {})};
  EXPECT_EQ(ReportsToRemove(folders, kWhen), std::vector<std::string>{folders[1]});
}

TEST(ReportFolders, beyondTheNewestFiftyAreRemoved) {
  std::vector<std::string> folders;
  for (int i = 0; i < 53; ++i) folders.push_back(ReportFolderName(kWhen - minutes(i), {}));
  EXPECT_EQ(ReportsToRemove(folders, kWhen), (std::vector<std::string>{folders[50], folders[51], folders[52]}));
}

TEST(ReportFolders, foldersNotNamedAsReportsAreNeverRemoved) {
  EXPECT_EQ(ReportsToRemove({"notes", "2019-01-01", "2019-01-01_00-00-00"}, kWhen),
            std::vector<std::string>{"2019-01-01_00-00-00"});
}

}  // namespace
}  // namespace quorvane::supervise::test
