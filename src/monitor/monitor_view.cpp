#include "monitor/monitor_view.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>

#include "config/cfg_reader.h"

namespace quorvane::monitor {
namespace {

constexpr const char* kDot = " \xB7 ";     // middle dot, Windows-1252
constexpr const char* kEllipsis = "\x85";  // horizontal ellipsis, Windows-1252

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// Quotes, semicolons and line ends would end the command or start another.
std::string CommandText(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '"' || c == ';' || c == '\n' || c == '\r' || c == '\0') continue;
    out += c;
  }
  return out;
}

std::string TwoDigits(int n) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "%02d", n);
  return buffer;
}

// Windows-1252's 0x80-0x9F as Unicode; the five undefined bytes stay C1 controls.
constexpr char16_t kHighControls[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                        0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                        0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// A JSON string: ASCII as it is, everything else escaped from its Windows-1252 meaning.
std::string Json(std::string_view text) {
  std::string out = "\"";
  for (char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += ch;
    } else if (c >= 0x20 && c < 0x7F) {
      out += ch;
    } else {
      const unsigned code = (c >= 0x80 && c < 0xA0) ? kHighControls[c - 0x80] : c;
      char buffer[8];
      std::snprintf(buffer, sizeof buffer, "\\u%04x", code);
      out += buffer;
    }
  }
  return out + '"';
}

const char* YesNo(bool b) { return b ? "yes" : "no"; }

constexpr const char* kDash = "\x97";  // em dash, Windows-1252: no duration to show

std::string Seconds(float seconds) {
  const std::optional<int> total = WholeSeconds(seconds);
  if (!total) return kDash;
  return std::to_string(*total / 60) + ":" + TwoDigits(*total % 60);
}

std::string Hex(unsigned code) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "\\x%02x", code);
  return buffer;
}

// The length of the well-formed UTF-8 sequence at `at`, 0 when there is none.
std::size_t SequenceLength(std::string_view text, std::size_t at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  std::size_t length = 0;
  if (lead < 0x80)
    length = 1;
  else if (lead >= 0xC2 && lead < 0xE0)
    length = 2;
  else if (lead >= 0xE0 && lead < 0xF0)
    length = 3;
  else if (lead >= 0xF0 && lead < 0xF5)
    length = 4;
  if (length == 0 || at + length > text.size()) return 0;
  for (std::size_t i = 1; i < length; ++i)
    if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80) return 0;
  return length;
}

}  // namespace

std::optional<int> WholeSeconds(float seconds) {
  // Written so that NaN fails too.
  if (!(seconds >= 0 && seconds <= kMostSeconds)) return std::nullopt;
  return static_cast<int>(seconds);
}

std::string VisibleControls(std::string_view utf8, bool keepLineBreaks) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t at = 0; at < utf8.size();) {
    const auto c = static_cast<unsigned char>(utf8[at]);
    const std::size_t length = SequenceLength(utf8, at);
    if (keepLineBreaks && c == '\r' && at + 1 < utf8.size() && utf8[at + 1] == '\n') {
      ++at;  // the LF that follows is the line break
    } else if (length == 0) {
      out += Hex(c);  // not UTF-8: a lone byte might still be a C1 control to the terminal
      ++at;
    } else if (length == 1 && ((c < 0x20 && c != '\t' && !(keepLineBreaks && c == '\n')) || c == 0x7F)) {
      out += Hex(c);
      ++at;
    } else if (length == 2 && c == 0xC2 && static_cast<unsigned char>(utf8[at + 1]) < 0xA0) {
      out += Hex(static_cast<unsigned char>(utf8[at + 1]));  // U+0080-U+009F
      at += 2;
    } else {
      out.append(utf8.substr(at, length));
      at += length;
    }
  }
  return out;
}

namespace {

std::string JsonSeconds(float seconds) {
  const std::optional<int> total = WholeSeconds(seconds);
  return total ? std::to_string(*total) : "null";
}

}  // namespace

std::uint16_t ServerPortFromField(std::string_view text) {
  unsigned value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value == 0 || value > 65535)
    return kDefaultServerPort;
  return static_cast<std::uint16_t>(value);
}

std::string StatusText(const StatusFacts& facts) {
  const bool answered = facts.info.has_value() && facts.sinceAnswerMs >= 0;
  if (answered && facts.sinceAnswerMs < kStaleAnswerMs) {
    const ServerInfo& i = *facts.info;
    return "Server: " + i.map + kDot + std::to_string(i.players) + "/" + std::to_string(i.maxPlayers) + " players" +
           kDot + std::to_string(facts.roundTripMs) + " ms" + kDot + i.game;
  }
  if (answered && (facts.ownServerRunning || facts.sinceAnswerMs < kForgetAnswerMs))
    return "Server: not answering (last answer " + std::to_string(facts.sinceAnswerMs / 1000) + " s ago)";
  if (facts.ownServerRunning) return std::string("Server: starting") + kEllipsis;
  return "Server: not running";
}

void CommandHistory::Add(const std::string& command) {
  if (!command.empty() && (m_entries.empty() || m_entries.back() != command)) m_entries.push_back(command);
  if (m_entries.size() > kMaxEntries) m_entries.pop_front();
  m_at = m_entries.size();
  m_typing.clear();
}

std::optional<std::string> CommandHistory::Up(const std::string& typing) {
  if (m_at == 0) return std::nullopt;
  if (m_at == m_entries.size()) m_typing = typing;
  return m_entries[--m_at];
}

std::optional<std::string> CommandHistory::Down() {
  if (m_at >= m_entries.size()) return std::nullopt;
  ++m_at;
  return m_at == m_entries.size() ? m_typing : m_entries[m_at];
}

LogEntry MakeLogEntry(const LogLine& line) {
  LogEntry entry;
  entry.text = TwoDigits(line.hour) + ":" + TwoDigits(line.minute) + ":" + TwoDigits(line.second) + "  " +
               MaskPasswords(line.message);
  switch (ClassifyLogMessage(line.message).kind) {
    case LogEventKind::Kill:
    case LogEventKind::Suicide:
      entry.tone = LogTone::Kill;
      break;
    case LogEventKind::Connect:
    case LogEventKind::Enter:
    case LogEventKind::Disconnect:
    case LogEventKind::JoinTeam:
      entry.tone = LogTone::Join;
      break;
    case LogEventKind::MapLoading:
    case LogEventKind::MapStarted:
      entry.tone = LogTone::Map;
      break;
    case LogEventKind::Say:
    case LogEventKind::SayTeam:
      entry.tone = LogTone::Chat;
      break;
    default:
      break;
  }
  return entry;
}

std::size_t LogBook::ClampCap(std::size_t cap) { return std::clamp(cap, kMinCap, kMaxCap); }

void LogBook::Add(LogEntry entry) {
  if (!m_filter.empty() && Shows(entry)) m_shown.push_back(m_first + m_entries.size());
  m_entries.push_back(std::move(entry));
  while (m_entries.size() > m_cap) {
    const bool shown = m_filter.empty() || (!m_shown.empty() && m_shown.front() == m_first);
    if (shown && !m_filter.empty()) m_shown.pop_front();
    if (shown) ++m_shownDropped;
    m_entries.pop_front();
    ++m_first;
  }
}

void LogBook::SetFilter(std::string filter) {
  m_filter = Lower(filter);
  m_shown.clear();
  m_shownDropped = 0;
  if (m_filter.empty()) return;
  for (std::size_t i = 0; i < m_entries.size(); ++i)
    if (Shows(m_entries[i])) m_shown.push_back(m_first + i);
}

bool LogBook::Shows(const LogEntry& entry) const {
  return m_filter.empty() || Lower(entry.text).find(m_filter) != std::string::npos;
}

const LogEntry& LogBook::ShownAt(std::size_t row) const {
  return m_filter.empty() ? m_entries[row] : m_entries[m_shown[row] - m_first];
}

std::vector<const LogEntry*> LogBook::Shown() const {
  std::vector<const LogEntry*> out;
  for (std::size_t row = 0; row < ShownCount(); ++row) out.push_back(&ShownAt(row));
  return out;
}

std::vector<std::string> LogBook::Last(std::size_t count) const {
  std::vector<std::string> out;
  const std::size_t from = m_entries.size() > count ? m_entries.size() - count : 0;
  for (std::size_t i = from; i < m_entries.size(); ++i) out.push_back(m_entries[i].text);
  return out;
}

ConsolePassword ReadConsolePassword(install::FileSystem& fs, const std::string& serverCfgPath) {
  ConsolePassword result;
  const install::Read<std::string> read = fs.ReadFile(serverCfgPath);
  if (!read) {
    result.reason = read.reason();
    return result;
  }
  config::FieldValues fields;
  config::ParseCfgText(read.value()).ApplyTo(fields);
  result.readable = true;
  result.password = fields.GetText("rcon_password");
  return result;
}

std::optional<std::string> PasswordNotice(const ConsolePassword& file, std::string_view fieldValue,
                                          const std::string& serverCfgPath) {
  if (!file.readable)
    return "The console cannot read " + serverCfgPath + ": " + file.reason +
           ". Write server.cfg on the Server Config tab, then restart the server.";
  if (file.password.empty())
    return "The console needs a password: type one in rcon_password on the Server Config tab, "
           "write server.cfg, then restart the server.";
  if (fieldValue != file.password)
    return "The rcon_password on the Server Config tab differs from the written server.cfg; "
           "the console uses the file's until you write it and restart the server.";
  return std::nullopt;
}

std::string ConsoleOutcomeText(const ConsoleStep& step) {
  switch (step.type) {
    case ConsoleStep::Type::Done:
      return step.text;
    case ConsoleStep::Type::Refused:
      return step.text + "\nThe server refused the console password; it is not sent again until you ask.";
    case ConsoleStep::Type::Banned:
      return step.text + "\nThe server has banned this address.";
    case ConsoleStep::Type::Failed:
      return "The command was not run: " + step.text;
    default:
      return {};
  }
}

std::string SayCommand(std::string_view text) { return "say \"" + CommandText(text) + "\""; }
std::string ChangeLevelCommand(std::string_view map) { return "changelevel " + CommandText(map); }
std::string KickCommand(int userId) { return "kick \"#" + std::to_string(userId) + "\""; }
std::string LogAddressAdd(std::uint16_t port) { return "logaddress_add 127.0.0.1 " + std::to_string(port); }
std::string LogAddressDel(std::uint16_t port) { return "logaddress_del 127.0.0.1 " + std::to_string(port); }

std::optional<int> UserIdOf(const std::vector<StatusPlayer>& status, std::string_view name) {
  for (const StatusPlayer& p : status)
    if (p.name == name) return p.userId;
  return std::nullopt;
}

KickStep KickFromStatus(std::string_view statusAnswer, std::string_view name) {
  const Result<std::vector<StatusPlayer>> status = ParseStatus(statusAnswer);
  // Every status answer has its "players :" line; without it the answer was something else.
  const bool looksLikeStatus =
      statusAnswer.starts_with("players") || statusAnswer.find("\nplayers") != std::string_view::npos;
  if (!status || !looksLikeStatus) {
    const std::string why = !status ? status.Error() : "it holds no player count";
    return {std::nullopt, "The server's answer to status could not be read (" + why + "), so " + std::string(name) +
                              " was not kicked."};
  }
  if (const std::optional<int> id = UserIdOf(*status, name)) return {KickCommand(*id), {}};
  return {std::nullopt, std::string(name) + " is no longer on the server."};
}

std::string ServerEndedText(const std::vector<std::string>& lastLines) {
  std::string text = "The dedicated server has ended by itself.";
  if (lastLines.empty()) return text + " No log lines came from it.";
  text += " Its last log lines:\n";
  for (const std::string& line : lastLines) text += "\n" + line;
  return text;
}

std::optional<HostPort> ParseHostPort(std::string_view text) {
  HostPort out;
  const std::size_t colon = text.rfind(':');
  out.host = std::string(text.substr(0, colon));
  if (colon != std::string_view::npos) {
    const std::string_view port = text.substr(colon + 1);
    unsigned value = 0;
    const auto [end, error] = std::from_chars(port.data(), port.data() + port.size(), value);
    if (error != std::errc() || end != port.data() + port.size() || value == 0 || value > 65535) return std::nullopt;
    out.port = static_cast<std::uint16_t>(value);
  }
  if (out.host.empty() || out.host.find_first_of(" \t:/") != std::string::npos) return std::nullopt;
  return out;
}

std::string QueryReport(const ServerInfo& info, int roundTripMs, const std::vector<Player>& players,
                        TerminalText toTerminal) {
  const auto field = [toTerminal](std::string_view text) { return VisibleControls(toTerminal(text), false); };
  std::string out;
  out += "name:      " + field(info.name) + "\n";
  out += "map:       " + field(info.map) + "\n";
  out += "game:      " + field(info.game) + " (" + field(info.folder) + ")\n";
  out += "players:   " + std::to_string(info.players) + "/" + std::to_string(info.maxPlayers) + " (" +
         std::to_string(info.bots) + " bots)\n";
  out += "password:  " + std::string(YesNo(info.password)) + "\n";
  out += "vac:       " + std::string(YesNo(info.vac)) + "\n";
  if (!info.version.empty()) out += "version:   " + field(info.version) + "\n";
  out += std::string("layout:    ") + (info.layout == InfoLayout::Current ? "current (I)" : "old (m)") + "\n";
  out += "ping:      " + std::to_string(roundTripMs) + " ms\n";
  for (const Player& p : players)
    out +=
        "player:    " + field(p.name) + "\t" + std::to_string(p.score) + "\t" + toTerminal(Seconds(p.seconds)) + "\n";
  return out;
}

std::string QueryReportJson(const ServerInfo& info, int roundTripMs, const std::vector<Player>& players) {
  std::string out = "{";
  out += "\"name\":" + Json(info.name) + ",\"map\":" + Json(info.map) + ",\"folder\":" + Json(info.folder);
  out += ",\"game\":" + Json(info.game) + ",\"players\":" + std::to_string(info.players);
  out += ",\"maxPlayers\":" + std::to_string(info.maxPlayers) + ",\"bots\":" + std::to_string(info.bots);
  out += std::string(",\"password\":") + (info.password ? "true" : "false");
  out += std::string(",\"vac\":") + (info.vac ? "true" : "false");
  out += ",\"version\":" + Json(info.version);
  out += std::string(",\"layout\":") + (info.layout == InfoLayout::Current ? "\"I\"" : "\"m\"");
  out += ",\"pingMs\":" + std::to_string(roundTripMs) + ",\"playerList\":[";
  for (std::size_t i = 0; i < players.size(); ++i) {
    if (i > 0) out += ',';
    out += "{\"name\":" + Json(players[i].name) + ",\"score\":" + std::to_string(players[i].score) +
           ",\"seconds\":" + JsonSeconds(players[i].seconds) + "}";
  }
  return out + "]}\n";
}

}  // namespace quorvane::monitor
