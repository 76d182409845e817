#include "monitor/log_line.h"

#include <cctype>
#include <optional>

#include "monitor/query.h"

namespace quorvane::monitor {
namespace {

bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

std::optional<int> Number(std::string_view s, std::size_t digits) {
  if (s.size() != digits) return std::nullopt;
  int v = 0;
  for (char c : s) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
    v = v * 10 + (c - '0');
  }
  return v;
}

// A quoted player at the start of `s`, and what follows it. The name may hold
// anything, so the player ends at the first `>"` that closes three <..> groups.
std::optional<LogPlayer> TakePlayer(std::string_view& s) {
  if (s.empty() || s[0] != '"') return std::nullopt;
  for (std::size_t close = s.find(">\"", 1); close != std::string_view::npos; close = s.find(">\"", close + 1)) {
    std::string_view body = s.substr(1, close);  // through the last '>'
    std::string_view groups[3];
    bool ok = true;
    for (int g = 2; g >= 0 && ok; --g) {
      if (body.empty() || body.back() != '>') {
        ok = false;
        break;
      }
      const std::size_t open = body.rfind('<');
      if (open == std::string_view::npos) {
        ok = false;
        break;
      }
      groups[g] = body.substr(open + 1, body.size() - open - 2);
      body = body.substr(0, open);
    }
    if (!ok) continue;
    LogPlayer p;
    p.name = std::string(body);
    std::string_view uid = groups[0];
    const bool negative = !uid.empty() && uid[0] == '-';
    if (negative) uid.remove_prefix(1);
    if (uid.empty() || uid.size() > 9) continue;
    std::optional<int> n = Number(uid, uid.size());
    if (!n) continue;
    p.userId = negative ? -*n : *n;
    p.steamId = std::string(groups[1]);
    p.team = std::string(groups[2]);
    s.remove_prefix(close + 2);
    return p;
  }
  return std::nullopt;
}

// `"text"` at the start of `s`, up to the next quote.
std::optional<std::string> TakeQuoted(std::string_view& s) {
  if (s.empty() || s[0] != '"') return std::nullopt;
  const std::size_t close = s.find('"', 1);
  if (close == std::string_view::npos) return std::nullopt;
  std::string text(s.substr(1, close - 1));
  s.remove_prefix(close + 1);
  return text;
}

bool Take(std::string_view& s, std::string_view word) {
  if (!StartsWith(s, word)) return false;
  s.remove_prefix(word.size());
  return true;
}

// The rest of a line that is only a quoted value: `"text"` to its last quote.
std::optional<std::string> QuotedRest(std::string_view s) {
  if (s.size() < 2 || s.front() != '"' || s.back() != '"') return std::nullopt;
  return std::string(s.substr(1, s.size() - 2));
}

LogEvent PlayerEvent(LogPlayer who, std::string_view rest) {
  LogEvent e;
  e.who = std::move(who);
  std::string_view r = rest;
  if (Take(r, " killed ")) {
    std::optional<LogPlayer> victim = TakePlayer(r);
    std::optional<std::string> weapon;
    if (victim && Take(r, " with ") && (weapon = TakeQuoted(r))) {
      e.kind = LogEventKind::Kill;
      e.whom = std::move(*victim);
      e.what = *weapon;
    }
  } else if (Take(r, " connected, address ")) {
    if (auto address = QuotedRest(r)) e = {LogEventKind::Connect, e.who, {}, *address, {}, 0};
  } else if (r == " entered the game") {
    e.kind = LogEventKind::Enter;
  } else if (Take(r, " disconnected")) {
    e.kind = LogEventKind::Disconnect;
  } else if (Take(r, " joined team ")) {
    if (auto team = QuotedRest(r)) e = {LogEventKind::JoinTeam, e.who, {}, *team, {}, 0};
  } else if (Take(r, " changed role to ")) {
    if (auto role = QuotedRest(r)) e = {LogEventKind::Role, e.who, {}, *role, {}, 0};
  } else if (Take(r, " committed suicide with ")) {
    if (auto weapon = TakeQuoted(r)) e = {LogEventKind::Suicide, e.who, {}, *weapon, {}, 0};
  } else if (Take(r, " triggered ")) {
    if (auto action = TakeQuoted(r)) e = {LogEventKind::Triggered, e.who, {}, *action, {}, 0};
  } else if (Take(r, " say_team ")) {
    if (auto text = QuotedRest(r)) e = {LogEventKind::SayTeam, e.who, {}, *text, {}, 0};
  } else if (Take(r, " say ")) {
    if (auto text = QuotedRest(r)) e = {LogEventKind::Say, e.who, {}, *text, {}, 0};
  }
  if (e.kind == LogEventKind::Other) e.who = {};
  return e;
}

// After `rcon N `: the password, quoted or one word.
std::string MaskAfterRcon(std::string_view text) {
  std::string out;
  std::size_t at = 0;
  for (std::size_t found = text.find("rcon "); found != std::string_view::npos; found = text.find("rcon ", at)) {
    std::size_t p = found + 5;
    const std::size_t digitsStart = p;
    while (p < text.size() && std::isdigit(static_cast<unsigned char>(text[p]))) ++p;
    if (p == digitsStart || p >= text.size() || text[p] != ' ') {
      out += text.substr(at, found + 5 - at);
      at = found + 5;
      continue;
    }
    ++p;
    std::size_t end;
    if (p < text.size() && text[p] == '"') {
      ++p;
      end = text.find('"', p);
    } else {
      end = text.find(' ', p);
    }
    if (end == std::string_view::npos) end = text.size();
    out += text.substr(at, p - at);
    out += "********";
    at = end;
  }
  out += text.substr(at);
  return out;
}

}  // namespace

Result<LogLine> ParseLogText(std::string_view text) {
  // "L 01/31/2024 - 21:05:09: "
  constexpr std::size_t kHead = 25;
  const auto bad = [] { return Result<LogLine>::Fail("A log line does not begin with its time"); };
  if (text.size() < kHead || !StartsWith(text, "L ") || text[4] != '/' || text[7] != '/' ||
      text.substr(12, 3) != " - " || text[17] != ':' || text[20] != ':' || text.substr(23, 2) != ": ")
    return bad();
  LogLine line;
  const std::optional<int> parts[] = {Number(text.substr(2, 2), 2),  Number(text.substr(5, 2), 2),
                                      Number(text.substr(8, 4), 4),  Number(text.substr(15, 2), 2),
                                      Number(text.substr(18, 2), 2), Number(text.substr(21, 2), 2)};
  for (const auto& p : parts)
    if (!p) return bad();
  line.month = *parts[0];
  line.day = *parts[1];
  line.year = *parts[2];
  line.hour = *parts[3];
  line.minute = *parts[4];
  line.second = *parts[5];
  if (line.month < 1 || line.month > 12 || line.day < 1 || line.day > 31 || line.hour > 23 || line.minute > 59 ||
      line.second > 60)
    return bad();
  std::string_view message = text.substr(kHead);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) message.remove_suffix(1);
  line.message = std::string(message);
  return line;
}

Result<LogLine> ParseLogPacket(Bytes datagram, std::string_view secret) {
  if (datagram.size() > kMaxDatagram) return Result<LogLine>::Fail("A log packet is too long");
  if (datagram.size() < 5 || datagram[0] != 0xFF || datagram[1] != 0xFF || datagram[2] != 0xFF || datagram[3] != 0xFF)
    return Result<LogLine>::Fail("A log packet is malformed");
  std::string_view text(reinterpret_cast<const char*>(datagram.data() + 4), datagram.size() - 4);
  text = text.substr(0, text.find('\0'));
  if (secret.empty()) {
    if (!Take(text, "log ")) return Result<LogLine>::Fail("A log packet is malformed");
  } else if (!Take(text, "S") || !Take(text, secret) || !StartsWith(text, "L ")) {
    return Result<LogLine>::Fail("A log packet without the log secret was ignored");
  }
  return ParseLogText(text);
}

LogEvent ClassifyLogMessage(std::string_view m) {
  LogEvent e;
  std::string_view r = m;
  if (m == "Log file closed") {
    e.kind = LogEventKind::LogClosed;
  } else if (Take(r, "Loading map ")) {
    if (auto map = QuotedRest(r)) e = {LogEventKind::MapLoading, {}, {}, *map, {}, 0};
  } else if (Take(r, "Started map ")) {
    auto map = TakeQuoted(r);
    std::optional<std::string> crc;
    if (map && Take(r, " (CRC ") && (crc = TakeQuoted(r)) && r == ")")
      e = {LogEventKind::MapStarted, {}, {}, *map, *crc, 0};
  } else if (Take(r, "Server cvar ")) {
    auto name = TakeQuoted(r);
    std::optional<std::string> value;
    if (name && Take(r, " = ") && (value = QuotedRest(r))) e = {LogEventKind::Cvar, {}, {}, *name, *value, 0};
  } else if (Take(r, "World triggered ")) {
    if (auto action = TakeQuoted(r)) e = {LogEventKind::WorldTriggered, {}, {}, *action, {}, 0};
  } else if (Take(r, "Team ")) {
    auto team = TakeQuoted(r);
    std::optional<std::string> score, players;
    if (team && Take(r, " scored ") && (score = TakeQuoted(r)) && Take(r, " with ") && (players = TakeQuoted(r)) &&
        r == " players") {
      std::optional<int> n = players->size() <= 4 ? Number(*players, players->size()) : std::nullopt;
      if (n) e = {LogEventKind::TeamScore, {}, {}, *team, *score, *n};
    }
  } else if (StartsWith(m, "Rcon: ") || StartsWith(m, "Bad Rcon: ")) {
    e.kind = LogEventKind::Rcon;
  } else if (std::optional<LogPlayer> who = TakePlayer(r)) {
    e = PlayerEvent(std::move(*who), r);
  }
  return e;
}

std::string MaskPasswords(std::string_view message) {
  if (!StartsWith(message, "Rcon: ") && !StartsWith(message, "Bad Rcon: ")) return std::string(message);
  return MaskAfterRcon(message);
}

}  // namespace quorvane::monitor
