#pragma once
// The crash reports on disk: a folder per crash under the crashes folder,
// named by its time, holding report.txt; and, on Linux, the debugger's
// backtrace of a core file the crash left in the server folder.
#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "install/file_system.h"
#include "supervise/crash_report.h"

namespace quorvane::platform {

// $XDG_STATE_HOME/quorvane/crashes (~/.local/state/quorvane/crashes);
// %LOCALAPPDATA%\Quorvane\crashes on Windows.
std::filesystem::path CrashesDir();

inline constexpr const char* kReportFile = "report.txt";

struct [[nodiscard]] ReportWritten : install::IoResult {
  std::filesystem::path folder;  // the report's folder, when written
};

class CrashFiles {
 public:
  explicit CrashFiles(std::filesystem::path directory = CrashesDir());

  // Writes `text` as report.txt in a new folder named for `when`, then
  // removes the reports too old or too many to keep.
  ReportWritten Write(supervise::WallTime when, const std::string& text);
  // The report folders' names, newest first.
  std::vector<std::string> List() const;
  // A report's text; the reason (naming the file) when it cannot be read.
  install::Read<std::string> ReadReport(const std::string& folder) const;
  // Removes the folders supervise::ReportsToRemove names.
  void RemoveOld(supervise::WallTime now) const;
  const std::filesystem::path& Directory() const { return m_directory; }

 private:
  std::filesystem::path m_directory;
};

// The debugger's backtrace on a core file a crashed server left.
struct Backtrace {
  std::string text;
  std::string core;  // the core file's path
};

// Linux: a core file (`core`, `core.PID`, `hlds_linux.core`) in `serverFolder`
// newer than `since`, run through `gdb -batch -ex bt PROGRAM CORE` when gdb is
// on PATH, waiting at most `timeoutMs`; the core is left where it is. None on
// Windows, without a core, or without gdb.
std::optional<Backtrace> CoreBacktrace(const std::filesystem::path& serverFolder, const std::filesystem::path& program,
                                       long long processId, std::chrono::system_clock::time_point since,
                                       int timeoutMs = 30000);

// What a crash report is written from besides the crash.
struct ReportInputs {
  supervise::WallTime when;
  std::vector<std::string> liveLog;    // the live log's lines since the start, oldest first
  std::filesystem::path serverFolder;  // where the server ran (GameDir, native)
  long long processId = 0;             // the crashed server's
  std::chrono::system_clock::time_point startedAt;
};

// Writes the report: the live log's lines, or without them the newest file's
// in tfc/logs/; a backtrace when the crash was a signal and left a core.
ReportWritten WriteCrashReport(CrashFiles& files, const supervise::Crash& crash, const ReportInputs& inputs);

}  // namespace quorvane::platform
