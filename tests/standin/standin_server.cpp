#include "standin_server.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <deque>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <limits>
#include <map>
#include <optional>
#include <sstream>

#include "standin_bans.h"
#include "standin_os.h"

namespace quorvane::standin {
namespace {

struct FakePlayer {
  int userId;
  std::string name, steamId, team;
  int score;
  long long joinedMs;
  std::optional<float> seconds = std::nullopt;  // sent as it is in place of the time since joining
};

struct Settings {
  unsigned short port = 27015;
  std::string map = "2fort";
  int maxPlayers = 16;
  char type = 'd';
  bool requireChallenge = false;
  std::string layouts = "I";  // I, m or Im
  std::size_t split = 0;      // the largest payload per part when set
  std::string rules;          // "silent": never answers them; "cut": answers them a byte short
  bool hostile = false;       // QUORVANE_STANDIN_HOSTILE=1: see standin_main.cpp
  std::string joiner;         // QUORVANE_STANDIN_JOIN: a player who connects once the log is on
};

// The hostile server answers for kAnsweringMs, then keeps quiet for kQuietMs, and again.
constexpr long long kAnsweringMs = 20000;
constexpr long long kQuietMs = 8000;
constexpr int kFloodPackets = 300;
const std::string kHostileName = "\x1b[2J\x1b]0;owned\x07<b>Hostile</b>\r\nmap:       forged";
const std::string kHostileMap = "2fort\x1b[8m<img src=x>";

Settings g_set;
std::map<std::string, std::string> g_cvars;
std::vector<FakePlayer> g_players;
std::uint32_t g_challenge = 0;
std::string g_rconChallenge;
std::map<unsigned long, std::deque<long long>> g_failures;  // per address, times of refused passwords
std::vector<unsigned long> g_banned;
std::vector<UdpAddress> g_logTo;
long long g_nextLogMs = 0;
long long g_joinAtMs = 0;  // when the joiner connects; 0 until a log address is added
int g_logTurn = 0;
std::int32_t g_splitId = 1;
long long g_startMs = 0;

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v != nullptr ? v : "";
}

std::string Header() { return std::string(4, '\xFF'); }

void PutByte(std::string& s, unsigned v) { s += static_cast<char>(v & 0xFF); }
void PutU16(std::string& s, unsigned v) {
  PutByte(s, v);
  PutByte(s, v >> 8);
}
void PutU32(std::string& s, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
}
void PutStr(std::string& s, const std::string& t) {
  s += t;
  s += '\0';
}
void PutStrs(std::string& s, std::initializer_list<std::string> texts) {
  for (const std::string& t : texts) PutStr(s, t);
}
void PutBytes(std::string& s, std::initializer_list<unsigned> bytes) {
  for (unsigned b : bytes) PutByte(s, b);
}

// The value of `name` in tfc/server.cfg: quoted or one word, the last one written wins.
void ReadServerCfg() {
  std::ifstream in(std::filesystem::path("tfc") / "server.cfg", std::ios::binary);
  for (std::string line; std::getline(in, line);) {
    std::istringstream words(line);
    std::string name;
    words >> name;
    if (name.empty() || name.rfind("//", 0) == 0) continue;
    std::string rest;
    std::getline(words, rest);
    rest.erase(0, rest.find_first_not_of(" \t"));
    while (!rest.empty() && (rest.back() == '\r' || rest.back() == ' ' || rest.back() == '\t')) rest.pop_back();
    if (!rest.empty() && rest[0] == '"')
      rest = rest.substr(1, rest.find('"', 1) - 1);
    else
      rest = rest.substr(0, rest.find_first_of(" \t"));
    if (name == "rcon_password" || name == "hostname" || name == "sv_password" || name == "sv_logsecret")
      g_cvars[name] = rest;
  }
}

std::string LogTime() {
  const std::time_t now = std::time(nullptr);
  const std::tm* t = std::localtime(&now);
  char text[96];
  std::snprintf(text, sizeof text, "L %02d/%02d/%04d - %02d:%02d:%02d: ", t->tm_mon + 1, t->tm_mday, t->tm_year + 1900,
                t->tm_hour, t->tm_min, t->tm_sec);
  return text;
}

// With sv_logsecret set the lines carry it in place of "log ".
void Log(const std::string& message) {
  const std::string& secret = g_cvars["sv_logsecret"];
  const std::string lead = secret.empty() || secret == "0" ? "log " : "S" + secret;
  const std::string packet = Header() + lead + LogTime() + message + "\n" + std::string(1, '\0');
  for (const UdpAddress& to : g_logTo) SendUdp(to, packet);
}

std::string Who(const FakePlayer& p) {
  return "\"" + p.name + "<" + std::to_string(p.userId) + "><" + p.steamId + "><" + p.team + ">\"";
}

// A players or rules reply longer than the split size (or than one datagram)
// goes in protocol 48 parts. Info replies are never split: clients learn the
// split layout from the protocol number in them.
void SendReply(const UdpAddress& to, const std::string& reply) {
  const std::size_t part = g_set.split > 0 ? g_set.split : 1391;
  if (reply.size() <= part) return SendUdp(to, reply);
  const std::size_t total = (reply.size() + part - 1) / part;
  if (total > 15) return;
  const std::int32_t id = g_splitId++;
  for (std::size_t i = 0; i < total; ++i) {
    std::string packet = "\xFE\xFF\xFF\xFF";
    PutU32(packet, static_cast<std::uint32_t>(id));
    PutByte(packet, static_cast<unsigned>((i << 4) | total));
    packet += reply.substr(i * part, part);
    SendUdp(to, packet);
  }
}

// Split parts whose counts no reply can have: no parts at all, a part past the
// last, and the first of fifteen that never follow. The whole reply comes after them.
void SendBadSplits(const UdpAddress& to, const std::string& reply) {
  for (const unsigned count : {0x00u, 0x32u, 0x0Fu}) {
    std::string packet = "\xFE\xFF\xFF\xFF";
    PutU32(packet, static_cast<std::uint32_t>(g_splitId++));
    PutByte(packet, count);
    packet += reply.substr(0, 64);
    SendUdp(to, packet);
  }
}

std::string InfoReply(char layout) {
  std::string r = Header();
  const std::string name = g_set.hostile                 ? kHostileName
                           : g_cvars["hostname"].empty() ? "Quorvane stand-in"
                                                         : g_cvars["hostname"];
  const std::string map = g_set.hostile ? kHostileMap : g_set.map;
  const unsigned players = static_cast<unsigned>(g_players.size()), most = static_cast<unsigned>(g_set.maxPlayers);
  const unsigned type = static_cast<unsigned char>(g_set.type), os = static_cast<unsigned char>(EnvironmentLetter());
  const unsigned password = g_cvars["sv_password"].empty() ? 0 : 1;
  if (layout == 'I') {
    PutBytes(r, {'I', 48});
    PutStrs(r, {name, map, "tfc", "Team Fortress"});
    PutU16(r, 20);
    PutBytes(r, {players, most, 0, type, os, password, 0});
    PutStr(r, "1.1.2.7/Stdio");
    PutByte(r, 0x80);  // the game port follows
    PutU16(r, g_set.port);
  } else {
    PutByte(r, 'm');
    PutStrs(r, {"127.0.0.1:" + std::to_string(g_set.port), name, map, "tfc", "Team Fortress"});
    // ... protocol 47, not a mod, not secure, no bots
    PutBytes(r, {players, most, 47, type, os, password, 0, 0, 0});
  }
  return r;
}

std::string PlayersReply() {
  std::string r = Header() + "D";
  PutByte(r, static_cast<unsigned>(g_players.size()));
  unsigned index = 0;
  for (const FakePlayer& p : g_players) {
    PutByte(r, index++);
    PutStr(r, p.name);
    PutU32(r, static_cast<std::uint32_t>(p.score));
    const float seconds = p.seconds.value_or(static_cast<float>(NowMs() - p.joinedMs) / 1000.0f + 600.0f);
    std::uint32_t bits;
    static_assert(sizeof bits == sizeof seconds);
    std::memcpy(&bits, &seconds, sizeof bits);
    PutU32(r, bits);
  }
  return r;
}

// What the rules reply and `cvarlist` show: the server's cvars, passwords as 1/0.
std::map<std::string, std::string> Rules() {
  std::map<std::string, std::string> rules = {
      {"mp_timelimit", "30"}, {"mp_fraglimit", "0"},  {"mp_teamplay", "21"}, {"mp_friendlyfire", "0"},
      {"sv_gravity", "800"},  {"sv_maxspeed", "320"}, {"tfc_autoteam", "1"}, {"tfc_balance_teams", "1"},
      {"coop", "0"},          {"deathmatch", "1"},    {"sv_contact", ""},    {"decalfrequency", "30"}};
  for (int i = 1; i <= 24; ++i) rules["tfc_option_" + std::to_string(i)] = std::to_string(i * 7);
  rules["sv_password"] = g_cvars["sv_password"].empty() ? "0" : "1";
  return rules;
}

std::string RulesReply() {
  const auto rules = Rules();
  std::string r = Header() + "E";
  PutU16(r, static_cast<unsigned>(rules.size()));
  // Not by name: a real server lists its cvars in the order they were made.
  for (auto rule = rules.rbegin(); rule != rules.rend(); ++rule) PutStrs(r, {rule->first, rule->second});
  return r;
}

// A console answer in packets of at most 1400 bytes, as the server flushes its buffer.
// The hostile server ends its lines with CR LF.
void Print(const UdpAddress& to, const std::string& plain) {
  std::string text;
  for (char c : plain) text += g_set.hostile && c == '\n' ? std::string("\r\n") : std::string(1, c);
  std::size_t at = 0;
  do {
    const std::string chunk = text.substr(at, 1390);
    SendUdp(to, Header() + "l" + chunk + std::string(1, '\0'));
    at += 1390;
  } while (at < text.size());
}

std::string StatusText() {
  std::string s = "hostname:  " + (g_set.hostile ? kHostileName : g_cvars["hostname"]) +
                  "\nversion :  48/1.1.2.7/Stdio 10211 secure  (20)\n";
  s += "tcp/ip  :  127.0.0.1:" + std::to_string(g_set.port) + "\nmap     :  " + g_set.map + " at: 0 x, 0 y, 0 z\n";
  s += "players :  " + std::to_string(g_players.size()) + " active (" + std::to_string(g_set.maxPlayers) + " max)\n";
  return s;
}

std::string PlayerTable() {
  std::string s = "\n#      name userid uniqueid frag time ping loss adr\n";
  int slot = 1;
  char line[256];
  for (const FakePlayer& p : g_players) {
    const long long seconds = (NowMs() - p.joinedMs) / 1000 + 600;
    const std::string quoted = "\"" + p.name + "\"";
    std::snprintf(line, sizeof line, "#%2d %8s %d %s %4d %02lld:%02lld %4d %4d 127.0.0.1:%d\n", slot, quoted.c_str(),
                  p.userId, p.steamId.c_str(), p.score, seconds / 60, seconds % 60, 20 + slot, 0, 27005 + slot);
    s += line;
    ++slot;
  }
  return s + std::to_string(g_players.size()) + " users\n";
}

void StartMap(const std::string& map) {
  Log("Log file closed");
  g_set.map = map;
  ReadServerCfg();
  for (FakePlayer& p : g_players) p.score = 0;
  Log("Loading map \"" + map + "\"");
  Log("Started map \"" + map + "\" (CRC \"-1381254412\")");
}

std::string Unquote(std::string s) {
  if (s.size() >= 2 && s.front() == '"' && s.back() == '"') return s.substr(1, s.size() - 2);
  return s;
}

std::string Execute(const std::string& line);

// What the ban commands reach of the server: exec'd lines, players, the log.
BanHooks ServerBanHooks() {
  return {Execute,
          [](int userId) {
            for (const FakePlayer& p : g_players)
              if (p.userId == userId) return p.steamId;
            return std::string();
          },
          [](const std::string& steamId) {
            std::erase_if(g_players, [&](const FakePlayer& p) {
              if (p.steamId == steamId) Log("Kick: " + Who(p) + " was kicked by \"Console\"");
              return p.steamId == steamId;
            });
          },
          Log};
}

// Runs one console command and says what the server would.
std::string Execute(const std::string& line) {
  std::istringstream in(line);
  std::string command, rest;
  in >> command;
  std::getline(in, rest);
  rest.erase(0, rest.find_first_not_of(' '));
  if (command == "status") return "";  // sent in two flushes by the caller
  if (command == "quit") std::exit(0);
  if (command == "cvarlist") {
    std::string s;
    const auto rules = Rules();
    for (const auto& [name, value] : rules) {
      char row[128];
      std::snprintf(row, sizeof row, "%-28s : %-10s : , \"sv\"\n", name.c_str(), value.c_str());
      s += row;
    }
    for (int i = 0; i < 40; ++i) s += "cl_placeholder_" + std::to_string(i) + std::string(20, ' ') + " : 0 : \n";
    return s + "--------------\n" + std::to_string(rules.size() + 40) + " Total CVars\nCvarList ? for syntax\n";
  }
  if (command == "changelevel") {
    const std::string map = Unquote(rest.substr(0, rest.find(' ')));
    std::error_code ec;
    const std::filesystem::path maps = std::filesystem::path("tfc") / "maps";
    if (map.empty() || (std::filesystem::is_directory(maps, ec) && !std::filesystem::exists(maps / (map + ".bsp"), ec)))
      return "changelevel:  " + map + " not found on server\n";
    StartMap(map);
    return "";
  }
  if (command == "restart") {
    StartMap(g_set.map);
    return "";
  }
  if (command == "say") {
    Log("\"Console<0><Console><>\" say \"" + Unquote(rest) + "\"");
    return "";
  }
  if (command == "kick") {
    const std::string who = Unquote(rest);
    auto found = std::find_if(g_players.begin(), g_players.end(), [&](const FakePlayer& p) {
      return who == "#" + std::to_string(p.userId) || who == p.name;
    });
    if (found == g_players.end()) return "Client \"" + who + "\" not found\n";
    Log(Who(*found) + " disconnected");
    g_players.erase(found);
    return "";
  }
  if (command == "logaddress_add" || command == "logaddress_del") {
    std::istringstream words(rest);
    std::string ip;
    int port = 0;
    words >> ip >> port;
    // Log lines go to this machine only.
    if (ip.rfind("127.", 0) != 0 || port <= 0 || port > 65535) return command + ":  unparseable address\n";
    const UdpAddress to{0x7F000001ul, static_cast<unsigned short>(port)};
    g_logTo.erase(std::remove(g_logTo.begin(), g_logTo.end(), to), g_logTo.end());
    if (command == "logaddress_add") g_logTo.push_back(to);
    if (command == "logaddress_add" && g_joinAtMs == 0) g_joinAtMs = NowMs() + 1000;
    return command + ":  " + ip + ":" + std::to_string(port) + "\n";
  }
  if (command == "echo") return rest + "\n";
  if (command == "hostname" || command == "sv_password") {
    if (!rest.empty()) g_cvars[command] = Unquote(rest);
    return rest.empty() ? "\"" + command + "\" is \"" + g_cvars[command] + "\"\n" : "";
  }
  if (std::optional<std::string> answer = BanCommand(command, rest, ServerBanHooks())) return *answer;
  return "Unknown command: " + command + "\n";
}

// Each console command run, one a line, in standin-console.txt beside the
// start record, so a test can read what reached the server and in which order;
// in standin-console-times.txt with the wall clock's milliseconds first, so it
// can read the pace too.
void RecordCommand(const std::string& command) {
  std::ofstream out("standin-console.txt", std::ios::binary | std::ios::app);
  out << command << "\n";
  const auto ms =
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch());
  std::ofstream("standin-console-times.txt", std::ios::binary | std::ios::app) << ms.count() << " " << command << "\n";
}

bool Banned(unsigned long ip) { return std::find(g_banned.begin(), g_banned.end(), ip) != g_banned.end(); }

void Console(const UdpAddress& from, const std::string& text) {
  const std::string fromText = "\"127.0.0.1:" + std::to_string(from.port) + "\"";
  if (Banned(from.ip)) return Print(from, "You have been banned from this server.\n");
  // rcon CHALLENGE "PASSWORD" COMMAND
  std::istringstream in(text.substr(5));
  std::string challenge;
  in >> challenge;
  std::string rest;
  std::getline(in, rest);
  rest.erase(0, rest.find_first_not_of(' '));
  std::string password, command;
  if (!rest.empty() && rest[0] == '"') {
    const std::size_t close = rest.find('"', 1);
    password = rest.substr(1, close == std::string::npos ? std::string::npos : close - 1);
    command = close == std::string::npos ? "" : rest.substr(close + 1);
  } else {
    password = rest.substr(0, rest.find(' '));
    command = rest.find(' ') == std::string::npos ? "" : rest.substr(rest.find(' '));
  }
  command.erase(0, command.find_first_not_of(' '));
  if (challenge != g_rconChallenge) return Print(from, "Bad rcon_password.\nBad challenge.\n");
  const std::string& wanted = g_cvars["rcon_password"];
  if (wanted.empty()) return Print(from, "Bad rcon_password.\nNo password set for this server.\n");
  if (password != wanted) {
    Log("Bad Rcon: \"" + text + "\" from " + fromText);
    std::deque<long long>& times = g_failures[from.ip];
    times.push_back(NowMs());
    while (!times.empty() && times.front() < NowMs() - 30000) times.pop_front();
    if (times.size() >= 5) g_banned.push_back(from.ip);
    return Print(from, "Bad rcon_password.\n");
  }
  Log("Rcon: \"" + text + "\" from " + fromText);
  RecordCommand(command);
  if (command.rfind("status", 0) == 0) {
    Print(from, StatusText());
    Print(from, PlayerTable());
    // The hostile one floods the console with more than any answer needs.
    for (int i = 0; g_set.hostile && i < kFloodPackets; ++i)
      Print(from, "\x1b[5mflood " + std::to_string(i) + "\x1b[0m " + std::string(1300, '~') + "\n");
    return;
  }
  Print(from, Execute(command));
}

void Query(const UdpAddress& from, const std::string& p) {
  if (Banned(from.ip)) return;
  const char type = p.size() > 4 ? p[4] : 0;
  std::uint32_t given = 0;
  bool hasChallenge = false;
  const std::string info = std::string("TSource Engine Query") + '\0';
  if (type == 'T') {
    if (p.compare(4, info.size(), info) != 0) return;
    hasChallenge = p.size() == 4 + info.size() + 4;
    if (hasChallenge) std::memcpy(&given, p.data() + 4 + info.size(), 4);
  } else if ((type == 'U' || type == 'V') && p.size() == 9) {
    std::memcpy(&given, p.data() + 5, 4);
    hasChallenge = given != 0xFFFFFFFFu && given != 0;
  } else {
    return;
  }
  const bool challengeRight = hasChallenge && given == g_challenge;
  if (!challengeRight && (type != 'T' || g_set.requireChallenge || hasChallenge)) {
    std::string r = Header() + "A";
    PutU32(r, g_challenge);
    return SendUdp(from, r);
  }
  if (type == 'T') {
    for (char layout : g_set.layouts) SendUdp(from, InfoReply(layout));
  } else if (type == 'U') {
    if (g_set.hostile) SendBadSplits(from, PlayersReply());
    SendReply(from, PlayersReply());
  } else if (g_set.rules != "silent") {
    std::string rules = RulesReply();
    if (g_set.rules == "cut") rules.pop_back();
    if (g_set.hostile) SendBadSplits(from, rules);
    SendReply(from, rules);
  }
}

// The joiner comes a second after the log is first on, as players do: through the log only.
void Join() {
  if (g_set.joiner.empty() || g_joinAtMs == 0 || NowMs() < g_joinAtMs) return;
  const FakePlayer joiner{7, g_set.joiner, "STEAM_0:0:4040", "", 0, NowMs()};
  g_set.joiner.clear();
  g_players.push_back(joiner);
  Log(Who(joiner) + " connected, address \"127.0.0.1:" + std::to_string(27005 + g_players.size()) + "\"");
  Log(Who(joiner) + " entered the game");
}

// Something for the log to show while nobody is asking anything.
void LogSomething() {
  Join();
  if (g_logTo.empty() || g_players.size() < 2 || NowMs() < g_nextLogMs) return;
  g_nextLogMs = NowMs() + 1000;
  FakePlayer& a = g_players[g_logTurn % g_players.size()];
  FakePlayer& b = g_players[(g_logTurn + 1) % g_players.size()];
  switch (g_logTurn++ % 3) {
    case 0:
      ++a.score;
      Log(Who(a) + " killed " + Who(b) + " with \"rocket\"");
      break;
    case 1:
      Log(Who(a) + " say \"gg\"");
      break;
    default:
      Log("Team \"" + a.team + "\" scored \"" + std::to_string(a.score) + "\" with \"2\" players");
  }
}

}  // namespace

bool StartServer(const std::vector<std::string>& args, std::string& error) {
  for (std::size_t i = 0; i + 1 < args.size(); ++i) {
    const std::string& a = args[i];
    const std::string& v = args[i + 1];
    const bool number = !v.empty() && std::all_of(v.begin(), v.end(), [](char c) { return std::isdigit(c); });
    if ((a == "-port" || a == "+port") && number && std::stol(v) > 0 && std::stol(v) < 65536)
      g_set.port = static_cast<unsigned short>(std::stol(v));
    if (a == "+map") g_set.map = v;
    if (a == "+maxplayers" && number && std::stol(v) > 0 && std::stol(v) < 256) g_set.maxPlayers = std::stoi(v);
  }
  if (std::find(args.begin(), args.end(), "-port") == args.end()) g_set.type = 'l';
  g_set.requireChallenge = Env("STEAM_GAMESERVER_A2S_INFO_REQUIRE_CHALLENGE") == "1";
  const std::string layouts = Env("QUORVANE_STANDIN_INFO");
  if (layouts == "m" || layouts == "Im" || layouts == "mI") g_set.layouts = layouts;
  const std::string split = Env("QUORVANE_STANDIN_SPLIT");
  if (!split.empty()) g_set.split = std::clamp<std::size_t>(std::strtoul(split.c_str(), nullptr, 10), 16, 1391);
  g_set.rules = Env("QUORVANE_STANDIN_RULES");
  g_set.joiner = Env("QUORVANE_STANDIN_JOIN");
  ReadServerCfg();
  const long long now = NowMs();
  g_challenge = static_cast<std::uint32_t>(now * 2654435761u) | 1u;
  g_rconChallenge = std::to_string(100000000 + (now % 900000000));
  g_players = {{2, "Alpha", "STEAM_0:1:234", "Blue", 5, now},
               {3, "[LAN] Sniper Bob", "STEAM_0:0:5678", "Red", 3, now},
               {4, "Charlie", "STEAM_0:1:91011", "Blue", 1, now},
               {6, "Delta", "STEAM_0:0:1213", "Red", 0, now}};
  g_startMs = now;
  g_set.hostile = Env("QUORVANE_STANDIN_HOSTILE") == "1";
  if (g_set.hostile) {
    // Names that would drive a terminal or be read as markup, with durations no connection has.
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    g_players = {{2, "\x1b[2J<b>x</b>", "STEAM_0:1:234", "Blue", 5, now, nan},
                 {3, "<img src=x>", "STEAM_0:0:5678", "Red", 3, now, inf},
                 {4, "\x1b]0;title\x07Line\nBreak\r", "STEAM_0:1:91011", "Blue", 1, now, 3e9f},
                 {6,
                  "Delta\x9d"
                  "31m",
                  "STEAM_0:0:1213", "Red", 0, now, -5.0f}};
  }
  return OpenUdp(g_set.port, error);
}

void LogLine(const std::string& message) { Log(message); }

void ServeOnce() {
  std::string packet;
  UdpAddress from;
  const bool quiet = g_set.hostile && (NowMs() - g_startMs) % (kAnsweringMs + kQuietMs) >= kAnsweringMs;
  if (ReceiveUdp(200, packet, from) && !quiet && packet.size() >= 5 && packet.compare(0, 4, Header()) == 0) {
    const std::string text = packet.substr(4, packet.find('\0', 4) - 4);
    if (text.rfind("challenge rcon", 0) == 0) {
      if (!Banned(from.ip)) SendUdp(from, Header() + "challenge rcon " + g_rconChallenge + "\n" + std::string(1, '\0'));
    } else if (text.rfind("rcon ", 0) == 0) {
      std::string line = text;
      while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
      Console(from, line);
    } else {
      Query(from, packet);
    }
  }
  if (!quiet) LogSomething();
}

}  // namespace quorvane::standin
