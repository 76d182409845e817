#pragma once
// The report written for every crash, the name of its folder, and which
// folders are old enough to go. Values in, text out: the files are written
// by the caller.
#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "supervise/supervisor.h"

namespace quorvane::supervise {

using WallTime = std::chrono::sys_seconds;

inline constexpr std::size_t kReportLogLines = 200;
inline constexpr int kKeptReports = 50;
inline constexpr std::chrono::days kReportsKeptFor{30};

// "SIGSEGV" for 11; "signal 40" for a number without a name.
std::string SignalName(int number);
// What the list of crashes says: "SIGSEGV (signal 11)", "exit status 1", "stopped answering"...
std::string HowItEnded(const Crash& crash);

// What the report holds besides the crash itself.
struct ReportFacts {
  WallTime when;
  std::vector<std::string> logLines;  // oldest first, as the log has them
  std::string logSource;              // "the live log", or the log file's name
  std::string backtrace;              // the debugger's output on a core file, if any
  std::string backtraceSource;        // the core file it was taken from
};

// The text of report.txt. The console password in the log lines is masked as
// the monitor's log pane masks it; only the last kReportLogLines are kept.
std::string ReportText(const Crash& crash, const ReportFacts& facts);

// The last `count` lines of a log file's bytes, without their line ends.
std::vector<std::string> LastLines(std::string_view text, std::size_t count = kReportLogLines);

// "2026-12-07_21-05-09" (UTC), with "-2", "-3"... when a folder of that name exists.
std::string ReportFolderName(WallTime when, const std::vector<std::string>& existing);
// The time a report folder's name stands for; none for a folder that is not a report's.
std::optional<WallTime> ReportFolderTime(std::string_view name);
// The report folders to remove: older than kReportsKeptFor, or beyond the newest
// kKeptReports. Folders whose names are not a report's are never among them.
std::vector<std::string> ReportsToRemove(const std::vector<std::string>& folders, WallTime now);

}  // namespace quorvane::supervise
