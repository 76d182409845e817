#include "people/session_builder.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <set>

namespace quorvane::people {
namespace {

// Enough for every slot a server has, and a bound for a log that never says who left.
constexpr std::size_t kMaxOpen = 256;
constexpr std::size_t kMaxNames = 32;
constexpr std::size_t kMaxMaps = 256;

bool EndsWith(std::string_view s, std::string_view tail) {
  return s.size() >= tail.size() && s.substr(s.size() - tail.size()) == tail;
}

bool ToInt(std::string_view text, long long& out) {
  if (text.empty() || text.size() > 12) return false;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), out);
  return error == std::errc() && end == text.data() + text.size();
}

PlayerKind KindOf(std::string_view steamId) {
  if (steamId == "BOT") return PlayerKind::Bot;
  if (steamId == "HLTV") return PlayerKind::Tv;
  return PlayerKind::Person;
}

// STEAM_ID_LAN, STEAM_ID_PENDING and their kind are shared by everyone who has them.
bool SharedId(std::string_view steamId) {
  return steamId.empty() || steamId.find("_ID_") != std::string_view::npos || steamId == "UNKNOWN";
}

// "1.2.3.4:27005" → "1.2.3.4"; bots' "none" and "loopback" carry no address worth keeping.
std::string AddressOnly(std::string_view address) {
  if (address == "none" || address.empty()) return {};
  const std::size_t colon = address.rfind(':');
  if (colon != std::string_view::npos && address.find(':') == colon) address = address.substr(0, colon);
  return std::string(address);
}

std::string KeyOf(const Session& s) {
  const std::string& first = s.names.empty() ? s.steamId : s.names.front();
  switch (s.kind) {
    case PlayerKind::Bot:
      return "BOT " + first;
    case PlayerKind::Tv:
      return "HLTV " + (s.address.empty() ? first : s.address);
    case PlayerKind::Person:
      break;
  }
  if (!SharedId(s.steamId)) return s.steamId;
  return s.address.empty() ? s.steamId + " " + first : s.address;
}

// The player at the start of `message` whose quoted text ends right before `marker`,
// tried from the leftmost place so that a name holding the marker still reads.
bool PlayerBefore(std::string_view message, std::string_view marker, LogPlayer& who, std::string_view& rest) {
  for (std::size_t at = message.find(marker); at != std::string_view::npos; at = message.find(marker, at + 1)) {
    if (ParsePlayer(message.substr(0, at + 1), who)) {
      rest = message.substr(at + marker.size());
      return true;
    }
  }
  return false;
}

// The same connection seen again, perhaps with the SteamID that was still pending before.
bool SameConnection(const Session& s, std::string_view steamId) {
  return s.steamId == steamId || (SharedId(s.steamId) && !SharedId(steamId));
}

}  // namespace

Stamp MakeStamp(int year, int month, int day, int hour, int minute, int second) {
  // Days from the civil date (Howard Hinnant's algorithm).
  const long long y = year - (month <= 2 ? 1 : 0);
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const long long yoe = y - era * 400;
  const long long mp = (month + 9) % 12;
  const long long doy = (153 * mp + 2) / 5 + day - 1;
  const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  const long long days = era * 146097 + doe - 719468;
  return days * 86400 + hour * 3600LL + minute * 60LL + second;
}

bool ParsePlayer(std::string_view quoted, LogPlayer& out) {
  if (quoted.size() < 2 || quoted.front() != '"' || quoted.back() != '"') return false;
  std::string_view body = quoted.substr(1, quoted.size() - 2);
  std::string_view groups[3];
  for (int g = 2; g >= 0; --g) {
    if (body.empty() || body.back() != '>') return false;
    const std::size_t open = body.rfind('<');
    if (open == std::string_view::npos) return false;
    groups[g] = body.substr(open + 1, body.size() - open - 2);
    body = body.substr(0, open);
  }
  long long uid = 0;
  if (!ToInt(groups[0], uid) || uid < -1 || uid > 1'000'000'000) return false;
  out = {std::string(body), static_cast<int>(uid), std::string(groups[1]), std::string(groups[2])};
  return true;
}

std::vector<StatusEntry> ParseStatusPlayers(std::string_view answer, bool& complete) {
  std::vector<StatusEntry> out;
  complete = false;
  while (!answer.empty()) {
    const std::size_t end = answer.find('\n');
    std::string_view line = answer.substr(0, end);
    answer = end == std::string_view::npos ? std::string_view() : answer.substr(end + 1);
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.remove_suffix(1);
    if (line.starts_with("players ")) complete = true;
    if (!line.starts_with('#')) continue;
    line.remove_prefix(1);
    while (!line.empty() && line.front() == ' ') line.remove_prefix(1);
    std::size_t digits = 0;
    while (digits < line.size() && std::isdigit(static_cast<unsigned char>(line[digits]))) ++digits;
    if (digits == 0) continue;  // the column heads
    const std::size_t first = line.find('"'), last = line.rfind('"');
    if (first == std::string_view::npos || last == first) continue;
    std::vector<std::string_view> words;
    std::string_view tail = line.substr(last + 1);
    while (!tail.empty()) {
      const std::size_t start = tail.find_first_not_of(' ');
      if (start == std::string_view::npos) break;
      tail.remove_prefix(start);
      const std::size_t stop = tail.find(' ');
      words.push_back(tail.substr(0, stop));
      tail = stop == std::string_view::npos ? std::string_view() : tail.substr(stop);
    }
    // user id, SteamID, frags, time on, then ping, loss and address when there are any
    if (words.size() < 4) continue;
    StatusEntry e;
    long long uid = 0;
    if (!ToInt(words[0], uid) || uid < 0 || uid > 1'000'000'000) continue;
    e.userId = static_cast<int>(uid);
    e.steamId = std::string(words[1]);
    e.name = std::string(line.substr(first + 1, last - first - 1));
    long long total = 0;
    bool good = !words[3].empty();
    for (std::string_view part = words[3]; good && !part.empty();) {
      const std::size_t colon = part.find(':');
      long long v = 0;
      good = ToInt(part.substr(0, colon), v) && v >= 0 && v < 100000;
      total = total * 60 + v;
      part = colon == std::string_view::npos ? std::string_view() : part.substr(colon + 1);
    }
    if (!good) continue;
    e.secondsOn = total;
    if (words.size() >= 7) e.address = AddressOnly(words[6]);
    out.push_back(std::move(e));
  }
  return out;
}

SessionBuilder::SessionBuilder(std::string serverFolder, int serverPort)
    : m_folder(std::move(serverFolder)), m_port(serverPort) {}

SessionBuilder::Open& SessionBuilder::Begin(Stamp when, const LogPlayer& who, std::string_view address) {
  auto found = m_open.find(who.userId);
  // The same connection seen again (a map change repeats the connect line).
  if (found != m_open.end() && SameConnection(found->second.session, who.steamId)) {
    if (!address.empty()) found->second.session.address = AddressOnly(address);
    Seen(found->second, when, who);
    return found->second;
  }
  if (found != m_open.end()) End(who.userId, when);
  if (m_open.size() >= kMaxOpen) {
    const auto oldest = std::min_element(m_open.begin(), m_open.end(), [](const auto& a, const auto& b) {
      return a.second.session.lastSeen < b.second.session.lastSeen;
    });
    End(oldest->first, oldest->second.session.lastSeen);
  }
  Open& open = m_open[who.userId];
  Session& s = open.session;
  s.steamId = who.steamId;
  s.userId = who.userId;
  s.kind = KindOf(who.steamId);
  s.names = {who.name};
  s.address = AddressOnly(address);
  s.joined = when;
  s.lastSeen = when;
  if (!m_map.empty()) s.maps = {m_map};
  s.serverFolder = m_folder;
  s.serverPort = m_port;
  s.key = KeyOf(s);
  return open;
}

SessionBuilder::Open* SessionBuilder::Find(const LogPlayer& who) {
  const auto found = m_open.find(who.userId);
  return found == m_open.end() ? nullptr : &found->second;
}

void SessionBuilder::Seen(Open& open, Stamp when, const LogPlayer& who) {
  Session& s = open.session;
  s.lastSeen = std::max(s.lastSeen, when);
  if (s.names.empty() || s.names.back() != who.name) {
    std::erase(s.names, who.name);
    if (s.names.size() >= kMaxNames) s.names.erase(s.names.begin() + 1);
    s.names.push_back(who.name);
  }
  // A SteamID that was still pending when the player came is known now.
  if (s.steamId != who.steamId && SharedId(s.steamId) && !SharedId(who.steamId)) s.steamId = who.steamId;
  s.key = KeyOf(s);
  open.changed = true;
}

void SessionBuilder::End(int userId, Stamp when) {
  const auto found = m_open.find(userId);
  if (found == m_open.end()) return;
  Session s = std::move(found->second.session);
  m_open.erase(found);
  s.lastSeen = std::max(s.lastSeen, when);
  s.left = s.lastSeen;
  m_ended.push_back(std::move(s));
}

void SessionBuilder::MapChanged(Stamp when, std::string_view map) {
  m_map = std::string(map);
  for (auto& [id, open] : m_open) {
    std::vector<std::string>& maps = open.session.maps;
    if (!maps.empty() && maps.back() == m_map) continue;
    if (maps.size() >= kMaxMaps) maps.erase(maps.begin());
    maps.push_back(m_map);
    open.session.lastSeen = std::max(open.session.lastSeen, when);
    open.changed = true;
  }
}

void SessionBuilder::AddLogMessage(Stamp when, std::string_view m) {
  LogPlayer who;
  std::string_view rest;
  const auto seenOrBegun = [&] {
    if (Open* open = Find(who); open && SameConnection(open->session, who.steamId))
      Seen(*open, when, who);
    else
      Begin(when, who, {});
  };
  if (m.starts_with("Loading map \"") && m.ends_with('"')) {
    MapChanged(when, m.substr(13, m.size() - 14));
  } else if (m.starts_with("Started map \"")) {
    const std::size_t close = m.find("\" (CRC \"", 13);
    if (close != std::string_view::npos) MapChanged(when, m.substr(13, close - 13));
  } else if (m.starts_with("Kick: ")) {
    if (PlayerBefore(m.substr(6), "\" was kicked by \"", who, rest)) End(who.userId, when);
  } else if (m.ends_with('"') && PlayerBefore(m, "\" connected, address \"", who, rest)) {
    // The address holds no quote, so it is the last quoted text whatever the name holds.
    const std::size_t quote = m.rfind("\" connected, address \"");
    const std::string_view address = m.substr(quote + 22, m.size() - quote - 23);
    Begin(when, who, address);
  } else if (EndsWith(m, " entered the game") && ParsePlayer(m.substr(0, m.size() - 17), who)) {
    seenOrBegun();
  } else if (EndsWith(m, " disconnected") && ParsePlayer(m.substr(0, m.size() - 13), who)) {
    End(who.userId, when);
  } else if (m.ends_with('"') && PlayerBefore(m, "\" disconnected (reason \"", who, rest)) {
    End(who.userId, when);
  } else if (m.ends_with('"') && PlayerBefore(m, "\" changed name to \"", who, rest)) {
    seenOrBegun();
    LogPlayer renamed = who;
    renamed.name = std::string(rest.substr(0, rest.size() - 1));
    if (Open* open = Find(renamed)) Seen(*open, when, renamed);
  } else if (m.ends_with('"') && PlayerBefore(m, "\" joined team \"", who, rest)) {
    seenOrBegun();
  }
}

void SessionBuilder::AddStatus(Stamp when, std::string_view answer) {
  bool complete = false;
  const std::vector<StatusEntry> entries = ParseStatusPlayers(answer, complete);
  std::set<int> present;
  for (const StatusEntry& e : entries) {
    present.insert(e.userId);
    const LogPlayer who{e.name, e.userId, e.steamId, {}};
    Open* open = Find(who);
    if (open && SameConnection(open->session, e.steamId)) {
      if (open->session.address.empty() && !e.address.empty()) open->session.address = e.address;
      Seen(*open, when, who);
    } else {
      Begin(when - e.secondsOn, who, e.address).session.lastSeen = when;
    }
  }
  if (!complete) return;
  std::vector<int> gone;
  for (const auto& [id, open] : m_open)
    if (!present.contains(id)) gone.push_back(id);
  for (int id : gone) End(id, when);
}

std::vector<Session> SessionBuilder::TakeChanged() {
  std::vector<Session> out = std::move(m_ended);
  m_ended.clear();
  for (auto& [id, open] : m_open) {
    if (!open.changed) continue;
    open.changed = false;
    out.push_back(open.session);
  }
  return out;
}

}  // namespace quorvane::people
