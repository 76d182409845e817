#include "supervise/crash_report.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <utility>

#include "monitor/log_line.h"

namespace quorvane::supervise {

namespace {

// A log line longer than this is cut: the report stays readable whatever the log held.
constexpr std::size_t kMaxLineBytes = 2000;
// "L 01/31/2024 - 21:05:09: ", the time before a log file's message.
constexpr std::size_t kLogTimeHead = 25;

// Signal numbers as Linux gives them; Wine's processes end with these too.
constexpr std::array<const char*, 32> kSignalNames = {
    nullptr,     "SIGHUP",  "SIGINT",    "SIGQUIT", "SIGILL",   "SIGTRAP", "SIGABRT", "SIGBUS",
    "SIGFPE",    "SIGKILL", "SIGUSR1",   "SIGSEGV", "SIGUSR2",  "SIGPIPE", "SIGALRM", "SIGTERM",
    "SIGSTKFLT", "SIGCHLD", "SIGCONT",   "SIGSTOP", "SIGTSTP",  "SIGTTIN", "SIGTTOU", "SIGURG",
    "SIGXCPU",   "SIGXFSZ", "SIGVTALRM", "SIGPROF", "SIGWINCH", "SIGIO",   "SIGPWR",  "SIGSYS"};

struct WindowsStatus {
  std::uint32_t code;
  const char* name;
};
// The exception codes a crashed Windows program exits with.
constexpr WindowsStatus kWindowsStatuses[] = {
    {0xC0000005u, "access violation"}, {0xC000001Du, "illegal instruction"}, {0xC0000094u, "integer division by zero"},
    {0xC00000FDu, "stack overflow"},   {0xC0000374u, "heap corruption"},     {0xC0000409u, "stack buffer overrun"}};

std::string ExitStatusText(int code) {
  const auto status = static_cast<std::uint32_t>(code);
  if (status < 0xC0000000u) return "exit status " + std::to_string(code);
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(status));
  std::string text = std::string("exit status ") + hex;
  for (const auto& known : kWindowsStatuses)
    if (known.code == status) text += std::string(" (") + known.name + ")";
  return text;
}

std::string ProcessEndText(const Crash& crash) {
  if (crash.end == Crash::End::Signalled)
    return SignalName(crash.code) + " (signal " + std::to_string(crash.code) + ")";
  return ExitStatusText(crash.code);
}

std::string Cut(std::string_view line) {
  if (line.size() <= kMaxLineBytes) return std::string(line);
  return std::string(line.substr(0, kMaxLineBytes)) + " [cut]";
}

// The password masked in the message, the log's time before it left as it was.
std::string Masked(std::string_view line) {
  if (monitor::ParseLogText(line)) {
    return std::string(line.substr(0, kLogTimeHead)) + monitor::MaskPasswords(line.substr(kLogTimeHead));
  }
  return monitor::MaskPasswords(line);
}

std::string TimeText(WallTime when, const char* dateTimeGap, char timeSeparator) {
  const auto day = std::chrono::floor<std::chrono::days>(when);
  const std::chrono::year_month_day date{day};
  const std::chrono::hh_mm_ss time{when - day};
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02u-%02u%s%02d%c%02d%c%02d", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()), dateTimeGap,
                static_cast<int>(time.hours().count()), timeSeparator, static_cast<int>(time.minutes().count()),
                timeSeparator, static_cast<int>(time.seconds().count()));
  return text;
}

std::string RestartText(const Crash& crash) {
  if (crash.crashLoop) return "none: it crashed too often in a short time, so it is not started again";
  if (crash.restartIn == Duration{}) return "none: it was being stopped";
  return "in " + DurationText(crash.restartIn);
}

std::string FatalErrorLine(const std::vector<std::string>& lines) {
  for (auto line = lines.rbegin(); line != lines.rend(); ++line) {
    const std::size_t at = line->find("FATAL ERROR");
    if (at != std::string::npos) return Cut(std::string_view(*line).substr(at));
  }
  return {};
}

}  // namespace

std::string SignalName(int number) {
  if (number > 0 && number < static_cast<int>(kSignalNames.size())) return kSignalNames[number];
  return "signal " + std::to_string(number);
}

std::string HowItEnded(const Crash& crash) {
  if (!crash.fatalWindow.empty()) return "fatal error window";
  if (crash.hung) return "stopped answering";
  if (crash.end == Crash::End::NotStarted) return "could not be started: " + crash.startFailure;
  return ProcessEndText(crash);
}

std::string ReportText(const Crash& crash, const ReportFacts& facts) {
  std::string text = "Crash of the dedicated server\n\n";
  text += "Time: " + TimeText(facts.when, " ", ':') + " UTC\n";
  text += "Uptime: " + DurationText(crash.uptime) + "\n";
  text += "How it ended: " + HowItEnded(crash) + "\n";
  if (crash.end != Crash::End::NotStarted) text += "Process end: " + ProcessEndText(crash) + "\n";
  text += std::string("Hung: ") + (crash.hung ? "yes" : "no") + "\n";
  text += "Map: " + (crash.map.empty() ? std::string("not seen") : crash.map) + "\n";
  text += "Players: " + (crash.players < 0 ? std::string("not seen") : std::to_string(crash.players)) + "\n";
  const std::string fatal = FatalErrorLine(facts.logLines);
  if (!fatal.empty()) text += "Fatal error: " + fatal + "\n";
  if (!crash.fatalWindow.empty()) text += "Fatal error window: " + Cut(crash.fatalWindow) + "\n";
  text += "Restart: " + RestartText(crash) + "\n";

  const std::size_t first = facts.logLines.size() > kReportLogLines ? facts.logLines.size() - kReportLogLines : 0;
  if (facts.logLines.empty())
    text += "\nNo lines of " + facts.logSource + ".\n";
  else
    text += "\nLast " + std::to_string(facts.logLines.size() - first) + " lines of " + facts.logSource + ":\n";
  for (std::size_t i = first; i < facts.logLines.size(); ++i) text += Masked(Cut(facts.logLines[i])) + "\n";
  if (!facts.backtrace.empty()) {
    text += "\nBacktrace of " + facts.backtraceSource + ":\n" + facts.backtrace;
    if (text.back() != '\n') text += '\n';
  }
  return text;
}

std::vector<std::string> LastLines(std::string_view text, std::size_t count) {
  if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
  std::vector<std::string> lines;
  while (!text.empty() && lines.size() < count) {
    const std::size_t start = text.rfind('\n');
    std::string_view line = start == std::string_view::npos ? text : text.substr(start + 1);
    text.remove_suffix(start == std::string_view::npos ? text.size() : text.size() - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(Cut(line));
  }
  std::reverse(lines.begin(), lines.end());
  return lines;
}

std::string ReportFolderName(WallTime when, const std::vector<std::string>& existing) {
  const std::string base = TimeText(when, "_", '-');
  std::string name = base;
  for (int n = 2; std::find(existing.begin(), existing.end(), name) != existing.end(); ++n)
    name = base + "-" + std::to_string(n);
  return name;
}

std::optional<WallTime> ReportFolderTime(std::string_view name) {
  // "YYYY-MM-DD_HH-MM-SS", then perhaps "-N".
  constexpr std::string_view kShape = "0000-00-00_00-00-00";
  if (name.size() < kShape.size()) return std::nullopt;
  int value[6] = {};
  int part = 0;
  for (std::size_t i = 0; i < kShape.size(); ++i) {
    const bool digit = name[i] >= '0' && name[i] <= '9';
    if ((kShape[i] == '0') != digit || (!digit && name[i] != kShape[i])) return std::nullopt;
    if (digit) value[part] = value[part] * 10 + (name[i] - '0');
    if (!digit) ++part;
  }
  const std::string_view rest = name.substr(kShape.size());
  if (!rest.empty() &&
      (rest.size() < 2 || rest[0] != '-' || rest.substr(1).find_first_not_of("0123456789") != std::string_view::npos))
    return std::nullopt;
  const std::chrono::year_month_day date{std::chrono::year(value[0]), std::chrono::month(value[1]),
                                         std::chrono::day(value[2])};
  if (!date.ok() || value[3] > 23 || value[4] > 59 || value[5] > 59) return std::nullopt;
  return std::chrono::sys_days(date) + std::chrono::hours(value[3]) + std::chrono::minutes(value[4]) +
         std::chrono::seconds(value[5]);
}

std::vector<std::string> ReportsToRemove(const std::vector<std::string>& folders, WallTime now) {
  std::vector<std::pair<WallTime, std::string>> reports;
  for (const std::string& name : folders)
    if (const auto time = ReportFolderTime(name)) reports.emplace_back(*time, name);
  std::sort(reports.begin(), reports.end(), [](const auto& a, const auto& b) { return a > b; });  // newest first
  std::vector<std::string> remove;
  for (std::size_t i = 0; i < reports.size(); ++i)
    if (i >= static_cast<std::size_t>(kKeptReports) || now - reports[i].first > kReportsKeptFor)
      remove.push_back(reports[i].second);
  return remove;
}

}  // namespace quorvane::supervise
