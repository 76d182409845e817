#pragma once
// What the status line and the monitor window show and send, decided without
// any window: texts in the single-byte code page, console commands as bytes.
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "install/file_system.h"
#include "monitor/console.h"
#include "monitor/log_line.h"
#include "monitor/query.h"

namespace quorvane::monitor {

// The port a server listens on when the `port` field is empty.
constexpr std::uint16_t kDefaultServerPort = 27015;
// The `port` field's text as a port: empty or unusable text gives the default.
std::uint16_t ServerPortFromField(std::string_view text);

// What the status line knows at one moment.
struct StatusFacts {
  bool ownServerRunning = false;   // the server this program started still runs
  std::optional<ServerInfo> info;  // the last info answer, if any
  int roundTripMs = 0;
  std::int64_t sinceAnswerMs = -1;  // -1 before the first answer
};
// An answer older than this no longer counts as "answering".
constexpr std::int64_t kStaleAnswerMs = 6000;
// A server this program did not start is forgotten this long after its last answer.
constexpr std::int64_t kForgetAnswerMs = 60000;
// "Server: not running" / "Server: starting…" / "Server: 2fort · 5/16 players · 12 ms · Team Fortress" /
// "Server: not answering (last answer 14 s ago)"; Windows-1252 bytes.
std::string StatusText(const StatusFacts& facts);

// The command line's history: Up goes back, Down forward, past the newest to
// what was being typed. Kept in memory only.
class CommandHistory {
 public:
  static constexpr std::size_t kMaxEntries = 200;
  void Add(const std::string& command);
  // The entry to show, or nothing at the end of the history.
  std::optional<std::string> Up(const std::string& typing);
  std::optional<std::string> Down();
  std::size_t Size() const { return m_entries.size(); }

 private:
  std::deque<std::string> m_entries;
  std::size_t m_at = 0;  // m_entries.size() while not walking the history
  std::string m_typing;
};

// How a log line is picked out.
enum class LogTone { Plain, Kill, Join, Map, Chat };
struct LogEntry {
  std::string text;  // "21:05:09  message", passwords masked
  LogTone tone = LogTone::Plain;
};
LogEntry MakeLogEntry(const LogLine& line);

// The log's lines, at most `cap` of them, the oldest dropped first; the filter
// keeps the lines that contain its text, letter case ignored. The lines the
// filter keeps are reached by row without copying, so a view can draw only the
// rows it shows.
class LogBook {
 public:
  static constexpr std::size_t kDefaultCap = 10000;
  static constexpr std::size_t kMinCap = 100;
  static constexpr std::size_t kMaxCap = 1000000;
  explicit LogBook(std::size_t cap = kDefaultCap) : m_cap(ClampCap(cap)) {}
  static std::size_t ClampCap(std::size_t cap);

  void Add(LogEntry entry);
  std::size_t Size() const { return m_entries.size(); }
  std::size_t Cap() const { return m_cap; }
  // Every line ever added, the dropped ones included.
  std::uint64_t Added() const { return m_first + m_entries.size(); }
  const std::deque<LogEntry>& Entries() const { return m_entries; }
  void SetFilter(std::string filter);
  bool Shows(const LogEntry& entry) const;
  std::vector<const LogEntry*> Shown() const;
  // The lines the filter keeps: row 0 is the oldest.
  std::size_t ShownCount() const { return m_filter.empty() ? m_entries.size() : m_shown.size(); }
  const LogEntry& ShownAt(std::size_t row) const;
  // How many kept lines the cap has dropped since the filter was last set.
  std::uint64_t ShownDropped() const { return m_shownDropped; }
  // The newest `count` lines, oldest first, unfiltered.
  std::vector<std::string> Last(std::size_t count) const;

 private:
  std::size_t m_cap;
  std::deque<LogEntry> m_entries;
  std::uint64_t m_first = 0;          // the number of m_entries.front(), counting every line added
  std::string m_filter;               // in lower case
  std::deque<std::uint64_t> m_shown;  // the numbers of the lines the filter keeps, when there is one
  std::uint64_t m_shownDropped = 0;
};

// The console password the server runs with: rcon_password of the written server.cfg.
struct ConsolePassword {
  bool readable = false;  // the file could be read
  std::string reason;     // why not, when it could not
  std::string password;   // empty when the file sets none
};
ConsolePassword ReadConsolePassword(install::FileSystem& fs, const std::string& serverCfgPath);

// The one line under the console saying what about the password needs the
// user's hand, or nothing when the console can be used as it is.
std::optional<std::string> PasswordNotice(const ConsolePassword& file, std::string_view fieldValue,
                                          const std::string& serverCfgPath);
// The console, log and action buttons work only with a password.
inline bool ConsoleUsable(const ConsolePassword& file) { return file.readable && !file.password.empty(); }

// What the console says about a command that did not end with an answer.
std::string ConsoleOutcomeText(const ConsoleStep& step);

// Console commands; texts lose the characters that would end or split the command.
std::string SayCommand(std::string_view text);
std::string ChangeLevelCommand(std::string_view map);
std::string KickCommand(int userId);
std::string LogAddressAdd(std::uint16_t port);
std::string LogAddressDel(std::uint16_t port);
// The user id of the player named `name` in a `status` answer.
std::optional<int> UserIdOf(const std::vector<StatusPlayer>& status, std::string_view name);
// What Kick does with the console's answer to `status`: the kick command for
// `name`, or what to tell the user instead (texts in the code page).
struct KickStep {
  std::optional<std::string> command;
  std::string message;
};
KickStep KickFromStatus(std::string_view statusAnswer, std::string_view name);

// The message when the server this program started ended by itself.
std::string ServerEndedText(const std::vector<std::string>& lastLines);

// `HOST[:PORT]` of the terminal modes.
struct HostPort {
  std::string host;
  std::uint16_t port = kDefaultServerPort;
};
std::optional<HostPort> ParseHostPort(std::string_view text);

// A player's time on the server in whole seconds; none when the server sent
// no real duration (NaN, infinite, negative, or longer than kMostSeconds).
inline constexpr float kMostSeconds = 10.0f * 365 * 24 * 3600;
[[nodiscard]] std::optional<int> WholeSeconds(float seconds);

// Outside text (UTF-8) as a terminal may print it: every control character
// (U+0000-U+001F but tab, U+007F-U+009F) becomes `\xHH`, its code in hex, so
// no escape sequence reaches the terminal and no line is forged. With
// `keepLineBreaks` a console answer keeps its lines: LF stays, CR LF becomes LF.
[[nodiscard]] std::string VisibleControls(std::string_view utf8, bool keepLineBreaks);

// The code page's bytes as the terminal prints them.
using TerminalText = std::string (*)(std::string_view);

// The terminal's --query answer, as lines of text or as one JSON object. The
// lines come out as `toTerminal` makes them, with the server's text through
// VisibleControls.
std::string QueryReport(const ServerInfo& info, int roundTripMs, const std::vector<Player>& players,
                        TerminalText toTerminal);
std::string QueryReportJson(const ServerInfo& info, int roundTripMs, const std::vector<Player>& players);

}  // namespace quorvane::monitor
